// The open-file dialog as the window shows it: the filter's description alone,
// and an earlier choice offered again in its folder.

#include "ui/qt/file_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace sv {
namespace {

// Qt's own dialog, so that its widgets can be read; the platform's native one
// gets the same option.
std::unique_ptr<QFileDialog> shownDialog(const QString& filter, const QString& initialFile) {
  std::unique_ptr<QFileDialog> dialog = makeOpenFileDialog(nullptr, filter, initialFile);
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->show();
  return dialog;
}

QStringList shownFilters(QFileDialog& dialog) {
  QStringList texts;
  const auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  if (!types) return texts;
  for (int i = 0; i < types->count(); ++i) texts << types->itemText(i);
  return texts;
}

TEST(FileDialogTest, ShowsEachFilterByItsDescriptionAlone) {
  for (const auto& [filter, shown] :
       {std::pair{QStringLiteral("MainBase.dat (MainBase.dat)"), QStringLiteral("MainBase.dat")},
        std::pair{QStringLiteral("RDA files (*.rda)"), QStringLiteral("RDA files")}}) {
    SCOPED_TRACE(filter.toStdString());
    const std::unique_ptr<QFileDialog> dialog = shownDialog(filter, QString());
    EXPECT_EQ(shownFilters(*dialog), QStringList{shown});
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
  }
}

TEST(FileDialogTest, StartsInTheFolderOfTheEarlierChoiceWithItSelected) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString earlier = dir.filePath(QStringLiteral("new file.rda"));
  QFile file(earlier);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();

  const std::unique_ptr<QFileDialog> dialog =
      shownDialog(QStringLiteral("RDA files (*.rda)"), earlier);
  EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
  const auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->text(), QStringLiteral("new file.rda"));
}

}  // namespace
}  // namespace sv
