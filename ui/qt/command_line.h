#pragma once

// The window program's command line: `sievra [MAINBASE COMPARED]`, with
// --help and --version as GNU tools answer them. Parsed before Qt starts, so
// that the help and the version need no display.

#include <string>
#include <vector>

namespace sv {

struct CommandLine {
  enum class Action { OpenWindow, PrintAndExit };
  Action action = Action::OpenWindow;
  // For PrintAndExit: what goes to standard output or standard error, and
  // the exit status (0 for --help and --version, 2 for a usage error).
  std::string out;
  std::string err;
  int status = 0;
  // For OpenWindow: both paths, or neither.
  std::string mainBase;
  std::string compared;
};

// args are the arguments after the program's name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

}  // namespace sv
