// The window's build: rectangles in twips (15 to a pixel), texts and tooltips
// character for character, and the keyboard order.

#include "ui/main/caption_button.h"

#include "tests/ui/main/form1_fixture.h"
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cmath>

namespace sv::test {
namespace {

int px(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

TEST_F(Form1Test, EveryControlHasItsRectangleTextAndTooltip) {
  EXPECT_EQ(window->windowTitle(), QStringLiteral("  VARNOK Dalvorn Sievra"));
  EXPECT_EQ(window->minimumSize(), QSize(378, 324));
  EXPECT_EQ(window->maximumSize(), QSize(378, 324));

  const struct {
    const char* name;
    int left, top, width, height;  // twips
    const char* text;              // nullptr: no text of its own
    const char* toolTip;
  } controls[] = {
      {"Label1", 0, 0, 4215, 375, "", ""},
      {"Image1", 4275, 60, 1335, 975, nullptr, ""},
      {"List3", 0, 360, 2055, 2010, nullptr, "  Coincidences in Mainbase.dat  "},
      {"List4", 2040, 360, 2175, 2010, nullptr, "  Coincidences in file for comparing  "},
      {"Command1", 4275, 1080, 1365, 1095, "   Compare          &&       Delete",
       "  Compare & Delete dupes records  "},
      {"Command3", 4275, 2160, 1365, 1050, "Exit", "  Close program  "},
      {"Text1", 0, 2400, 2055, 285, "", ""},
      {"Text2", 2040, 2400, 2175, 285, "", ""},
      {"of1", 0, 2760, 2055, 450, "Select Mainbase.dat", "  Select Dalvorn  Mainbase.dat file  "},
      {"of2", 2040, 2760, 2175, 450, "Select file for comparing", "  Select file for comparing  "},
      {"Label2", 120, 3270, 2790, 240, "File without dupes records:", ""},
      {"List2", 0, 3600, 5655, 1230, nullptr, "  File view without dupes records  "},
      {"List1", -2000, 1320, 615, 255, nullptr, ""},  // left of the window, never seen
  };
  for (const auto& c : controls) {
    SCOPED_TRACE(c.name);
    const QWidget* widget = control<QWidget>(c.name);
    EXPECT_EQ(widget->geometry(), QRect(px(c.left), px(c.top), px(c.width), px(c.height)));
    EXPECT_TRUE(widget->isVisible() && widget->isEnabled());
    EXPECT_EQ(widget->toolTip(), QString::fromLatin1(c.toolTip));
    if (!c.text) continue;
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(widget)) text = label->text();
    if (auto* button = qobject_cast<const QPushButton*>(widget)) text = button->text();
    if (auto* box = qobject_cast<const QLineEdit*>(widget)) text = box->text();
    EXPECT_EQ(text, QString::fromLatin1(c.text));
  }
  // "&&" is a plain "&": no Alt+D or Alt+& may start a run.
  EXPECT_TRUE(control<QPushButton>("Command1")->shortcut().isEmpty());
  // The pictures load, so the resources and image formats are all there.
  EXPECT_FALSE(window->windowIcon().isNull());
  EXPECT_FALSE(control<QLabel>("Image1")->pixmap().isNull());
  EXPECT_EQ(control<QLabel>("Image1")->cursor().shape(), Qt::BitmapCursor);
  EXPECT_FALSE(control<CaptionButton>("Command3")->picture().isNull());
}

TEST_F(Form1Test, FocusStartsOnList3AndTabFollowsTheKeyboardOrder) {
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  EXPECT_EQ(QApplication::focusWidget(), control<QWidget>("List3"));

  const QStringList expected = {"List3",    "List4", "of1",   "of2",   "Command1",
                                "Command3", "List2", "Text1", "Text2", "List3"};
  QStringList order = {QStringLiteral("List3")};
  QWidget* widget = control<QWidget>("List3");
  while (order.size() < expected.size()) {
    widget = widget->nextInFocusChain();
    if (widget->focusPolicy() & Qt::TabFocus) order << widget->objectName();
  }
  EXPECT_EQ(order, expected);
}

}  // namespace
}  // namespace sv::test
