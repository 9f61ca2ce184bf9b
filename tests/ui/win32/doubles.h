#pragma once

// Doubles for what the Win32 windows work with: the open-file dialog, the
// settings store and the shell-open request.

#include "ui/win32/win32_file_dialog.h"
#include "ui/win32/win32_settings_store.h"
#include "ui/win32/win32_shell_open.h"

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sv::testing {

// Gives the preloaded answers in turn; nothing (Cancel) once they run out.
class FakeFileDialog : public win32::FileDialog {
 public:
  struct Call {
    HWND owner;
    std::string filter;
    std::string initialFile;
  };
  std::deque<std::optional<std::string>> answers;
  std::vector<Call> calls;

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
    return values[application + "/" + section + "/" + key];
  }
  void write(const std::string& application, const std::string& section, const std::string& key,
             const std::string& value) override {
    values[application + "/" + section + "/" + key] = value;
  }
};

class RecordingShell : public win32::ShellOpener {
 public:
  struct Call {
    HWND owner;
    std::string file;
  };
  std::vector<Call> calls;

  void shellExecute(HWND owner, const design::ShellOpenRequest& request) override {
    calls.push_back({owner, request.file});
  }
};

}  // namespace sv::testing
