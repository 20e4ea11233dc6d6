#include "engine/startup.h"

namespace zentrow {

StartupConfig LoadStartupConfig() {
  StartupConfig config;
  for (int i = 0; i < SITE_COUNT; ++i) config.categoryNames[i] = Text(Site(i).name);
  // The built-in configuration always names this build as the newest, so the version
  // check never announces an update (and there is no update page to open).
  config.newestVersion = FromAscii(kProgramVersion) + u"#";
  config.notice = u"粘贴相册或主页网址（QQ空间只需QQ号），点“获取相册”";
  config.bottomNotice = u"Zentrow " + FromAscii(kProgramVersion);
  return config;
}

bool AnnouncesNewerVersion(const StartupConfig& config, TextView ownVersion) {
  TextView newest = config.newestVersion;
  newest = newest.substr(0, newest.find(u'#'));
  return newest > ownVersion;
}

Text BottomLine(const StartupConfig& config) {
  return config.bottomNotice + u"\tSrv Info:" + NumberText(config.serverA) + u"_" +
         NumberText(config.serverB);
}

}  // namespace zentrow
