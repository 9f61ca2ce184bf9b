// The rules and relations of the two windows' tables that an edit of one
// row can break: the arrangement, the keyboard order, the names, the links,
// filters and captions. Both windows are built from these tables, so these
// tests serve the Qt and the Win32 window alike.

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

std::vector<std::string> tabNames(const Window& window) {
  std::vector<std::string> names;
  for (const Control* c : window.tabOrder()) names.push_back(nameOf(*c));
  return names;
}

TEST(Form1TableTest, ArrangementHoldsTogether) {
  const Window& form = form1Window();
  // The logo's rectangle is its natural size, 89 x 65 pixels.
  EXPECT_EQ(twipsToPixels(form.control("Image1").rect), (Rect{285, 4, 89, 65}));
  // Whole rows of 13 pixels plus 4 of border: 10, 10 and 6 rows.
  EXPECT_EQ(twipsToPixels(kListRowHeight), 13);
  for (const auto& [name, rows] : {std::pair{"List3", 10}, {"List4", 10}, {"List2", 6}}) {
    EXPECT_EQ(form.control(name).rect.height, rows * kListRowHeight + 4 * 15) << name;
    EXPECT_EQ(form.control(name).font, form.font) << name;
  }
  // Pairs overlap by one pixel's border line.
  EXPECT_EQ(form.control("List3").rect.right() - form.control("List4").rect.left, 15);
  EXPECT_EQ(form.control("Command1").rect.bottom() - form.control("Command3").rect.top, 15);
  EXPECT_EQ(form.control("Label1").rect.bottom() - form.control("List3").rect.top, 15);
  // List1 is never seen; everything else lies inside the client area.
  EXPECT_LT(form.control("List1").rect.right(), 0);
  for (const Control& c : form.controls) {
    if (!c.placed || c.name == "List1") continue;
    SCOPED_TRACE(nameOf(c));
    EXPECT_GE(c.rect.left, 0);
    EXPECT_GE(c.rect.top, 0);
    EXPECT_LE(c.rect.right(), form.clientWidth);
    EXPECT_LE(c.rect.bottom(), form.clientHeight);
  }
}

TEST(Form1TableTest, KeyboardOrderAndNames) {
  const Window& form = form1Window();
  EXPECT_EQ(tabNames(form), (std::vector<std::string>{"List3", "List4", "of1", "of2", "Command1",
                                                      "Command3", "List2", "Text1", "Text2"}));
  EXPECT_EQ(form.control("List1").tabIndex, 6) << "between Command3 and List2";
  EXPECT_EQ(tabNames(aboutWindow()), std::vector<std::string>{"cmdOK"}) << "OK holds the focus";
  for (const Window* window : {&form1Window(), &aboutWindow()}) {
    std::set<std::string> names;
    for (const Control& c : window->controls) {
      EXPECT_TRUE(names.insert(nameOf(c)).second) << nameOf(c) << " twice";
      if (c.kind == ControlKind::Label || c.kind == ControlKind::Picture) {
        EXPECT_FALSE(c.tabStop) << nameOf(c) << " takes no focus";
      }
    }
  }
  EXPECT_EQ(form.find("List5"), nullptr);
  EXPECT_THROW(form.control("List5"), std::out_of_range);
  EXPECT_EQ(aboutWindow().find("lblInf", 2), nullptr) << "lblInf has no element 2";
}

// Label3 lies over the foot of Label2, so it must come later; only the two
// addresses are read as links, and what they show is what they open.
TEST(AboutTableTest, LabelsStackAndLinksShowWhatTheyOpen) {
  const Window& about = aboutWindow();
  EXPECT_GT(about.control("Label3").rect.top, about.control("Label2").rect.top);
  EXPECT_LT(&about.control("Label2"), &about.control("Label3"));
  EXPECT_NE(shownText(about.control("Label2").text).find("'Compare & Delete'"), std::string::npos);
  for (const Control& c : about.controls) {
    if (!c.readAsLink) continue;
    SCOPED_TRACE(nameOf(c));
    const std::string opened = shellOpenRequest(c.onClick).file;
    EXPECT_NE(opened.find(c.text), std::string::npos);
  }
  EXPECT_EQ(std::string(kMailLink),
            "mailto:" + std::string(kEmail) + "?Subject=Sievra for Dalvorn");
}

TEST(LinksTest, HomePageAndMailLinkAreHandedToTheShell) {
  for (const Link link : {Link::HomePage, Link::MailLink}) {
    const ShellOpenRequest request = shellOpenRequest(link);
    EXPECT_STREQ(request.operation, "Open");
    EXPECT_EQ(request.parameters, nullptr);
    EXPECT_EQ(request.directory, nullptr);
    EXPECT_EQ(request.showCommand, 1);
    for (const char* p = request.file; *p; ++p) EXPECT_LT(static_cast<unsigned char>(*p), 0x80);
  }
  EXPECT_STREQ(shellOpenRequest(Link::HomePage).file, kHomePage);
  EXPECT_STREQ(shellOpenRequest(Link::MailLink).file, kMailLink);
  EXPECT_EQ(shellOpenRequest(Link::None).file, nullptr);

  const Menu& menu = form1PopupMenu();
  EXPECT_FALSE(menu.visible) << "the window has no menu bar";
  ASSERT_EQ(menu.items.size(), 3u);
  EXPECT_TRUE(menu.items[1].separator);
  EXPECT_EQ(menu.items[2].caption, kHomePage) << "the same text as the link it opens";
}

TEST(TextRulesTest, FiltersAndCaptions) {
  using Filters = std::vector<FileFilter>;
  EXPECT_EQ(parseFilter(form1Window().control("CD").filter), (Filters{{"RDA files", "*.rda"}}))
      << "the final separator adds no entry";
  EXPECT_EQ(parseFilter("A|*.a|B|*.b"), (Filters{{"A", "*.a"}, {"B", "*.b"}}));
  EXPECT_EQ(parseFilter("A|*.a|B"), (Filters{{"A", "*.a"}}));
  EXPECT_EQ(parseFilter(""), Filters{});

  EXPECT_EQ(shownText("   Compare          &&       Delete"), "   Compare          &       Delete");
  EXPECT_EQ(shownText("&&&&"), "&&");
  EXPECT_EQ(shownText("E&xit&"), "Exit");
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
