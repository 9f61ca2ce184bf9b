#pragma once

// The outcome of a compare-and-delete run: success, or which file failed, how
// and where. Failures are values; nothing is thrown across the engine's API.

#include <cstddef>
#include <string>
#include <system_error>

namespace sv {

// The files of a run, named as the user knows them.
enum class RunFile { MainBase, Compared, Backup, Dupes };

class RunStatus {
 public:
  enum class Kind {
    Ok,
    ReadFailed,              // a file could not be read
    WriteFailed,             // a file could not be written
    Truncated,               // a file ends inside a record
    WouldOverwriteMainBase,  // the file cleaned or an output of the run is the main base itself
    OutOfResources,          // not enough memory, or no thread to be had
    ReadRefused,             // an input that cannot be read, seen before anything was touched
    ReplaceRefused,          // an output that cannot be replaced, seen before anything was touched
  };

  static RunStatus ok() { return RunStatus(); }
  static RunStatus readFailed(RunFile file, std::string path, std::error_code error);
  static RunStatus writeFailed(RunFile file, std::string path, std::error_code error);
  // record and missingLine count from 1; emptyTailLines counts the empty
  // lines after the last complete record when they are all the file has
  // left there (0 otherwise).
  static RunStatus truncated(RunFile file, std::string path, std::size_t record,
                             std::size_t missingLine, bool loneLineFeeds,
                             std::size_t emptyTailLines = 0);
  static RunStatus wouldOverwriteMainBase(RunFile file, std::string path);
  static RunStatus readRefused(RunFile file, std::string path, std::error_code error);
  static RunStatus replaceRefused(RunFile file, std::string path, std::error_code error);
  // file and path: what the run was reading or writing when memory ran out.
  static RunStatus outOfResources(RunFile file, std::string path);

  bool isOk() const { return m_kind == Kind::Ok; }
  Kind kind() const { return m_kind; }
  RunFile file() const { return m_file; }
  const std::string& path() const { return m_path; }
  std::error_code error() const { return m_error; }
  std::size_t record() const { return m_record; }
  std::size_t missingLine() const { return m_missingLine; }
  bool loneLineFeeds() const { return m_loneLineFeeds; }
  std::size_t emptyTailLines() const { return m_emptyTailLines; }

  // One or two sentences in plain words naming the file, what went wrong and
  // where; empty for success.
  std::string message() const;

 private:
  RunStatus() = default;
  // A failure of kind about the file at path.
  static RunStatus about(Kind kind, RunFile file, std::string path, std::error_code error);

  Kind m_kind = Kind::Ok;
  RunFile m_file = RunFile::Compared;
  std::string m_path;
  std::error_code m_error;
  std::size_t m_record = 0;
  std::size_t m_missingLine = 0;
  bool m_loneLineFeeds = false;
  std::size_t m_emptyTailLines = 0;
};

}  // namespace sv
