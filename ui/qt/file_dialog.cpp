#include "ui/qt/file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

#include <memory>

namespace sv {
namespace {

std::unique_ptr<QFileDialog> makeOpenFileDialog(QWidget* parent, const QString& filter,
                                                const QString& initialFile) {
  // No caption: the platform's own title of an open dialog shows.
  auto dialog = std::make_unique<QFileDialog>(parent, QString(), QString(), filter);
  dialog->setFileMode(QFileDialog::ExistingFile);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  // The filter lists its description alone, "RDA files", not Qt's
  // "RDA files (*.rda)".
  dialog->setOption(QFileDialog::HideNameFilterDetails);
  // An earlier choice makes the dialog start in its folder with it selected.
  if (!initialFile.isEmpty()) {
    const QFileInfo earlier(initialFile);
    dialog->setDirectory(earlier.absolutePath());
    dialog->selectFile(earlier.fileName());
  }
  return dialog;
}

}  // namespace

std::optional<QString> QtFileDialog::chooseFileToOpen(QWidget* parent, const QString& filter,
                                                      const QString& initialFile) {
  const std::unique_ptr<QFileDialog> dialog = makeOpenFileDialog(parent, filter, initialFile);
  if (dialog->exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog->selectedFiles();
  if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;
  return chosen.first();
}

}  // namespace sv
