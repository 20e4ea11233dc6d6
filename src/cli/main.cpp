// zentrow-cli: the command-line front end of the album downloader.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "sites/sites.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const zentrow::CliIo io{std::cout, std::cerr, std::cin, ::isatty(STDERR_FILENO) == 1, ::isatty(STDIN_FILENO) == 1};
  const int status = zentrow::RunCli(args, zentrow::ProductionSites(), io);
  std::cout.flush();
  return status;
}
