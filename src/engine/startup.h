// The start-up configuration: the category names, the notice texts, the newest version
// and the update page. It is built into the program (there is no service to ask).
#pragma once

#include <array>

#include "engine/catalogue.h"
#include "toolkit/text.h"

namespace zentrow {

inline constexpr char kProgramVersion[] = "0.1.0";

struct StartupConfig {
  std::array<Text, SITE_COUNT> categoryNames;  // in SiteIndex order
  Text newestVersion;  // the newest version, then "#" and free text
  Text updatePage;
  Text notice;         // the notice line under the title
  Text bottomNotice;   // the bottom information line
  int serverA = 0;     // the two numbers of the bottom line ("\tSrv Info:%d_%d")
  int serverB = 0;
};

StartupConfig LoadStartupConfig();

// Whether the configuration announces a version newer than `ownVersion`: the text before
// the first "#" of newestVersion compares greater.
bool AnnouncesNewerVersion(const StartupConfig& config, TextView ownVersion);

// The bottom line: the notice followed by "\tSrv Info:%d_%d".
Text BottomLine(const StartupConfig& config);

}  // namespace zentrow
