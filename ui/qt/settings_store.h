#pragma once

// The per-user settings store: text values under application, section and
// key. A store that cannot be read reads as empty; one that cannot be written
// is skipped. Neither ever stops the program.

#include <QString>

namespace sv {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // The stored text, or empty text when there is none.
  virtual QString read(const QString& application, const QString& section, const QString& key) = 0;
  virtual void write(const QString& application, const QString& section, const QString& key,
                     const QString& value) = 0;
};

// QSettings in the platform's native per-user format: an INI file under
// $XDG_CONFIG_HOME on Linux, the registry on Windows.
class QtSettingsStore : public SettingsStore {
 public:
  QString read(const QString& application, const QString& section, const QString& key) override;
  void write(const QString& application, const QString& section, const QString& key,
             const QString& value) override;
};

}  // namespace sv
