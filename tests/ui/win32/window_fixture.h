#pragma once

// Drives the real Win32 windows by messages, with the open-file dialog, the
// settings store and the shell-open request replaced by doubles, and the
// files in memory.

#include "files/win32/win32_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/ui/win32/doubles.h"
#include "ui/design/window_tables.h"
#include "ui/win32/form1.h"

#include <windows.h>

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sv::testing {

// Dispatches what is waiting in the queue, through the window's own keys
// first. True when the program was asked to end (WM_QUIT).
bool pumpMessages(win32::Form1* window = nullptr);

// Runs step from inside whatever modal loop is going (a pop-up menu, the
// About window), by a timer, until it returns true or 200 tries are used up.
void whileModal(std::function<bool()> step);

// A list box's item count and selected item (-1: none).
inline int count(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)); }
inline int selected(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)); }

std::wstring windowText(HWND hwnd);

// What a screen reader reads, asked from a second process
// (sv-accessibility-probe) as one does: for each query, "HWND" or
// "HWND:child", the fields of the probe's answer.
using Answer = std::vector<std::string>;
std::wstring query(HWND hwnd, const std::wstring& rest = L"");
std::vector<Answer> ask(const std::vector<std::wstring>& queries);
std::string hex(LONG value);
// Each visible control of window, built from design, is read by the words
// the window tables give it (Form1's Label1: countText); roles names the
// role of a few.
void expectRead(HWND window, const design::Window& design,
                const std::map<std::string_view, LONG>& roles, const std::string& countText = {});

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override { open(); }
  void TearDown() override {
    window.reset();
    pumpMessages();
  }

  void open(int dpi = design::kBaseDpi) {
    window.reset();
    window = std::make_unique<win32::Form1>(
        win32::Form1Services{files, dialog, *store, shell,
                             [this](HWND owner, const std::wstring& message) {
                               failures.push_back({owner, message, GetCursor()});
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
  win32::SettingsStore* store = &settings;  // what open() gives the window
  RecordingShell shell;
  struct Failure {
    HWND owner;
    std::wstring message;
    HCURSOR pointer;  // the pointer shown with the message
  };
  std::vector<Failure> failures;
  std::unique_ptr<win32::Form1> window;
};

// n records "CALLk", "RDA-k", "note k" in CRLF lines.
std::string records(int first, int count, const std::string& notes = "note");

}  // namespace sv::testing
