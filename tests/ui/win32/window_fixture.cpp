#include "tests/ui/win32/window_fixture.h"

namespace sv::testing {

bool pumpMessages(win32::Form1* window) {
  bool quit = false;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit = true;
      continue;
    }
    if (window && window->preTranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return quit;
}

namespace {

std::function<bool()> g_step;
int g_triesLeft = 0;

void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
  // The step may open a modal loop of its own; no second tick may enter it.
  KillTimer(nullptr, id);
  const bool done = g_step() || --g_triesLeft <= 0;
  if (!done) SetTimer(nullptr, 0, 20, &onTimer);
}

}  // namespace

void whileModal(std::function<bool()> step) {
  g_step = std::move(step);
  g_triesLeft = 200;
  SetTimer(nullptr, 0, 20, &onTimer);
}

RECT clientRectOf(HWND child) {
  RECT place;
  GetWindowRect(child, &place);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

std::wstring windowText(HWND hwnd) {
  wchar_t buffer[1024] = {};
  GetWindowTextW(hwnd, buffer, 1024);
  return buffer;
}

std::string records(int first, int count, const std::string& notes) {
  std::string out;
  for (int k = first; k < first + count; ++k) {
    out += "CALL" + std::to_string(k) + "\r\nRDA-" + std::to_string(k) + "\r\n" + notes + " " +
           std::to_string(k) + "\r\n";
  }
  return out;
}

}  // namespace sv::testing
