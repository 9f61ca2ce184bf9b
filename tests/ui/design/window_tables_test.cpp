// The two windows' tables: rectangles in twips, texts
// and tooltips character for character, fonts, colours, keyboard order, the
// About window's links and the pop-up menu. Both windows are built from
// these tables, so these tests serve the Qt and the Win32 window alike.

#include "ui/design/window_tables.h"

#include "ui/design/links.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace sv::design {
namespace {

std::string nameOf(const Control& c) {
  return std::string(c.name) + (c.index < 0 ? "" : "(" + std::to_string(c.index) + ")");
}

TEST(Form1TableTest, EveryControlHasItsKindRectangleTextAndTooltip) {
  const Window& form = form1Window();
  EXPECT_EQ(form.name, "Form1");
  EXPECT_EQ(form.title, "  VARNOK Dalvorn Sievra");
  EXPECT_EQ(twipsToPixels(form.clientWidth), 378);
  EXPECT_EQ(twipsToPixels(form.clientHeight), 324);
  EXPECT_EQ(form.frame, Frame::FixedSingle);
  EXPECT_TRUE(form.minimizeButton && form.taskbarButton && !form.maximizeButton);
  EXPECT_EQ(form.back, Colour::fixed(0xA0, 0xD2, 0x9D));
  EXPECT_EQ(form.icon, Picture::AppIcon);

  const struct {
    const char* name;
    ControlKind kind;
    Rect rect;
    const char* text;
    const char* tooltip;
  } expected[] = {
      {"Label1", ControlKind::Label, {0, 0, 4215, 375}, "", ""},
      {"Image1", ControlKind::Picture, {4275, 60, 1335, 975}, "", ""},
      {"List3", ControlKind::ListBox, {0, 360, 2055, 2010}, "", "  Coincidences in Mainbase.dat  "},
      {"List4",
       ControlKind::ListBox,
       {2040, 360, 2175, 2010},
       "",
       "  Coincidences in file for comparing  "},
      {"Command1",
       ControlKind::PushButton,
       {4275, 1080, 1365, 1095},
       "   Compare          &&       Delete",
       "  Compare & Delete dupes records  "},
      {"Command3", ControlKind::PushButton, {4275, 2160, 1365, 1050}, "Exit", "  Close program  "},
      {"Text1", ControlKind::TextBox, {0, 2400, 2055, 285}, "", ""},
      {"Text2", ControlKind::TextBox, {2040, 2400, 2175, 285}, "", ""},
      {"of1",
       ControlKind::PushButton,
       {0, 2760, 2055, 450},
       "Select Mainbase.dat",
       "  Select Dalvorn  Mainbase.dat file  "},
      {"of2",
       ControlKind::PushButton,
       {2040, 2760, 2175, 450},
       "Select file for comparing",
       "  Select file for comparing  "},
      {"Label2", ControlKind::Label, {120, 3270, 2790, 240}, "File without dupes records:", ""},
      {"List2",
       ControlKind::ListBox,
       {0, 3600, 5655, 1230},
       "",
       "  File view without dupes records  "},
      {"List1", ControlKind::ListBox, {-2000, 1320, 615, 255}, "", ""},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    const Control& c = form.control(e.name);
    EXPECT_EQ(c.kind, e.kind);
    EXPECT_EQ(c.rect, e.rect);
    EXPECT_TRUE(c.placed && c.visible && c.enabled);
    EXPECT_EQ(c.text, e.text);
    EXPECT_EQ(c.tooltip, e.tooltip);
  }
  EXPECT_EQ(form.control("CD1").filter, "MainBase.dat|MainBase.dat");
  EXPECT_EQ(form.control("CD").filter, "RDA files|*.rda|");
  for (const char* dialog : {"CD1", "CD"}) {
    EXPECT_EQ(form.control(dialog).kind, ControlKind::OpenFileDialog);
    EXPECT_FALSE(form.control(dialog).placed) << dialog << " has no place on the screen";
  }
  EXPECT_EQ(form.controls.size(), std::size(expected) + 2) << "no control beyond these";
}

TEST(Form1TableTest, FontsColoursAndPictures) {
  const Window& form = form1Window();
  const Font large{.name = "MS Sans Serif", .points = 9.75, .weight = 700};
  const Font arial{.name = "Arial"};
  const Font arialItalic{.name = "Arial", .italic = true};
  const Font plain{.name = "MS Sans Serif"};
  const Colour lavender = Colour::fixed(0xDE, 0xD0, 0xF2);
  const Colour darkBlue = Colour::fixed(0, 0, 192);
  const Colour buttonText = Colour::ofSystem(SystemColour::ButtonText);
  const struct {
    const char* name;
    Font font;
    Colour fore, back;
    Align align;
  } expected[] = {
      {"Label1", large, Colour::fixed(255, 0, 0), Colour::none(), Align::Centre},
      {"Label2", large, darkBlue, Colour::none(), Align::Left},
      {"Command1", large, buttonText, lavender, Align::Centre},
      {"Command3", large, buttonText, lavender, Align::Centre},
      {"of1", arialItalic, buttonText, lavender, Align::Centre},
      {"of2", arialItalic, buttonText, lavender, Align::Centre},
      {"Text1", arial, darkBlue, Colour::fixed(0xFE, 0xF2, 0xE2), Align::Left},
      {"Text2", arial, darkBlue, Colour::fixed(0xFE, 0xF2, 0xE2), Align::Left},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    const Control& c = form.control(e.name);
    EXPECT_EQ(c.font, e.font);
    EXPECT_EQ(c.font.charset, 204);
    EXPECT_EQ(c.fore, e.fore);
    EXPECT_EQ(c.back, e.back);
    EXPECT_EQ(c.align, e.align);
  }
  for (const char* list : {"List1", "List2", "List3", "List4"}) {
    SCOPED_TRACE(list);
    const Control& c = form.control(list);
    EXPECT_EQ(c.font, form.font) << "lists use the window's default font";
    EXPECT_EQ(c.fore, Colour::ofSystem(SystemColour::WindowText));
    EXPECT_EQ(c.back, Colour::ofSystem(SystemColour::Window));
    EXPECT_TRUE(c.border);
  }
  EXPECT_EQ(form.font, plain);
  EXPECT_EQ(form.font.pixelHeight(), 11);
  EXPECT_EQ(large.pixelHeight(), 13);
  EXPECT_TRUE(form.control("Text1").border && form.control("Text2").border);
  EXPECT_FALSE(form.control("Label1").border || form.control("Image1").border);

  EXPECT_EQ(form.control("Image1").picture, Picture::Logo);
  EXPECT_EQ(form.control("Image1").pointer, Pointer::Help);
  EXPECT_EQ(form.control("Command3").picture, Picture::ExitDoor);
  for (const Control& c : form.controls) {
    if (c.name == "Image1") continue;
    EXPECT_EQ(c.pointer, Pointer::Default) << nameOf(c);
  }
  EXPECT_EQ(pictureFile(Picture::Logo), "logo.bmp");
  EXPECT_EQ(pictureFile(Picture::AppIcon), "sievra.ico");
  EXPECT_EQ(pictureFile(Picture::HelpIcon), "help.ico");
}

TEST(Form1TableTest, ArrangementHoldsTogether) {
  const Window& form = form1Window();
  // The logo's rectangle is its natural size, 89 x 65 pixels.
  EXPECT_EQ(twipsToPixels(form.control("Image1").rect), (Rect{285, 4, 89, 65}));
  // Whole rows of 13 pixels plus 4 of border: 10, 10 and 6 rows.
  EXPECT_EQ(twipsToPixels(kListRowHeight), 13);
  for (const auto& [name, rows] : {std::pair{"List3", 10}, {"List4", 10}, {"List2", 6}}) {
    EXPECT_EQ(form.control(name).rect.height, rows * kListRowHeight + 4 * 15) << name;
  }
  EXPECT_EQ(form.control("List3").rect.height, form.control("List4").rect.height)
      << "paired lists show the same rows at the same top index";
  // Pairs overlap by one pixel's border line.
  EXPECT_EQ(form.control("List3").rect.right() - form.control("List4").rect.left, 15);
  EXPECT_EQ(form.control("Command1").rect.bottom() - form.control("Command3").rect.top, 15);
  EXPECT_EQ(form.control("Label1").rect.bottom() - form.control("List3").rect.top, 15);
  // List1 is never seen; everything else lies inside the client area.
  EXPECT_EQ(form.control("List1").rect.right(), -1385);
  for (const Control& c : form.controls) {
    if (!c.placed || c.name == "List1") continue;
    SCOPED_TRACE(nameOf(c));
    EXPECT_GE(c.rect.left, 0);
    EXPECT_GE(c.rect.top, 0);
    EXPECT_LE(c.rect.right(), form.clientWidth);
    EXPECT_LE(c.rect.bottom(), form.clientHeight);
  }
}

std::vector<std::string> tabNames(const Window& window) {
  std::vector<std::string> names;
  for (const Control* c : window.tabOrder()) names.push_back(nameOf(*c));
  return names;
}

TEST(Form1TableTest, KeyboardOrderAndNames) {
  const Window& form = form1Window();
  EXPECT_EQ(tabNames(form), (std::vector<std::string>{"List3", "List4", "of1", "of2", "Command1",
                                                      "Command3", "List2", "Text1", "Text2"}));
  EXPECT_EQ(form.control("List1").tabIndex, 6) << "between Command3 and List2";
  for (const Control& c : form.controls) {
    if (c.kind == ControlKind::Label || c.kind == ControlKind::Picture) {
      EXPECT_FALSE(c.tabStop) << nameOf(c) << " takes no focus";
    }
  }
  for (const Window* window : {&form1Window(), &aboutWindow()}) {
    std::set<std::string> names;
    for (const Control& c : window->controls) {
      EXPECT_TRUE(names.insert(nameOf(c)).second) << nameOf(c) << " twice";
    }
  }
  EXPECT_EQ(form.find("List5"), nullptr);
  EXPECT_THROW(form.control("List5"), std::out_of_range);
}

TEST(AboutTableTest, EveryControlHasItsRectangleTextLookAndLink) {
  const Window& about = aboutWindow();
  EXPECT_EQ(about.name, "frmAbout");
  EXPECT_EQ(about.title, "Help...");
  EXPECT_EQ(twipsToPixels(Rect{0, 0, about.clientWidth, about.clientHeight}),
            (Rect{0, 0, 296, 318}));
  EXPECT_EQ(about.frame, Frame::FixedDialog);
  EXPECT_FALSE(about.minimizeButton || about.maximizeButton || about.taskbarButton);
  EXPECT_EQ(about.icon, Picture::None);
  EXPECT_EQ(about.back, Colour::ofSystem(SystemColour::ButtonFace));

  const std::string home = kHomePage;
  const std::string email = kEmail;
  enum Look { Plain, OneLine, Bold, DarkBlue, Wrapped, Centred };
  const struct {
    const char* name;
    int index;
    Rect rect;
    std::string text;
    Look look;
    Link link;
  } expected[] = {
      {"lblInf", 0, {720, 240, 3090, 195}, "VARNOK Dalvorn Sievra", Bold, Link::HomePage},
      {"Label1", -1, {120, 960, 495, 255}, "E-Mail:", Plain, Link::None},
      {"lblInf2", 2, {720, 960, 960, 195}, email, DarkBlue, Link::MailLink},
      {"lblInf", 3, {120, 1200, 390, 195}, "Web:", OneLine, Link::HomePage},
      {"lblInf", 4, {720, 1200, 2385, 195}, home, DarkBlue, Link::HomePage},
      {"lblInf",
       5,
       {120, 1560, 4215, 495},
       "    This program compares and deletes dupes records   before importing new databases "
       "to Dalvorn program.",
       Wrapped,
       Link::HomePage},
      {"Label2",
       -1,
       {120, 2040, 4215, 1335},
       "     The program detects dupes records with two coincidences (Callsign and RDA Number). "
       "The field Notes may be different.  After clicking 'Compare && Delete' button it will be "
       "created backup of file for comparing. Coincidenced records with MainBase.dat will be "
       "deleted to file *.dup.",
       Wrapped,
       Link::None},
      {"Label3",
       -1,
       {120, 3120, 4215, 615},
       "     Now you can free import new databases in Dalvorn program.(The name of the file for "
       "comparing without of dupes records will be same as it was)",
       Wrapped,
       Link::None},
      {"lblInf", 1, {1125, 3840, 2205, 195}, "Copyright (C) 2003 VARNOK", OneLine, Link::HomePage},
      {"Label4", -1, {1560, 4080, 1215, 255}, "2003", Centred, Link::None},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(std::string(e.name) + " " + std::to_string(e.index));
    const Control& c = about.control(e.name, e.index);
    EXPECT_EQ(c.kind, ControlKind::Label);
    EXPECT_EQ(c.rect, e.rect);
    EXPECT_EQ(c.text, e.text);
    EXPECT_EQ(c.onClick, e.link);
    EXPECT_EQ(c.sizing, e.look == OneLine || e.look == Bold || e.look == DarkBlue ? Sizing::FitText
                                                                                  : Sizing::Fixed);
    EXPECT_EQ(c.wordWrap, e.look == Wrapped);
    EXPECT_EQ(c.align, e.look == Centred ? Align::Centre : Align::Left);
    EXPECT_EQ(c.font, (Font{.name = "MS Sans Serif",
                            .points = 8.25,
                            .weight = e.look == Bold ? 700 : 400,
                            .charset = 204}))
        << "links are not underlined";
    EXPECT_EQ(c.fore, e.look == DarkBlue ? Colour::fixed(0, 0, 192) : about.fore);
    EXPECT_EQ(c.back, about.back) << "labels paint the window's background";
    EXPECT_EQ(c.pointer, Pointer::Default) << "links keep the ordinary pointer";
    EXPECT_FALSE(c.tabStop);
  }
  EXPECT_EQ(about.find("lblInf", 2), nullptr) << "lblInf has no element 2";
  EXPECT_EQ(about.find("lblInf2", 0), nullptr);
  const std::string label2 = shownText(about.control("Label2").text);
  EXPECT_NE(label2.find("'Compare & Delete'"), std::string::npos) << "one ampersand shown";

  const Control& img1 = about.control("img1");
  EXPECT_EQ(img1.kind, ControlKind::Picture);
  EXPECT_EQ(img1.rect, (Rect{120, 120, 480, 480}));
  EXPECT_EQ(img1.picture, Picture::HelpIcon);
  EXPECT_EQ(img1.onClick, Link::None);

  const Control& ok = about.control("cmdOK");
  EXPECT_EQ(ok.kind, ControlKind::PushButton);
  EXPECT_EQ(ok.rect, (Rect{1493, 4320, 1455, 375}));
  EXPECT_EQ(ok.text, "OK");
  EXPECT_EQ(tabNames(about), std::vector<std::string>{"cmdOK"}) << "OK holds the focus";
  // Label3 lies over the foot of Label2's rectangle.
  EXPECT_GT(about.control("Label3").rect.top, about.control("Label2").rect.top);
  EXPECT_LT(&about.control("Label2"), &about.control("Label3"));
  EXPECT_EQ(about.controls.size(), std::size(expected) + 2);
}

TEST(LinksTest, HomePageAndMailLinkAreHandedToTheShell) {
  const std::string home = kHomePage;
  EXPECT_EQ(home.rfind("http", 0), 0u) << "a web address";
  EXPECT_EQ(std::string(kMailLink),
            "mailto:" + std::string(kEmail) + "?Subject=Sievra for Dalvorn");

  for (const Link link : {Link::HomePage, Link::MailLink}) {
    const ShellOpenRequest request = shellOpenRequest(link);
    EXPECT_STREQ(request.operation, "Open");
    EXPECT_EQ(request.parameters, nullptr);
    EXPECT_EQ(request.directory, nullptr);
    EXPECT_EQ(request.showCommand, 1);
  }
  EXPECT_EQ(shellOpenRequest(Link::HomePage).file, home);
  EXPECT_STREQ(shellOpenRequest(Link::MailLink).file, kMailLink);
  EXPECT_EQ(shellOpenRequest(Link::None).file, nullptr);
  for (const char* text : {kHomePage, kMailLink}) {
    for (const char* p = text; *p; ++p) EXPECT_LT(static_cast<unsigned char>(*p), 0x80);
  }
}

TEST(PopupMenuTableTest, HiddenTopLevelWithHelpSeparatorAndHomePage) {
  const Menu& menu = form1PopupMenu();
  EXPECT_EQ(menu.name, "mnupopup");
  EXPECT_EQ(menu.caption, "");
  EXPECT_FALSE(menu.visible) << "the window has no menu bar";
  ASSERT_EQ(menu.items.size(), 3u);
  EXPECT_EQ(menu.items[0].name, "mnuHelp");
  EXPECT_EQ(menu.items[0].caption, "Help");
  EXPECT_EQ(menu.items[1].name, "sep1");
  EXPECT_TRUE(menu.items[1].separator);
  EXPECT_EQ(menu.items[2].name, "mnuweb");
  EXPECT_EQ(menu.items[2].caption, kHomePage) << "the same text as the link it opens";
  EXPECT_FALSE(menu.items[0].separator || menu.items[2].separator);
}

TEST(TextRulesTest, FiltersAndCaptions) {
  using Filters = std::vector<FileFilter>;
  EXPECT_EQ(parseFilter("MainBase.dat|MainBase.dat"), (Filters{{"MainBase.dat", "MainBase.dat"}}));
  EXPECT_EQ(parseFilter("RDA files|*.rda|"), (Filters{{"RDA files", "*.rda"}}))
      << "the final separator adds no entry";
  EXPECT_EQ(parseFilter("A|*.a|B|*.b"), (Filters{{"A", "*.a"}, {"B", "*.b"}}));
  EXPECT_EQ(parseFilter("A|*.a|B"), (Filters{{"A", "*.a"}}));
  EXPECT_EQ(parseFilter(""), Filters{});

  EXPECT_EQ(shownText("   Compare          &&       Delete"), "   Compare          &       Delete");
  EXPECT_EQ(shownText("&&&&"), "&&");
  EXPECT_EQ(shownText("E&xit&"), "Exit");
  EXPECT_EQ(shownText("Exit"), "Exit");
}

// The names a screen reader speaks; both windows' tests compare their
// controls with accessibleName(), so these rows pin the rule itself.
TEST(TextRulesTest, AccessibleNamesAreTheWordsASightedUserReads) {
  const Window& form = form1Window();
  const std::pair<std::string_view, std::string_view> names[] = {
      {"Command1", "Compare & Delete"},
      {"of1", "Select Mainbase.dat"},
      {"List3", "Coincidences in Mainbase.dat"},
      {"List2", "File without dupes records"},
      {"Text1", "Mainbase.dat"},
      {"Text2", "file for comparing"},
  };
  for (const auto& [control, name] : names) {
    EXPECT_EQ(accessibleName(form, form.control(control)), name) << control;
  }
  EXPECT_EQ(accessibleName(aboutWindow(), aboutWindow().control("lblInf", 3)), "Web:");
}

}  // namespace
}  // namespace sv::design
