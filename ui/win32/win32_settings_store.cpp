#include "ui/win32/win32_settings_store.h"

#include "files/win32/win32_file_system.h"
#include "ui/win32/controls.h"
#include "ui/win32/handles.h"

#include <windows.h>

#include <vector>

namespace sv::win32 {

std::wstring RegistrySettingsStore::sectionKey(const std::string& application,
                                               const std::string& section) const {
  return m_root + L"\\" + wideText(application) + L"\\" + wideText(section);
}

std::string RegistrySettingsStore::read(const std::string& application, const std::string& section,
                                        const std::string& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, sectionKey(application, section).c_str(), 0, KEY_READ,
                    &opened) != ERROR_SUCCESS) {
    return {};
  }
  const unique_hkey handle(opened);
  const std::wstring name = wideText(key);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(handle.get(), name.c_str(), nullptr, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) {
    return {};
  }
  // Room for a terminator the stored value may lack.
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  DWORD got = size;
  if (RegQueryValueExW(handle.get(), name.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(buffer.data()), &got) != ERROR_SUCCESS) {
    return {};
  }
  return toUtf8(buffer.data());
}

void RegistrySettingsStore::write(const std::string& application, const std::string& section,
                                  const std::string& key, const std::string& value) {
  HKEY created = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, sectionKey(application, section).c_str(), 0, nullptr, 0,
                      KEY_WRITE, nullptr, &created, nullptr) != ERROR_SUCCESS) {
    return;  // the position is a convenience, never worth a message
  }
  const unique_hkey handle(created);
  const std::wstring text = wideText(value);
  RegSetValueExW(handle.get(), wideText(key).c_str(), 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

}  // namespace sv::win32
