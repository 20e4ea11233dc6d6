#include "engine/catalogue.h"

namespace zentrow {
namespace {

// Fragments are host names as the services publish them; where a trailing "/" is part of
// the fragment it keeps a longer name (or a query text) from matching.
constexpr std::array<SiteEntry, SITE_COUNT> kCatalogue = {{
    {u"QQ空间/QQ群/腾讯微博", {u"qq.com/"}},
    {u"百度相册/百度贴吧", {u"baidu.com"}},
    {u"网易相册/网易博客", {u"163.com"}},
    {u"人人网/人人小站", {u"renren.com"}},
    {u"新浪博客/新浪微博", {u"sina.com.cn", u"weibo.com/"}},
    {u"56网", {u"56.com"}},
    {u"POCO摄影", {u"poco.cn"}},
    {u"又拍网", {u"yupoo.com"}},
    {u"51相册", {u"51.com"}},
    {u"中关村在线(ZOL)", {u"zol.com.cn/"}},
    {u"PChome", {u"pchome.com.tw"}},
    {u"淘宝/天猫/1688", {u"taobao.com", u"tmall.com/", u"1688.com"}},
    {u"美空(MOKO)", {u"moko.cc"}},
    {u"宝宝树", {u"babytree.com"}},
    {u"太平洋电脑网", {u"pconline.com.cn"}},
    {u"虎扑", {u"hupu.com"}},
    {u"京东", {u"jd.com"}},
    {u"Instagram", {u"instagram.com"}},
    {u"花瓣网", {u"huaban.com"}},
    {u"LOFTER", {u"lofter.com"}},
    {u"Topit", {u".topit."}},
}};

constexpr std::array<TextView, SUBKIND_COUNT> kSubKindNames = {u"QQ空间相册", u"QQ群相册",
                                                              u"腾讯微博相册"};

// Found, and not at the very first character.
bool OccursAfterStart(TextView text, TextView fragment) {
  size_t at = text.find(fragment);
  return at != TextView::npos && at > 0;
}

int MatchCatalogue(TextView address, int currentSiteIndex) {
  for (int index = 0; index < SITE_COUNT; ++index) {
    for (TextView fragment : kCatalogue[index].fragments) {
      if (!fragment.empty() && OccursAfterStart(address, fragment)) return index;
    }
  }
  return currentSiteIndex;
}

}  // namespace

const SiteEntry& Site(int siteIndex) { return kCatalogue.at(static_cast<size_t>(siteIndex)); }

TextView SubKindName(int subKind) { return kSubKindNames.at(static_cast<size_t>(subKind)); }

Classification Classify(TextView address, int currentSiteIndex) {
  if (address.find(u"http://") == TextView::npos && address.find(u"https://") == TextView::npos) {
    return {currentSiteIndex, std::nullopt, false};
  }
  const int siteIndex = MatchCatalogue(address, currentSiteIndex);
  if (siteIndex != SITE_QQ) return {siteIndex, std::nullopt, true};
  if (OccursAfterStart(address, kTencentWeiboHost)) return {siteIndex, SUBKIND_TENCENT_WEIBO, true};
  if (OccursAfterStart(address, kQqGroupHost)) return {siteIndex, SUBKIND_QQ_GROUP, true};
  return {siteIndex, SUBKIND_QZONE, true};
}

}  // namespace zentrow
