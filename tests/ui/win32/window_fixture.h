#pragma once

// Drives the real Win32 windows by messages, with the open-file dialog, the
// settings store and the shell-open request replaced by doubles, and the
// files in memory.

#include "platform/win32_file_dialog.h"
#include "platform/win32_settings_store.h"
#include "platform/win32_shell_open.h"
#include "tests/support/memory_file_system.h"
#include "ui/layout/design.h"
#include "ui/win32/form1.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sv::testing {

struct DialogCall {
  HWND owner;
  std::string filter;
  std::string initialFile;
};

// Gives the preloaded answers in turn; nothing (Cancel) once they run out.
class FakeFileDialog : public win32::FileDialog {
 public:
  std::deque<std::optional<std::string>> answers;
  std::vector<DialogCall> calls;

  std::optional<std::string> chooseFileToOpen(HWND owner, const std::string& filter,
                                              const std::string& initialFile) override {
    calls.push_back({owner, filter, initialFile});
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

class MemorySettings : public win32::SettingsStore {
 public:
  std::map<std::string, std::string> values;  // "application/section/key"

  std::string read(const std::string& application, const std::string& section,
                   const std::string& key) override {
    auto it = values.find(application + "/" + section + "/" + key);
    return it == values.end() ? std::string() : it->second;
  }
  void write(const std::string& application, const std::string& section, const std::string& key,
             const std::string& value) override {
    values[application + "/" + section + "/" + key] = value;
  }
};

struct ShellCall {
  HWND owner;
  std::string operation;
  std::string file;
  bool parametersNull;
  bool directoryNull;
  int showCommand;
};

class RecordingShell : public win32::ShellOpener {
 public:
  std::vector<ShellCall> calls;

  void shellExecute(HWND owner, const char* operation, const std::string& file,
                    const char* parameters, const char* directory, int showCommand) override {
    calls.push_back({owner, operation, file, parameters == nullptr, directory == nullptr,
                     showCommand});
  }
};

// Dispatches what is waiting in the queue, through the window's own keys
// first. True when the program was asked to end (WM_QUIT).
bool pumpMessages(win32::Form1* window = nullptr);

// Runs step from inside whatever modal loop is going (a pop-up menu, the
// About window, a dialog), again and again until it returns true or the
// number of tries is used up. Each try comes from a timer, so the loop has
// processed what the previous try posted.
void whileModal(std::function<bool()> step);

// The client-area rectangle of a child window.
RECT clientRectOf(HWND child);
std::wstring windowText(HWND hwnd);

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override { open(); }
  void TearDown() override { window.reset(); pumpMessages(); }

  void open(int dpi = layout::kDesignDpi) {
    window.reset();
    window = std::make_unique<win32::Form1>(
        win32::Form1Services{files, dialog, settings, shell,
                             [this](HWND owner, const std::wstring& message) {
                               failures.push_back({owner, message});
                             },
                             dpi});
    ASSERT_TRUE(window->isOpen());
    window->show(SW_SHOWNORMAL);
    pumpMessages(window.get());
  }
  HWND control(const char* name) const { return window->control(name); }
  void click(const char* name) {
    SendMessageW(control(name), BM_CLICK, 0, 0);
    pumpMessages(window.get());
  }
  // Picks both files with the pickers and runs Compare & Delete.
  void run(const std::string& mainBase, const std::string& compared) {
    dialog.answers = {mainBase, compared};
    click("of1");
    click("of2");
    click("Command1");
  }

  MemoryFileSystem files;
  FakeFileDialog dialog;
  MemorySettings settings;
  RecordingShell shell;
  std::vector<std::pair<HWND, std::wstring>> failures;
  std::unique_ptr<win32::Form1> window;
};

// n records "CALLk", "RDA-k", "note k" in CRLF lines.
std::string records(int first, int count, const std::string& notes = "note");

}  // namespace sv::testing
