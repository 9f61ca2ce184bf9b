// The run driven through the window: the pickers with a scripted dialog, the
// real file layer in a temporary folder, and what the window shows after.

#include "tests/ui/main/form1_fixture.h"
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>

#include <string_view>

namespace sv::test {
namespace {

const QByteArray kMainBase = records({"UA3AAA", "MO-12", "main one",  //
                                      "RN6BN", "KK-41", "main two",   //
                                      "UA3AAA", "MO-12", "main three"});
const QByteArray kCompared = records({"UA3AAA", "MO-12", "new one",  //
                                      "R9XYZ", "SV-07", "stays",     //
                                      "RN6BN", "KK-41", "new two"});

QString label1(const Form1Test&, QWidget* window) {
  return window->findChild<QLabel*>("Label1")->text();
}

TEST_F(Form1Test, PickersUseTheirFiltersAndEchoThePathAfterOneSpace) {
  pick(path("Main Base/MainBase.dat"), path("new.rda"));
  ASSERT_EQ(dialog.calls.size(), 2u);
  EXPECT_EQ(dialog.calls[0].filter, QStringLiteral("MainBase.dat (MainBase.dat)"));
  EXPECT_EQ(dialog.calls[1].filter, QStringLiteral("RDA files (*.rda)"));
  EXPECT_TRUE(dialog.calls[0].initialFile.isEmpty());
  EXPECT_TRUE(dialog.calls[1].initialFile.isEmpty());
  EXPECT_EQ(dialog.calls[0].parent, window.get());
  EXPECT_EQ(control<QLineEdit>("Text1")->text(), QLatin1Char(' ') + path("Main Base/MainBase.dat"));
  EXPECT_EQ(control<QLineEdit>("Text2")->text(), QLatin1Char(' ') + path("new.rda"));
}

TEST_F(Form1Test, APickerOffersItsEarlierChoiceAndANewChoiceReplacesIt) {
  pick(path("a/MainBase.dat"), path("one.rda"));
  dialog.answer(path("two.rda"));
  click("of2");
  ASSERT_EQ(dialog.calls.size(), 3u);
  EXPECT_EQ(dialog.calls[2].initialFile, path("one.rda"));
  EXPECT_EQ(control<QLineEdit>("Text2")->text(), QLatin1Char(' ') + path("two.rda"));
  EXPECT_EQ(control<QLineEdit>("Text1")->text(), QLatin1Char(' ') + path("a/MainBase.dat"))
      << "the other picker keeps its path";
}

TEST_F(Form1Test, CancelKeepsTheEarlierChoice) {
  pick(path("MainBase.dat"), path("new.rda"));
  dialog.answer(std::nullopt);
  click("of1");
  dialog.answer(std::nullopt);
  click("of2");
  EXPECT_EQ(control<QLineEdit>("Text1")->text(), QLatin1Char(' ') + path("MainBase.dat"));
  EXPECT_EQ(control<QLineEdit>("Text2")->text(), QLatin1Char(' ') + path("new.rda"));
}

TEST_F(Form1Test, RunShowsTheListsTheCountAndWritesTheFiles) {
  writeFile("MainBase.dat", kMainBase);
  writeFile("new.rda", kCompared);
  pick(path("MainBase.dat"), path("new.rda"));
  click("Command1");

  EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
  EXPECT_EQ(items("List2"), QStringList({"R9XYZ", "SV-07", "stays"}));
  EXPECT_EQ(items("List3"), QStringList({"UA3AAA", "MO-12", "main one", "UA3AAA", "MO-12",
                                         "main three", "RN6BN", "KK-41", "main two"}));
  EXPECT_EQ(items("List4"), QStringList({"UA3AAA", "MO-12", "new one", "UA3AAA", "MO-12", "new one",
                                         "RN6BN", "KK-41", "new two"}));
  EXPECT_EQ(label1(*this, window.get()), QStringLiteral("Total dupes records: 3"));
  EXPECT_EQ(selectedRow("List2"), 2);
  EXPECT_EQ(selectedRow("List4"), 8);
  EXPECT_EQ(selectedRow("List3"), 8);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the default pointer is back";

  EXPECT_EQ(readFile("new.rda"), records({"R9XYZ", "SV-07", "stays"}));
  EXPECT_EQ(readFile("new.rda.bak"), kCompared);
  EXPECT_EQ(readFile("new.rda.dup"), records({"UA3AAA", "MO-12", "new one", "UA3AAA", "MO-12",
                                              "new one", "RN6BN", "KK-41", "new two"}));
  EXPECT_EQ(readFile("MainBase.dat"), kMainBase);
}

TEST_F(Form1Test, RunWithoutCoincidencesSelectsNothingInThePairedLists) {
  writeFile("MainBase.dat", records({"AAA", "1", "x"}));
  writeFile("new.rda", records({"BBB", "2", "y"}));
  pick(path("MainBase.dat"), path("new.rda"));
  click("Command1");
  EXPECT_EQ(label1(*this, window.get()), QStringLiteral("Total dupes records: 0"));
  EXPECT_EQ(selectedRow("List2"), 2);
  EXPECT_EQ(selectedRow("List3"), -1);
  EXPECT_EQ(selectedRow("List4"), -1);
  EXPECT_EQ(readFile("new.rda.dup"), QByteArray());
}

TEST_F(Form1Test, RunShowsCyrillicNotesInEitherEncoding) {
  // "Тверь" in Windows-1251 and in UTF-8; the files keep their bytes.
  const QByteArray cp1251("\xD2\xE2\xE5\xF0\xFC");
  const QByteArray utf8("\xD0\xA2\xD0\xB2\xD0\xB5\xD1\x80\xD1\x8C");
  writeFile("MainBase.dat", records({"ZZZ", "0", "z"}));
  writeFile("new.rda", records({"A", "1", cp1251, "B", "2", utf8}));
  pick(path("MainBase.dat"), path("new.rda"));
  click("Command1");
  const QString tver = QString::fromUtf8(utf8);
  EXPECT_EQ(items("List2"), QStringList({"A", "1", tver, "B", "2", tver}));
  EXPECT_EQ(readFile("new.rda"), records({"A", "1", cp1251, "B", "2", utf8}));
}

TEST_F(Form1Test, RunDoesNothingAtAllWhileAPathIsEmpty) {
  writeFile("MainBase.dat", kMainBase);
  writeFile("new.rda", kCompared);
  for (const char* picker : {"of1", "of2"}) {
    SCOPED_TRACE(picker);
    createWindow();
    window->findChild<QLabel*>("Label1")->setText(QStringLiteral("earlier"));
    dialog.answer(picker == std::string_view("of1") ? path("MainBase.dat") : path("new.rda"));
    click(picker);
    click("Command1");
    EXPECT_EQ(label1(*this, window.get()), QStringLiteral("earlier"));
    EXPECT_FALSE(exists("new.rda.bak"));
    EXPECT_TRUE(failures.isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
}

TEST_F(Form1Test, AnEmptyAnswerIsStoredAndCountsAsNoChoice) {
  writeFile("MainBase.dat", kMainBase);
  writeFile("new.rda", kCompared);
  pick(path("MainBase.dat"), path("new.rda"));
  click("Command1");
  const QStringList shown = items("List3");
  ASSERT_EQ(shown.size(), 9);

  dialog.answer(QString());
  click("of1");
  click("Command1");
  EXPECT_EQ(control<QLineEdit>("Text1")->text(), QStringLiteral(" "));
  EXPECT_EQ(items("List3"), shown) << "no list is cleared";
  EXPECT_EQ(selectedRow("List3"), 8);
  EXPECT_EQ(label1(*this, window.get()), QStringLiteral("Total dupes records: 3"));
}

TEST_F(Form1Test, FailedRunNamesTheFailureAndKeepsTheLabel) {
  writeFile("new.rda", kCompared);
  writeFile("MainBase.dat", kMainBase);
  pick(path("MainBase.dat"), path("new.rda"));
  click("Command1");
  ASSERT_EQ(label1(*this, window.get()), QStringLiteral("Total dupes records: 3"));

  // The main base now ends inside its second record.
  writeFile("MainBase.dat", records({"UA3AAA", "MO-12", "main one", "RN6BN"}));
  writeFile("new.rda", kCompared);
  click("Command1");

  ASSERT_EQ(failures.size(), 1);
  EXPECT_TRUE(failures[0].contains(path("MainBase.dat"))) << failures[0].toStdString();
  EXPECT_EQ(label1(*this, window.get()), QStringLiteral("Total dupes records: 3"));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(readFile("new.rda"), kCompared)
      << "the compared file is never replaced after a failed scan";
  EXPECT_EQ(selectedRow("List4"), -1);
}

TEST_F(Form1Test, FailedRunOnAMissingFileShowsEmptyLists) {
  writeFile("MainBase.dat", kMainBase);
  pick(path("MainBase.dat"), path("missing.rda"));
  click("Command1");
  ASSERT_EQ(failures.size(), 1);
  EXPECT_TRUE(failures[0].contains(path("missing.rda"))) << failures[0].toStdString();
  EXPECT_TRUE(items("List2").isEmpty());
  EXPECT_TRUE(items("List3").isEmpty());
  EXPECT_EQ(label1(*this, window.get()), QString());
}

TEST_F(Form1Test, SecondRunReplacesTheListsOfTheFirst) {
  writeFile("MainBase.dat", kMainBase);
  writeFile("new.rda", kCompared);
  pick(path("MainBase.dat"), path("new.rda"));
  click("Command1");
  click("Command1");
  EXPECT_EQ(label1(*this, window.get()), QStringLiteral("Total dupes records: 0"));
  EXPECT_EQ(items("List2"), QStringList({"R9XYZ", "SV-07", "stays"}));
  EXPECT_TRUE(items("List3").isEmpty());
  EXPECT_TRUE(items("List4").isEmpty());
  EXPECT_EQ(readFile("new.rda.bak"), records({"R9XYZ", "SV-07", "stays"}));
}

}  // namespace
}  // namespace sv::test
