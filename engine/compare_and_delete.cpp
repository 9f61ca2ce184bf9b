#include "engine/compare_and_delete.h"

#include "engine/main_base_index.h"
#include "files/file_system.h"

#include <algorithm>
#include <functional>
#include <future>
#include <memory>
#include <new>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

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

// How many empty lines the data ends with after its last complete record,
// when those are all there is of its last record (else 0): one line end too
// many at the end is a common slip, and worth naming.
std::size_t emptyTailLines(std::string_view data, std::size_t partialLines) {
  for (std::size_t k = 0; k < partialLines; ++k) {
    if (data.ends_with("\r\n")) {
      data.remove_suffix(2);
    } else if (data.ends_with('\r')) {
      data.remove_suffix(1);
    } else {
      return 0;
    }
  }
  return data.empty() || data.ends_with('\r') || data.ends_with("\r\n") ? partialLines : 0;
}

RunStatus truncatedAt(RunFile file, const std::string& path, std::string_view data,
                      const RecordReader& reader) {
  return RunStatus::truncated(file, path, reader.linesRead() / 3 + 1, reader.linesRead() + 1,
                              hasLoneLineFeed(data), emptyTailLines(data, reader.linesRead() % 3));
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

  // Adds times copies of bytes, which need not outlive the call. A record
  // with thousands of coincidences is written from a block of its copies,
  // made once.
  std::error_code addCopies(std::string_view bytes, std::uint64_t times) {
    if (auto error = flushRun()) return error;
    if (bytes.empty()) return {};
    const std::uint64_t perBlock = std::max<std::size_t>(1, kWriteChunk / bytes.size());
    if (times >= 2 * perBlock) {
      if (auto error = flushChunk()) return error;
      std::string block;
      block.reserve(perBlock * bytes.size());
      for (std::uint64_t i = 0; i < perBlock; ++i) block.append(bytes);
      for (; times >= perBlock; times -= perBlock) {
        if (auto error = m_out.append(block)) return error;
      }
    }
    for (; times > 0; --times) {
      m_chunk.append(bytes);
      if (m_chunk.size() >= kWriteChunk) {
        if (auto error = flushChunk()) return error;
      }
    }
    return {};
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

// Writes a new version of path beside it and flushes it to disk; the caller
// commits it. size, when known, is claimed on the disk first, so that a disk
// too full for the file fails before anything is written.
std::error_code prepare(FileSystem& files, const std::string& path,
                        const FileAttributes& attributes, std::uint64_t size,
                        const std::function<std::error_code(ListWriter&)>& fill,
                        std::unique_ptr<Replacement>& replacement) {
  if (auto error = files.beginReplace(path, attributes, replacement)) return error;
  if (auto error = replacement->reserve(size)) return error;
  ListWriter writer(*replacement);
  if (auto error = fill(writer)) return error;
  if (auto error = writer.finish()) return error;
  return replacement->flush();
}

std::error_code writeWhole(FileSystem& files, const std::string& path,
                           const FileAttributes& attributes, std::string_view data) {
  std::unique_ptr<Replacement> replacement;
  auto fill = [data](ListWriter& writer) { return writer.addBytes(data); };
  if (auto error = prepare(files, path, attributes, data.size(), fill, replacement)) return error;
  return replacement->commit();
}

// Calls visit(bytes, times) for each run of a list's records as written:
// as they stand when the source is in written form, else rewritten with
// CR LF line ends, into a buffer that lasts only for the call.
std::error_code forEachWrittenRun(
    const ResultList& list, bool sourceInWrittenForm,
    const std::function<std::error_code(std::string_view, std::uint64_t, bool)>& visit) {
  std::string rewritten;
  return list.forEachRun([&](std::string_view bytes, std::uint64_t times) {
    if (sourceInWrittenForm) return visit(bytes, times, true);
    rewritten.clear();
    appendRecord(rewritten, recordAt(bytes, 0));
    return visit(rewritten, times, false);
  });
}

// The exact size of a list's file, computed without writing it: room
// reserved beyond it would stay taken.
std::uint64_t writtenSize(const ResultList& list, bool sourceInWrittenForm) {
  std::uint64_t size = 0;
  (void)forEachWrittenRun(list, sourceInWrittenForm,
                          [&](std::string_view bytes, std::uint64_t times, bool) {
                            size += bytes.size() * times;
                            return std::error_code();
                          });
  return size;
}

std::error_code prepareList(FileSystem& files, const std::string& path,
                            const FileAttributes& attributes, const ResultList& list,
                            bool sourceInWrittenForm, std::unique_ptr<Replacement>& replacement) {
  auto fill = [&](ListWriter& writer) {
    return forEachWrittenRun(
        list, sourceInWrittenForm, [&](std::string_view bytes, std::uint64_t times, bool lasting) {
          // Bytes that stay put may be gathered with their neighbours.
          return lasting && times == 1 ? writer.addBytes(bytes) : writer.addCopies(bytes, times);
        });
  };
  // The size comes from the kept records and the dupes with their counts,
  // a pass over the lists' own small entries, not over every coincidence.
  return prepare(files, path, attributes, writtenSize(list, sourceInWrittenForm), fill,
                 replacement);
}

// What a scan finds, as it grows.
struct Found {
  KeptRecords kept;
  Coincidences coincidences;
};

// The main base as read on a thread of its own, started with the compared
// file's read: copying the two files is a fair share of a run.
struct MainBaseRead {
  std::error_code error;
  SharedContents contents;
};

// The scan proper, once the compared file is in memory. The main base is
// loaded and indexed on a thread of its own while this one reads the rest of
// the compared records; then each compared record is looked up in turn, so
// results come out in file order.
class Scan {
 public:
  Scan(std::future<MainBaseRead>& mainBaseRead, const std::string& mainBasePath,
       const std::string& comparedPath, std::string_view compared, Found& found)
      : m_mainBaseRead(mainBaseRead),
        m_mainBasePath(mainBasePath),
        m_comparedPath(comparedPath),
        m_compared(compared),
        m_found(found) {}

  RunStatus run() {
    RecordReader reader(m_compared);
    // The main base is only opened once there is a complete compared record
    // to look up: an empty compared file needs no main base at all, and an
    // incomplete first record is the failure met first.
    if (reader.atEnd()) return RunStatus::ok();
    m_ends.reserve(likelyRecords(m_compared));
    m_hashes.reserve(likelyRecords(m_compared));
    if (auto status = readRecord(reader); !status.isOk()) return status;
    auto mainBase =
        std::async(std::launch::async | std::launch::deferred, [this] { return loadMainBase(); });
    RunStatus comparedStatus = RunStatus::ok();
    while (!reader.atEnd() && comparedStatus.isOk()) comparedStatus = readRecord(reader);
    const RunStatus mainBaseStatus = mainBase.get();
    if (m_index) m_found.coincidences.setGroups(m_index->groups());

    // Failures come out in the order a record-by-record scan meets them: the
    // main base, then the rest of the compared file.
    if (!mainBaseStatus.isOk()) {
      // A scan reaches a broken main base tail while looking up the first
      // compared record, after that record's coincidences with the complete
      // records were already found.
      if (m_index) lookUp(0, m_index->candidate(m_hashes[0]), m_found);
      return mainBaseStatus;
    }
    lookUpAll();
    return comparedStatus;
  }

  // The main base as read, once the scan got that far.
  SharedContents mainBase() const { return m_mainBase; }

 private:
  std::size_t startOf(std::size_t i) const { return i == 0 ? 0 : m_ends[i - 1]; }

  RunStatus readRecord(RecordReader& reader) {
    Record record;
    if (!reader.read(record)) {
      return truncatedAt(RunFile::Compared, m_comparedPath, m_compared, reader);
    }
    m_ends.push_back(reader.position());
    m_hashes.push_back(MainBaseIndex::hashKey(record));
    return RunStatus::ok();
  }

  RunStatus loadMainBase() {
    MainBaseRead read = m_mainBaseRead.get();
    if (read.error) return RunStatus::readFailed(RunFile::MainBase, m_mainBasePath, read.error);
    const SharedContents contents = std::move(read.contents);
    m_mainBase = contents;
    const std::string_view mainBase = contents->bytes();
    m_index.emplace(mainBase, likelyRecords(mainBase));
    RecordReader reader(mainBase);
    while (!reader.atEnd()) {
      const std::size_t start = reader.position();
      Record record;
      if (!reader.read(record)) {
        m_index->build();
        return truncatedAt(RunFile::MainBase, m_mainBasePath, mainBase, reader);
      }
      m_index->add(record, start);
    }
    m_index->build();
    return RunStatus::ok();
  }

  // The compared records are looked up in two halves side by side, each
  // into lists of its own; the second half's lists then follow the first's,
  // which keeps file order.
  void lookUpAll() {
    const std::size_t half = m_ends.size() / 2;
    if (half < kParallelFrom) {
      reserve(m_found, m_ends.size());
      lookUpRange(0, m_ends.size(), m_found);
      return;
    }
    Found second{{}, Coincidences(m_index->groups())};
    reserve(m_found, half);
    reserve(second, m_ends.size() - half);
    auto secondDone = std::async(std::launch::async | std::launch::deferred,
                                 [&] { lookUpRange(half, m_ends.size(), second); });
    lookUpRange(0, half, m_found);
    secondDone.get();
    m_found.kept.appendAll(std::move(second.kept));
    m_found.coincidences.appendAll(std::move(second.coincidences));
  }

  // Room for what records compared records give: at most that many kept,
  // and at most that many dupes, however many coincidences. Growing by
  // copying would touch the memory of every size on the way; reserving
  // touches none until it is used.
  static void reserve(Found& found, std::size_t records) {
    found.kept.reserve(records);
    found.coincidences.reserve(records);
  }

  // Lookups go as a pipeline so that the index's memory latency overlaps:
  // the slot of the record kAhead * 2 ahead is prefetched, the record that
  // the slot kAhead ahead names is prefetched, and the current record is
  // compared with what has arrived by then.
  void lookUpRange(std::size_t from, std::size_t to, Found& found) const {
    constexpr std::size_t kAhead = 32;
    std::size_t candidates[kAhead];
    auto slotStage = [&](std::size_t i) {
      if (i < to) m_index->prefetchSlot(m_hashes[i]);
    };
    auto recordStage = [&](std::size_t i) {
      if (i >= to) return;
      candidates[i % kAhead] = m_index->candidate(m_hashes[i]);
      m_index->prefetchRecord(candidates[i % kAhead]);
    };
    for (std::size_t i = from; i < from + 2 * kAhead; ++i) slotStage(i);
    for (std::size_t i = from; i < from + kAhead; ++i) recordStage(i);
    for (std::size_t i = from; i < to; ++i) {
      const std::size_t candidate = candidates[i % kAhead];
      slotStage(i + 2 * kAhead);
      recordStage(i + kAhead);
      if (!lookUp(i, candidate, found)) found.kept.append({startOf(i), m_ends[i]});
    }
  }

  // Adds compared record i's coincidences; false when it has none.
  bool lookUp(std::size_t i, std::size_t candidate, Found& found) const {
    if (!m_index->mayMatch(candidate)) return false;
    const std::size_t start = startOf(i);
    const Partners partners =
        m_index->partners(recordAt(m_compared, start), m_hashes[i], candidate);
    if (partners.count == 0) return false;
    found.coincidences.append({start, m_ends[i]}, partners);
    return true;
  }

  // Below this many records a second thread costs more than it saves.
  static constexpr std::size_t kParallelFrom = 1 << 16;

  std::future<MainBaseRead>& m_mainBaseRead;
  const std::string& m_mainBasePath;
  const std::string& m_comparedPath;
  std::string_view m_compared;
  Found& m_found;
  SharedContents m_mainBase;
  std::optional<MainBaseIndex> m_index;
  // One of each for every compared record, so kept apart: together they
  // would be padded to 16 bytes. Records follow each other, so where one
  // starts is where the one before it ended.
  std::vector<std::uint64_t> m_ends;
  std::vector<std::uint32_t> m_hashes;
};

ResultLists listsOf(Found&& found, const SharedContents& compared, const SharedContents& mainBase) {
  auto coincidences = std::make_shared<const Coincidences>(std::move(found.coincidences));
  ResultLists lists;
  lists.List2 = ResultList(compared, std::make_shared<const KeptRecords>(std::move(found.kept)));
  lists.List4 = ResultList(compared, coincidences, ResultList::Side::Compared);
  if (mainBase) lists.List3 = ResultList(mainBase, coincidences, ResultList::Side::MainBase);
  return lists;
}

}  // namespace

std::string backupPathFor(const std::string& comparedPath) { return comparedPath + ".bak"; }
std::string dupesPathFor(const std::string& comparedPath) { return comparedPath + ".dup"; }

std::string countText(std::size_t dupesCount) {
  return "Total dupes records: " + std::to_string(dupesCount);
}

namespace {

// What the run is working on, for a failure that can strike anywhere (memory
// running out): the user is told which file it was.
struct Progress {
  RunFile file = RunFile::Compared;
  std::string path;
};

RunOutcome failed(RunStatus status) {
  RunOutcome outcome;
  outcome.status = std::move(status);
  return outcome;
}

// One run, as its steps. Each step returns ok to let the next one go, or
// the status the run ends with.
class Run {
 public:
  Run(FileSystem& files, const std::string& mainBasePath, const std::string& comparedPath,
      const RunOptions& options, Progress& progress)
      : m_files(files),
        m_mainBasePath(mainBasePath),
        m_comparedPath(comparedPath),
        m_backupPath(backupPathFor(comparedPath)),
        m_dupesPath(dupesPathFor(comparedPath)),
        m_dryRun(options.dryRun),
        m_progress(progress) {}

  RunOutcome go() {
    for (auto step : {&Run::refuse, &Run::lock, &Run::read}) {
      if (auto status = (this->*step)(); !status.isOk()) return failed(std::move(status));
    }
    startBackup();
    scan();
    if (auto status = finishBackup(); !status.isOk()) return failed(std::move(status));
    if (m_outcome.status.isOk() && !m_dryRun) m_outcome.status = write();
    return std::move(m_outcome);
  }

 private:
  // The main base is only ever read. Cleaning it against itself would empty
  // it, and outputs are written over whatever holds their names; all of this
  // is refused before anything is touched, as is an input that is no file.
  RunStatus refuse() {
    if (m_files.sameFile(m_comparedPath, m_mainBasePath)) {
      return RunStatus::wouldOverwriteMainBase(RunFile::Compared, m_comparedPath);
    }
    if (!m_dryRun) {
      for (const auto& [file, path] :
           {std::pair{RunFile::Backup, &m_backupPath}, std::pair{RunFile::Dupes, &m_dupesPath}}) {
        if (m_files.sameFile(*path, m_mainBasePath)) {
          return RunStatus::wouldOverwriteMainBase(file, *path);
        }
      }
    }
    if (auto error = m_files.checkUse(m_mainBasePath, FileUse::Read)) {
      return RunStatus::readRefused(RunFile::MainBase, m_mainBasePath, error);
    }
    return RunStatus::ok();
  }

  // The lock is held to the end, so that no other run cleans the same file
  // meanwhile; a dry run changes nothing and needs none. Every file the run
  // will replace is then checked, so that one that cannot be replaced stops
  // the run before the old backup, the user's way back, is gone.
  RunStatus lock() {
    m_progress = {RunFile::Compared, m_comparedPath};
    if (m_dryRun) return RunStatus::ok();
    if (auto error = m_files.lockForRun(m_comparedPath, m_lock)) {
      return RunStatus::readFailed(RunFile::Compared, m_comparedPath, error);
    }
    const std::pair<RunFile, const std::string*> outputs[] = {
        {RunFile::Compared, &m_lock->target()},
        {RunFile::Backup, &m_backupPath},
        {RunFile::Dupes, &m_dupesPath}};
    for (const auto& [file, path] : outputs) {
      if (auto error = m_files.checkUse(*path, FileUse::Replace)) {
        return RunStatus::replaceRefused(file, file == RunFile::Compared ? m_comparedPath : *path,
                                         error);
      }
    }
    m_files.removeDebris(m_backupPath);
    if (m_lock->target() != m_comparedPath) m_files.removeDebris(m_lock->target());
    return RunStatus::ok();
  }

  // The main base is read on a thread of its own alongside the compared
  // file; its failure only counts once the compared file has a record to
  // look up.
  RunStatus read() {
    m_mainBaseRead = std::async(std::launch::async | std::launch::deferred, [this] {
      MainBaseRead read;
      read.error = m_files.readFile(m_mainBasePath, read.contents);
      return read;
    });
    if (auto error =
            m_lock ? m_lock->read(m_contents) : m_files.readFile(m_comparedPath, m_contents)) {
      return RunStatus::readFailed(RunFile::Compared, m_comparedPath, error);
    }
    // The outputs hold the compared file's records, so they get its owner
    // and access rules; the cleaned file keeps the rest of what it is too.
    if (m_lock) m_attributes = m_lock->attributes();
    return RunStatus::ok();
  }

  // The backup is written while the scan runs, since both take about as
  // long. Its failure still comes first: the run then reports it and
  // nothing of the scan, as if it had stopped there.
  void startBackup() {
    if (m_dryRun) return;
    m_backup = std::async(std::launch::async | std::launch::deferred, [this] {
      return writeWhole(m_files, m_backupPath, m_attributes.accessOnly(), m_contents->bytes());
    });
  }

  void scan() {
    m_progress = {RunFile::MainBase, m_mainBasePath};
    Found found;
    Scan scan(m_mainBaseRead, m_mainBasePath, m_comparedPath, m_contents->bytes(), found);
    m_outcome.status = scan.run();
    // The index goes with the scan; the lists keep only what they show.
    m_outcome.lists = listsOf(std::move(found), m_contents, scan.mainBase());
  }

  RunStatus finishBackup() {
    if (!m_backup.valid()) return RunStatus::ok();
    m_progress = {RunFile::Backup, m_backupPath};
    if (auto error = m_backup.get()) {
      return RunStatus::writeFailed(RunFile::Backup, m_backupPath, error);
    }
    return RunStatus::ok();
  }

  // Both new files are written and flushed before either is put in place:
  // a dupes file that cannot be written must not leave a cleaned compared
  // file whose removed records live only in the backup.
  RunStatus write() {
    // A file nobody may write is one its owner keeps as it is, though a
    // rename in a writable folder (and root, always) could replace it. Its
    // outputs are the run's own and are replaced whatever their mode.
    if (m_attributes.known && (m_attributes.mode & 0222) == 0) {
      return RunStatus::writeFailed(RunFile::Compared, m_comparedPath,
                                    std::make_error_code(std::errc::permission_denied));
    }
    m_progress = {RunFile::Dupes, m_dupesPath};
    const bool writtenForm = isWrittenForm(m_contents->bytes());
    std::unique_ptr<Replacement> dupes;
    auto dupesWritten = std::async(std::launch::async | std::launch::deferred, [&] {
      return prepareList(m_files, m_dupesPath, m_attributes.accessOnly(), m_outcome.lists.List4,
                         writtenForm, dupes);
    });
    std::unique_ptr<Replacement> cleaned;
    const std::error_code cleanedError = prepareList(m_files, m_lock->target(), m_attributes,
                                                     m_outcome.lists.List2, writtenForm, cleaned);
    const std::error_code dupesError = dupesWritten.get();
    if (cleanedError)
      return RunStatus::writeFailed(RunFile::Compared, m_comparedPath, cleanedError);
    if (dupesError) return RunStatus::writeFailed(RunFile::Dupes, m_dupesPath, dupesError);
    return putInPlace(*dupes, *cleaned);
  }

  // The dupes file goes first: should the compared file then fail to be
  // replaced, it still holds every record, and the next run finds the same
  // dupes again. The other way round, a dupes file that failed would leave
  // the removed records in the backup alone, which the next run overwrites.
  RunStatus putInPlace(Replacement& dupes, Replacement& cleaned) {
    // Whatever another program wrote to the compared file since it was
    // read would be lost by replacing it.
    if (auto error = m_lock->checkUnchanged()) {
      return RunStatus::readFailed(RunFile::Compared, m_comparedPath, error);
    }
    if (auto error = dupes.commit()) {
      return RunStatus::writeFailed(RunFile::Dupes, m_dupesPath, error);
    }
    if (auto error = cleaned.commit()) {
      return RunStatus::writeFailed(RunFile::Compared, m_comparedPath, error);
    }
    return RunStatus::ok();
  }

  FileSystem& m_files;
  const std::string& m_mainBasePath;
  const std::string& m_comparedPath;
  const std::string m_backupPath;
  const std::string m_dupesPath;
  const bool m_dryRun;
  Progress& m_progress;

  std::unique_ptr<LockedFile> m_lock;
  std::future<MainBaseRead> m_mainBaseRead;
  SharedContents m_contents;
  FileAttributes m_attributes;
  std::future<std::error_code> m_backup;
  RunOutcome m_outcome;
};

}  // namespace

RunOutcome compareAndDelete(FileSystem& files, const std::string& mainBasePath,
                            const std::string& comparedPath, const RunOptions& options) {
  // Files of many millions of records can exhaust memory, and a thread may
  // not start; neither may escape to the caller. Every file stays whole:
  // nothing is replaced but by a complete, flushed new version.
  Progress progress{RunFile::Compared, comparedPath};
  try {
    return Run(files, mainBasePath, comparedPath, options, progress).go();
  } catch (const std::bad_alloc&) {
  } catch (const std::system_error&) {
  }
  return failed(RunStatus::outOfResources(progress.file, progress.path));
}

}  // namespace sv
