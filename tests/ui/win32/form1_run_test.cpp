// The run through the window: the pickers with their filters and earlier
// choices, the busy run into the lists and the count, and failures.

#include "tests/ui/win32/window_fixture.h"

#include <mutex>

namespace sv::testing {
namespace {

TEST_F(Form1Test, PickersUseTheirFiltersOfferTheEarlierChoiceAndCancelKeepsIt) {
  dialog.answers = {"C:\\a b\\MainBase.dat", std::nullopt, "D:\\\xd0\xbd\xd0\xbe\xd0\xb2.rda"};
  click("of1");
  click("of1");  // cancelled
  click("of2");
  ASSERT_EQ(dialog.calls.size(), 3u);
  EXPECT_EQ(dialog.calls[0].filter, "MainBase.dat|MainBase.dat");
  EXPECT_EQ(dialog.calls[0].initialFile, "");
  EXPECT_EQ(dialog.calls[0].owner, window->hwnd());
  EXPECT_EQ(dialog.calls[1].initialFile, "C:\\a b\\MainBase.dat");
  EXPECT_EQ(dialog.calls[2].filter, "RDA files|*.rda|");
  EXPECT_EQ(windowText(control("Text1")), L" C:\\a b\\MainBase.dat");
  // Any characters: the path is kept in UTF-8 and shown in wide characters.
  EXPECT_EQ(windowText(control("Text2")), L" D:\\\x043d\x043e\x0432.rda");

  dialog.answers = {std::nullopt};
  click("of2");
  EXPECT_EQ(dialog.calls.back().initialFile, "D:\\\xd0\xbd\xd0\xbe\xd0\xb2.rda");
  EXPECT_EQ(windowText(control("Text2")), L" D:\\\x043d\x043e\x0432.rda");
}

TEST_F(Form1Test, ARunWithoutBothPathsDoesNothing) {
  files.files["new.rda"] = records(0, 2);
  dialog.answers = {std::nullopt, "new.rda"};
  click("of1");
  click("of2");
  click("Command1");
  EXPECT_EQ(files.files.count("new.rda.bak"), 0u);
  EXPECT_EQ(count(control("List2")), 0);
  EXPECT_TRUE(failures.empty());
  EXPECT_EQ(windowText(control("Label1")), L"");
}

TEST_F(Form1Test, RunFillsTheListsSelectsTheLastItemsAndShowsTheCount) {
  files.files["MainBase.dat"] = records(0, 5, "main");
  files.files["new.rda"] = records(3, 4, "new");  // 3 and 4 are dupes, 5 and 6 stay
  run("MainBase.dat", "new.rda");

  EXPECT_TRUE(failures.empty());
  EXPECT_EQ(count(control("List3")), 6);
  EXPECT_EQ(count(control("List4")), 6);
  EXPECT_EQ(count(control("List2")), 6);
  EXPECT_EQ(selected(control("List2")), 5);
  EXPECT_EQ(selected(control("List4")), 5);
  EXPECT_EQ(selected(control("List3")), 5);
  EXPECT_EQ(windowText(control("Label1")), L"Total dupes records: 2");
  EXPECT_EQ(files.files["new.rda"], records(5, 2, "new"));
  EXPECT_EQ(files.files["new.rda.dup"], records(3, 2, "new"));

  // A second run starts from empty lists.
  run("MainBase.dat", "new.rda");
  EXPECT_EQ(count(control("List3")), 0);
  EXPECT_EQ(selected(control("List3")), -1);
  EXPECT_EQ(count(control("List2")), 6);
  EXPECT_EQ(windowText(control("Label1")), L"Total dupes records: 0");
}

TEST_F(Form1Test, AFailedRunShowsOneMessageNamingThePathKeepsTheLabelAndTheFile) {
  const std::string mainBase = "\xd0\x91\xd0\xb0\xd0\xb7\xd0\xb0.dat";  // Cyrillic "Baza"
  files.files[mainBase] = records(0, 2);
  files.files["new.rda"] = records(0, 3);
  run(mainBase, "new.rda");
  ASSERT_EQ(windowText(control("Label1")), L"Total dupes records: 2");

  files.files.erase(mainBase);
  files.files["new.rda"] = records(0, 3);
  run(mainBase, "new.rda");
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].first, window->hwnd());
  EXPECT_NE(failures[0].second.find(L"\"\x0411\x0430\x0437\x0430.dat\""), std::wstring::npos)
      << toUtf8(failures[0].second);
  EXPECT_EQ(files.files["new.rda"], records(0, 3));
  EXPECT_EQ(windowText(control("Label1")), L"Total dupes records: 2");
  EXPECT_EQ(count(control("List4")), 0);
}

TEST_F(Form1Test, TheRunShowsTheBusyPointerAndGivesItBackBeforeAnyMessage) {
  // The pointer whenever the run has read a file. The run may read on
  // threads of its own: the pointer asked for is the one the screen shows.
  std::mutex noting;
  std::vector<HCURSOR> pointersWhileReading;
  files.afterRead = [&](const std::string&) {
    CURSORINFO shown{};
    shown.cbSize = sizeof(shown);
    GetCursorInfo(&shown);
    std::lock_guard lock(noting);
    pointersWhileReading.push_back(shown.hCursor);
  };
  std::vector<HCURSOR> pointerAtMessage;
  window = std::make_unique<win32::Form1>(win32::Form1Services{
      files, dialog, settings, shell,
      [&](HWND, const std::wstring&) { pointerAtMessage.push_back(GetCursor()); }, 96});
  window->show();
  const HCURSOR busy = LoadCursorW(nullptr, IDC_WAIT);
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);

  files.files["MainBase.dat"] = records(0, 2);
  files.files["new.rda"] = records(1, 2);
  run("MainBase.dat", "new.rda");
  ASSERT_FALSE(pointersWhileReading.empty());
  for (HCURSOR pointer : pointersWhileReading) EXPECT_EQ(pointer, busy);
  EXPECT_EQ(GetCursor(), arrow);

  files.files.erase("MainBase.dat");
  run("MainBase.dat", "new.rda");
  ASSERT_EQ(pointerAtMessage.size(), 1u);
  EXPECT_EQ(pointerAtMessage[0], arrow);
  files.afterRead = nullptr;
}

TEST_F(Form1Test, ThePointerIsTheQuestionMarkOverTheLogoOnly) {
  const auto pointerOver = [&](const char* name) {
    SendMessageW(window->hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(control(name)),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(pointerOver("Image1"), &info));
  EXPECT_EQ(info.xHotspot, 16u) << "the 32 x 32 question-mark picture";
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  EXPECT_EQ(pointerOver("Command1"), LoadCursorW(nullptr, IDC_ARROW));
}

}  // namespace
}  // namespace sv::testing
