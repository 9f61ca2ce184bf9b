#include "cli/sv_cli.h"
#include "platform/posix_file_system.h"

#include <iostream>

int main(int argc, char** argv) {
  // A batch run lives no longer than its results, so it can map its files.
  sv::PosixFileSystem files(sv::PosixFileSystem::Reading::Map);
  const int status = sv::runCli({argv + 1, argv + argc}, files, std::cout, std::cerr);
  std::cout.flush();
  return std::cout.fail() && status == 0 ? 1 : status;
}
