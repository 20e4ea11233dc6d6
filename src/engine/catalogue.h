// The site catalogue: the 21 categories the program serves, in the order of the category
// box (the index is the SiteIndex everything per-site is selected by), and the
// classification of a typed address into a category.
#pragma once

#include <array>
#include <optional>

#include "toolkit/text.h"

namespace zentrow {

enum SiteIndex : int {
  SITE_QQ = 0,     // QQ Zone, QQ group and Tencent Weibo albums (see SubKind)
  SITE_BAIDU,      // Baidu albums and Tieba
  SITE_NETEASE,    // NetEase albums and blog
  SITE_RENREN,     // Renren albums and Renren zhan
  SITE_SINA,       // Sina blog and Sina Weibo
  SITE_56,
  SITE_POCO,
  SITE_YUPOO,
  SITE_51,
  SITE_ZOL,
  SITE_PCHOME,
  SITE_SHOPS,      // Taobao, Tmall, 1688
  SITE_MOKO,
  SITE_BABYTREE,
  SITE_PCONLINE,
  SITE_HUPU,
  SITE_JD,
  SITE_INSTAGRAM,
  SITE_HUABAN,
  SITE_LOFTER,
  SITE_TOPIT,
  SITE_COUNT
};

// The second choice within SITE_QQ, in the order of the sub-kind box.
enum SubKind : int { SUBKIND_QZONE = 0, SUBKIND_QQ_GROUP, SUBKIND_TENCENT_WEIBO, SUBKIND_COUNT };

struct SiteEntry {
  TextView name;                       // the category box entry
  std::array<TextView, 3> fragments;   // recognised in an address, tested in this order
};

const SiteEntry& Site(int siteIndex);       // 0 <= siteIndex < SITE_COUNT
TextView SubKindName(int subKind);          // 0 <= subKind < SUBKIND_COUNT

inline constexpr TextView kTencentWeiboHost = u"t.qq.com";
inline constexpr TextView kQqGroupHost = u"qun.qq.com";

struct Classification {
  int siteIndex;                // the category to select
  std::optional<int> subKind;   // for SITE_QQ: the sub-kind to select after CategoryChanged
  bool changed;                 // false: no "http://" or "https://", the boxes stay as they are
};

// Classifies the address box text. With a scheme in it, the first catalogue fragment that
// occurs after the first character picks the category (else `currentSiteIndex` stays);
// the window then selects it and runs CategoryChanged even when the index is the same.
// Matching is case-sensitive, as the address was typed.
Classification Classify(TextView address, int currentSiteIndex);

}  // namespace zentrow
