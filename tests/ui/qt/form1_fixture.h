#pragma once

// A shown Form1 with test doubles for the dialog, the settings and the shell,
// and the real file layer on a temporary folder.

#include "files/posix/posix_file_system.h"
#include "tests/ui/qt/doubles.h"
#include "ui/qt/form1.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace sv::test {

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    createWindow();
  }
  void TearDown() override {
    window.reset();
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  }

  // Builds a new window (Form_Load runs with the settings as they are now).
  void createWindow() {
    window.reset();
    const auto record = [this](QWidget*, const QString& message) { failures.push_back(message); };
    window = std::make_unique<Form1>(Form1Services{files, dialog, settings, shell, record});
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  template <typename T>
  T* control(const char* name) const {
    T* widget = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QListView* list(const char* name) const { return control<QListView>(name); }

  QString path(const QString& name) const { return dir.filePath(name); }
  QString writeFile(const QString& name, const QByteArray& bytes) const {
    QFile file(path(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path(name);
  }
  QByteArray readFile(const QString& name) const {
    QFile file(path(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
  }
  bool exists(const QString& name) const { return QFile::exists(path(name)); }

  void click(const char* button) {
    QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
  }
  // Chooses files through of1 and of2, as a user would in the dialogs.
  void pick(const QString& mainBase, const QString& compared) {
    dialog.answer(mainBase);
    click("of1");
    dialog.answer(compared);
    click("of2");
  }

  // A run in which each of n records of the file for comparing is a dupe.
  void runWithDupes(int n) {
    QByteArray lines;
    for (int i = 0; i < n; ++i) {
      const QByteArray k = QByteArray::number(i);
      lines += "CALL" + k + "\r\nRDA-" + k + "\r\nnotes " + k + "\r\n";
    }
    pick(writeFile("MainBase.dat", lines), writeFile("new.rda", lines));
    click("Command1");
  }

  QStringList items(const char* listName) const {
    QStringList texts;
    const QAbstractItemModel* model = list(listName)->model();
    for (int row = 0; row < model->rowCount(); ++row)
      texts << model->index(row, 0).data().toString();
    return texts;
  }
  int selectedRow(const char* listName) const {
    const QModelIndexList selected = list(listName)->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
  }
  int topRow(const char* listName) const { return list(listName)->verticalScrollBar()->value(); }

  PosixFileSystem files;
  ScriptedFileDialog dialog;
  MemorySettingsStore settings;
  RecordingShellOpener shell;
  QStringList failures;
  QTemporaryDir dir;
  std::unique_ptr<Form1> window;
};

// The lines as a file holds them, each ending in CR LF.
inline QByteArray records(const std::vector<QByteArray>& lines) {
  QByteArray bytes;
  for (const QByteArray& line : lines) bytes += line + "\r\n";
  return bytes;
}

}  // namespace sv::test
