// sv-win32-lists-bench: how long the Win32 window takes from the end of a
// run to showing its lists, at RECORDS x RECORDS records (default 1M x 1M,
// 30 % dupes). The run's files are in memory; the end of the run is the
// moment its last file (the dupes file) is committed.
//
//   sv-win32-lists-bench [RECORDS]

#include "tests/support/memory_file_system.h"
#include "tests/ui/win32/doubles.h"
#include "ui/win32/form1.h"

#include <chrono>
#include <commctrl.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// Notes the time of every commit of the layer below it.
class TimedFileSystem : public sv::FileSystem {
 public:
  explicit TimedFileSystem(sv::FileSystem& inner) : m_inner(inner) {}
  Clock::time_point lastCommit{};

  std::error_code readFile(const std::string& path, sv::SharedContents& contents) override {
    return m_inner.readFile(path, contents);
  }
  std::error_code lockForRun(const std::string& path,
                             std::unique_ptr<sv::LockedFile>& out) override {
    return m_inner.lockForRun(path, out);
  }
  std::error_code checkUse(const std::string& path, sv::FileUse use) override {
    return m_inner.checkUse(path, use);
  }
  void removeDebris(const std::string& path) override { m_inner.removeDebris(path); }
  std::error_code beginReplace(const std::string& path, const sv::FileAttributes& attributes,
                               std::unique_ptr<sv::Replacement>& out) override {
    std::unique_ptr<sv::Replacement> inner;
    const std::error_code error = m_inner.beginReplace(path, attributes, inner);
    if (!error) out = std::make_unique<Timed>(std::move(inner), lastCommit);
    return error;
  }
  bool sameFile(const std::string& a, const std::string& b) override {
    return m_inner.sameFile(a, b);
  }

 private:
  class Timed : public sv::Replacement {
   public:
    Timed(std::unique_ptr<sv::Replacement> inner, Clock::time_point& when)
        : m_inner(std::move(inner)), m_when(when) {}
    std::error_code reserve(std::uint64_t bytes) override { return m_inner->reserve(bytes); }
    std::error_code append(std::string_view data) override { return m_inner->append(data); }
    std::error_code flush() override { return m_inner->flush(); }
    std::error_code commit() override {
      const std::error_code error = m_inner->commit();
      m_when = Clock::now();
      return error;
    }

   private:
    std::unique_ptr<sv::Replacement> m_inner;
    Clock::time_point& m_when;
  };

  sv::FileSystem& m_inner;
};

std::string records(long first, long count) {
  std::string out;
  out.reserve(static_cast<std::size_t>(count) * 32);
  char line[96];
  for (long k = first; k < first + count; ++k) {
    const int n =
        std::snprintf(line, sizeof(line), "UA%07ld\r\nRDA-%ld\r\nnote %ld\r\n", k, k % 9973, k);
    out.append(line, static_cast<std::size_t>(n));
  }
  return out;
}

void pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  sv::testing::MemoryFileSystem memory;
  // 30 % of the compared records are in the main base.
  memory.files["MainBase.dat"] = records(0, count);
  memory.files["new.rda"] = records(count - count * 3 / 10, count);
  TimedFileSystem files(memory);
  sv::testing::FakeFileDialog dialog;
  sv::testing::MemorySettings settings;
  sv::testing::RecordingShell shell;
  dialog.answers = {std::string("MainBase.dat"), std::string("new.rda")};

  sv::win32::Form1 window({files, dialog, settings, shell, {}, 0});
  window.show();
  pump();
  SendMessageW(window.control("of1"), BM_CLICK, 0, 0);
  SendMessageW(window.control("of2"), BM_CLICK, 0, 0);
  const Clock::time_point start = Clock::now();
  SendMessageW(window.control("Command1"), BM_CLICK, 0, 0);
  // Shown: every list and the count painted.
  RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  GdiFlush();
  const Clock::time_point shown = Clock::now();

  const auto ms = [](Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
  };
  const long items = static_cast<long>(SendMessageW(window.control("List2"), LB_GETCOUNT, 0, 0));
  std::printf(
      "records %ld x %ld: run %.0f ms, lists shown %.1f ms after the run's end "
      "(List2 %ld items, List4 %ld items)\n",
      count, count, ms(files.lastCommit - start), ms(shown - files.lastCommit), items,
      static_cast<long>(SendMessageW(window.control("List4"), LB_GETCOUNT, 0, 0)));
  return 0;
}
