// The window tests run on the one user-interface thread, as the program does.

#include "tests/ui/win32/window_fixture.h"

#include <commctrl.h>
#include <filesystem>
#include <fstream>
#include <objbase.h>
#include <sstream>

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
UINT_PTR g_timer = 0;

void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
  // The step may open a modal loop of its own; no second tick may enter it.
  KillTimer(nullptr, id);
  g_timer = 0;
  const bool done = g_step() || --g_triesLeft <= 0;
  if (!done) g_timer = SetTimer(nullptr, 0, 20, &onTimer);
}

}  // namespace

void whileModal(std::function<bool()> step) {
  // A case may end before its last tick: that tick must not run this step too.
  if (g_timer) KillTimer(nullptr, g_timer);
  g_step = std::move(step);
  g_triesLeft = 200;
  g_timer = SetTimer(nullptr, 0, 20, &onTimer);
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

std::string hex(LONG value) {
  std::ostringstream text;
  text << std::hex << value;
  return text.str();
}

std::wstring query(HWND hwnd, const std::wstring& rest) {
  return std::to_wstring(reinterpret_cast<UINT_PTR>(hwnd)) + rest;
}

// The probe's requests reach this thread as messages, answered meanwhile.
std::vector<Answer> ask(const std::vector<std::wstring>& queries) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::filesystem::path probe =
      std::filesystem::path(path).replace_filename(L"sv-accessibility-probe.exe");
  const std::filesystem::path output =
      std::filesystem::temp_directory_path() / L"sv-accessibility-probe.txt";
  std::wstring command = L"\"" + probe.wstring() + L"\" \"" + output.wstring() + L"\"";
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
  std::ifstream file(output);
  for (std::string line; std::getline(file, line);) {
    Answer fields;
    std::istringstream parts(line);
    for (std::string field; std::getline(parts, field, '\t');) fields.push_back(field);
    answers.push_back(fields);
  }
  file.close();
  std::filesystem::remove(output);
  EXPECT_EQ(answers.size(), queries.size());
  answers.resize(queries.size());
  return answers;
}

void expectRead(HWND window, const design::Window& design,
                const std::map<std::string_view, LONG>& roles, const std::string& countText) {
  std::vector<const design::Control*> controls;
  std::vector<std::wstring> queries;
  for (const design::Control& c : design.controls) {
    const HWND hwnd = GetDlgItem(window, win32::controlId(design, c));
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
    EXPECT_EQ(answers[i][1], countLabel ? countText : design::accessibleName(design, c));
  }
}

}  // namespace sv::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  const int result = RUN_ALL_TESTS();
  CoUninitialize();
  return result;
}
