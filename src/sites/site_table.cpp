#include "sites/51/site51.h"
#include "sites/56/site56.h"
#include "sites/babytree/babytree.h"
#include "sites/baidu/baidu.h"
#include "sites/huaban/huaban.h"
#include "sites/hupu/hupu.h"
#include "sites/instagram/instagram.h"
#include "sites/jd/jd.h"
#include "sites/lofter/lofter.h"
#include "sites/moko/moko.h"
#include "sites/netease/netease.h"
#include "sites/pchome/pchome.h"
#include "sites/pconline/pconline.h"
#include "sites/poco/poco.h"
#include "sites/qq/qq.h"
#include "sites/renren/renren.h"
#include "sites/shops/shops.h"
#include "sites/sina/sina.h"
#include "sites/sites.h"
#include "sites/topit/topit.h"
#include "sites/yupoo/yupoo.h"
#include "sites/zol/zol.h"

namespace zentrow {

const SiteTable& ProductionSites() {
  static const SiteTable table = [] {
    SiteTable sites{};
    sites[SITE_QQ] = QqSiteReaders();
    sites[SITE_BAIDU] = BaiduReaders();
    sites[SITE_NETEASE] = NeteaseReaders();
    sites[SITE_RENREN] = RenrenReaders();
    sites[SITE_SINA] = SinaReaders();
    sites[SITE_56] = Site56Readers();
    sites[SITE_POCO] = PocoReaders();
    sites[SITE_YUPOO] = YupooReaders();
    sites[SITE_51] = Site51Readers();
    sites[SITE_ZOL] = ZolReaders();
    sites[SITE_PCHOME] = PchomeReaders();
    sites[SITE_SHOPS] = ShopReaders();
    sites[SITE_MOKO] = MokoReaders();
    sites[SITE_BABYTREE] = BabytreeReaders();
    sites[SITE_PCONLINE] = PconlineReaders();
    sites[SITE_HUPU] = HupuReaders();
    sites[SITE_JD] = JdReaders();
    sites[SITE_INSTAGRAM] = InstagramReaders();
    sites[SITE_HUABAN] = HuabanReaders();
    sites[SITE_LOFTER] = LofterReaders();
    sites[SITE_TOPIT] = TopitReaders();
    return sites;
  }();
  return table;
}

}  // namespace zentrow
