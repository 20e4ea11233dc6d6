// 1688 end to end: single offers (the page kept for the download), shop offer lists over
// their pages, the address forms of the shop entry; the engine and the fake web.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/shops/shops.h"
#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::ReadFile;

const std::string kPicture = test::JpegBody('a');
const std::string kOffer = "http://detail.1688.com/offer/";
const std::string kShopList = "http://shop7788.1688.com/page/offerlist.htm?&showType=window&pageNum=";
const std::string kCompany = "义乌市晶彩饰品有限公司/";

struct Shop1688 : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "1688"));
    ServePicture({"http://cbu01.alicdn.com/"}, kPicture);
    BuildState(SITE_SHOPS, {0, 0, 4, 10});
  }
};

TEST_F(Shop1688, AnOfferDownloadsAtOnceFromThePageItsListingKept) {
  List(u"http://detail.1688.com/offer/556677.html");
  state->WaitDownload();
  EXPECT_EQ(state->Category(), SITE_SHOPS);
  EXPECT_EQ(state->listType, 2);
  EXPECT_EQ(state->ownerFolder, FromUtf8(kCompany));
  const auto albums = state->albums.Snapshot();
  ASSERT_EQ(albums.size(), 1u);
  EXPECT_EQ(albums[0].name, u"韩版珍珠耳环 925银针");  // without the viewer's hint
  EXPECT_EQ(albums[0].listAddress, u"http://detail.1688.com/offer/556677.html");
  EXPECT_EQ(albums[0].coverAddress, u"");
  EXPECT_EQ(albums[0].count, -1);

  // Full-size pictures: a "//" one made absolute, an escaped one unslashed, a relative one
  // skipped with its number, the one shown twice queued once.
  const std::string folder = kCompany + "韩版珍珠耳环 925银针/";
  ExpectSaved({{folder + "主图_1.jpg", "http://cbu01.alicdn.com/img/ibank/2019/101/1.jpg"},
               {folder + "主图_2.jpg", "http://cbu01.alicdn.com/img/ibank/2019/102/2.jpg"},
               {folder + "主图_4.jpg", "http://cbu01.alicdn.com/img/ibank/2019/104/4.jpg"}},
              kPicture);
  ASSERT_EQ(ui.summaries.size(), 1u);
  EXPECT_EQ(ui.summaries[0].queued, 3);
  EXPECT_EQ(web.RequestsTo(kOffer + "556677.html").size(), 1u);  // the download read the kept page
  EXPECT_EQ(ui.messages, (std::vector<Text>{kShopNotice}));
}

TEST_F(Shop1688, AShopListsItsOffersOverItsPagesAndEachOfferPageIsFetched) {
  // An offer listed first leaves its page behind; the shop listing must not use it.
  List(u"http://detail.1688.com/offer/556677.html");
  state->WaitDownload();
  web.ClearRequests();
  ui.messages.clear();
  ui.summaries.clear();

  List(u"http://shop7788.1688.com/");
  EXPECT_EQ(state->listType, 2);
  EXPECT_EQ(state->ownerFolder, FromUtf8(kCompany));  // from the hidden Chinese name
  EXPECT_TRUE(state->userIdText.empty());
  struct Row {
    Text name, listAddress, cover;
  };
  // The side bar before the filters and the offers after the tips are not the shop's
  // list; an entry without a link gives no row.
  const std::vector<Row> rows = {
      {u"韩版珍珠耳环 925银针", u"http://detail.1688.com/offer/556677.html",
       u"http://cbu01.alicdn.com/img/ibank/2019/101/1.220x220.jpg"},
      {u"复古耳夹", u"http://detail.1688.com/offer/556688.html", u"http://cbu01.alicdn.com/img/ibank/2018/201/a.220x220.jpg"},
      {u"简约项链", u"http://detail.1688.com/offer/556699.html", u"http://cbu01.alicdn.com/img/ibank/2017/301/c.220x220.jpg"},
  };
  const auto albums = state->albums.Snapshot();
  ASSERT_EQ(albums.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(albums[i].name, rows[i].name) << i;
    EXPECT_EQ(albums[i].listAddress, rows[i].listAddress) << i;
    EXPECT_EQ(albums[i].coverAddress, rows[i].cover) << i;
    EXPECT_EQ(albums[i].count, -1) << i;
  }
  EXPECT_EQ(Urls(""), (std::vector<std::string>{kShopList + "1", kShopList + "2"}));  // page 2 shows no next

  DownloadAlbums({0, 1, 2});
  // 556688 gives its pictures only as styles; 556699 is of an unknown layout.
  ExpectSaved({{kCompany + "韩版珍珠耳环 925银针/主图_1.jpg", "http://cbu01.alicdn.com/img/ibank/2019/101/1.jpg"},
               {kCompany + "复古耳夹/主图_1.jpg", "http://cbu01.alicdn.com/img/ibank/2018/201/a.jpg"},
               {kCompany + "复古耳夹/主图_2.jpg", "http://cbu01.alicdn.com/img/ibank/2018/202/b.jpg"}},
              kPicture);
  for (const char* offer : {"556677.html", "556688.html", "556699.html"})
    EXPECT_EQ(web.RequestsTo(kOffer + offer).size(), 1u) << offer;
  std::vector<int> queued;
  for (const auto& summary : ui.summaries) queued.push_back(summary.queued);
  EXPECT_EQ(queued, (std::vector<int>{3, 2, 0}));
  EXPECT_EQ(ui.messages, (std::vector<Text>{kShopNotice, kShopNotice, kProductPageError}));
  const Text unknown = FromCodePage(ReadFile(test::SiteData("1688") / "offer-556699.html"), CP_GBK);
  EXPECT_EQ(work.Read("log.err"),
            "\xFF\xFE" + std::string(reinterpret_cast<const char*>(unknown.data()), unknown.size() * 2));
}

TEST_F(Shop1688, EveryAddressFormListsFromTheFirstPage) {
  state->autoDownloadAllowed = false;
  const std::string list = "&showType=window&pageNum=1";
  struct Case {
    Text address;
    std::vector<std::string> requests;
    int albums;
  };
  const std::vector<Case> cases = {
      {u"http://detail.1688.com/offer/556677.html#desc", {kOffer + "556677.html"}, 1},
      // A shop typed without the closing "/" is still a 1688 shop.
      {u"http://shop7788.1688.com", {kShopList + "1", kShopList + "2"}, 3},
      // A host with "com" inside its first label is cut where the host ends.
      {u"http://comfy.1688.com/#contact", {"http://comfy.1688.com/page/offerlist.htm?" + list}, 0},
      {u"http://shop7788.1688.com/page/offerlist.htm?pageNum=3&showType=catalog#top",
       {"http://shop7788.1688.com/page/offerlist.htm?Vrk1=3&Vrk2=catalog" + list},
       0},
      {u"http://shop7788.1688.com/page/creditdetail.htm", {"http://shop7788.1688.com/page/creditdetail.htm?" + list}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.address));
    web.ClearRequests();
    ui.messages.clear();
    List(c.address);
    EXPECT_EQ(state->Category(), SITE_SHOPS);
    EXPECT_EQ(state->listType, 2);
    EXPECT_EQ(Urls(""), c.requests);
    EXPECT_EQ(state->albums.Count(), c.albums);
    // A page without a company name says so (the missing pages here have none).
    EXPECT_EQ(ui.messages, c.albums == 0 ? std::vector<Text>{kShopNameMissing} : std::vector<Text>{});
  }
}

TEST_F(Shop1688, AShopListEndsWithoutAnEnabledNextLinkOrANewOffer) {
  state->autoDownloadAllowed = false;
  auto pageOf = [](const std::string& offer, int number, const std::string& tail) {
    return ToGbk(FromUtf8("<html><title>第" + std::to_string(number) +
                          "页</title><span class=\"m_compname\">翻页公司</span><div class=\"filters\"></div>" +
                          "<div class=\"image\"><a href=\"http://detail.1688.com/offer/" + offer + ".html\" title=\"货品" +
                          offer + "\"></a></div><div class=\"common-tips\"></div>" + tail + "</html>"));
  };
  struct Case {
    std::string shop;
    std::string tail;
    bool newOffers;
    size_t requests;
    int albums;
  };
  const std::vector<Case> cases = {
      {"shop5001", "<span class=\"next-disabled\">下一页</span>", true, 1, 1},
      {"shop5002", "<span class=\"page-end\">共1页</span>", true, 1, 1},  // no next link at all
      {"shop5003", "<a class=\"next\" href=\"#\">下一页</a>", true, 4, 3},  // page 4 is missing
      {"shop5004", "<a class=\"next\" href=\"#\">下一页</a>", false, 2, 1},  // page 2 repeats page 1
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shop);
    const std::string base = "http://" + c.shop + ".1688.com/page/offerlist.htm?&showType=window&pageNum=";
    for (int number = 1; number <= 3; ++number)
      web.Get(base + std::to_string(number), pageOf(c.newOffers ? std::to_string(number) : "1", number, c.tail));
    web.ClearRequests();
    List(FromUtf8("http://" + c.shop + ".1688.com/"));
    EXPECT_EQ(web.RequestsTo(base).size(), c.requests);
    EXPECT_EQ(state->albums.Count(), c.albums);
    EXPECT_EQ(state->ownerFolder, u"翻页公司/");
  }

  // A shop whose page names no company lists nothing and says so.
  ui.messages.clear();
  List(u"http://shop9999.1688.com/");
  EXPECT_EQ(state->albums.Count(), 0);
  EXPECT_EQ(web.RequestsTo("http://shop9999.1688.com/").size(), 1u);
  EXPECT_EQ(ui.messages, (std::vector<Text>{kShopNameMissing}));
}

}  // namespace
}  // namespace zentrow
