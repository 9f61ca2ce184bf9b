#include "tests/ui/qt/form1_fixture.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

namespace sv::test {

void Form1Test::SetUp() {
  ASSERT_TRUE(dir.isValid());
  createWindow();
}

void Form1Test::TearDown() {
  window.reset();
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

void Form1Test::createWindow() {
  window.reset();
  Form1Services services{files, dialog, settings, shell,
                         [this](QWidget*, const QString& message) { failures.push_back(message); }};
  window = std::make_unique<Form1>(services);
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
}

QString Form1Test::writeFile(const QString& name, const QByteArray& bytes) const {
  QFile file(path(name));
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
  return path(name);
}

QByteArray Form1Test::readFile(const QString& name) const {
  QFile file(path(name));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
  return file.readAll();
}

bool Form1Test::exists(const QString& name) const { return QFile::exists(path(name)); }

void Form1Test::click(const char* buttonName) {
  QTest::mouseClick(control<QPushButton>(buttonName), Qt::LeftButton);
}

void Form1Test::pick(const QString& mainBase, const QString& compared) {
  dialog.answer(mainBase);
  click("of1");
  dialog.answer(compared);
  click("of2");
}

QStringList Form1Test::items(const char* listName) const {
  QStringList texts;
  const QAbstractItemModel* model = list(listName)->model();
  for (int row = 0; row < model->rowCount(); ++row) texts << model->index(row, 0).data().toString();
  return texts;
}

int Form1Test::selectedRow(const char* listName) const {
  const QModelIndexList selected = list(listName)->selectionModel()->selectedIndexes();
  return selected.isEmpty() ? -1 : selected.first().row();
}

int Form1Test::topRow(const char* listName) const {
  return list(listName)->verticalScrollBar()->value();
}

QByteArray records(const std::vector<QByteArray>& lines) {
  QByteArray bytes;
  for (const QByteArray& line : lines) bytes += line + "\r\n";
  return bytes;
}

}  // namespace sv::test
