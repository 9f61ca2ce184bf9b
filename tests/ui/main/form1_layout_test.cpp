// The window's build against its layout tables, in twips
// converted at 15 twips a pixel.

#include "ui/main/caption_button.h"

#include "tests/ui/main/form1_fixture.h"
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <cmath>

namespace sv::test {
namespace {

int px(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

struct Place {
  const char* name;
  int left, top, width, height;  // twips
};

TEST_F(Form1Test, EveryControlStandsInItsRectangle) {
  const Place places[] = {
      {"Label1", 0, 0, 4215, 375},          {"Image1", 4275, 60, 1335, 975},
      {"List3", 0, 360, 2055, 2010},        {"List4", 2040, 360, 2175, 2010},
      {"Command1", 4275, 1080, 1365, 1095}, {"Command3", 4275, 2160, 1365, 1050},
      {"Text1", 0, 2400, 2055, 285},        {"Text2", 2040, 2400, 2175, 285},
      {"of1", 0, 2760, 2055, 450},          {"of2", 2040, 2760, 2175, 450},
      {"Label2", 120, 3270, 2790, 240},     {"List2", 0, 3600, 5655, 1230},
      {"List1", -2000, 1320, 615, 255},
  };
  for (const Place& place : places) {
    SCOPED_TRACE(place.name);
    const QWidget* widget = control<QWidget>(place.name);
    EXPECT_EQ(widget->geometry(),
              QRect(px(place.left), px(place.top), px(place.width), px(place.height)));
    EXPECT_TRUE(widget->isVisible());
    EXPECT_TRUE(widget->isEnabled());
  }
}

TEST_F(Form1Test, WindowHasItsTitleFixedClientAreaAndNoMaximise) {
  EXPECT_EQ(window->windowTitle(), QStringLiteral("  VARNOK Dalvorn Sievra"));
  EXPECT_EQ(window->size(), QSize(378, 324));
  EXPECT_EQ(window->minimumSize(), QSize(378, 324));
  EXPECT_EQ(window->maximumSize(), QSize(378, 324));
  const Qt::WindowFlags flags = window->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(window->windowIcon().isNull());
  EXPECT_EQ(window->windowIcon().pixmap(16, 16).size(), QSize(16, 16));
  EXPECT_EQ(window->grab().toImage().pixelColor(377, 230), QColor(160, 210, 157))
      << "the window's green";
}

struct Texts {
  const char* name;
  const char* text;  // nullptr: the control has no text of its own
  const char* toolTip;
};

TEST_F(Form1Test, TextsAndTooltipsAreExactCharacterForCharacter) {
  const Texts texts[] = {
      {"Label1", "", ""},
      {"Label2", "File without dupes records:", ""},
      {"Command1", "   Compare          &&       Delete", "  Compare & Delete dupes records  "},
      {"Command3", "Exit", "  Close program  "},
      {"of1", "Select Mainbase.dat", "  Select Dalvorn  Mainbase.dat file  "},
      {"of2", "Select file for comparing", "  Select file for comparing  "},
      {"Text1", "", ""},
      {"Text2", "", ""},
      {"List2", nullptr, "  File view without dupes records  "},
      {"List3", nullptr, "  Coincidences in Mainbase.dat  "},
      {"List4", nullptr, "  Coincidences in file for comparing  "},
      {"Image1", nullptr, ""},
  };
  for (const Texts& row : texts) {
    SCOPED_TRACE(row.name);
    const QWidget* widget = control<QWidget>(row.name);
    EXPECT_EQ(widget->toolTip(), QString::fromLatin1(row.toolTip));
    if (!row.text) continue;
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(widget)) text = label->text();
    if (auto* button = qobject_cast<const QPushButton*>(widget)) text = button->text();
    if (auto* box = qobject_cast<const QLineEdit*>(widget)) text = box->text();
    EXPECT_EQ(text, QString::fromLatin1(row.text));
  }
}

TEST_F(Form1Test, TheDoubledAmpersandGivesNoAccessKey) {
  // Alt+D or Alt+& would otherwise start a run; a shortcut shows in the button's key.
  EXPECT_TRUE(control<QPushButton>("Command1")->shortcut().isEmpty());
}

struct Look {
  const char* name;
  int pixelSize;
  bool bold;
  bool italic;
  const char* family;
  QPalette::ColorRole textRole;
  QColor text;
  QPalette::ColorRole backgroundRole;
  QColor background;  // invalid: the system's own
};

TEST_F(Form1Test, FontsAndColoursAreTheLayouts) {
  const QColor red(255, 0, 0), darkBlue(0, 0, 192), lavender(222, 208, 242), cream(254, 242, 226),
      none;
  const Look looks[] = {
      {"Label1", 13, true, false, "MS Sans Serif", QPalette::WindowText, red, QPalette::Window,
       none},
      {"Label2", 13, true, false, "MS Sans Serif", QPalette::WindowText, darkBlue, QPalette::Window,
       none},
      {"Command1", 13, true, false, "MS Sans Serif", QPalette::ButtonText, none, QPalette::Button,
       lavender},
      {"Command3", 13, true, false, "MS Sans Serif", QPalette::ButtonText, none, QPalette::Button,
       lavender},
      {"of1", 11, false, true, "Arial", QPalette::ButtonText, none, QPalette::Button, lavender},
      {"of2", 11, false, true, "Arial", QPalette::ButtonText, none, QPalette::Button, lavender},
      {"Text1", 11, false, false, "Arial", QPalette::Text, darkBlue, QPalette::Base, cream},
      {"Text2", 11, false, false, "Arial", QPalette::Text, darkBlue, QPalette::Base, cream},
      {"List2", 11, false, false, "MS Sans Serif", QPalette::Text, none, QPalette::Base, none},
      {"List3", 11, false, false, "MS Sans Serif", QPalette::Text, none, QPalette::Base, none},
      {"List4", 11, false, false, "MS Sans Serif", QPalette::Text, none, QPalette::Base, none},
  };
  const QPalette system = QApplication::palette();
  for (const Look& look : looks) {
    SCOPED_TRACE(look.name);
    const QWidget* widget = control<QWidget>(look.name);
    const QFont font = widget->font();
    EXPECT_EQ(font.pixelSize(), look.pixelSize);
    EXPECT_EQ(font.bold(), look.bold);
    EXPECT_EQ(font.italic(), look.italic);
    EXPECT_FALSE(font.underline());
    EXPECT_FALSE(font.strikeOut());
    EXPECT_EQ(font.families().value(0), QString::fromLatin1(look.family));
    // Whatever family the machine has, it keeps the size and weight.
    EXPECT_EQ(QFontInfo(font).pixelSize(), look.pixelSize);
    EXPECT_EQ(QFontInfo(font).bold(), look.bold);
    const QColor text = look.text.isValid() ? look.text : system.color(look.textRole);
    const QColor background =
        look.background.isValid() ? look.background : system.color(look.backgroundRole);
    EXPECT_EQ(widget->palette().color(look.textRole), text);
    if (look.backgroundRole != QPalette::Window) {
      EXPECT_EQ(widget->palette().color(look.backgroundRole), background);
    }
  }
  EXPECT_EQ(control<QLabel>("Label1")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_EQ(control<QLabel>("Label2")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
  EXPECT_FALSE(control<QLabel>("Label1")->autoFillBackground())
      << "the window's green shows through";
  EXPECT_FALSE(control<QLabel>("Label2")->autoFillBackground());
}

TEST_F(Form1Test, PicturesHaveTheirSizesAndTheLogoItsPointer) {
  const QLabel* logo = control<QLabel>("Image1");
  EXPECT_EQ(logo->pixmap().size(), QSize(89, 65));
  EXPECT_EQ(logo->cursor().shape(), Qt::BitmapCursor);
  EXPECT_EQ(logo->cursor().pixmap().size(), QSize(32, 32));
  EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(control<CaptionButton>("Command3")->picture().size(), QSize(34, 33));
}

TEST_F(Form1Test, ListsHoldOneSelectionUnsortedInWholeRows) {
  for (const char* name : {"List2", "List3", "List4"}) {
    SCOPED_TRACE(name);
    const QListView* view = list(name);
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_TRUE(view->uniformItemSizes());
    EXPECT_EQ(view->model()->rowCount(), 0);
  }
  EXPECT_EQ(list("List3")->height(), 10 * 13 + 4);
  EXPECT_EQ(list("List2")->height(), 6 * 13 + 4);
}

TEST_F(Form1Test, TabMovesThroughTheKeyboardOrder) {
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

TEST_F(Form1Test, List3HasTheFocusAtStart) {
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  EXPECT_EQ(QApplication::focusWidget(), control<QWidget>("List3"));
}

TEST_F(Form1Test, NoButtonIsTheDefaultButton) {
  for (const char* name : {"Command1", "Command3", "of1", "of2"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(control<QPushButton>(name)->isDefault());
    EXPECT_FALSE(control<QPushButton>(name)->autoDefault());
  }
}

TEST_F(Form1Test, List1IsNeverSeen) {
  const QWidget* hidden = control<QWidget>("List1");
  EXPECT_LT(hidden->geometry().right(), 0);
  EXPECT_EQ(hidden->focusPolicy(), Qt::NoFocus);
}

TEST_F(Form1Test, PopupMenuHasHelpASeparatorAndTheHomePage) {
  const QList<QAction*> entries = control<QMenu>("mnupopup")->actions();
  ASSERT_EQ(entries.size(), 3);
  EXPECT_EQ(entries[0]->text(), QStringLiteral("Help"));
  EXPECT_TRUE(entries[1]->isSeparator());
  EXPECT_EQ(entries[2]->text(), QStringLiteral("http://www.varnok.example.com/"));
  for (const QAction* entry : {entries[0], entries[2]}) {
    EXPECT_TRUE(entry->isEnabled());
    EXPECT_FALSE(entry->isCheckable());
  }
  EXPECT_EQ(control<QMenu>("mnupopup")->defaultAction(), nullptr);
}

}  // namespace
}  // namespace sv::test
