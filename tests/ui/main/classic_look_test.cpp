// The classic look, read from the rendered window: push buttons filled flat in
// their lavender (also around the Exit picture), lists and text boxes in a
// sunken 3-D border.

#include "tests/ui/main/form1_fixture.h"
#include <QImage>
#include <QLineEdit>
#include <QPushButton>

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

}  // namespace
}  // namespace sv::test
