#include "cli/sv_cli.h"

#include "engine/compare_and_delete.h"
#include "ui/design/app_identity.h"

#include <cstdio>
#include <ostream>

namespace sv {
namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

constexpr const char* kUsage = "Usage: sv-cli [--dry-run] MAINBASE COMPARED";

void printHelp(std::ostream& out) {
  out << kUsage << "\n"
      << "Remove from COMPARED every record whose Callsign and RDA Number MAINBASE already holds.\n"
      << "\n"
      << "COMPARED is first copied to COMPARED.bak; the records removed are written to\n"
      << "COMPARED.dup, one copy per coincidence. Records are three lines each\n"
      << "(Callsign, RDA Number, Notes); lines end in CR LF.\n"
      << "\n"
      << "  --dry-run   scan only: print the count and the coincidences, write no file\n"
      << "  --help      display this help and exit\n"
      << "  --version   output version information and exit\n"
      << "\n"
      << "Exit status: 0 on success, 1 when the run fails, 2 on a usage error.\n";
}

void printVersion(std::ostream& out) {
  out << "sv-cli (" << kAppTitle << ") " << kAppVersion << "\n";
}

// A failure is one line that scripts can read, whatever a file's name
// holds: its control characters are written as C escapes.
std::string oneLine(const std::string& message) {
  std::string line;
  line.reserve(message.size());
  for (const char c : message) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      line += "\\n";
    } else if (c == '\r') {
      line += "\\r";
    } else if (c == '\t') {
      line += "\\t";
    } else if (byte < 0x20 || byte == 0x7f) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      line += escaped;
    } else {
      line += c;
    }
  }
  return line;
}

int usageError(std::ostream& err, const std::string& problem) {
  err << "sv-cli: " << oneLine(problem) << "\n"
      << kUsage << "\nTry 'sv-cli --help' for more information.\n";
  return kUsageError;
}

// One line per coincidence: the shared key, then both sides' Notes.
void printCoincidences(const ResultLists& lists, std::ostream& out) {
  for (std::size_t k = 0; k < lists.List4.recordCount(); ++k) {
    const Record mainSide = lists.List3.record(k);
    const Record comparedSide = lists.List4.record(k);
    out << comparedSide.callsign << '\t' << comparedSide.rdaNumber << '\t' << mainSide.notes << '\t'
        << comparedSide.notes << '\n';
  }
}

}  // namespace

int runCli(const std::vector<std::string>& args, FileSystem& files, std::ostream& out,
           std::ostream& err) {
  bool dryRun = false;
  bool optionsEnded = false;
  std::vector<std::string> paths;
  for (const std::string& arg : args) {
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      paths.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help") {
      printHelp(out);
      return 0;
    } else if (arg == "--version") {
      printVersion(out);
      return 0;
    } else if (arg == "--dry-run") {
      dryRun = true;
    } else {
      return usageError(err, "unrecognized option '" + arg + "'");
    }
  }
  if (paths.size() != 2) return usageError(err, "expected two files, MAINBASE and COMPARED");
  if (paths[0].empty() || paths[1].empty()) return usageError(err, "a file name is empty");

  const RunOutcome outcome = compareAndDelete(files, paths[0], paths[1], {.dryRun = dryRun});
  if (!outcome.status.isOk()) {
    err << "sv-cli: " << oneLine(outcome.status.message()) << "\n";
    return kFailed;
  }
  if (dryRun) {
    out << "Callsign\tRDA Number\tNotes in main base\tNotes in file for comparing\n";
    printCoincidences(outcome.lists, out);
  }
  out << countText(outcome.dupesCount()) << "\n";
  return 0;
}

}  // namespace sv
