// The window's build: each control where its table puts it, with its texts,
// font and colours, and the keyboard order.

#include "tests/ui/qt/form1_fixture.h"
#include "ui/design/window_tables.h"
#include "ui/qt/caption_button.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <string>

namespace sv::test {
namespace {

// The values themselves are checked with the shared tables; here, that the
// Qt window shows each row of them.
TEST_F(Form1Test, EveryControlFollowsItsRowOfTheTable) {
  const design::Window& form = design::form1Window();
  EXPECT_EQ(window->windowTitle(), QStringLiteral("  VARNOK Dalvorn Sievra"));
  EXPECT_EQ(window->minimumSize(), QSize(378, 324));
  EXPECT_EQ(window->maximumSize(), QSize(378, 324));

  int shown = 0;
  QAccessibleInterface* readerView = QAccessible::queryAccessibleInterface(window.get());
  for (const design::Control& c : form.controls) {
    if (!c.placed) continue;
    const std::string name(c.name);
    SCOPED_TRACE(name);
    QWidget* widget = control<QWidget>(name.c_str());
    ASSERT_NE(widget, nullptr);
    ++shown;
    // A screen reader reads what a sighted user reads, and List1 not at all.
    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(widget);
    EXPECT_EQ(read->text(QAccessible::Name),
              QString::fromStdString(design::accessibleName(form, c)));
    EXPECT_EQ(readerView->indexOfChild(read) >= 0, name != "List1");
    const design::Rect px = design::twipsToPixels(c.rect);
    EXPECT_EQ(widget->geometry(), QRect(px.left, px.top, px.width, px.height));
    EXPECT_TRUE(widget->isVisible() && widget->isEnabled());
    EXPECT_EQ(widget->toolTip(), QString::fromStdString(std::string(c.tooltip)));
    EXPECT_EQ(widget->font().pixelSize(), c.font.pixelHeight());
    EXPECT_EQ(widget->font().bold(), c.font.bold());
    EXPECT_EQ(widget->font().italic(), c.font.italic);

    const QPalette& palette = widget->palette();
    const QColor fore(c.fore.rgb.red, c.fore.rgb.green, c.fore.rgb.blue);
    const QColor back(c.back.rgb.red, c.back.rgb.green, c.back.rgb.blue);
    if (c.kind == design::ControlKind::Label) {
      EXPECT_EQ(qobject_cast<const QLabel*>(widget)->text().toStdString(),
                design::shownText(c.text));
      EXPECT_TRUE(!c.fore.isFixed() || palette.color(QPalette::WindowText) == fore);
    } else if (c.kind == design::ControlKind::PushButton) {
      // QPushButton shows "&&" as one "&" itself.
      EXPECT_EQ(qobject_cast<const QPushButton*>(widget)->text().toStdString(), c.text);
      EXPECT_EQ(palette.color(QPalette::Button), back);
    } else if (c.kind == design::ControlKind::TextBox) {
      EXPECT_EQ(palette.color(QPalette::Text), fore);
      EXPECT_EQ(palette.color(QPalette::Base), back);
    }
  }
  EXPECT_EQ(shown, 13);
  EXPECT_EQ(readerView->childCount(), 12);
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
