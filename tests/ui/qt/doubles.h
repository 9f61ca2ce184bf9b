#pragma once

// Test doubles for the window's services: answers prepared in advance, calls
// recorded, nothing modal, nothing on the user's own settings or desktop.

#include "ui/qt/file_dialog.h"
#include "ui/qt/settings_store.h"
#include "ui/qt/shell_open.h"

#include <QMap>
#include <QString>

#include <deque>
#include <optional>
#include <vector>

namespace sv::test {

class ScriptedFileDialog : public FileDialog {
 public:
  struct Call {
    QWidget* parent;
    QString filter;
    QString initialFile;
  };

  // The next answer; nothing means Cancel (or a failed dialog).
  void answer(std::optional<QString> path) { m_answers.push_back(std::move(path)); }

  std::optional<QString> chooseFileToOpen(QWidget* parent, const QString& filter,
                                          const QString& initialFile) override {
    calls.push_back({parent, filter, initialFile});
    if (m_answers.empty()) return std::nullopt;
    const bool cancel = !m_answers.front().has_value();
    const QString path = m_answers.front().value_or(QString());
    m_answers.pop_front();
    if (cancel) return std::nullopt;
    return path;
  }

  std::vector<Call> calls;

 private:
  std::deque<std::optional<QString>> m_answers;
};

class MemorySettingsStore : public SettingsStore {
 public:
  static QString key(const QString& application, const QString& section, const QString& key) {
    return application + QLatin1Char('|') + section + QLatin1Char('|') + key;
  }

  QString read(const QString& application, const QString& section, const QString& k) override {
    return values.value(key(application, section, k));
  }
  void write(const QString& application, const QString& section, const QString& k,
             const QString& value) override {
    values[key(application, section, k)] = value;
    ++writes;
  }

  QMap<QString, QString> values;
  int writes = 0;
};

class RecordingShellOpener : public ShellOpener {
 public:
  struct Call {
    QWidget* owner;
    QString operation;
    QString file;
    bool parametersNull;
    bool directoryNull;
    int showCommand;
  };

  void shellExecute(QWidget* owner, const char* operation, const QString& file,
                    const char* parameters, const char* directory, int showCommand) override {
    calls.push_back({owner, QString::fromLatin1(operation), file, parameters == nullptr,
                     directory == nullptr, showCommand});
  }

  std::vector<Call> calls;
};

}  // namespace sv::test
