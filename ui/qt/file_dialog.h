#pragma once

// The platform's open-file dialog behind a seam, so that tests can preload
// the next answer instead of blocking on a modal dialog.

#include <QString>

#include <memory>
#include <optional>

class QFileDialog;
class QWidget;

namespace sv {

class FileDialog {
 public:
  virtual ~FileDialog() = default;

  // Shows the open-file dialog modally. filter is a Qt name filter
  // ("RDA files (*.rda)"); initialFile is offered as the starting choice
  // (empty for none). Returns the chosen path exactly as the dialog gives it,
  // or nothing when the user cancels or the dialog fails.
  virtual std::optional<QString> chooseFileToOpen(QWidget* parent, const QString& filter,
                                                  const QString& initialFile) = 0;
};

// The dialog QtFileDialog shows, not yet shown.
std::unique_ptr<QFileDialog> makeOpenFileDialog(QWidget* parent, const QString& filter,
                                                const QString& initialFile);

class QtFileDialog : public FileDialog {
 public:
  std::optional<QString> chooseFileToOpen(QWidget* parent, const QString& filter,
                                          const QString& initialFile) override;
};

}  // namespace sv
