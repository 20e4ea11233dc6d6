#include "sites/baidu/baidu.h"
#include "sites/qq/qq.h"
#include "sites/sina/sina.h"
#include "sites/sites.h"

namespace zentrow {

const SiteTable& ProductionSites() {
  static const SiteTable table = [] {
    SiteTable sites{};
    sites[SITE_QQ] = QqSiteReaders();
    sites[SITE_BAIDU] = BaiduReaders();
    sites[SITE_SINA] = SinaReaders();
    return sites;
  }();
  return table;
}

}  // namespace zentrow
