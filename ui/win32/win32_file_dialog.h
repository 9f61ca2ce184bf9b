#pragma once

// The common open-file dialog behind a seam, so that tests can preload the
// next answer instead of blocking on a modal dialog.

#include <windows.h>

#include <optional>
#include <string>

namespace sv::win32 {

class FileDialog {
 public:
  virtual ~FileDialog() = default;

  // Shows the open-file dialog modally. filter is in the "description|pattern|"
  // form; initialFile (UTF-8, empty for none) is offered as the starting
  // choice. Returns the chosen path (UTF-8) exactly as the dialog gives it, or
  // nothing when the user cancels or the dialog fails.
  virtual std::optional<std::string> chooseFileToOpen(HWND owner, const std::string& filter,
                                                      const std::string& initialFile) = 0;
};

// GetOpenFileNameW with no option flags and a 260-character name buffer.
class CommonFileDialog : public FileDialog {
 public:
  std::optional<std::string> chooseFileToOpen(HWND owner, const std::string& filter,
                                              const std::string& initialFile) override;
};

// "RDA files|*.rda|" as the dialog takes it: the pairs separated and ended by
// NUL characters, the whole list by one more.
std::wstring dialogFilter(const std::string& filter);

}  // namespace sv::win32
