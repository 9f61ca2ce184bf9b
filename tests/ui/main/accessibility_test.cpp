// What a screen reader gets from the window: every shown control by the name
// a sighted user reads, every list item with its text, place and selection,
// however long the list, and the selection changes of both paired lists
// announced, with the focus only where the keyboard focus is.

#include "ui/layout/window_tables.h"

#include "tests/ui/main/form1_fixture.h"
#include <QAccessible>
#include <QAccessibleInterface>
#include <QLabel>
#include <QTest>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <string>
#include <tuple>

namespace sv::test {
namespace {

struct Announcement {
  QString list;
  QAccessible::Event type;
  int row;
  friend bool operator==(const Announcement&, const Announcement&) = default;
};

std::vector<Announcement> g_announcements;

// The list events a screen reader would get; all others are left out.
void recordListEvent(QAccessibleEvent* event) {
  if (!qobject_cast<QListView*>(event->object())) return;
  g_announcements.push_back({event->object()->objectName(), event->type(), event->child()});
}

QAccessibleInterface* accessible(QObject* object) {
  return QAccessible::queryAccessibleInterface(object);
}

// Qt numbers every accessible object it makes from one counter: the step
// between two fresh numbers is how many were made in between.
QAccessible::Id freshAccessibleId() {
  QWidget probe;
  return QAccessible::uniqueId(accessible(&probe));
}

class AccessibilityTest : public Form1Test {
 protected:
  static constexpr int kRecords = 20'000;

  // Qt sends its events only while assistive technology listens, which the
  // offscreen platform never reports; switched on as Qt's own tests do,
  // before the window exists.
  void SetUp() override {
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    QAccessible::installUpdateHandler(recordListEvent);
    Form1Test::SetUp();
    std::vector<QByteArray> lines;
    for (int i = 0; i < kRecords; ++i) {
      const QByteArray n = QByteArray::number(i);
      lines.insert(lines.end(), {"CALL" + n, "RDA-" + n, "notes " + n});
    }
    writeFile("MainBase.dat", records(lines));
    writeFile("new.rda", records(lines));
    pick(path("MainBase.dat"), path("new.rda"));
  }

  void TearDown() override {
    Form1Test::TearDown();
    QAccessible::installUpdateHandler(nullptr);
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(false);
    g_announcements.clear();
  }

  bool announced(const Announcement& wanted) const {
    return std::find(g_announcements.begin(), g_announcements.end(), wanted) !=
           g_announcements.end();
  }
  bool focusAnnouncedIn(const QString& name) const {
    return std::any_of(g_announcements.begin(), g_announcements.end(), [&](const auto& a) {
      return a.list == name && a.type == QAccessible::Focus;
    });
  }
};

TEST_F(AccessibilityTest, ShownControlsAreNamedAsTheUserReadsThemAndList1IsNotOffered) {
  click("Command1");
  QAccessibleInterface* form = accessible(window.get());
  QMap<QString, QAccessibleInterface*> offered;
  for (int i = 0; i < form->childCount(); ++i) {
    QAccessibleInterface* child = form->child(i);
    EXPECT_EQ(form->indexOfChild(child), i);
    offered[child->object()->objectName()] = child;
  }

  const layout::Window& table = layout::form1Window();
  for (const layout::Control& c : table.controls) {
    if (!c.placed) continue;
    const QString name = QString::fromLatin1(c.name);
    SCOPED_TRACE(name.toStdString());
    if (c.name == std::string_view("List1")) {
      EXPECT_FALSE(offered.contains(name));
      continue;
    }
    ASSERT_TRUE(offered.contains(name));
    const QString expected = c.name == std::string_view("Label1")
                                 ? QStringLiteral("Total dupes records: 20000")
                                 : QString::fromStdString(layout::accessibleName(table, c));
    EXPECT_EQ(offered[name]->text(QAccessible::Name), expected);
  }
  EXPECT_EQ(offered.size(), 12);
}

TEST_F(AccessibilityTest, ListItemsAreReadWithTextPlaceAndSelectionMadeOnlyWhenAsked) {
  const QAccessible::Id before = freshAccessibleId();
  click("Command1");
  const QAccessible::Id after = freshAccessibleId();
  EXPECT_LT(after - before, 50u) << "no accessible object per item";

  for (const auto& [name, row] : {std::tuple{"List3", 0}, {"List3", 3 * kRecords - 1},
                                  {"List4", 4}, {"List2", 0}}) {
    SCOPED_TRACE(std::string(name) + " row " + std::to_string(row));
    QAccessibleInterface* view = accessible(list(name));
    ASSERT_NE(view->tableInterface(), nullptr);
    EXPECT_EQ(view->role(), QAccessible::List);
    EXPECT_EQ(view->tableInterface()->rowCount(), list(name)->model()->rowCount());
    if (row >= view->childCount()) continue;  // List2: every record was a dupe
    QAccessibleInterface* item = view->tableInterface()->cellAt(row, 0);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->role(), QAccessible::ListItem);
    EXPECT_EQ(item->text(QAccessible::Name), list(name)->model()->index(row, 0).data().toString());
    EXPECT_EQ(item->tableCellInterface()->rowIndex(), row);
    EXPECT_EQ(view->indexOfChild(item), row);
    EXPECT_EQ(item->state().selected, row == selectedRow(name));
  }
  EXPECT_LT(freshAccessibleId() - after, 50u);
}

TEST_F(AccessibilityTest, SelectionIsAnnouncedInBothPairedListsFocusWhereTheFocusIs) {
  g_announcements.clear();
  click("Command1");
  const int last = 3 * kRecords - 1;
  EXPECT_TRUE(announced({"List3", QAccessible::SelectionAdd, last}));
  EXPECT_TRUE(announced({"List4", QAccessible::SelectionAdd, last}));
  for (const char* name : {"List2", "List3", "List4"}) {
    EXPECT_FALSE(focusAnnouncedIn(name)) << name << ": the focus is on Command1";
  }

  for (const auto& [clicked, other, row] :
       {std::tuple{"List4", "List3", last - 4}, {"List3", "List4", last - 7}}) {
    SCOPED_TRACE(clicked);
    g_announcements.clear();
    QListView* view = list(clicked);
    const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    ASSERT_EQ(selectedRow(other), row);
    EXPECT_TRUE(announced({clicked, QAccessible::Focus, row}));
    EXPECT_TRUE(announced({other, QAccessible::SelectionAdd, row}));
    EXPECT_FALSE(focusAnnouncedIn(other));
  }
}

}  // namespace
}  // namespace sv::test
