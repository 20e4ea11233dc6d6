#include "sites/qq/qq.h"
#include "sites/renren/renren.h"
#include "sites/sina/sina.h"
#include "sites/sites.h"
#include "sites/topit/topit.h"

namespace zentrow {

const SiteTable& ProductionSites() {
  static const SiteTable table = [] {
    SiteTable sites{};
    sites[SITE_QQ] = QqSiteReaders();
    sites[SITE_RENREN] = RenrenReaders();
    sites[SITE_SINA] = SinaReaders();
    sites[SITE_TOPIT] = TopitReaders();
    return sites;
  }();
  return table;
}

}  // namespace zentrow
