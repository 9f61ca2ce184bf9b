#include <iostream>

#include "cli/sv_cli.h"
#include "platform/posix_file_system.h"

int main(int argc, char** argv) {
  sv::PosixFileSystem files;
  const int status = sv::runCli({argv + 1, argv + argc}, files, std::cout, std::cerr);
  std::cout.flush();
  return std::cout.fail() && status == 0 ? 1 : status;
}
