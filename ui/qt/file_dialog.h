#pragma once

// The platform's open-file dialog behind a seam, so that tests can preload
// the next answer instead of blocking on a modal dialog.

#include <QString>

#include <optional>

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

class QtFileDialog : public FileDialog {
 public:
  std::optional<QString> chooseFileToOpen(QWidget* parent, const QString& filter,
                                          const QString& initialFile) override;
};

}  // namespace sv
