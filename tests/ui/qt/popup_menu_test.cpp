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

class PopupMenuTest : public Form1Test {
 protected:
  // whileOpen runs once the menu shows, and must close it or choose an entry.
  void pressOnLogo(Qt::MouseButton button, std::function<void(QMenu*)> whileOpen) {
    QLabel* logo = control<QLabel>("Image1");
    const QPoint at(30, 20);
    QCursor::setPos(logo->mapToGlobal(at));
    bool opened = false;
    QTimer::singleShot(0, [&] {
      auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      ASSERT_EQ(popup, control<QMenu>("mnupopup"));
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

// Any button opens the menu at the pointer, but only the left one chooses an
// entry: the address opens the home page with the main window as owner, and
// Help shows the About window modally, without owner, and returns once it
// is closed.
TEST_F(PopupMenuTest, AnyButtonOpensTheMenuOnlyTheLeftOneChooses) {
  int aboutShown = 0;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
    if (!about) return;
    ++aboutShown;
    EXPECT_EQ(about->parentWidget(), nullptr);
    EXPECT_EQ(about->windowModality(), Qt::ApplicationModal);
    about->close();
  });
  poll.start();
  for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
    pressOnLogo(button, [](QMenu* popup) {
      EXPECT_EQ(popup->pos(), QCursor::pos());
      for (const char* entry : {"mnuHelp", "mnuweb"}) {
        const QPoint place = popup->actionGeometry(popup->findChild<QAction*>(entry)).center();
        QTest::mouseClick(popup, Qt::RightButton, Qt::NoModifier, place);
        QTest::mouseClick(popup, Qt::MiddleButton, Qt::NoModifier, place);
      }
      EXPECT_TRUE(popup->isVisible()) << "other buttons choose nothing and leave the menu open";
      popup->close();
    });
  }
  EXPECT_EQ(aboutShown, 0);
  EXPECT_TRUE(shell.calls.empty()) << "closing the menu chooses nothing";

  pressOnLogo(Qt::RightButton, [](QMenu* popup) { choose(popup, "mnuweb"); });
  ASSERT_EQ(shell.calls.size(), 1u) << "the left button chose the address";
  const RecordingShellOpener::Call& call = shell.calls[0];
  EXPECT_EQ(call.owner, window.get());
  EXPECT_EQ(call.operation, QStringLiteral("Open"));
  EXPECT_EQ(call.file, QStringLiteral("http://www.varnok.example.com/"));
  EXPECT_TRUE(call.parametersNull && call.directoryNull);
  EXPECT_EQ(call.showCommand, 1);

  pressOnLogo(Qt::LeftButton, [](QMenu* popup) { choose(popup, "mnuHelp"); });
  poll.stop();
  EXPECT_EQ(aboutShown, 1);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(shell.calls.size(), 1u);
}

}  // namespace
}  // namespace sv::test
