#include "engine/catalogue.h"

#include <gtest/gtest.h>

#include <set>

#include "toolkit/codepage.h"

namespace zentrow {
namespace {

struct Row {
  Text address;
  int current;
  int site;
  std::optional<int> subKind;
  bool changed;
};

void ExpectRows(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    const Classification got = Classify(row.address, row.current);
    SCOPED_TRACE(ToUtf8(row.address) + " from " + std::to_string(row.current));
    EXPECT_EQ(got.siteIndex, row.site);
    EXPECT_EQ(got.subKind, row.subKind);
    EXPECT_EQ(got.changed, row.changed);
  }
}

constexpr std::nullopt_t kNone = std::nullopt;

TEST(Classify, RecognisesEverySiteByItsDomain) {
  ExpectRows({
      {u"http://user.qzone.qq.com/123456", 5, SITE_QQ, SUBKIND_QZONE, true},
      {u"http://photo.baidu.com/someone", 0, SITE_BAIDU, kNone, true},
      {u"http://tieba.baidu.com/f?kw=x", 0, SITE_BAIDU, kNone, true},
      {u"http://photo.163.com/someone/", 0, SITE_NETEASE, kNone, true},
      {u"http://www.renren.com/123", 0, SITE_RENREN, kNone, true},
      {u"http://blog.sina.com.cn/u/1", 0, SITE_SINA, kNone, true},
      {u"https://weibo.com/u/123", 0, SITE_SINA, kNone, true},
      {u"http://www.56.com/u/1", 0, SITE_56, kNone, true},
      {u"http://www.poco.cn/user/1", 0, SITE_POCO, kNone, true},
      {u"http://x.yupoo.com/albums/", 0, SITE_YUPOO, kNone, true},
      {u"http://photo.51.com/a", 0, SITE_51, kNone, true},
      {u"http://dealer.zol.com.cn/x", 0, SITE_ZOL, kNone, true},
      {u"http://photo.pchome.com.tw/x", 0, SITE_PCHOME, kNone, true},
      {u"https://shop1.taobao.com/", 0, SITE_SHOPS, kNone, true},
      {u"https://x.tmall.com/shop", 0, SITE_SHOPS, kNone, true},
      {u"https://shop1.1688.com/", 0, SITE_SHOPS, kNone, true},
      {u"http://www.moko.cc/x", 0, SITE_MOKO, kNone, true},
      {u"http://www.babytree.com/u", 0, SITE_BABYTREE, kNone, true},
      {u"http://www.pconline.com.cn/", 0, SITE_PCONLINE, kNone, true},
      {u"https://bbs.hupu.com/x", 0, SITE_HUPU, kNone, true},
      {u"https://mall.jd.com/index-1.html", 0, SITE_JD, kNone, true},
      {u"https://www.instagram.com/someone/", 0, SITE_INSTAGRAM, kNone, true},
      {u"https://huaban.com/boards/1", 0, SITE_HUABAN, kNone, true},
      {u"http://someone.lofter.com/", 0, SITE_LOFTER, kNone, true},
      {u"http://www.topit.me/user/1", 0, SITE_TOPIT, kNone, true},
  });
}

TEST(Classify, PicksTheQqSubKindWeiboBeforeGroup) {
  ExpectRows({
      {u"http://t.qq.com/someone", 3, SITE_QQ, SUBKIND_TENCENT_WEIBO, true},
      {u"http://qun.qq.com/air/#123", 3, SITE_QQ, SUBKIND_QQ_GROUP, true},
      {u"http://qun.qq.com/?from=t.qq.com", 3, SITE_QQ, SUBKIND_TENCENT_WEIBO, true},
      // No category fragment ("qq.com" without the slash): the current category 0 stays
      // and its sub-kind is still chosen.
      {u"http://t.qq.com", 0, SITE_QQ, SUBKIND_TENCENT_WEIBO, true},
      {u"http://t.qq.com", 9, SITE_ZOL, kNone, true},
      // The sub-kind host at the very first character does not count.
      {u"t.qq.com/ http://", 4, SITE_QQ, SUBKIND_QZONE, true},
  });
}

TEST(Classify, FirstMatchInTableOrderWins) {
  ExpectRows({
      {u"http://someone.lofter.com/?from=weibo.com/", 0, SITE_SINA, kNone, true},
      {u"https://mall.jd.com/?ref=qq.com/", 16, SITE_QQ, SUBKIND_QZONE, true},
      {u"https://weibo.com/u/1?via=baidu.com", 0, SITE_BAIDU, kNone, true},
      {u"https://www.weibo.com", 7, 7, kNone, true},  // Weibo needs its slash
  });
}

TEST(Classify, LeavesTheSelectionWithoutSchemeOrMatch) {
  ExpectRows({
      {u"123456", 5, 5, kNone, false},
      {u"user.qzone.qq.com/123", 5, 5, kNone, false},
      {u"HTTP://WWW.BAIDU.COM/", 2, 2, kNone, false},
      {u"http://WWW.BAIDU.COM/", 2, 2, kNone, true},   // upper case is not recognised
      {u"qq.com/?u=http://", 3, 3, kNone, true},        // a fragment at position 0 does not match
      {u"baidu.com/ https://", 0, SITE_QQ, SUBKIND_QZONE, true},
      {u"https://example.org/", 12, 12, kNone, true},
      {u"", 6, 6, kNone, false},
  });
}

TEST(Catalogue, NamesEveryCategoryAndSubKind) {
  std::set<Text> names;
  for (int index = 0; index < SITE_COUNT; ++index) {
    EXPECT_FALSE(Site(index).name.empty()) << index;
    EXPECT_FALSE(Site(index).fragments[0].empty()) << index;
    names.emplace(Site(index).name);
  }
  EXPECT_EQ(names.size(), 21u);
  EXPECT_EQ(SubKindName(SUBKIND_QZONE), u"QQ空间相册");
  EXPECT_EQ(SubKindName(SUBKIND_QQ_GROUP), u"QQ群相册");
  EXPECT_EQ(SubKindName(SUBKIND_TENCENT_WEIBO), u"腾讯微博相册");
}

}  // namespace
}  // namespace zentrow
