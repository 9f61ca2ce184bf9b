// What a screen reader gets from the lists, however long: every item, no
// object made per item; selections announced in both paired lists, the
// focus only where it is. (The controls' names: form1_layout_test.cpp.)

#include "tests/ui/qt/form1_fixture.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QTest>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <algorithm>
#include <private/qguiapplication_p.h>
#include <string>
#include <tuple>

namespace sv::test {
namespace {

struct Announcement {
  QString list;
  QAccessible::Event type;
  int row;  // -1: the list itself
};

std::vector<Announcement> g_announced;

void recordListEvent(QAccessibleEvent* event) {
  if (!qobject_cast<QListView*>(event->object())) return;
  g_announced.push_back({event->object()->objectName(), event->type(), event->child()});
}

QAccessibleInterface* readerView(QObject* object) {
  return QAccessible::queryAccessibleInterface(object);
}

// Qt numbers every accessible object it makes from one counter: the step
// between two fresh numbers is how many were made in between.
QAccessible::Id freshAccessibleId() {
  QWidget probe;
  return QAccessible::uniqueId(readerView(&probe));
}

class AccessibilityTest : public Form1Test {
 protected:
  static constexpr int kRecords = 20'000;
  static constexpr int kLastRow = 3 * kRecords - 1;

  // Qt sends its events only while assistive technology listens, which the
  // offscreen platform never reports; switched on as Qt's own tests do,
  // before the window exists. Then a run where every record is a dupe.
  void SetUp() override {
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    QAccessible::installUpdateHandler(recordListEvent);
    Form1Test::SetUp();
    g_announced.clear();
    m_madeBeforeRun = freshAccessibleId();
    runWithDupes(kRecords);
    ASSERT_EQ(list("List3")->model()->rowCount(), kLastRow + 1);
  }

  void TearDown() override {
    Form1Test::TearDown();
    QAccessible::installUpdateHandler(nullptr);
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(false);
    g_announced.clear();
  }

  bool announced(const QString& name, QAccessible::Event type, int row) const {
    return std::any_of(g_announced.begin(), g_announced.end(), [&](const Announcement& a) {
      return a.list == name && a.type == type && (row == kAnyRow || a.row == row);
    });
  }

  static constexpr int kAnyRow = -2;
  QAccessible::Id m_madeBeforeRun = 0;
};

TEST_F(AccessibilityTest, ItemsAreReadWithTextPlaceAndSelectionAndMadeOnlyWhenAsked) {
  EXPECT_LT(freshAccessibleId() - m_madeBeforeRun, 50u) << "no object per item in a run";
  const QAccessible::Id beforeReading = freshAccessibleId();
  for (const auto& [name, row] :
       {std::tuple{"List3", 0}, {"List3", kLastRow}, {"List4", 4}, {"List4", kLastRow}}) {
    SCOPED_TRACE(std::string(name) + " row " + std::to_string(row));
    QAccessibleInterface* view = readerView(list(name));
    ASSERT_NE(view->tableInterface(), nullptr);
    EXPECT_EQ(view->role(), QAccessible::List);
    EXPECT_EQ(view->childCount(), kLastRow + 1);
    QAccessibleInterface* item = view->tableInterface()->cellAt(row, 0);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->role(), QAccessible::ListItem);
    EXPECT_EQ(item->text(QAccessible::Name), list(name)->model()->index(row, 0).data().toString());
    EXPECT_EQ(view->indexOfChild(item), row);
    EXPECT_EQ(item->state().selected, row == kLastRow);
  }
  EXPECT_EQ(readerView(list("List2"))->childCount(), 0);
  EXPECT_LT(freshAccessibleId() - beforeReading, 10u) << "only the items read";
}

TEST_F(AccessibilityTest, SelectionIsAnnouncedInBothPairedListsFocusOnlyWhereTheFocusIs) {
  // The run leaves the focus on Command1 and the last items selected.
  EXPECT_TRUE(announced("List3", QAccessible::SelectionAdd, kLastRow));
  EXPECT_TRUE(announced("List4", QAccessible::SelectionAdd, kLastRow));
  for (const char* name : {"List2", "List3", "List4"}) {
    EXPECT_FALSE(announced(name, QAccessible::Focus, kAnyRow)) << name;
  }

  for (const auto& [clicked, other, row] :
       {std::tuple{"List4", "List3", kLastRow - 4}, {"List3", "List4", kLastRow - 7}}) {
    SCOPED_TRACE(clicked);
    g_announced.clear();
    QListView* view = list(clicked);
    const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    ASSERT_EQ(selectedRow(other), row);
    EXPECT_TRUE(announced(clicked, QAccessible::Focus, row));
    EXPECT_TRUE(announced(other, QAccessible::SelectionAdd, row));
    EXPECT_FALSE(announced(other, QAccessible::Focus, kAnyRow));
  }
}

}  // namespace
}  // namespace sv::test
