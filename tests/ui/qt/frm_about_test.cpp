#include "ui/qt/frm_about.h"

#include "tests/ui/qt/doubles.h"
#include "ui/design/links.h"
#include "ui/design/window_tables.h"
#include "ui/qt/window_frame.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>
#include <string_view>

namespace {

using sv::test::RecordingShellOpener;

class FrmAboutTest : public ::testing::Test {
 protected:
  void SetUp() override { m_window.show(); }

  template <typename T = QWidget>
  T* control(const char* name) {
    auto* widget = m_window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  RecordingShellOpener m_opener;
  frmAbout m_window{m_opener};
};

// The name a control of the shared table has among the window's children.
QString childName(const sv::design::Control& c) {
  return QString::fromLatin1(c.name) +
         (c.index < 0 ? QString() : QStringLiteral("_") + QString::number(c.index));
}

// The texts themselves are checked with the shared tables; here, that each
// shows in full in whatever face stands in for MS Sans Serif: a wider one
// wraps Label2 into a line more, which then runs under Label3.
TEST_F(FrmAboutTest, ShowsEveryTextOfTheTableInFull) {
  EXPECT_EQ(m_window.windowTitle(), "Help...");
  EXPECT_EQ(control<QPushButton>("cmdOK")->text(), "OK");
  for (const sv::design::Control& c : sv::design::aboutWindow().controls) {
    if (c.kind != sv::design::ControlKind::Label) continue;
    SCOPED_TRACE(childName(c).toStdString());
    auto* label = m_window.findChild<QLabel*>(childName(c));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QString::fromStdString(sv::design::shownText(c.text)));
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    const QRect needed = QFontMetrics(label->font())
                             .boundingRect(QRect(0, 0, c.wordWrap ? label->width() : 10000, 10000),
                                           c.wordWrap ? Qt::TextWordWrap : 0, label->text());
    EXPECT_LE(needed.width(), label->width());
    EXPECT_LE(needed.height(), label->height());
    if (c.name == std::string_view("Label2")) {
      EXPECT_LE(label->y() + needed.height(), control("Label3")->y()) << "Label3 covers its foot";
    }
  }
}

// A screen reader reads each control by its words, and the two addresses as
// links that it can follow; a click on any label that opens a link opens it.
TEST_F(FrmAboutTest, ControlsAreReadByTheirWordsAndOnlyTheLinksOpenTheirTargets) {
  int clickable = 0;
  int links = 0;
  for (const sv::design::Control& c : sv::design::aboutWindow().controls) {
    SCOPED_TRACE(childName(c).toStdString());
    m_opener.calls.clear();
    QWidget* widget = m_window.findChild<QWidget*>(childName(c));
    ASSERT_NE(widget, nullptr);
    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(widget);
    EXPECT_EQ(read->text(QAccessible::Name),
              QString::fromStdString(sv::design::accessibleName(sv::design::aboutWindow(), c)));
    EXPECT_EQ(read->role() == QAccessible::Link, c.readAsLink);
    if (c.kind == sv::design::ControlKind::PushButton) continue;
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    EXPECT_TRUE(m_window.isVisible());
    const char* target = sv::design::shellOpenRequest(c.onClick).file;
    if (!target) {
      EXPECT_TRUE(m_opener.calls.empty());
      continue;
    }
    ++clickable;
    if (c.readAsLink) {
      ++links;
      read->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }
    ASSERT_EQ(m_opener.calls.size(), c.readAsLink ? 2u : 1u) << "a click, then a link's press";
    for (const RecordingShellOpener::Call& call : m_opener.calls) {
      EXPECT_EQ(call.owner, &m_window);
      EXPECT_EQ(call.operation, "Open");
      EXPECT_EQ(call.file, QString::fromLatin1(target));
      EXPECT_TRUE(call.parametersNull);
      EXPECT_TRUE(call.directoryNull);
      EXPECT_EQ(call.showCommand, 1);
    }
  }
  EXPECT_EQ(clickable, 6);
  EXPECT_EQ(links, 2);
}

// OK holds the focus without being a default button: Enter and Space press it,
// Esc does nothing, and the close box (key 0 here) acts as OK.
TEST_F(FrmAboutTest, EnterSpaceAndTheCloseBoxPressOkButEscDoesNothing) {
  for (const int key :
       {int(Qt::Key_Escape), int(Qt::Key_Return), int(Qt::Key_Enter), int(Qt::Key_Space), 0}) {
    SCOPED_TRACE(key);
    const bool closes = key != Qt::Key_Escape;
    frmAbout window(m_opener);
    window.show();
    ASSERT_EQ(window.focusWidget(), window.findChild<QPushButton*>("cmdOK"));
    QSignalSpy finished(&window, &QDialog::finished);
    if (key == 0) {
      EXPECT_TRUE(window.close());
    } else {
      QTest::keyClick(window.focusWidget(), Qt::Key(key));
    }
    EXPECT_EQ(window.isVisible(), !closes);
    ASSERT_EQ(finished.count(), closes ? 1 : 0);
    if (closes) {
      EXPECT_EQ(finished.front().front().toInt(), QDialog::Accepted);
    }
  }
}

TEST_F(FrmAboutTest, SecondWindowShowsExactlyAsTheFirst) {
  const QImage first = m_window.grab().toImage();
  QWidget* address = control("lblInf_4");
  ASSERT_NE(address, nullptr);
  QTest::mouseClick(address, Qt::LeftButton, {}, address->rect().center());
  QTest::keyClick(m_window.focusWidget(), Qt::Key_Space);
  ASSERT_FALSE(m_window.isVisible());

  frmAbout again(m_opener);
  again.show();
  EXPECT_FALSE(first.isNull());
  EXPECT_EQ(again.grab().toImage(), first);
}

}  // namespace

namespace {

// OK drawn the classic way: a flat face in the button colour, raised by a
// light edge above and left and a shadow below and right.
TEST_F(FrmAboutTest, OkIsAFlatRaisedClassicButton) {
  const QImage shot = m_window.grab().toImage();
  auto* ok = control<QPushButton>("cmdOK");
  ASSERT_NE(ok, nullptr);
  const QRect r = ok->geometry();
  const QPalette& palette = ok->palette();
  const QRgb face = palette.color(QPalette::Button).rgb();
  EXPECT_EQ(shot.pixel(r.topLeft() + QPoint(3, 3)), face);
  EXPECT_EQ(shot.pixel(r.bottomRight() - QPoint(3, 3)), face);
  EXPECT_EQ(shot.pixel(r.left(), r.center().y()), palette.color(QPalette::Light).rgb());
  EXPECT_EQ(shot.pixel(r.right(), r.center().y()), palette.color(QPalette::Shadow).rgb());
  EXPECT_EQ(shot.pixel(r.center().x(), r.bottom()), palette.color(QPalette::Shadow).rgb());
}

// No icon shows, not even the program's, which a window manager would
// otherwise draw in its place.
TEST_F(FrmAboutTest, HasNoIconAndNoMinimiseOrMaximiseButton) {
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/sievra.ico")));
  frmAbout second{m_opener};
  const QImage icon = second.windowIcon().pixmap(16, 16).toImage();
  ASSERT_FALSE(icon.isNull());
  for (int y = 0; y < icon.height(); ++y) {
    for (int x = 0; x < icon.width(); ++x) ASSERT_EQ(qAlpha(icon.pixel(x, y)), 0) << x << "," << y;
  }
  QApplication::setWindowIcon(QIcon());
  const Qt::WindowFlags flags = second.windowFlags();
  EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
}

}  // namespace

namespace {

// Only on a real X display (ctest runs this under Xvfb when it can): the
// request reaches the window before the window manager sees it.
TEST(FrmAboutOnX11Test, AsksToStayOffTheTaskbarAndKeepsQtsOwnStates) {
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) GTEST_SKIP() << "not on X11";
  RecordingShellOpener opener;
  frmAbout window{opener};
  window.setWindowModality(Qt::ApplicationModal);
  EXPECT_TRUE(sv::isKeptOffTaskbar(window)) << "before it shows";
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_TRUE(sv::isKeptOffTaskbar(window)) << "Qt's own states at show must not replace it";
}

}  // namespace
