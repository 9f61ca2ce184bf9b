#pragma once

// The batch front end: one compare-and-delete run from the command line,
// exactly as the window's Compare & Delete button does it.

#include <iosfwd>
#include <string>
#include <vector>

namespace sv {

class FileSystem;

// args excludes the program name. Returns the exit status: 0 success,
// 1 a failed run, 2 a usage error.
int runCli(const std::vector<std::string>& args, FileSystem& files, std::ostream& out,
           std::ostream& err);

}  // namespace sv
