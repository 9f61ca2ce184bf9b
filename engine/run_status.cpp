#include "engine/run_status.h"

#include "files/file_system.h"

namespace sv {
namespace {

std::string fileName(RunFile file) {
  switch (file) {
    case RunFile::MainBase:
      return "the main base";
    case RunFile::Compared:
      return "the file for comparing";
    case RunFile::Backup:
      return "the backup file";
    case RunFile::Dupes:
      return "the dupes file";
  }
  return {};
}

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

}  // namespace

RunStatus RunStatus::about(Kind kind, RunFile file, std::string path, std::error_code error) {
  RunStatus s;
  s.m_kind = kind;
  s.m_file = file;
  s.m_path = std::move(path);
  s.m_error = error;
  return s;
}

RunStatus RunStatus::readFailed(RunFile file, std::string path, std::error_code error) {
  return about(Kind::ReadFailed, file, std::move(path), error);
}

RunStatus RunStatus::writeFailed(RunFile file, std::string path, std::error_code error) {
  return about(Kind::WriteFailed, file, std::move(path), error);
}

RunStatus RunStatus::readRefused(RunFile file, std::string path, std::error_code error) {
  return about(Kind::ReadRefused, file, std::move(path), error);
}

RunStatus RunStatus::replaceRefused(RunFile file, std::string path, std::error_code error) {
  return about(Kind::ReplaceRefused, file, std::move(path), error);
}

RunStatus RunStatus::truncated(RunFile file, std::string path, std::size_t record,
                               std::size_t missingLine, bool loneLineFeeds,
                               std::size_t emptyTailLines) {
  RunStatus s = about(Kind::Truncated, file, std::move(path), {});
  s.m_record = record;
  s.m_missingLine = missingLine;
  s.m_loneLineFeeds = loneLineFeeds;
  s.m_emptyTailLines = emptyTailLines;
  return s;
}

RunStatus RunStatus::wouldOverwriteMainBase(RunFile file, std::string path) {
  return about(Kind::WouldOverwriteMainBase, file, std::move(path), {});
}

RunStatus RunStatus::outOfResources(RunFile file, std::string path) {
  return about(Kind::OutOfResources, file, std::move(path), {});
}

std::string RunStatus::message() const {
  switch (m_kind) {
    case Kind::Ok:
      return {};
    case Kind::ReadFailed:
      if (m_error == FileError::InUseByAnotherRun) {
        return "Nothing was done: another run is working on " + quoted(m_path) + ".";
      }
      return "Cannot read " + fileName(m_file) + " " + quoted(m_path) + ": " +
             describeError(m_error) + ".";
    case Kind::WriteFailed:
      return "Cannot write " + fileName(m_file) + " " + quoted(m_path) + ": " +
             describeError(m_error) + ".";
    case Kind::ReadRefused:
      return "Nothing was done: cannot read " + fileName(m_file) + " " + quoted(m_path) + ": " +
             describeError(m_error) + ".";
    case Kind::ReplaceRefused:
      return "Nothing was done: cannot replace " + fileName(m_file) + " " + quoted(m_path) + ": " +
             describeError(m_error) + ".";
    case Kind::Truncated: {
      std::string text = "The file " + quoted(m_path) + " (" + fileName(m_file) +
                         ") ends inside record " + std::to_string(m_record) + ": line " +
                         std::to_string(m_missingLine) +
                         " is missing, and every record has three lines.";
      if (m_loneLineFeeds) {
        text += " The file has LF-only line ends where CR LF is expected.";
      }
      if (m_emptyTailLines == 1) {
        text += " It ends with an extra empty line after its last complete record.";
      } else if (m_emptyTailLines > 1) {
        text += " It ends with " + std::to_string(m_emptyTailLines) +
                " extra empty lines after its last complete record.";
      }
      return text;
    }
    case Kind::WouldOverwriteMainBase:
      if (m_file == RunFile::Compared) {
        return "Nothing was done: the file for comparing " + quoted(m_path) +
               " is the main base itself.";
      }
      return "Nothing was done: " + fileName(m_file) + " " + quoted(m_path) +
             " would overwrite the main base.";
    case Kind::OutOfResources:
      return "There was not enough memory to finish the run while working on " + fileName(m_file) +
             " " + quoted(m_path) +
             ". The file for comparing is either unchanged or completely cleaned.";
  }
  return {};
}

}  // namespace sv
