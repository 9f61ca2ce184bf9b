#include "ui/win32/win32_file_dialog.h"

#include "files/win32/win32_file_system.h"

#include <array>
#include <commdlg.h>

namespace sv::win32 {

std::wstring dialogFilter(const std::string& filter) {
  std::wstring out;
  toWide(filter, out);
  for (wchar_t& c : out) {
    if (c == L'|') c = L'\0';
  }
  // A list that already ends in a separator ends in one NUL; the dialog wants two.
  if (out.empty() || out.back() != L'\0') out.push_back(L'\0');
  out.push_back(L'\0');
  return out;
}

std::optional<std::string> CommonFileDialog::chooseFileToOpen(HWND owner, const std::string& filter,
                                                              const std::string& initialFile) {
  std::array<wchar_t, MAX_PATH> name{};
  std::wstring initial;
  toWide(initialFile, initial);
  // An earlier choice that does not fit is not offered rather than cut short.
  if (initial.size() < name.size()) initial.copy(name.data(), initial.size());
  const std::wstring filters = dialogFilter(filter);

  OPENFILENAMEW request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = owner;
  request.lpstrFilter = filters.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = name.data();
  request.nMaxFile = static_cast<DWORD>(name.size());
  request.Flags = 0;
  if (!GetOpenFileNameW(&request)) return std::nullopt;  // Cancel, or a name too long
  return toUtf8(name.data());
}

}  // namespace sv::win32
