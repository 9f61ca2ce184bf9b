#include "ui/qt/settings_store.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace sv {

namespace {

// The application names both the organization and the program, so the store
// is one file of its own on Linux ("VARNOK SV/VARNOK SV.conf") and one
// registry key on Windows.
QString keyPath(const QString& section, const QString& key) { return section + '/' + key; }

}  // namespace

QString QtSettingsStore::read(const QString& application, const QString& section,
                              const QString& key) {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, application, application);
  // Only this program's own entries count; organization-wide defaults are not ours.
  settings.setFallbacksEnabled(false);
  if (settings.status() != QSettings::NoError) return {};
  const QVariant value = settings.value(keyPath(section, key));
  // An INI value edited by hand with an unquoted comma ("1234,5", a decimal
  // comma) parses as a list; give it back as the text that was typed.
  if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(',');
  return value.toString();
}

void QtSettingsStore::write(const QString& application, const QString& section, const QString& key,
                            const QString& value) {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, application, application);
  settings.setFallbacksEnabled(false);
  settings.setValue(keyPath(section, key), value);
  // A store that cannot be written (no folder, no rights) is skipped: the
  // position is a convenience, never worth a message or a failed exit.
  settings.sync();
}

}  // namespace sv
