// List3 and List4 move together: selection and top row, both ways, by mouse,
// keyboard, wheel and code, with the echo ending after one round.

#include "tests/ui/main/form1_fixture.h"
#include <QApplication>
#include <QListView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

namespace sv::test {
namespace {

class PairedListsTest : public Form1Test {
 protected:
  // A run with coincidences coincidences: 3 * coincidences items a list.
  void runWithCoincidences(int coincidences) {
    std::vector<QByteArray> lines;
    for (int i = 0; i < coincidences; ++i) {
      const QByteArray n = QByteArray::number(i);
      lines.insert(lines.end(), {"CALL" + n, "RDA-" + n, "notes " + n});
    }
    writeFile("MainBase.dat", records(lines));
    writeFile("new.rda", records(lines));
    pick(path("MainBase.dat"), path("new.rda"));
    click("Command1");
    ASSERT_EQ(list("List3")->model()->rowCount(), 3 * coincidences);
  }

  void clickRow(const char* listName, int row) {
    QListView* view = list(listName);
    view->scrollTo(view->model()->index(row, 0));
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
  }

  void select(const char* listName, int row) {
    QListView* view = list(listName);
    view->selectionModel()->setCurrentIndex(view->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect);
  }
};

TEST_F(PairedListsTest, AfterARunBothListsShowTheLastItemSelectedAtTheSameTopRow) {
  runWithCoincidences(30);
  EXPECT_EQ(selectedRow("List3"), 89);
  EXPECT_EQ(selectedRow("List4"), 89);
  EXPECT_EQ(topRow("List4"), list("List4")->verticalScrollBar()->maximum());
  EXPECT_GT(topRow("List4"), 0);
  EXPECT_EQ(topRow("List3"), topRow("List4"));
}

TEST_F(PairedListsTest, ClickingAnItemSelectsTheSameItemInTheOtherListBothWays) {
  runWithCoincidences(30);
  const struct {
    const char* clicked;
    const char* other;
    int row;
  } cases[] = {
      {"List4", "List3", 85}, {"List3", "List4", 80}, {"List4", "List3", 3}, {"List3", "List4", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.clicked) + " row " + std::to_string(c.row));
    clickRow(c.clicked, c.row);
    EXPECT_EQ(selectedRow(c.clicked), c.row);
    EXPECT_EQ(selectedRow(c.other), c.row);
    EXPECT_EQ(topRow(c.other), topRow(c.clicked));
  }
}

TEST_F(PairedListsTest, TheEchoEndsAfterOneRound) {
  runWithCoincidences(30);
  QSignalSpy list3Changes(list("List3")->selectionModel(), &QItemSelectionModel::selectionChanged);
  QSignalSpy list4Changes(list("List4")->selectionModel(), &QItemSelectionModel::selectionChanged);
  QSignalSpy list3Scrolls(list("List3")->verticalScrollBar(), &QScrollBar::valueChanged);
  QSignalSpy list4Scrolls(list("List4")->verticalScrollBar(), &QScrollBar::valueChanged);

  select("List3", 7);
  EXPECT_EQ(list3Changes.count(), 1);
  EXPECT_EQ(list4Changes.count(), 1);
  EXPECT_EQ(selectedRow("List4"), 7);

  list("List4")->verticalScrollBar()->setValue(12);
  EXPECT_EQ(list3Scrolls.count(), list4Scrolls.count());
  EXPECT_EQ(topRow("List3"), 12);
}

TEST_F(PairedListsTest, ClickingTheSelectedItemChangesNothing) {
  runWithCoincidences(30);
  clickRow("List3", 84);
  QSignalSpy list3Changes(list("List3")->selectionModel(), &QItemSelectionModel::selectionChanged);
  QSignalSpy list4Changes(list("List4")->selectionModel(), &QItemSelectionModel::selectionChanged);
  clickRow("List3", 84);
  EXPECT_EQ(list3Changes.count(), 0);
  EXPECT_EQ(list4Changes.count(), 0);
  EXPECT_EQ(selectedRow("List4"), 84);
}

TEST_F(PairedListsTest, ArrowKeysAreMirrored) {
  runWithCoincidences(30);
  for (const char* name : {"List3", "List4"}) {
    SCOPED_TRACE(name);
    const char* other = name == std::string_view("List3") ? "List4" : "List3";
    QWidget* view = list(name);
    const int before = selectedRow(name);
    QTest::keyClick(view, Qt::Key_Up);
    EXPECT_EQ(selectedRow(name), before - 1);
    EXPECT_EQ(selectedRow(other), before - 1);
    QTest::keyClick(view, Qt::Key_Home);
    EXPECT_EQ(selectedRow(other), 0);
    EXPECT_EQ(topRow(other), 0);
    QTest::keyClick(view, Qt::Key_PageDown);
    EXPECT_EQ(selectedRow(other), selectedRow(name));
    EXPECT_EQ(topRow(other), topRow(name));
    QTest::keyClick(view, Qt::Key_End);
  }
}

TEST_F(PairedListsTest, SelectingInCodeIsMirrored) {
  runWithCoincidences(30);
  select("List4", 4);
  EXPECT_EQ(selectedRow("List3"), 4);
  select("List3", 50);
  EXPECT_EQ(selectedRow("List4"), 50);
}

TEST_F(PairedListsTest, ScrollingEitherListScrollsTheOther) {
  runWithCoincidences(30);
  const struct {
    const char* scrolled;
    const char* other;
    int top;
  } cases[] = {{"List3", "List4", 5}, {"List4", "List3", 17}, {"List3", "List4", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scrolled);
    list(c.scrolled)->verticalScrollBar()->setValue(c.top);
    EXPECT_EQ(topRow(c.other), c.top);
  }
  // To the very end: both hold as many items and show as many rows.
  QScrollBar* bar = list("List4")->verticalScrollBar();
  bar->setValue(bar->maximum());
  EXPECT_EQ(topRow("List3"), bar->maximum());
}

TEST_F(PairedListsTest, TheWheelScrollsBothLists) {
  runWithCoincidences(30);
  list("List3")->verticalScrollBar()->setValue(40);
  for (const char* name : {"List3", "List4"}) {
    SCOPED_TRACE(name);
    QWidget* viewport = list(name)->viewport();
    const int before = topRow(name);
    const QPoint at(10, 10);
    QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    EXPECT_GT(topRow(name), before);
    EXPECT_EQ(topRow("List3"), topRow("List4"));
  }
}

TEST_F(PairedListsTest, EmptyListsMirrorNothing) {
  EXPECT_EQ(selectedRow("List3"), -1);
  QTest::keyClick(list("List3"), Qt::Key_Down);
  EXPECT_EQ(selectedRow("List3"), -1);
  EXPECT_EQ(selectedRow("List4"), -1);
}

}  // namespace
}  // namespace sv::test
