// What Explorer and the installer show of sv.exe: its version resource and
// its one 16 x 16 icon, read from the built program.

#include <windows.h>

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The program in the build: ui/win32/sv.exe, two folders above this test's.
std::wstring svExe() {
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  return (fs::path(self).parent_path().parent_path().parent_path() / "ui" / "win32" / "sv.exe")
      .wstring();
}

class IdentityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(svExe().c_str(), &ignored);
    ASSERT_GT(size, 0u) << "sv.exe has no version resource";
    m_info.resize(size);
    ASSERT_TRUE(::GetFileVersionInfoW(svExe().c_str(), 0, size, m_info.data()));
  }

  std::wstring text(const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!::VerQueryValueW(m_info.data(), key.c_str(), &value, &length) || length == 0) return {};
    return static_cast<const wchar_t*>(value);
  }

  std::vector<char> m_info;
};

TEST_F(IdentityTest, VersionIsOnePointZeroZero) {
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(m_info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);  // 1.0
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000000u);  // .0.0
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(text(L"FileVersion"), L"1.00");
  EXPECT_EQ(text(L"ProductVersion"), L"1.00");
  EXPECT_EQ(text(L"ProductName"), L"Sievra");
  EXPECT_EQ(text(L"FileDescription"), L"VARNOK Sievra");
  EXPECT_EQ(text(L"OriginalFilename"), L"sv.exe");
  EXPECT_EQ(text(L"InternalName"), L"sv");
}

TEST(Identity, TheIconIsOneSixteenBySixteenImage) {
  HMODULE sv = ::LoadLibraryExW(svExe().c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(sv, nullptr);
  // The first icon group is the one Explorer shows.
  HRSRC group = ::FindResourceW(sv, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  ASSERT_NE(group, nullptr);
  const auto* directory = static_cast<const WORD*>(::LockResource(::LoadResource(sv, group)));
  EXPECT_EQ(directory[2], 1);  // idCount: one image
  HICON icon = static_cast<HICON>(::LoadImageW(sv, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, 0));
  ASSERT_NE(icon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(::GetIconInfo(icon, &info));
  BITMAP bitmap{};
  ::GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
  EXPECT_EQ(bitmap.bmWidth, 16);
  EXPECT_EQ(bitmap.bmHeight, 16);
  ::DeleteObject(info.hbmColor);
  ::DeleteObject(info.hbmMask);
  ::DestroyIcon(icon);
  ::FreeLibrary(sv);
}

}  // namespace
