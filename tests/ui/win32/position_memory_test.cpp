// The window position in the registry, where Windows programs' own
// application-settings functions keep it, in twips as decimal text.

#include "tests/ui/win32/window_fixture.h"

namespace sv::testing {
namespace {

constexpr wchar_t kApplication[] = L"Software\\VB and VBA Program Settings\\VARNOK SV";
constexpr wchar_t kSection[] = L"Software\\VB and VBA Program Settings\\VARNOK SV\\Pos";

std::wstring stored(const wchar_t* name) {
  wchar_t text[64] = {};
  DWORD size = sizeof(text);
  if (RegGetValueW(HKEY_CURRENT_USER, kSection, name, RRF_RT_REG_SZ, nullptr, text, &size)) {
    return L"<missing>";
  }
  return text;
}

void storeEdge(const wchar_t* name, const std::wstring& text) {
  RegSetKeyValueW(HKEY_CURRENT_USER, kSection, name, REG_SZ, text.c_str(),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

POINT windowCorner(HWND hwnd) {
  RECT place;
  GetWindowRect(hwnd, &place);
  return {place.left, place.top};
}

// The window with the real registry store; each case opens its own.
class PositionMemoryTest : public Form1Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kApplication);
    store = &registry;
  }
  void TearDown() override {
    Form1Test::TearDown();
    RegDeleteTreeW(HKEY_CURRENT_USER, kApplication);
  }

  win32::RegistrySettingsStore registry;
};

TEST_F(PositionMemoryTest, CloseBoxExitAndAMinimisedWindowSaveTheEdgesInTwips) {
  open();
  const POINT first = windowCorner(window->hwnd());  // where the system put it
  SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(window->isOpen());
  EXPECT_EQ(stored(L"Left"), std::to_wstring(first.x * 15));
  EXPECT_EQ(stored(L"Top"), std::to_wstring(first.y * 15));

  open();
  SetWindowPos(window->hwnd(), nullptr, -40, 3000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  // Exit unloads the window, which saves the position, then ends the program.
  SendMessageW(control("Command3"), BM_CLICK, 0, 0);
  EXPECT_FALSE(window->isOpen());
  EXPECT_TRUE(pumpMessages());
  EXPECT_EQ(stored(L"Left"), L"-600");
  EXPECT_EQ(stored(L"Top"), L"45000");

  // A minimised window keeps where it will be restored to.
  open();
  SetWindowPos(window->hwnd(), nullptr, 100, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(window->hwnd(), SW_SHOWMINNOACTIVE);
  pumpMessages();
  ASSERT_TRUE(IsIconic(window->hwnd()));
  SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(stored(L"Left"), L"1500");
  EXPECT_EQ(stored(L"Top"), L"3000");
}

// Each edge is floored on its own, beyond the screen applied as it is, and
// an empty or bad one keeps where the system puts the window.
TEST_F(PositionMemoryTest, TheNextStartUsesTheStoredEdges) {
  open();
  const POINT system = windowCorner(window->hwnd());
  const struct {
    const wchar_t* left;  // null: none stored
    const wchar_t* top;
    POINT corner;
  } rows[] = {
      {L"1500", L"3000", {100, 200}},   {nullptr, L"1500.7", {system.x, 100}},
      {L"-100.2", L"", {-7, system.y}}, {L"left of the screen", nullptr, system},
      {L"-600", L"45000", {-40, 3000}},
  };
  for (const auto& row : rows) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kApplication);
    if (row.left) storeEdge(L"Left", row.left);
    if (row.top) storeEdge(L"Top", row.top);
    open();
    EXPECT_EQ(windowCorner(window->hwnd()).x, row.corner.x) << row.corner.x;
    EXPECT_EQ(windowCorner(window->hwnd()).y, row.corner.y) << row.corner.y;
  }
}

}  // namespace
}  // namespace sv::testing
