// List3 and List4 move together: selection and top row, both ways, by mouse,
// keyboard, wheel and code, with the echo ending after one round.

#include "tests/ui/qt/form1_fixture.h"

#include <QApplication>
#include <QListView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <string>

namespace sv::test {
namespace {

class PairedListsTest : public Form1Test {
 protected:
  // A run with 30 coincidences: 90 items in each of the paired lists.
  void SetUp() override {
    Form1Test::SetUp();
    runWithDupes(30);
    ASSERT_EQ(list("List3")->model()->rowCount(), 90);
  }

  QScrollBar* bar(const char* name) const { return list(name)->verticalScrollBar(); }
  void clickRow(const char* name, int row) {
    QListView* view = list(name);
    view->scrollTo(view->model()->index(row, 0));
    const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  }
};

TEST_F(PairedListsTest, SelectionIsMirroredBothWaysByMouseKeyboardAndCode) {
  // A run leaves the last item selected in both, at the same top row.
  EXPECT_EQ(selectedRow("List3"), 89);
  EXPECT_EQ(selectedRow("List4"), 89);
  EXPECT_EQ(topRow("List4"), bar("List4")->maximum());
  EXPECT_EQ(topRow("List3"), topRow("List4"));
  for (const auto& [clicked, other, row] :
       {std::tuple{"List4", "List3", 85}, {"List3", "List4", 80}, {"List4", "List3", 3}}) {
    SCOPED_TRACE(std::string(clicked) + " row " + std::to_string(row));
    clickRow(clicked, row);
    EXPECT_EQ(selectedRow(clicked), row);
    EXPECT_EQ(selectedRow(other), row);
    EXPECT_EQ(topRow(other), topRow(clicked));
  }

  for (const auto& [name, other] : {std::pair{"List3", "List4"}, {"List4", "List3"}}) {
    SCOPED_TRACE(name);
    // The keyboard goes on from the item the other list mirrored.
    clickRow(other, 5);
    list(name)->setFocus();
    QTest::keyClick(list(name), Qt::Key_Down);
    EXPECT_EQ(selectedRow(name), 6);
    EXPECT_EQ(selectedRow(other), 6);
    QTest::keyClick(list(name), Qt::Key_Home);
    EXPECT_EQ(selectedRow(other), 0);
    EXPECT_EQ(topRow(other), 0);
    QTest::keyClick(list(name), Qt::Key_PageDown);
    EXPECT_GT(selectedRow(name), 0);
    EXPECT_EQ(selectedRow(other), selectedRow(name));
    EXPECT_EQ(topRow(other), topRow(name));
  }

  // In code, and the echo ends after one round.
  QSignalSpy list3Changes(list("List3")->selectionModel(), &QItemSelectionModel::selectionChanged);
  QSignalSpy list4Changes(list("List4")->selectionModel(), &QItemSelectionModel::selectionChanged);
  list("List3")->selectionModel()->setCurrentIndex(list("List3")->model()->index(7, 0),
                                                   QItemSelectionModel::ClearAndSelect);
  EXPECT_EQ(selectedRow("List4"), 7);
  EXPECT_EQ(list3Changes.count(), 1);
  EXPECT_EQ(list4Changes.count(), 1);
}

TEST_F(PairedListsTest, ScrollingIsMirroredBothWaysByBarAndWheel) {
  QSignalSpy list3Scrolls(bar("List3"), &QScrollBar::valueChanged);
  QSignalSpy list4Scrolls(bar("List4"), &QScrollBar::valueChanged);
  for (const auto& [scrolled, other, top] : {std::tuple{"List3", "List4", 5},
                                             {"List4", "List3", 17},
                                             {"List3", "List4", bar("List3")->maximum()}}) {
    SCOPED_TRACE(scrolled);
    bar(scrolled)->setValue(top);
    EXPECT_EQ(topRow(other), top);
  }
  EXPECT_EQ(list3Scrolls.count(), 3) << "the echo ends after one round";
  EXPECT_EQ(list4Scrolls.count(), 3);

  bar("List3")->setValue(40);
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

}  // namespace
}  // namespace sv::test
