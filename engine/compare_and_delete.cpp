#include "engine/compare_and_delete.h"

#include <memory>
#include <optional>
#include <utility>

#include "engine/main_base_index.h"
#include "platform/file_system.h"

namespace sv {
namespace {

// Large enough to make writes cheap; much larger ones copy into the page
// cache more slowly.
constexpr std::size_t kWriteChunk = 128 << 10;

// Room for the records of a file, reserved up front so that lists and the
// index need not grow by copying. Real records take some 30 bytes; reserving
// for more than there are costs address space, not memory, since pages never
// written are never backed.
std::size_t likelyRecords(std::string_view data) { return data.size() / 20 + 16; }

RunStatus truncatedAt(RunFile file, const std::string& path, const std::string& data,
                      const RecordReader& reader) {
  return RunStatus::truncated(file, path, reader.linesRead() / 3 + 1, reader.linesRead() + 1,
                              hasLoneLineFeed(data));
}

// Collects the bytes of a list's file and hands them over in large pieces.
// When the source is already in written form, records are copied as they
// stand, and runs of neighbours in one piece, which is how most records of a
// real file go.
class ListWriter {
 public:
  explicit ListWriter(Replacement& out) : m_out(out) { m_chunk.reserve(kWriteChunk + 1024); }

  std::error_code addBytes(std::string_view bytes) {
    if (bytes.data() == m_run.data() + m_run.size()) {
      m_run = {m_run.data(), m_run.size() + bytes.size()};
      return {};
    }
    if (auto error = flushRun()) return error;
    m_run = bytes;
    return {};
  }

  std::error_code addRecord(const Record& record) {
    appendRecord(m_chunk, record);
    return m_chunk.size() >= kWriteChunk ? flushChunk() : std::error_code();
  }

  std::error_code finish() {
    if (auto error = flushRun()) return error;
    return flushChunk();
  }

 private:
  std::error_code flushRun() {
    const std::string_view run = std::exchange(m_run, {});
    if (run.size() >= kWriteChunk) {
      if (auto error = flushChunk()) return error;
      for (std::size_t pos = 0; pos < run.size(); pos += kWriteChunk) {
        if (auto error = m_out.append(run.substr(pos, kWriteChunk))) return error;
      }
      return {};
    }
    m_chunk.append(run);
    return m_chunk.size() >= kWriteChunk ? flushChunk() : std::error_code();
  }

  std::error_code flushChunk() {
    if (m_chunk.empty()) return {};
    const std::error_code error = m_out.append(m_chunk);
    m_chunk.clear();
    return error;
  }

  Replacement& m_out;
  std::string m_chunk;
  std::string_view m_run;
};

std::error_code writeWhole(FileSystem& files, const std::string& path,
                           const std::string& permissionsFrom, std::string_view data) {
  std::unique_ptr<Replacement> replacement;
  if (auto error = files.beginReplace(path, permissionsFrom, replacement)) return error;
  ListWriter writer(*replacement);
  if (auto error = writer.addBytes(data)) return error;
  if (auto error = writer.finish()) return error;
  return replacement->commit();
}

std::error_code writeList(FileSystem& files, const std::string& path, const ResultList& list,
                          bool sourceInWrittenForm) {
  std::unique_ptr<Replacement> replacement;
  if (auto error = files.beginReplace(path, path, replacement)) return error;
  ListWriter writer(*replacement);
  for (std::size_t k = 0; k < list.recordCount(); ++k) {
    const std::error_code error =
        sourceInWrittenForm ? writer.addBytes(list.bytes(k)) : writer.addRecord(list.record(k));
    if (error) return error;
  }
  if (auto error = writer.finish()) return error;
  return replacement->commit();
}

// The scan proper, once the compared file is in memory and backed up.
class Scan {
 public:
  Scan(FileSystem& files, const std::string& mainBasePath, const std::string& comparedPath,
       const std::string& compared, RunOutcome& outcome)
      : m_files(files),
        m_mainBasePath(mainBasePath),
        m_comparedPath(comparedPath),
        m_compared(compared),
        m_reader(compared),
        m_outcome(outcome) {}

  RunStatus run() {
    // The main base is only opened once there is a compared record to look
    // up, so an empty compared file needs no main base at all.
    if (m_reader.atEnd()) return RunStatus::ok();
    Pending& first = m_batch[0];
    if (!m_reader.read(first.record)) return comparedTruncated();
    first.start = 0;
    first.end = m_reader.position();
    first.hash = MainBaseIndex::hashKey(first.record);
    if (auto status = loadMainBase(first); !status.isOk()) return status;
    std::size_t count = 1;
    // Records are looked up a batch at a time so that the index's memory
    // latency overlaps; results still come out in file order.
    for (;;) {
      bool truncated = false;
      for (; count < kBatch && !m_reader.atEnd(); ++count) {
        Pending& next = m_batch[count];
        next.start = m_reader.position();
        if (!m_reader.read(next.record)) {
          truncated = true;
          break;
        }
        next.end = m_reader.position();
        next.hash = MainBaseIndex::hashKey(next.record);
        m_index->prefetchSlot(next.hash);
      }
      for (std::size_t k = 0; k < count; ++k) {
        m_batch[k].candidate = m_index->candidate(m_batch[k].hash);
      }
      for (std::size_t k = 0; k < count; ++k) m_index->prefetchRecord(m_batch[k].candidate);
      for (std::size_t k = 0; k < count; ++k) lookUp(m_batch[k]);
      if (truncated) return comparedTruncated();
      if (m_reader.atEnd()) return RunStatus::ok();
      count = 0;
    }
  }

 private:
  static constexpr std::size_t kBatch = 64;

  struct Pending {
    Record record;
    std::size_t start;
    std::size_t end;
    std::uint32_t hash;
    std::size_t candidate;  // see MainBaseIndex::candidate
  };

  RunStatus comparedTruncated() const {
    return truncatedAt(RunFile::Compared, m_comparedPath, m_compared, m_reader);
  }

  RunStatus loadMainBase(const Pending& firstCompared) {
    auto mainBase = std::make_shared<std::string>();
    if (auto error = m_files.readFile(m_mainBasePath, *mainBase)) {
      return RunStatus::readFailed(RunFile::MainBase, m_mainBasePath, error);
    }
    m_outcome.lists.List3 = ResultList(mainBase);
    m_index.emplace(*mainBase, likelyRecords(*mainBase));
    RecordReader reader(*mainBase);
    while (!reader.atEnd()) {
      const std::size_t start = reader.position();
      Record record;
      if (!reader.read(record)) {
        // A full pass over the main base reaches its broken tail while the
        // first compared record is being looked up, after that record's
        // coincidences with the complete records were already found.
        m_index->build();
        Pending first = firstCompared;
        first.candidate = m_index->candidate(first.hash);
        appendCoincidences(first);
        return truncatedAt(RunFile::MainBase, m_mainBasePath, *mainBase, reader);
      }
      m_index->add(record, start, reader.position());
    }
    m_index->build();
    return RunStatus::ok();
  }

  bool appendCoincidences(const Pending& compared) {
    bool found = false;
    m_index->forEachMatch(compared.record, compared.hash, compared.candidate, [&](std::size_t start, std::size_t end) {
      m_outcome.lists.List3.append(start, end);
      m_outcome.lists.List4.append(compared.start, compared.end);
      found = true;
    });
    return found;
  }

  void lookUp(const Pending& compared) {
    if (!appendCoincidences(compared)) m_outcome.lists.List2.append(compared.start, compared.end);
  }

  FileSystem& m_files;
  const std::string& m_mainBasePath;
  const std::string& m_comparedPath;
  const std::string& m_compared;
  RecordReader m_reader;
  RunOutcome& m_outcome;
  std::optional<MainBaseIndex> m_index;
  Pending m_batch[kBatch];
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
  outcome.lists.List2.reserve(likelyRecords(*compared));
  outcome.lists.List4 = ResultList(compared);
  outcome.status = Scan(files, mainBasePath, comparedPath, *compared, outcome).run();
  if (!outcome.status.isOk() || options.dryRun) return outcome;

  const bool writtenForm = isWrittenForm(*compared);
  if (auto error = writeList(files, comparedPath, outcome.lists.List2, writtenForm)) {
    outcome.status = RunStatus::writeFailed(RunFile::Compared, comparedPath, error);
    return outcome;
  }
  if (auto error = writeList(files, dupesPath, outcome.lists.List4, writtenForm)) {
    outcome.status = RunStatus::writeFailed(RunFile::Dupes, dupesPath, error);
  }
  return outcome;
}

}  // namespace sv
