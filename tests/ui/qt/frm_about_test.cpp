#include "ui/qt/frm_about.h"

#include "tests/ui/qt/doubles.h"
#include "ui/design/links.h"
#include "ui/design/window_tables.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QFontMetrics>
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
      EXPECT_EQ(call.file, QString::fromLatin1(target));
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
    EXPECT_TRUE(!closes || finished.front().front().toInt() == QDialog::Accepted);
  }
}

// No icon shows, not even the program's, which a window manager would
// otherwise draw in its place.
TEST_F(FrmAboutTest, HasNoIconAndNoMinimiseOrMaximiseButton) {
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/sievra.ico")));
  frmAbout second{m_opener};
  const QImage icon = second.windowIcon().pixmap(16, 16).toImage();
  QImage clear(16, 16, icon.format());
  clear.fill(Qt::transparent);
  EXPECT_EQ(icon, clear);
  QApplication::setWindowIcon(QIcon());
  const Qt::WindowFlags flags = second.windowFlags();
  EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
}

}  // namespace
