// What a screen reader reads of both windows: asked from a second process
// (sv-accessibility-probe) through Active Accessibility, as a screen reader
// asks, while this process answers.

#include "tests/ui/win32/window_fixture.h"

#include <oleacc.h>

namespace sv::testing {
namespace {

using AccessibilityTest = Form1Test;

// Every control by its words; each list by its child count, selection and
// focus; each item by its role, text (decoded as the list shows it) and
// state, past any 16-bit index.
TEST_F(AccessibilityTest, EveryControlAndEveryItemOfTheMainWindowIsReadAfterALargeRun) {
  files.files["MainBase.dat"] = records(0, 35000, "main");
  // A Windows-1251 Notes line first; then 105,000 items in List3 and List4.
  files.files["new.rda"] = "\xd0\x96\xd0\xba\r\nR1\r\n\xcf\xf0\xe8\r\n" + records(0, 70000, "new");
  run("MainBase.dat", "new.rda");
  SetForegroundWindow(window->hwnd());
  SetFocus(control("List3"));
  expectRead(
      design::form1Window(),
      [&](const design::Control& c) { return control(std::string(c.name).c_str()); },
      {{"Command1", ROLE_SYSTEM_PUSHBUTTON},
       {"Text1", ROLE_SYSTEM_TEXT},
       {"List3", ROLE_SYSTEM_LIST},
       {"Image1", ROLE_SYSTEM_GRAPHIC},
       {"Label1", ROLE_SYSTEM_STATICTEXT}},
      "Total dupes records: 35000");

  const std::string item = std::to_string(ROLE_SYSTEM_LISTITEM) + "\t";
  const LONG selectable = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
  const std::string offscreen = "\t" + hex(selectable | STATE_SYSTEM_OFFSCREEN);
  const struct {
    const char* list;
    int child;  // the item's index + 1; 0: the list's count, selection and focus
    std::string read;
  } rows[] = {
      {"List3", 0, "105000\t105000\t105000"},  // the focus on its last item
      {"List4", 0, "105000\t105000\t-"},
      {"List2", 0, "105003\t105003\t-"},
      {"List3", 100001, item + "RDA-33333" + offscreen},
      {"List3", 105000,
       item + "main 34999\t" + hex(selectable | STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED)},
      {"List4", 100002, item + "new 33333" + offscreen},
      {"List4", 105000, item + "new 34999\t" + hex(selectable | STATE_SYSTEM_SELECTED)},
      {"List2", 3, item + "\xd0\x9f\xd1\x80\xd0\xb8" + offscreen},
      {"List2", 100006, item + "CALL68334" + offscreen},
      {"List2", 105001, item + "CALL69999\t" + hex(selectable)},
  };
  std::vector<std::wstring> queries;
  for (const auto& row : rows) {
    queries.push_back(
        query(control(row.list), row.child ? L":" + std::to_wstring(row.child) : L""));
  }
  const std::vector<Answer> answers = ask(queries);
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    std::string read;
    for (std::size_t field = rows[i].child ? 0 : 3; field < answers[i].size(); ++field) {
      read += (read.empty() ? "" : "\t") + answers[i][field];
    }
    EXPECT_EQ(read, rows[i].read) << rows[i].list << " child " << rows[i].child;
  }
  // The unused List1 is offered as invisible, which readers pass over.
  const std::vector<Answer> list1 = ask({query(control("List1"))});
  ASSERT_EQ(list1.at(0).size(), 6u);
  EXPECT_TRUE(std::stol(list1[0][2], nullptr, 16) & STATE_SYSTEM_INVISIBLE);
}

}  // namespace
}  // namespace sv::testing
