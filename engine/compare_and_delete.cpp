#include "engine/compare_and_delete.h"

#include <memory>
#include <optional>

#include "engine/main_base_index.h"
#include "platform/file_system.h"

namespace sv {
namespace {

using Bytes = std::shared_ptr<std::string>;

// Large enough to make writes cheap, small enough not to matter beside the
// files held in memory.
constexpr std::size_t kWriteChunk = 1 << 20;

RunStatus truncatedAt(RunFile file, const std::string& path, const std::string& data,
                      const RecordReader& reader) {
  return RunStatus::truncated(file, path, reader.linesRead() / 3 + 1, reader.linesRead() + 1,
                              hasLoneLineFeed(data));
}

std::error_code writeWhole(FileSystem& files, const std::string& path,
                           const std::string& permissionsFrom, std::string_view data) {
  std::unique_ptr<Replacement> replacement;
  if (auto error = files.beginReplace(path, permissionsFrom, replacement)) return error;
  for (std::size_t pos = 0; pos < data.size(); pos += kWriteChunk) {
    if (auto error = replacement->append(data.substr(pos, kWriteChunk))) return error;
  }
  return replacement->commit();
}

std::error_code writeList(FileSystem& files, const std::string& path, const ResultList& list) {
  std::unique_ptr<Replacement> replacement;
  if (auto error = files.beginReplace(path, path, replacement)) return error;
  std::string chunk;
  chunk.reserve(kWriteChunk + 1024);
  for (std::size_t k = 0; k < list.recordCount(); ++k) {
    appendRecord(chunk, list.record(k));
    if (chunk.size() >= kWriteChunk) {
      if (auto error = replacement->append(chunk)) return error;
      chunk.clear();
    }
  }
  if (!chunk.empty()) {
    if (auto error = replacement->append(chunk)) return error;
  }
  return replacement->commit();
}

// The scan proper, once the compared file is in memory and backed up.
class Scan {
 public:
  Scan(FileSystem& files, const std::string& mainBasePath, const std::string& comparedPath,
       Bytes compared, RunOutcome& outcome)
      : m_files(files),
        m_mainBasePath(mainBasePath),
        m_comparedPath(comparedPath),
        m_compared(std::move(compared)),
        m_outcome(outcome) {}

  RunStatus run() {
    RecordReader reader(*m_compared);
    // The main base is only opened once there is a compared record to look
    // up, so an empty compared file needs no main base at all.
    if (reader.atEnd()) return RunStatus::ok();
    Record record;
    std::size_t start = reader.position();
    if (!reader.read(record)) return truncatedAt(RunFile::Compared, m_comparedPath, *m_compared, reader);
    if (auto status = loadMainBase(record); !status.isOk()) return status;
    for (;;) {
      lookUp(record, start);
      if (reader.atEnd()) return RunStatus::ok();
      start = reader.position();
      if (!reader.read(record)) {
        return truncatedAt(RunFile::Compared, m_comparedPath, *m_compared, reader);
      }
    }
  }

 private:
  RunStatus loadMainBase(const Record& firstCompared) {
    auto mainBase = std::make_shared<std::string>();
    if (auto error = m_files.readFile(m_mainBasePath, *mainBase)) {
      return RunStatus::readFailed(RunFile::MainBase, m_mainBasePath, error);
    }
    m_outcome.lists.List3 = ResultList(mainBase);
    RecordReader reader(*mainBase);
    while (!reader.atEnd()) {
      const std::size_t start = reader.position();
      Record record;
      if (!reader.read(record)) {
        // A full pass over the main base reaches its broken tail while the
        // first compared record is being looked up, after that record's
        // coincidences with the complete records were already found.
        m_index.build();
        appendCoincidences(firstCompared, 0);  // the first record starts the file
        return truncatedAt(RunFile::MainBase, m_mainBasePath, *mainBase, reader);
      }
      m_index.add(record, start);
    }
    m_index.build();
    return RunStatus::ok();
  }

  bool appendCoincidences(const Record& record, std::size_t start) {
    bool found = false;
    m_index.forEachMatch(record, [&](std::size_t mainStart) {
      m_outcome.lists.List3.append(mainStart);
      m_outcome.lists.List4.append(start);
      found = true;
    });
    return found;
  }

  void lookUp(const Record& record, std::size_t start) {
    if (!appendCoincidences(record, start)) m_outcome.lists.List2.append(start);
  }

  FileSystem& m_files;
  const std::string& m_mainBasePath;
  const std::string& m_comparedPath;
  Bytes m_compared;
  RunOutcome& m_outcome;
  MainBaseIndex m_index;
};

}  // namespace

std::string backupPathFor(const std::string& comparedPath) { return comparedPath + ".bak"; }
std::string dupesPathFor(const std::string& comparedPath) { return comparedPath + ".dup"; }

std::string countText(std::size_t dupesCount) {
  return "Total dupes records: " + std::to_string(dupesCount);
}

RunOutcome compareAndDelete(FileSystem& files, const std::string& mainBasePath,
                            const std::string& comparedPath, const RunOptions& options) {
  RunOutcome outcome;
  const std::string backupPath = backupPathFor(comparedPath);
  const std::string dupesPath = dupesPathFor(comparedPath);
  if (!options.dryRun) {
    // Outputs are written over whatever holds their names; the main base
    // must never be one of them.
    if (files.sameFile(backupPath, mainBasePath)) {
      outcome.status = RunStatus::wouldOverwriteMainBase(RunFile::Backup, backupPath);
      return outcome;
    }
    if (files.sameFile(dupesPath, mainBasePath)) {
      outcome.status = RunStatus::wouldOverwriteMainBase(RunFile::Dupes, dupesPath);
      return outcome;
    }
  }

  auto compared = std::make_shared<std::string>();
  if (auto error = files.readFile(comparedPath, *compared)) {
    outcome.status = RunStatus::readFailed(RunFile::Compared, comparedPath, error);
    return outcome;
  }
  if (!options.dryRun) {
    if (auto error = writeWhole(files, backupPath, comparedPath, *compared)) {
      outcome.status = RunStatus::writeFailed(RunFile::Backup, backupPath, error);
      return outcome;
    }
  }

  outcome.lists.List2 = ResultList(compared);
  outcome.lists.List4 = ResultList(compared);
  outcome.status = Scan(files, mainBasePath, comparedPath, compared, outcome).run();
  if (!outcome.status.isOk() || options.dryRun) return outcome;

  if (auto error = writeList(files, comparedPath, outcome.lists.List2)) {
    outcome.status = RunStatus::writeFailed(RunFile::Compared, comparedPath, error);
    return outcome;
  }
  if (auto error = writeList(files, dupesPath, outcome.lists.List4)) {
    outcome.status = RunStatus::writeFailed(RunFile::Dupes, dupesPath, error);
  }
  return outcome;
}

}  // namespace sv
