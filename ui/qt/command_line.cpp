#include "ui/qt/command_line.h"

#include "ui/design/app_identity.h"

namespace sv {
namespace {

constexpr char kProgram[] = "sievra";
constexpr int kUsageError = 2;

std::string usage() { return std::string("Usage: ") + kProgram + " [MAINBASE COMPARED]\n"; }

std::string help() {
  return usage() +
         "Open the Sievra window, which removes from a file for comparing (.rda) every\n"
         "record whose Callsign and RDA Number the main base (MainBase.dat) already holds.\n"
         "\n"
         "With MAINBASE and COMPARED the window opens with both files chosen, as if picked\n"
         "with its two buttons; nothing changes until Compare & Delete is pressed.\n"
         "\n"
         "  --help      display this help and exit\n"
         "  --version   output version information and exit\n"
         "\n"
         "For runs without a window see sv-cli(1).\n";
}

std::string version() {
  return std::string(kProgram) + " (" + kAppTitle + ") " + kAppVersion + "\n" + kCopyright + "\n";
}

CommandLine printAndExit(std::string out, std::string err, int status) {
  CommandLine line;
  line.action = CommandLine::Action::PrintAndExit;
  line.out = std::move(out);
  line.err = std::move(err);
  line.status = status;
  return line;
}

CommandLine usageError(const std::string& problem) {
  return printAndExit({},
                      std::string(kProgram) + ": " + problem + "\nTry '" + kProgram +
                          " --help' for more information.\n",
                      kUsageError);
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  std::vector<std::string> paths;
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      paths.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help") {
      return printAndExit(help(), {}, 0);
    } else if (arg == "--version") {
      return printAndExit(version(), {}, 0);
    } else if (arg.rfind("--", 0) == 0) {
      return usageError("unrecognized option '" + arg + "'");
    } else {
      return usageError(std::string("invalid option -- '") + arg[1] + "'");
    }
  }
  if (paths.size() == 1) return usageError("COMPARED is missing after '" + paths[0] + "'");
  if (paths.size() > 2) return usageError("extra operand '" + paths[2] + "'");
  for (const std::string& path : paths) {
    // An empty name would count as "not chosen" and leave the button doing nothing.
    if (path.empty()) return usageError("a file name is empty");
  }
  CommandLine line;
  if (paths.size() == 2) {
    line.mainBase = paths[0];
    line.compared = paths[1];
  }
  return line;
}

}  // namespace sv
