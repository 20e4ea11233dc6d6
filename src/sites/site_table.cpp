#include "sites/qq_readers.h"
#include "sites/sites.h"

namespace zentrow {

const SiteTable& ProductionSites() {
  static const SiteTable table = [] {
    SiteTable sites{};
    sites[SITE_QQ] = QqSiteReaders();
    return sites;
  }();
  return table;
}

}  // namespace zentrow
