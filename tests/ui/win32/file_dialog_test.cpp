// The real common open-file dialog, driven from inside its own loop: the
// filter it offers, the earlier choice it starts with, a typed name that
// need not exist (no option flags), and Cancel.

#include "tests/ui/win32/window_fixture.h"

#include <dlgs.h>

namespace sv::testing {
namespace {

using namespace std::string_literals;

HWND findDialog() {
  HWND dialog = FindWindowW(L"#32770", nullptr);
  return dialog && IsWindowVisible(dialog) ? dialog : nullptr;
}

std::vector<std::wstring> fileTypes(HWND dialog) {
  std::vector<std::wstring> out;
  const HWND types = GetDlgItem(dialog, cmb1);
  const int count = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[128] = {};
    SendMessageW(types, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    out.push_back(text);
  }
  return out;
}

// The file name box: an edit box in the older dialog, a combo box in the
// Explorer-style one.
HWND fileNameBox(HWND dialog) {
  if (HWND combo = GetDlgItem(dialog, cmb13)) return combo;
  return GetDlgItem(dialog, edt1);
}

TEST(FileDialogFilterTest, PairsAreSeparatedByNulAndTheListEndsWithTwo) {
  EXPECT_EQ(win32::dialogFilter("MainBase.dat|MainBase.dat"), L"MainBase.dat\0MainBase.dat\0\0"s);
  EXPECT_EQ(win32::dialogFilter("RDA files|*.rda|"), L"RDA files\0*.rda\0\0"s);
}

TEST(CommonFileDialogTest, OffersOneFileTypeTakesATypedNameAndCancelGivesNothing) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::string folder = toUtf8(temp);
  const std::string typed = folder + "not there yet \xd0\xaf.rda";

  std::vector<std::wstring> types;
  std::wstring startName;
  whileModal([&] {
    const HWND dialog = findDialog();
    if (!dialog) return false;
    types = fileTypes(dialog);
    startName = windowText(fileNameBox(dialog));
    SetWindowTextW(fileNameBox(dialog), win32::wideText(typed).c_str());
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return true;
  });
  win32::CommonFileDialog picker;
  const std::optional<std::string> chosen =
      picker.chooseFileToOpen(nullptr, "RDA files|*.rda|", folder + "earlier.rda");
  EXPECT_EQ(types, std::vector<std::wstring>{L"RDA files"});
  EXPECT_NE(startName.find(L"earlier.rda"), std::wstring::npos) << toUtf8(startName);
  ASSERT_TRUE(chosen.has_value()) << "a name that does not exist is accepted";
  EXPECT_EQ(*chosen, typed);

  whileModal([&] {
    const HWND dialog = findDialog();
    if (!dialog) return false;
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return true;
  });
  EXPECT_FALSE(picker.chooseFileToOpen(nullptr, "MainBase.dat|MainBase.dat", "").has_value());
}

}  // namespace
}  // namespace sv::testing
