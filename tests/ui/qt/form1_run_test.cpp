// The run driven through the window: the pickers with a scripted dialog, the
// real file layer in a temporary folder, and what the window shows after.

#include "tests/ui/qt/form1_fixture.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>

namespace sv::test {
namespace {

const QByteArray kMainBase = records({"UA3AAA", "MO-12", "main one",             //
                                      "RN6BN", "KK-41", "\xD2\xE2\xE5\xF0\xFC",  // Windows-1251
                                      "UA3AAA", "MO-12", "main three"});
const QByteArray kCompared = records({"UA3AAA", "MO-12", "new one",  //
                                      "R9XYZ", "SV-07", "stays",     //
                                      "RN6BN", "KK-41", "new two"});
const QByteArray kKept = records({"R9XYZ", "SV-07", "stays"});

class Form1RunTest : public Form1Test {
 protected:
  QString label1() const { return control<QLabel>("Label1")->text(); }
  QString shown(const char* box) const { return control<QLineEdit>(box)->text(); }
};

TEST_F(Form1RunTest, RunShowsTheListsAndCountAndWritesTheFilesASecondRunReplacesThem) {
  writeFile("MainBase.dat", kMainBase);
  writeFile("new.rda", kCompared);
  pick(path("MainBase.dat"), path("new.rda"));
  ASSERT_EQ(dialog.calls.size(), 2u);
  EXPECT_EQ(dialog.calls[0].filter, QStringLiteral("MainBase.dat (MainBase.dat)"));
  EXPECT_EQ(dialog.calls[1].filter, QStringLiteral("RDA files (*.rda)"));
  EXPECT_EQ(shown("Text1"), QLatin1Char(' ') + path("MainBase.dat"));
  EXPECT_EQ(shown("Text2"), QLatin1Char(' ') + path("new.rda"));
  click("Command1");

  EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
  EXPECT_EQ(items("List2"), QStringList({"R9XYZ", "SV-07", "stays"}));
  EXPECT_EQ(items("List3"), QStringList({"UA3AAA", "MO-12", "main one", "UA3AAA", "MO-12",
                                         "main three", "RN6BN", "KK-41", "Тверь"}));
  EXPECT_EQ(items("List4"), QStringList({"UA3AAA", "MO-12", "new one", "UA3AAA", "MO-12", "new one",
                                         "RN6BN", "KK-41", "new two"}));
  EXPECT_EQ(label1(), QStringLiteral("Total dupes records: 3"));
  EXPECT_EQ(
      QAccessible::queryAccessibleInterface(control<QLabel>("Label1"))->text(QAccessible::Name),
      label1());
  EXPECT_EQ(selectedRow("List2"), 2);
  EXPECT_EQ(selectedRow("List3"), 8);
  EXPECT_EQ(selectedRow("List4"), 8);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(readFile("new.rda"), kKept);

  click("Command1");
  EXPECT_EQ(label1(), QStringLiteral("Total dupes records: 0"));
  EXPECT_EQ(items("List2"), QStringList({"R9XYZ", "SV-07", "stays"}));
  EXPECT_TRUE(items("List3").isEmpty());
  EXPECT_TRUE(items("List4").isEmpty());
  EXPECT_EQ(selectedRow("List3"), -1);
}

// A picker offers its earlier choice and Cancel keeps it; a path never chosen
// or chosen empty (the dialog's answer is kept) runs nothing.
TEST_F(Form1RunTest, PickersKeepTheirChoiceAndAnEmptyPathRunsNothing) {
  writeFile("MainBase.dat", kMainBase);
  writeFile("new.rda", kCompared);
  dialog.answer(path("MainBase.dat"));
  click("of1");
  click("Command1");
  EXPECT_FALSE(exists("new.rda.bak"));
  EXPECT_EQ(label1(), QString());

  dialog.answer(path("new.rda"));
  click("of2");
  click("Command1");
  ASSERT_EQ(label1(), QStringLiteral("Total dupes records: 3"));
  const QStringList before = items("List3");

  dialog.answer(std::nullopt);
  click("of2");
  dialog.answer(QString());
  click("of1");
  ASSERT_EQ(dialog.calls.size(), 4u);
  EXPECT_TRUE(dialog.calls[0].initialFile.isEmpty());
  EXPECT_EQ(dialog.calls[2].initialFile, path("new.rda"));
  EXPECT_EQ(dialog.calls[3].initialFile, path("MainBase.dat"));
  EXPECT_EQ(shown("Text2"), QLatin1Char(' ') + path("new.rda"));
  EXPECT_EQ(shown("Text1"), QStringLiteral(" "));

  click("Command1");
  EXPECT_EQ(items("List3"), before);
  EXPECT_EQ(selectedRow("List3"), 8);
  EXPECT_EQ(label1(), QStringLiteral("Total dupes records: 3"));
  EXPECT_EQ(readFile("new.rda.bak"), kCompared) << "no second run";
}

// Paths given at start stand as if picked; nothing runs before Command1.
TEST_F(Form1RunTest, PreselectedPathsRunOnlyWhenCommand1IsPressed) {
  writeFile("MainBase.dat", kMainBase);
  writeFile("new.rda", kCompared);
  window->preselect(path("MainBase.dat"), path("new.rda"));
  EXPECT_EQ(shown("Text2"), QLatin1Char(' ') + path("new.rda"));
  EXPECT_FALSE(exists("new.rda.bak"));
  click("Command1");
  EXPECT_EQ(readFile("new.rda"), kKept);
}

TEST_F(Form1RunTest, FailedRunNamesTheFileShowsTheListsSoFarAndKeepsTheLabel) {
  writeFile("MainBase.dat", kMainBase);
  writeFile("new.rda", kCompared);
  pick(path("MainBase.dat"), path("new.rda"));
  click("Command1");
  ASSERT_EQ(label1(), QStringLiteral("Total dupes records: 3"));

  // The main base now ends inside its second record.
  writeFile("MainBase.dat", records({"UA3AAA", "MO-12", "main one", "RN6BN"}));
  writeFile("new.rda", kCompared);
  click("Command1");

  ASSERT_EQ(failures.size(), 1);
  EXPECT_TRUE(failures[0].contains(path("MainBase.dat"))) << failures[0].toStdString();
  EXPECT_EQ(label1(), QStringLiteral("Total dupes records: 3"));
  EXPECT_TRUE(items("List2").isEmpty());
  EXPECT_EQ(items("List3"), QStringList({"UA3AAA", "MO-12", "main one"}));
  EXPECT_EQ(items("List4"), QStringList({"UA3AAA", "MO-12", "new one"}));
  EXPECT_EQ(selectedRow("List4"), -1);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(readFile("new.rda"), kCompared) << "never replaced after a failed scan";
}

// Refusals reach the user like any failure: one message box each, naming
// the file whatever its name, the files as they were.
TEST_F(Form1RunTest, EachRefusedRunShowsOneMessageAndChangesNothing) {
  writeFile("MainBase.dat", kMainBase);
  writeFile("new.rda", kCompared);
  const struct {
    QString mainBase;
    QString compared;
    QString says;
  } cases[] = {
      {path("MainBase.dat"), path("MainBase.dat"), "is the main base itself"},
      {path("Главная база.dat"), path("new.rda"), path("Главная база.dat")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says.toStdString());
    failures.clear();
    pick(c.mainBase, c.compared);
    click("Command1");
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(c.says)) << failures[0].toStdString();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
  EXPECT_EQ(readFile("MainBase.dat"), kMainBase);
  EXPECT_EQ(readFile("new.rda"), kCompared);
  EXPECT_FALSE(exists("MainBase.dat.bak"));
}

}  // namespace
}  // namespace sv::test
