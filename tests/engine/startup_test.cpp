#include "engine/startup.h"

#include <gtest/gtest.h>

namespace zentrow {
namespace {

TEST(Startup, BuiltInConfigurationNamesEveryCategoryAndAnnouncesNoUpdate) {
  const StartupConfig config = LoadStartupConfig();
  for (int i = 0; i < SITE_COUNT; ++i) EXPECT_EQ(config.categoryNames[i], Site(i).name) << i;
  EXPECT_FALSE(AnnouncesNewerVersion(config, FromAscii(kProgramVersion)));
  EXPECT_EQ(BottomLine(config), config.bottomNotice + u"\tSrv Info:0_0");
}

TEST(Startup, VersionTextsCompareBeforeTheirHash) {
  StartupConfig config;
  config.newestVersion = u"0.2.0#新版本说明";
  EXPECT_TRUE(AnnouncesNewerVersion(config, u"0.1.0"));
  EXPECT_FALSE(AnnouncesNewerVersion(config, u"0.2.0"));
  config.newestVersion = u"0.1.0";
  EXPECT_FALSE(AnnouncesNewerVersion(config, u"0.1.0"));
}

}  // namespace
}  // namespace zentrow
