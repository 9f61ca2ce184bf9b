// sv-cli.exe as a Windows user runs it: wide arguments, the same bytes out
// as on Linux, and runs on one file kept apart, also across processes.

#include "cli/sv_cli.h"
#include "files/win32/win32_file_system.h"
#include "tests/support/temp_dir.h"

#include <windows.h>

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>
#include <utility>

namespace sv {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  DWORD status = ~0u;
  std::string out;
  std::string err;
};

// Reads a pipe to its end on a thread of its own, so that neither pipe can
// fill up and stall the program.
std::thread drain(HANDLE pipe, std::string& into) {
  return std::thread([pipe, &into] {
    char buffer[4096];
    DWORD n = 0;
    while (::ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) into.append(buffer, n);
    ::CloseHandle(pipe);
  });
}

// The program beside this test's folder: cli/sv-cli.exe in the build.
std::wstring svCliExe() {
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  return (fs::path(self).parent_path().parent_path().parent_path() / "cli" / "sv-cli.exe")
      .wstring();
}

// Starts program with its arguments quoted and the given standard handles,
// which it inherits; null when it could not start.
HANDLE start(const std::wstring& program, const std::vector<std::wstring>& args, HANDLE in,
             HANDLE out, HANDLE err) {
  std::wstring line = L"\"" + program + L"\"";
  for (const std::wstring& arg : args) line += L" \"" + arg + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
    return nullptr;
  }
  ::CloseHandle(process.hThread);
  return process.hProcess;
}

// A pipe of which the child inherits one end: the reading one when it
// reads, else the writing one.
void pipe(HANDLE& read, HANDLE& write, bool childReads) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  ::CreatePipe(&read, &write, &inherit, 0);
  ::SetHandleInformation(childReads ? write : read, HANDLE_FLAG_INHERIT, 0);
}

Outcome runSvCli(const std::vector<std::wstring>& args) {
  HANDLE outRead, outWrite, errRead, errWrite;
  pipe(outRead, outWrite, false);
  pipe(errRead, errWrite, false);
  Outcome outcome;
  const HANDLE process =
      start(svCliExe(), args, ::GetStdHandle(STD_INPUT_HANDLE), outWrite, errWrite);
  ::CloseHandle(outWrite);
  ::CloseHandle(errWrite);
  std::thread outReader = drain(outRead, outcome.out);
  std::thread errReader = drain(errRead, outcome.err);
  if (process != nullptr) {
    ::WaitForSingleObject(process, INFINITE);
    ::GetExitCodeProcess(process, &outcome.status);
    ::CloseHandle(process);
  }
  outReader.join();
  errReader.join();
  return outcome;
}

class SvCliWin32Test : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_temp.ok()); }

  std::wstring path(const std::wstring& name) const { return (m_temp.dir() / name).wstring(); }
  static void write(const std::wstring& p, const std::string& data) {
    testing::TempDir::write(p, data);
  }
  static std::string read(const std::wstring& p) { return testing::TempDir::read(p); }

  testing::TempDir m_temp;
};

TEST_F(SvCliWin32Test, FileNamesOfAnyCharactersAndTheSameBytesOut) {
  // Neither name fits the system's 8-bit code page.
  const std::wstring main = path(L"Основа ☺.dat");
  const std::wstring compared = path(L"新しい 😀.rda");
  write(main, "UA3AAA\r\nMO-12\r\nmain\r\n");
  write(compared, "UA3AAA\r\nMO-12\r\nnew\r\nRN6BN\r\nKK-41\r\n\r\n");

  Outcome dry = runSvCli({L"--dry-run", main, compared});
  EXPECT_EQ(dry.status, 0u) << dry.err;
  // LF stays LF: nothing turns the output into text mode's CR LF.
  EXPECT_EQ(dry.out,
            "Callsign\tRDA Number\tNotes in main base\tNotes in file for comparing\n"
            "UA3AAA\tMO-12\tmain\tnew\nTotal dupes records: 1\n");

  Outcome run = runSvCli({main, compared});
  EXPECT_EQ(run.status, 0u) << run.err;
  EXPECT_EQ(run.out, "Total dupes records: 1\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(read(compared), "RN6BN\r\nKK-41\r\n\r\n");
  EXPECT_EQ(read(compared + L".bak"), "UA3AAA\r\nMO-12\r\nnew\r\nRN6BN\r\nKK-41\r\n\r\n");
  EXPECT_EQ(read(compared + L".dup"), "UA3AAA\r\nMO-12\r\nnew\r\n");
  EXPECT_EQ(m_temp.entries(), 4);

  // A failure names the file in UTF-8, as on Linux.
  Outcome missing = runSvCli({path(L"нет.dat"), compared});
  EXPECT_EQ(missing.status, 1u);
  EXPECT_NE(missing.err.find(toUtf8(path(L"нет.dat"))), std::string::npos) << missing.err;
  EXPECT_NE(missing.err.find("file not found"), std::string::npos) << missing.err;
}

// The C runtime may expand wildcards in arguments; a Linux shell quotes
// them, and so must nothing here change a name that holds them.
TEST_F(SvCliWin32Test, NamesAreTakenLiterallyNotAsPatterns) {
  write(path(L"MainBase.dat"), "A\r\n1\r\nmain\r\n");
  write(path(L"new[1].rda"), "A\r\n1\r\nnew\r\n");
  write(path(L"new1.rda"), "A\r\n1\r\nnot this one\r\n");
  Outcome run = runSvCli({path(L"MainBase.dat"), path(L"new[1].rda")});
  EXPECT_EQ(run.status, 0u) << run.err;
  EXPECT_EQ(read(path(L"new[1].rda")), "");
  EXPECT_EQ(read(path(L"new1.rda")), "A\r\n1\r\nnot this one\r\n");
  EXPECT_EQ(runSvCli({L"--dry-run", path(L"*.dat"), path(L"new1.rda")}).status, 1u);
}

// Another program holding a file, as a viewer, a virus scanner or the
// companion program does: sv-hold-file beside this test holds it with the
// given sharing until released, or for a given time.
class Holder {
 public:
  Holder(const std::wstring& file, const wchar_t* sharing, int milliseconds = -1) {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<std::wstring> args = {file, sharing};
    if (milliseconds >= 0) args.push_back(std::to_wstring(milliseconds));
    HANDLE inRead, outWrite, outRead;
    pipe(inRead, m_release, true);
    pipe(outRead, outWrite, false);
    m_process = start((fs::path(self).parent_path() / "sv-hold-file.exe").wstring(), args, inRead,
                      outWrite, ::GetStdHandle(STD_ERROR_HANDLE));
    const bool started = m_process != nullptr;
    ::CloseHandle(inRead);
    ::CloseHandle(outWrite);
    // It says so once it holds the file.
    char said[8] = {};
    DWORD n = 0;
    m_holding = started && ::ReadFile(outRead, said, 4, &n, nullptr) && n == 4 &&
                std::string(said, 4) == "held";
    ::CloseHandle(outRead);
  }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;
  ~Holder() { release(); }

  bool holding() const { return m_holding; }
  void release() {
    if (m_release != nullptr) ::CloseHandle(std::exchange(m_release, nullptr));
    if (m_process != nullptr) {
      ::WaitForSingleObject(m_process, INFINITE);
      ::CloseHandle(std::exchange(m_process, nullptr));
    }
  }

 private:
  HANDLE m_release = nullptr;
  HANDLE m_process = nullptr;
  bool m_holding = false;
};

// Held for a moment, a file is waited for and the run succeeds. Held for
// longer, the run fails saying so, before the compared file, the old backup
// or the old dupes file changes; once the other program lets go, a run puts
// every removed record in the dupes file.
TEST_F(SvCliWin32Test, AFileAnotherProgramHoldsIsWaitedForOrLeftAsItWas) {
  const std::wstring main = path(L"MainBase.dat");
  const std::wstring compared = path(L"new.rda");
  const std::string original = "A\r\n1\r\nnew\r\nB\r\n2\r\nstays\r\n";
  const struct {
    const wchar_t* file;
    const wchar_t* sharing;
  } cases[] = {
      {L"MainBase.dat", L"none"}, {L"new.rda", L"none"},     {L"new.rda", L"read"},
      {L"new.rda.bak", L"read"},  {L"new.rda.dup", L"read"},
  };
  for (const auto& c : cases) {
    for (const bool briefly : {true, false}) {
      SCOPED_TRACE(toUtf8(std::wstring(c.file) + L" shared for " + c.sharing) +
                   (briefly ? ", briefly" : ""));
      write(main, "A\r\n1\r\nmain\r\n");
      write(compared, original);
      write(compared + L".bak", "old backup");
      write(compared + L".dup", "old dupes");
      Holder holder(path(c.file), c.sharing, briefly ? 200 : -1);
      ASSERT_TRUE(holder.holding());
      if (!briefly) {
        const Outcome refused = runSvCli({main, compared});
        EXPECT_EQ(refused.status, 1u);
        EXPECT_NE(refused.err.find("is in use by another program"), std::string::npos)
            << refused.err;
        holder.release();
        EXPECT_EQ(read(compared), original);
        EXPECT_EQ(read(compared + L".bak"), "old backup");
        EXPECT_EQ(read(compared + L".dup"), "old dupes");
      }
      // In this process, so that the run meets the file within the hold.
      Win32FileSystem files;
      std::ostringstream out, err;
      EXPECT_EQ(runCli({toUtf8(main), toUtf8(compared)}, files, out, err), 0) << err.str();
      EXPECT_EQ(read(compared), "B\r\n2\r\nstays\r\n");
      EXPECT_EQ(read(compared + L".dup"), "A\r\n1\r\nnew\r\n");
      EXPECT_EQ(m_temp.entries(), 4) << "no temporary left";
    }
  }
}

}  // namespace
}  // namespace sv
