#include "cli/sv_cli.h"
#include "files/file_system.h"

#include <iostream>

#ifdef _WIN32
#include "files/win32/win32_file_system.h"

#include <fcntl.h>
#include <io.h>
#endif

namespace {

int run(const std::vector<std::string>& args) {
  const auto files = sv::systemFileSystem();
  const int status = sv::runCli(args, *files, std::cout, std::cerr);
  std::cout.flush();
  return std::cout.fail() && status == 0 ? 1 : status;
}

}  // namespace

#ifdef _WIN32
// Wide arguments: a file name of any characters reaches the program intact,
// whatever the system's code page.
int wmain(int argc, wchar_t** argv) {
  // The output is the same bytes as on Linux: no LF becomes CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(sv::toUtf8(argv[i]));
  return run(args);
}
#else
int main(int argc, char** argv) { return run({argv + 1, argv + argc}); }
#endif
