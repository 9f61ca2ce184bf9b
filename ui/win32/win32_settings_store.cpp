#include "ui/win32/win32_settings_store.h"

#include "ui/win32/win32_text.h"

#include <windows.h>

#include <vector>

namespace sv::win32 {

std::wstring RegistrySettingsStore::sectionKey(const std::string& application,
                                               const std::string& section) const {
  return m_root + L"\\" + widen(application) + L"\\" + widen(section);
}

std::string RegistrySettingsStore::read(const std::string& application, const std::string& section,
                                        const std::string& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, sectionKey(application, section).c_str(), 0, KEY_READ,
                    &handle) != ERROR_SUCCESS) {
    return {};
  }
  const std::wstring name = widen(key);
  DWORD type = 0;
  DWORD size = 0;
  std::string result;
  if (RegQueryValueExW(handle, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
    // Room for a terminator the stored value may lack.
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = size;
    if (RegQueryValueExW(handle, name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &got) == ERROR_SUCCESS) {
      result = narrow(std::wstring_view(buffer.data()));
    }
  }
  RegCloseKey(handle);
  return result;
}

void RegistrySettingsStore::write(const std::string& application, const std::string& section,
                                  const std::string& key, const std::string& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, sectionKey(application, section).c_str(), 0, nullptr, 0,
                      KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
    return;  // the position is a convenience, never worth a message
  }
  const std::wstring text = widen(value);
  RegSetValueExW(handle, widen(key).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
}

}  // namespace sv::win32
