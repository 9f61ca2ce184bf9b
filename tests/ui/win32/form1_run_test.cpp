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

TEST_F(Form1Test, AFailedRunShowsOneMessageKeepsTheLabelAndTheFile) {
  files.files["MainBase.dat"] = records(0, 2);
  files.files["new.rda"] = records(0, 3);
  run("MainBase.dat", "new.rda");
  ASSERT_EQ(windowText(control("Label1")), L"Total dupes records: 2");

  files.files.erase("MainBase.dat");
  files.files["new.rda"] = records(0, 3);
  run("MainBase.dat", "new.rda");
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].first, window->hwnd());
  EXPECT_NE(failures[0].second.find(L"MainBase.dat"), std::wstring::npos)
      << win32::narrow(failures[0].second);
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

TEST_F(Form1Test, ThePointerIsTheQuestionMarkOverTheLogoOnlyAndTheRunsOwnWhileBusy) {
  const auto pointerOver = [&](const char* name) {
    SendMessageW(window->hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(control(name)),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  const HCURSOR overLogo = pointerOver("Image1");
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(overLogo, &info));
  EXPECT_EQ(info.xHotspot, 16u) << "the 32 x 32 question-mark picture";
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  EXPECT_EQ(pointerOver("Command1"), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(Form1Test, ListItemsAreDrawnFromTheRunsListsDecodedForDisplay) {
  // Windows-1251 Notes and a UTF-8 Callsign, each shown as what it says.
  files.files["MainBase.dat"] = "X\r\nY\r\nZ\r\n";
  files.files["new.rda"] = "\xd0\x96\xd0\xba\r\nR1\r\n\xcf\xf0\xe8\r\n";
  run("MainBase.dat", "new.rda");
  ASSERT_EQ(count(control("List2")), 3);

  // Paint the list into a bitmap of our own and compare with the text drawn
  // in the list's own font.
  const HWND list = control("List2");
  RECT row;
  SendMessageW(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
  const auto render = [&](auto&& draw) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, row.right - row.left, row.bottom - row.top);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    draw(dc);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < row.bottom - row.top; ++y)
      for (int x = 0; x < row.right - row.left; ++x) pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
  };
  const auto drawn = render([&](HDC dc) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(list));
    item.itemID = 2;
    item.itemAction = ODA_DRAWENTIRE;
    item.hwndItem = list;
    item.hDC = dc;
    item.rcItem = {0, 0, row.right - row.left, row.bottom - row.top};
    SendMessageW(window->hwnd(), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
  });
  const auto expected = render([&](HDC dc) {
    RECT all{0, 0, row.right - row.left, row.bottom - row.top};
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    ExtTextOutW(dc, 2, 0, ETO_OPAQUE | ETO_CLIPPED, &all, L"\x041f\x0440\x0438", 3, nullptr);
    SelectObject(dc, old);
  });
  EXPECT_TRUE(drawn == expected) << "List2's last item is not drawn as its Windows-1251 text";
}

}  // namespace
}  // namespace sv::testing
