// The classic look, read from the rendered window: push buttons filled flat in
// their lavender (also around the Exit picture), lists and text boxes in a
// sunken 3-D border, the focus mark in an empty list.

#include "tests/ui/qt/form1_fixture.h"

#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace sv::test {
namespace {

const QColor kLavender(0xDE, 0xD0, 0xF2);

class ClassicLookTest : public Form1Test {
 protected:
  void SetUp() override {
    Form1Test::SetUp();
    shot = window->grab().toImage();
  }
  // 8-bit channels, as the screen holds them.
  QRgb at(const QPoint& point) const { return shot.pixel(point); }

  QImage shot;
};

TEST_F(ClassicLookTest, PushButtonFacesAreFlatLavenderFromTopToBottom) {
  for (const char* name : {"of1", "of2", "Command1", "Command3"}) {
    SCOPED_TRACE(name);
    const QRect r = control<QPushButton>(name)->geometry();
    // Inside the 3-D edge and clear of the caption: a gradient or a darker
    // box behind the picture shows as a difference between these.
    for (const QPoint& p : {r.topLeft() + QPoint(3, 3), r.bottomLeft() + QPoint(3, -3),
                            r.topRight() + QPoint(-3, 3), r.bottomRight() + QPoint(-3, -3)}) {
      EXPECT_EQ(at(p), kLavender.rgb()) << p.x() << "," << p.y();
    }
  }
  // Beside the exit door, half-way down the picture.
  const QRect exit = control<QPushButton>("Command3")->geometry();
  EXPECT_EQ(at(QPoint(exit.left() + 10, exit.top() + 25)), kLavender.rgb());
  EXPECT_EQ(at(QPoint(exit.right() - 10, exit.top() + 25)), kLavender.rgb());
}

TEST_F(ClassicLookTest, ListsAndTextBoxesHaveASunkenBorderOnEverySide) {
  for (const char* name : {"List4", "List2", "Text2"}) {
    SCOPED_TRACE(name);
    const QWidget* box = control<QWidget>(name);
    const QRect r = box->geometry();
    const QPalette& palette = box->palette();
    const QRgb dark = palette.color(QPalette::Dark).rgb();
    const QRgb shadow = palette.color(QPalette::Shadow).rgb();
    const QRgb light = palette.color(QPalette::Light).rgb();
    ASSERT_NE(dark, light);
    const int midX = r.center().x();
    const int midY = r.center().y();
    // Outer edge: dark above and left, light below and right; inside it a
    // shadow line above and left.
    EXPECT_EQ(at({r.left(), midY}), dark);
    EXPECT_EQ(at({midX, r.top()}), dark);
    EXPECT_EQ(at({r.right(), midY}), light);
    EXPECT_EQ(at({midX, r.bottom()}), light);
    EXPECT_EQ(at({r.left() + 1, midY}), shadow);
    EXPECT_EQ(at({midX, r.top() + 1}), shadow);
  }
}

// Pixels of a list's viewport other than its background, in rows top to bottom - 1.
int markedPixels(const QListView* list, int top, int bottom) {
  const QImage shot = list->viewport()->grab().toImage();
  const QRgb background = list->palette().color(QPalette::Base).rgb();
  int marked = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = 0; x < shot.width(); ++x) marked += shot.pixel(x, y) != background;
  }
  return marked;
}

// As in the platform's list box, an empty list shows where the keyboard focus
// is: a dotted rectangle where its first row (13 pixels) would be.
TEST_F(ClassicLookTest, AnEmptyListWithTheFocusMarksItsFirstRowsPlace) {
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  for (const auto& [focused, other] : {std::pair{"List3", "List4"}, {"List4", "List3"}}) {
    SCOPED_TRACE(focused);
    ASSERT_TRUE(list(focused)->hasFocus());
    EXPECT_GT(markedPixels(list(focused), 0, 13), 2 * list(focused)->viewport()->width() / 3);
    EXPECT_EQ(markedPixels(list(focused), 13, 26), 0);
    EXPECT_EQ(markedPixels(list(other), 0, 13), 0);
    QTest::keyClick(list(focused), Qt::Key_Tab);
  }
}

}  // namespace
}  // namespace sv::test
