// Paths given at start stand exactly as if picked: stored, echoed, and used by
// Compare & Delete, which alone runs.

#include "tests/ui/qt/form1_fixture.h"

#include <QLineEdit>

namespace sv::test {
namespace {

using StartPathsTest = Form1Test;

TEST_F(StartPathsTest, PreselectedPathsAreEchoedAndRunOnlyWhenTheButtonIsPressed) {
  const QString mainBase = writeFile("Main Base.dat", records({"UA1A", "MO-01", "x"}));
  const QByteArray compared = records({"UA1A", "MO-01", "y", "UA2B", "MO-02", "z"});
  const QString comparedPath = writeFile("new.rda", compared);

  window->preselect(mainBase, comparedPath);
  EXPECT_EQ(control<QLineEdit>("Text1")->text(), QLatin1Char(' ') + mainBase);
  EXPECT_EQ(control<QLineEdit>("Text2")->text(), QLatin1Char(' ') + comparedPath);
  EXPECT_FALSE(exists("new.rda.bak")) << "nothing runs before the button";
  EXPECT_EQ(readFile("new.rda"), compared);

  click("Command1");
  EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
  EXPECT_EQ(readFile("new.rda"), records({"UA2B", "MO-02", "z"}));
  EXPECT_EQ(readFile("new.rda.bak"), compared);
}

TEST_F(StartPathsTest, APickerOffersThePreselectedFileAndReplacesIt) {
  window->preselect(path("a/MainBase.dat"), path("b/new.rda"));
  dialog.answer(path("c/MainBase.dat"));
  click("of1");
  ASSERT_EQ(dialog.calls.size(), 1u);
  EXPECT_EQ(dialog.calls[0].initialFile, path("a/MainBase.dat"));
  EXPECT_EQ(control<QLineEdit>("Text1")->text(), QLatin1Char(' ') + path("c/MainBase.dat"));
  EXPECT_EQ(control<QLineEdit>("Text2")->text(), QLatin1Char(' ') + path("b/new.rda"));
}

}  // namespace
}  // namespace sv::test
