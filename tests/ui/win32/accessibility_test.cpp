// What a screen reader reads of both windows: asked from a second process
// (sv-accessibility-probe) through Active Accessibility, as a screen reader
// asks, while this process answers.

#include "tests/ui/win32/window_fixture.h"
#include "ui/win32/frm_about.h"

#include <cstdio>
#include <map>
#include <oleacc.h>
#include <sstream>

namespace sv::testing {
namespace {

using Answer = std::vector<std::string>;  // the fields of one line of the probe

std::wstring query(HWND hwnd, const std::wstring& rest = L"") {
  return std::to_wstring(reinterpret_cast<UINT_PTR>(hwnd)) + rest;
}

// Runs the probe on queries, answering its requests meanwhile: they reach
// this thread as messages.
std::vector<Answer> ask(const std::vector<std::wstring>& queries) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring probe = path;
  probe.replace(probe.find_last_of(L"\\/") + 1, std::wstring::npos, L"sv-accessibility-probe.exe");
  GetTempPathW(MAX_PATH, path);
  const std::wstring output = std::wstring(path) + L"sv-accessibility-probe.txt";
  std::wstring command = L"\"" + probe + L"\" \"" + output + L"\"";
  for (const std::wstring& q : queries) command += L" " + q;

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "the probe does not start";
    return {};
  }
  while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 60000, QS_ALLINPUT) ==
         WAIT_OBJECT_0 + 1) {
    pumpMessages();
  }
  TerminateProcess(process.hProcess, 1);  // nothing, unless it hangs
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  std::vector<Answer> answers;
  FILE* file = _wfopen(output.c_str(), L"rb");
  if (!file) return answers;
  std::string text;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof(buffer), file)) > 0;)
    text.append(buffer, got);
  std::fclose(file);
  DeleteFileW(output.c_str());
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    Answer fields;
    std::istringstream parts(line);
    for (std::string field; std::getline(parts, field, '\t');) fields.push_back(field);
    answers.push_back(fields);
  }
  EXPECT_EQ(answers.size(), queries.size());
  answers.resize(queries.size());
  return answers;
}

// Each visible control of window read by the probe is named by the words
// the window tables give it (Label1: the count it shows); roles names the
// role of a few, by control name.
void expectRead(const design::Window& design,
                const std::function<HWND(const design::Control&)>& hwndOf,
                const std::map<std::string_view, LONG>& roles) {
  std::vector<const design::Control*> controls;
  std::vector<std::wstring> queries;
  for (const design::Control& c : design.controls) {
    const HWND hwnd = hwndOf(c);
    if (!hwnd || !IsWindowVisible(hwnd)) continue;
    controls.push_back(&c);
    queries.push_back(query(hwnd));
  }
  const std::vector<Answer> answers = ask(queries);
  for (std::size_t i = 0; i < answers.size(); ++i) {
    const design::Control& c = *controls[i];
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.index));
    ASSERT_GE(answers[i].size(), 3u) << (answers[i].empty() ? "" : answers[i][0]);
    if (roles.count(c.name)) {
      EXPECT_EQ(answers[i][0], std::to_string(roles.at(c.name)));
    }
    const bool countLabel = &design == &design::form1Window() && c.name == "Label1";
    EXPECT_EQ(answers[i][1],
              countLabel ? "Total dupes records: 1" : design::accessibleName(design, c));
  }
}

using AccessibilityTest = Form1Test;

TEST_F(AccessibilityTest, EveryControlOfTheMainWindowIsReadByTheWordsItShows) {
  // A Windows-1251 Notes line is read as the list shows it, decoded.
  files.files["MainBase.dat"] = "X\r\nY\r\nZ\r\n" + records(0, 1);
  files.files["new.rda"] = "\xd0\x96\xd0\xba\r\nR1\r\n\xcf\xf0\xe8\r\n" + records(0, 1);
  run("MainBase.dat", "new.rda");
  expectRead(design::form1Window(),
             [&](const design::Control& c) { return control(std::string(c.name).c_str()); },
             {{"Command1", ROLE_SYSTEM_PUSHBUTTON},
              {"Text1", ROLE_SYSTEM_TEXT},
              {"List3", ROLE_SYSTEM_LIST},
              {"Image1", ROLE_SYSTEM_GRAPHIC},
              {"Label1", ROLE_SYSTEM_STATICTEXT}});

  // The unused List1 is offered as invisible, which readers pass over.
  const std::vector<Answer> read = ask({query(control("List1")), query(control("List2"), L":3")});
  ASSERT_EQ(read.at(0).size(), 6u);
  EXPECT_TRUE(std::stol(read[0][2], nullptr, 16) & STATE_SYSTEM_INVISIBLE);
  ASSERT_EQ(read.at(1).size(), 3u);
  EXPECT_EQ(read[1][1], "\xd0\x9f\xd1\x80\xd0\xb8");
}

TEST_F(AccessibilityTest, EveryItemIsReadWithItsTextPlaceAndSelectionAfterALargeRun) {
  files.files["MainBase.dat"] = records(0, 35000, "main");
  files.files["new.rda"] = records(0, 70000, "new");  // 105,000 items in each list
  run("MainBase.dat", "new.rda");
  SetForegroundWindow(window->hwnd());
  SetFocus(control("List3"));

  struct List {
    const char* name;
    const char* focus;  // List3 has the focus, on its last item
  } lists[] = {{"List3", "105000"}, {"List4", "-"}, {"List2", "-"}};
  std::vector<std::wstring> queries;
  for (const List& list : lists) queries.push_back(query(control(list.name)));
  const std::vector<Answer> answers = ask(queries);
  for (std::size_t i = 0; i < std::size(lists); ++i) {
    SCOPED_TRACE(lists[i].name);
    const Answer& got = answers[i];
    ASSERT_EQ(got.size(), 6u) << (got.empty() ? "" : got[0]);
    EXPECT_EQ(got[3], "105000") << "child count";
    EXPECT_EQ(got[4], "105000") << "the selection, the last item";
    EXPECT_EQ(got[5], lists[i].focus);
  }

  const LONG offscreen = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_OFFSCREEN;
  const LONG selected = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTED;
  struct Item {
    const char* list;
    int child;  // the item's index + 1
    const char* name;
    LONG state;
  } items[] = {
      {"List3", 1, "CALL0", offscreen},
      {"List3", 100001, "RDA-33333", offscreen},
      {"List3", 105000, "main 34999", selected | STATE_SYSTEM_FOCUSED},
      {"List4", 100002, "new 33333", offscreen},
      {"List4", 105000, "new 34999", selected},
      {"List2", 100003, "CALL68334", offscreen},
      {"List2", 104998, "CALL69999", STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE},
  };
  queries.clear();
  for (const Item& item : items)
    queries.push_back(query(control(item.list), L":" + std::to_wstring(item.child)));
  const std::vector<Answer> read = ask(queries);
  for (std::size_t i = 0; i < std::size(items); ++i) {
    SCOPED_TRACE(std::string(items[i].list) + " child " + std::to_string(items[i].child));
    ASSERT_EQ(read[i].size(), 3u) << (read[i].empty() ? "" : read[i][0]);
    EXPECT_EQ(read[i][0], std::to_string(ROLE_SYSTEM_LISTITEM));
    EXPECT_EQ(read[i][1], items[i].name);
    EXPECT_EQ(std::stol(read[i][2], nullptr, 16), items[i].state);
  }
}

TEST_F(AccessibilityTest, EveryControlOfTheAboutWindowIsReadItsLinksAsLinks) {
  bool read = false;
  whileModal([&] {
    const HWND about = FindWindowW(win32::FrmAbout::kClassName, nullptr);
    if (!about || !IsWindowVisible(about)) return false;
    const design::Window& design = design::aboutWindow();
    expectRead(
        design,
        [&](const design::Control& c) { return GetDlgItem(about, win32::controlId(design, c)); },
        {{"lblInf2", ROLE_SYSTEM_LINK},
         {"Label2", ROLE_SYSTEM_STATICTEXT},
         {"cmdOK", ROLE_SYSTEM_PUSHBUTTON}});
    read = true;
    PostMessageW(about, WM_CLOSE, 0, 0);
    return true;
  });
  SendMessageW(window->hwnd(), WM_COMMAND, win32::Form1::kFirstMenuCommand, 0);
  EXPECT_TRUE(read);
}

}  // namespace
}  // namespace sv::testing
