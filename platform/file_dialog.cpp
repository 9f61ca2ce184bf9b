#include "platform/file_dialog.h"

#include <QFileDialog>

namespace sv {

std::optional<QString> QtFileDialog::chooseFileToOpen(QWidget* parent, const QString& filter,
                                                      const QString& initialFile) {
  // No caption: the platform's own title of an open dialog shows. A path in
  // initialFile makes the dialog start in its folder with that file selected.
  const QString chosen = QFileDialog::getOpenFileName(parent, QString(), initialFile, filter);
  if (chosen.isEmpty()) return std::nullopt;
  return chosen;
}

}  // namespace sv
