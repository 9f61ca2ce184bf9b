#pragma once

// A shown Form1 with test doubles for the dialog, the settings and the shell,
// and the real file layer on a temporary folder.

#include "files/posix/posix_file_system.h"
#include "tests/ui/qt/doubles.h"
#include "ui/qt/form1.h"

#include <QByteArray>
#include <QListView>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace sv::test {

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Builds a new window (Form_Load runs with the settings as they are now).
  void createWindow();

  template <typename T>
  T* control(const char* name) const {
    T* widget = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QListView* list(const char* name) const { return control<QListView>(name); }

  QString path(const QString& name) const { return dir.filePath(name); }
  QString writeFile(const QString& name, const QByteArray& bytes) const;
  QByteArray readFile(const QString& name) const;
  bool exists(const QString& name) const;

  void click(const char* buttonName);
  // Chooses files through of1 and of2, as a user would in the dialogs.
  void pick(const QString& mainBase, const QString& compared);

  QStringList items(const char* listName) const;
  int selectedRow(const char* listName) const;
  int topRow(const char* listName) const;

  PosixFileSystem files;
  ScriptedFileDialog dialog;
  MemorySettingsStore settings;
  RecordingShellOpener shell;
  QStringList failures;
  QTemporaryDir dir;
  std::unique_ptr<Form1> window;
};

// The lines as a file holds them, each ending in CR LF.
QByteArray records(const std::vector<QByteArray>& lines);

}  // namespace sv::test
