#pragma once

// The per-user settings store of the Win32 window: text values under
// application, section and key, in the registry area that Windows programs'
// own application-settings functions use:
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>.
// A store that cannot be read reads as empty; one that cannot be written is
// skipped. Neither ever stops the program. All texts are UTF-8.

#include <string>

namespace sv::win32 {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // The stored text, or empty text when there is none.
  virtual std::string read(const std::string& application, const std::string& section,
                           const std::string& key) = 0;
  virtual void write(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& value) = 0;
};

class RegistrySettingsStore : public SettingsStore {
 public:
  // root is the key under HKEY_CURRENT_USER that holds one key per application.
  explicit RegistrySettingsStore(std::wstring root = L"Software\\VB and VBA Program Settings")
      : m_root(std::move(root)) {}

  std::string read(const std::string& application, const std::string& section,
                   const std::string& key) override;
  void write(const std::string& application, const std::string& section, const std::string& key,
             const std::string& value) override;

 private:
  std::wstring sectionKey(const std::string& application, const std::string& section) const;

  std::wstring m_root;
};

}  // namespace sv::win32
