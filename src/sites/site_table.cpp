#include "sites/51/site51.h"
#include "sites/56/site56.h"
#include "sites/pchome/pchome.h"
#include "sites/poco/poco.h"
#include "sites/qq/qq.h"
#include "sites/sina/sina.h"
#include "sites/sites.h"
#include "sites/zol/zol.h"

namespace zentrow {

const SiteTable& ProductionSites() {
  static const SiteTable table = [] {
    SiteTable sites{};
    sites[SITE_QQ] = QqSiteReaders();
    sites[SITE_SINA] = SinaReaders();
    sites[SITE_56] = Site56Readers();
    sites[SITE_POCO] = PocoReaders();
    sites[SITE_51] = Site51Readers();
    sites[SITE_ZOL] = ZolReaders();
    sites[SITE_PCHOME] = PchomeReaders();
    return sites;
  }();
  return table;
}

}  // namespace zentrow
