// The logo's pop-up menu: any button opens it at the pointer; Help shows the
// About window modally; the address opens the home page through the shell.

#include "tests/ui/qt/form1_fixture.h"
#include "ui/qt/frm_about.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <functional>

namespace sv::test {
namespace {

const QString kHomePage = QStringLiteral("http://www.varnok.example.com/");

class PopupMenuTest : public Form1Test {
 protected:
  QMenu* menu() const { return control<QMenu>("mnupopup"); }

  // whileOpen runs once the menu shows, and must close it or choose an entry.
  void pressOnLogo(Qt::MouseButton button, std::function<void(QMenu*)> whileOpen) {
    QLabel* logo = control<QLabel>("Image1");
    const QPoint at(30, 20);
    QCursor::setPos(logo->mapToGlobal(at));
    bool opened = false;
    QTimer::singleShot(0, [&] {
      auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      ASSERT_EQ(popup, menu());
      opened = true;
      whileOpen(popup);
    });
    QTest::mousePress(logo, button, Qt::NoModifier, at);
    QTest::mouseRelease(logo, button, Qt::NoModifier, at);
    EXPECT_TRUE(opened);
  }

  static void choose(QMenu* popup, const char* entry) {
    QAction* action = popup->findChild<QAction*>(QString::fromLatin1(entry));
    ASSERT_NE(action, nullptr) << entry;
    QTest::mouseClick(popup, Qt::LeftButton, Qt::NoModifier,
                      popup->actionGeometry(action).center());
  }
};

TEST_F(PopupMenuTest, AnyButtonOpensHelpASeparatorAndTheAddressAtThePointer) {
  QStringList entries;
  for (const QAction* entry : menu()->actions())
    entries << (entry->isSeparator() ? "-" : entry->text());
  EXPECT_EQ(entries, QStringList({"Help", "-", kHomePage}));

  for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    SCOPED_TRACE(int(button));
    pressOnLogo(button, [](QMenu* popup) {
      EXPECT_EQ(popup->pos(), QCursor::pos());
      popup->close();
    });
    EXPECT_FALSE(menu()->isVisible());
  }
  EXPECT_TRUE(shell.calls.empty()) << "closing the menu chooses nothing";
}

// The address, chosen with the left button, opens the home page with the main
// window as owner.
TEST_F(PopupMenuTest, OnlyTheLeftButtonChoosesAnEntry) {
  // Closes an About window that a wrong choice would open, so the test ends.
  int aboutShown = 0;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget())) {
      ++aboutShown;
      about->close();
    }
  });
  poll.start();
  pressOnLogo(Qt::RightButton, [](QMenu* popup) {
    for (const char* entry : {"mnuHelp", "mnuweb"}) {
      const QPoint place = popup->actionGeometry(popup->findChild<QAction*>(entry)).center();
      QTest::mouseClick(popup, Qt::RightButton, Qt::NoModifier, place);
      QTest::mouseClick(popup, Qt::MiddleButton, Qt::NoModifier, place);
    }
    EXPECT_TRUE(popup->isVisible()) << "other buttons choose nothing and leave the menu open";
    choose(popup, "mnuweb");
  });
  poll.stop();
  EXPECT_EQ(aboutShown, 0);
  ASSERT_EQ(shell.calls.size(), 1u) << "the left button chose the address";
  const RecordingShellOpener::Call& call = shell.calls[0];
  EXPECT_EQ(call.owner, window.get());
  EXPECT_EQ(call.operation, QStringLiteral("Open"));
  EXPECT_EQ(call.file, kHomePage);
  EXPECT_TRUE(call.parametersNull && call.directoryNull);
  EXPECT_EQ(call.showCommand, 1);
}

TEST_F(PopupMenuTest, HelpShowsTheAboutWindowModallyWithoutOwner) {
  int shown = 0;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
    if (!about) return;
    ++shown;
    EXPECT_EQ(about->parentWidget(), nullptr);
    EXPECT_EQ(about->windowModality(), Qt::ApplicationModal);
    about->close();
  });
  poll.start();
  pressOnLogo(Qt::LeftButton, [](QMenu* popup) { choose(popup, "mnuHelp"); });
  poll.stop();
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "Help returns once About is closed";
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(shell.calls.empty());
}

}  // namespace
}  // namespace sv::test
