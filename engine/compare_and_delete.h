#pragma once

// The compare-and-delete run: removes from the compared file every record
// whose Callsign and RDA Number the main base already holds.
//
// A run backs the compared file up to path + ".bak", scans it against the
// main base, rewrites it with the records that stay, and writes the compared
// side of every coincidence to path + ".dup". Each file is replaced in one
// atomic step, so it is always either wholly old or wholly new. When a step
// fails, no later step happens; the compared file is never replaced after a
// failed scan.
//
// compareAndDelete() holds no shared state and may be called from any thread.

#include "engine/result_list.h"
#include "engine/run_status.h"

#include <cstddef>
#include <string>

namespace sv {

class FileSystem;

struct ResultLists {
  ResultList List2;  // compared records without coincidence, in file order
  ResultList List3;  // main base side of every coincidence
  ResultList List4;  // compared side of every coincidence
};

struct RunOutcome {
  RunStatus status = RunStatus::ok();
  // After a failure: the results of the complete compared records before the
  // failing one, exactly as far as the scan got.
  ResultLists lists;

  // Coincidences found, not distinct compared records.
  std::size_t dupesCount() const { return lists.List4.recordCount(); }
};

struct RunOptions {
  // Scan only: no file is written.
  bool dryRun = false;
};

RunOutcome compareAndDelete(FileSystem& files, const std::string& mainBasePath,
                            const std::string& comparedPath, const RunOptions& options = {});

std::string backupPathFor(const std::string& comparedPath);
std::string dupesPathFor(const std::string& comparedPath);

// "Total dupes records: " and the count.
std::string countText(std::size_t dupesCount);

}  // namespace sv
