// The window position in the registry, where Windows programs' own
// application-settings functions keep it, in twips as decimal text.

#include "tests/ui/win32/window_fixture.h"

namespace sv::testing {
namespace {

constexpr wchar_t kSection[] = L"Software\\VB and VBA Program Settings\\VARNOK SV\\Pos";

std::wstring registryValue(const wchar_t* name) {
  wchar_t text[64] = {};
  DWORD size = sizeof(text);
  if (RegGetValueW(HKEY_CURRENT_USER, kSection, name, RRF_RT_REG_SZ, nullptr, text, &size) !=
      ERROR_SUCCESS) {
    return L"<missing>";
  }
  return text;
}

void setRegistryValue(const wchar_t* name, const std::wstring& text) {
  RegSetKeyValueW(HKEY_CURRENT_USER, kSection, name, REG_SZ, text.c_str(),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

POINT windowCorner(HWND hwnd) {
  RECT place;
  GetWindowRect(hwnd, &place);
  return {place.left, place.top};
}

void clearRegistry() {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\VARNOK SV");
}

// The window with the real registry store; each case opens its own.
class PositionMemoryTest : public Form1Test {
 protected:
  void SetUp() override {
    clearRegistry();
    store = &registry;
  }
  void TearDown() override {
    Form1Test::TearDown();
    clearRegistry();
  }
  // Closes the window by its close box.
  void close() {
    SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(window->isOpen());
    window.reset();
  }

  win32::RegistrySettingsStore registry;
};

TEST_F(PositionMemoryTest, CloseBoxAndExitSaveTheEdgesInTwipsAndTheNextStartUsesThem) {
  open();
  const POINT first = windowCorner(window->hwnd());  // where the system put it
  close();
  EXPECT_EQ(registryValue(L"Left"), std::to_wstring(first.x * 15));
  EXPECT_EQ(registryValue(L"Top"), std::to_wstring(first.y * 15));

  open();
  EXPECT_EQ(windowCorner(window->hwnd()).x, first.x);
  EXPECT_EQ(windowCorner(window->hwnd()).y, first.y);
  SetWindowPos(window->hwnd(), nullptr, -40, 3000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  // Exit unloads the window, which saves the position, then ends the program.
  SendMessageW(window->control("Command3"), BM_CLICK, 0, 0);
  EXPECT_FALSE(window->isOpen());
  EXPECT_TRUE(pumpMessages());
  EXPECT_EQ(registryValue(L"Left"), L"-600");
  EXPECT_EQ(registryValue(L"Top"), L"45000");

  // Beyond the screen it is applied as it is.
  open();
  EXPECT_EQ(windowCorner(window->hwnd()).x, -40);
  EXPECT_EQ(windowCorner(window->hwnd()).y, 3000);
}

TEST_F(PositionMemoryTest, AMinimisedWindowStoresWhereItWillBeRestoredTo) {
  open();
  SetWindowPos(window->hwnd(), nullptr, 100, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(window->hwnd(), SW_SHOWMINNOACTIVE);
  pumpMessages();
  ASSERT_TRUE(IsIconic(window->hwnd()));
  close();
  EXPECT_EQ(registryValue(L"Left"), L"1500");
  EXPECT_EQ(registryValue(L"Top"), L"3000");
}

TEST_F(PositionMemoryTest, EachEdgeIsFlooredOnItsOwnAndAnEmptyOrBadOneKeepsTheDefault) {
  open();
  const POINT designed = windowCorner(window->hwnd());
  window.reset();

  setRegistryValue(L"Top", L"1500.7");  // floor 1500: 100 pixels
  open();
  EXPECT_EQ(windowCorner(window->hwnd()).x, designed.x);
  EXPECT_EQ(windowCorner(window->hwnd()).y, 100);
  window.reset();

  setRegistryValue(L"Left", L"-100.2");  // floor -101: about -7 pixels
  setRegistryValue(L"Top", L"");
  open();
  EXPECT_EQ(windowCorner(window->hwnd()).x, -7);
  EXPECT_EQ(windowCorner(window->hwnd()).y, designed.y);
  window.reset();

  setRegistryValue(L"Left", L"left of the screen");
  open();
  EXPECT_EQ(windowCorner(window->hwnd()).x, designed.x);
}

// UTF-8 in the program, wide characters in the registry, as other programs
// read and write them.
TEST(RegistrySettingsStoreTest, KeepsTextOfAnyCharactersPerApplicationSectionAndKey) {
  const std::string application = "Sievra test \xd0\xa2";
  const std::wstring key = L"Software\\VB and VBA Program Settings\\Sievra test \x0422";
  RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
  win32::RegistrySettingsStore store;
  EXPECT_EQ(store.read(application, "Pos", "Left"), "");
  store.write(application, "Pos", "Left", "12\xe2\x82\xac");
  store.write(application, "Other", "Left", "7");
  wchar_t text[8] = {};
  DWORD size = sizeof(text);
  RegGetValueW(HKEY_CURRENT_USER, (key + L"\\Pos").c_str(), L"Left", RRF_RT_REG_SZ, nullptr, text,
               &size);
  EXPECT_STREQ(text, L"12\x20ac");
  RegSetKeyValueW(HKEY_CURRENT_USER, (key + L"\\Pos").c_str(), L"Top", REG_SZ, L"\x20ac", 4);
  EXPECT_EQ(store.read(application, "Pos", "Top"), "\xe2\x82\xac");
  EXPECT_EQ(store.read(application, "Other", "Left"), "7");
  store.write(application, "Pos", "Left", "");
  EXPECT_EQ(store.read(application, "Pos", "Left"), "");
  RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
}

}  // namespace
}  // namespace sv::testing
