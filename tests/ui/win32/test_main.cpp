// The window tests run on the one user-interface thread, as the program does.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <objbase.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  const int result = RUN_ALL_TESTS();
  CoUninitialize();
  return result;
}
