#include "sites/lofter/lofter.h"
#include "sites/netease/netease.h"
#include "sites/qq/qq.h"
#include "sites/sina/sina.h"
#include "sites/sites.h"

namespace zentrow {

const SiteTable& ProductionSites() {
  static const SiteTable table = [] {
    SiteTable sites{};
    sites[SITE_QQ] = QqSiteReaders();
    sites[SITE_NETEASE] = NeteaseReaders();
    sites[SITE_SINA] = SinaReaders();
    sites[SITE_LOFTER] = LofterReaders();
    return sites;
  }();
  return table;
}

}  // namespace zentrow
