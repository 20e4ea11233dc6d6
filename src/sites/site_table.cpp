#include "sites/huaban/huaban.h"
#include "sites/instagram/instagram.h"
#include "sites/qq/qq.h"
#include "sites/sina/sina.h"
#include "sites/sites.h"
#include "sites/yupoo/yupoo.h"

namespace zentrow {

const SiteTable& ProductionSites() {
  static const SiteTable table = [] {
    SiteTable sites{};
    sites[SITE_QQ] = QqSiteReaders();
    sites[SITE_SINA] = SinaReaders();
    sites[SITE_YUPOO] = YupooReaders();
    sites[SITE_INSTAGRAM] = InstagramReaders();
    sites[SITE_HUABAN] = HuabanReaders();
    return sites;
  }();
  return table;
}

}  // namespace zentrow
