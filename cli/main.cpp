#include "cli/sv_cli.h"
#include "platform/file_system.h"

#include <iostream>

int main(int argc, char** argv) {
  const auto files = sv::systemFileSystem();
  const int status = sv::runCli({argv + 1, argv + argc}, *files, std::cout, std::cerr);
  std::cout.flush();
  return std::cout.fail() && status == 0 ? 1 : status;
}
