// zentrow-cli: the engine driven from the command line (list, download, settings).
//
// The program is RunCli over the production site table and the process's own streams;
// tests run it in-process with their own table and string streams.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "engine/site_table.h"

namespace zentrow {

// Exit statuses.
inline constexpr int CLI_DONE = 0;
inline constexpr int CLI_NO_ALBUM = 1;         // the listing found no album
inline constexpr int CLI_USAGE = 2;            // bad command line, settings or save path
inline constexpr int CLI_PICTURES_FAILED = 3;  // some pictures could not be saved

struct CliIo {
  std::ostream& out;  // results: album rows, download summaries, settings
  std::ostream& err;  // prefixed status lines, messages, questions, errors
  std::istream& in;   // answers to questions when it is a terminal
  bool errIsTerminal = false;  // progress is redrawn in place on one line
  bool inIsTerminal = false;   // questions are asked instead of answered No
};

// `args` are the arguments after the program name. Returns the exit status.
int RunCli(const std::vector<std::string>& args, const SiteTable& sites, const CliIo& io);

}  // namespace zentrow
