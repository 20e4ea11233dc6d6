// JD end to end: a product page listed as one album that downloads at once, its variants
// walked page by page or its own gallery read, addresses that are no product page; the
// engine and the fake web, and once the real command-line program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/jd/jd.h"
#include "sites/shops/shops.h"
#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::ReadFile;

const std::string kPicture = test::JpegBody('j');
const std::string kItem = "http://item.jd.com/";
const std::string kLarge = "http://img10.360buyimg.com/n12/jfs/t1/";
constexpr char16_t kItemAddressNeeded[] = u"请输入京东商品页的网址，例如 http://item.jd.com/100012043978.html";
constexpr char kSettingsFile[] = "下载器扩展设置.ini";

struct Jd : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "jd"));
    ServePicture({"http://img10.360buyimg.com/", "http://img11.360buyimg.com/"}, kPicture);
    BuildState(SITE_JD, {0, 0, 4, 10});
  }
  // Lists a product page; the one album it gives downloads by itself.
  void ListAndDownload(const std::string& address) {
    List(FromUtf8(address));
    state->WaitDownload();
  }
  size_t Fetches(const std::string& product) const { return web.RequestsTo(kItem + product + ".html").size(); }
};

TEST_F(Jd, AProductIsReadVariantByVariantAndItselfLast) {
  ListAndDownload(kItem + "100001.html");
  EXPECT_EQ(state->Category(), SITE_JD);
  EXPECT_EQ(state->ownerFolder, u"京东/");
  const auto albums = state->albums.Snapshot();
  ASSERT_EQ(albums.size(), 1u);
  EXPECT_EQ(albums[0].name, u"京造 男士休闲T恤");
  EXPECT_EQ(albums[0].listAddress, u"http://item.jd.com/100001.html");
  EXPECT_EQ(albums[0].count, -1);

  // Large pictures of every variant (the one that fails to load is passed over); the
  // picture 白色 and 灰色 share comes once; the product's own gallery last, untitled.
  const std::string folder = "京东/京造 男士休闲T恤/";
  ExpectSaved({{folder + "白色_主图_1.jpg", kLarge + "white1.jpg"},
               {folder + "白色_主图_2.jpg", kLarge + "shared.jpg"},
               {folder + "灰色_主图_1.jpg", kLarge + "grey1.jpg"},
               {folder + "主图_1.jpg", kLarge + "own1.jpg"},
               {folder + "主图_2.jpg", kLarge + "own2.jpg"}},
              kPicture);
  ASSERT_EQ(ui.summaries.size(), 1u);
  EXPECT_EQ(ui.summaries[0].queued, 5);
  // The product page once (the download reads the kept one), every variant page once,
  // whether its link is given with "//" or "http://" and however often it is listed.
  for (const char* product : {"100001", "100002", "100003", "100004"}) EXPECT_EQ(Fetches(product), 1u) << product;
  EXPECT_TRUE(web.RequestsTo("http://item.jd.com/900001").empty());  // not a variant
  EXPECT_EQ(ui.messages, (std::vector<Text>{kShopNotice}));
  EXPECT_EQ(web.RequestsTo(kItem + "100001.html")[0].Header("Accept-Encoding"), "gzip, deflate");
  EXPECT_EQ(web.RequestsTo(kItem + "100002.html")[0].Header("Accept-Encoding"), "");
}

TEST_F(Jd, TheSettingsAndOptionsChooseWhatIsRead) {
  const std::string red = "http://img11.360buyimg.com/n12/jfs/t2/";
  struct Case {
    std::string name;
    std::string product;
    const char* settings;
    uint16_t options;
    std::vector<test::SavedPicture> pictures;
    std::vector<std::string> variantsFetched;
  };
  const std::vector<Case> cases = {
      // The product is one of its variants: it is read from the kept page, with its title.
      {"self among the variants", "200001", nullptr, 0,
       {{"京东/不锈钢保温杯 500ml/红色_主图_1.jpg", red + "red1.jpg"},
        {"京东/不锈钢保温杯 500ml/红色_主图_2.jpg", red + "red2.jpg"},
        {"京东/不锈钢保温杯 500ml/蓝色_主图_1.jpg", red + "blue1.jpg"}},
       {"200002"}},
      // Any other way than 1: the product's own gallery alone.
      {"own gallery", "100001", "[京东]\n图片获取方式=0\n", 0,
       {{"京东/京造 男士休闲T恤/主图_1.jpg", kLarge + "own1.jpg"}, {"京东/京造 男士休闲T恤/主图_2.jpg", kLarge + "own2.jpg"}},
       {}},
      // No variant choices: the items elsewhere on the page are no variants.
      {"no variants", "500001", nullptr, 0,
       {{"京东/机械键盘 87键/主图_1.jpg", "http://img11.360buyimg.com/n12/jfs/t5/key1.jpg"}}, {}},
      {"description pictures only", "100001", nullptr, OPT_DESCRIPTION_PICTURES, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(work.File(kSettingsFile));
    if (c.settings) work.Write(kSettingsFile, c.settings);
    state->Settings().Naming(SITE_JD).optionFlags = c.options;
    web.ClearRequests();
    ui.messages.clear();
    ui.summaries.clear();
    ListAndDownload(kItem + c.product + ".html");
    ExpectSaved(c.pictures, kPicture);
    ASSERT_EQ(ui.summaries.size(), 1u);
    EXPECT_EQ(ui.summaries[0].queued, static_cast<int>(c.pictures.size()));
    std::vector<std::string> fetched;
    for (const std::string& url : Urls(kItem))
      if (url != kItem + c.product + ".html") fetched.push_back(url.substr(kItem.size(), url.find('.', kItem.size()) - kItem.size()));
    EXPECT_EQ(fetched, c.variantsFetched);
    EXPECT_EQ(Fetches(c.product), 1u);
    EXPECT_EQ(ui.messages, (std::vector<Text>{kShopNotice}));
  }
}

TEST_F(Jd, OnlyAProductPageWithANameIsListed) {
  struct Case {
    Text address;
    std::vector<std::string> requests;
    Text message;
  };
  const std::vector<Case> cases = {
      {u"http://mall.jd.com/index-1000.html", {}, kItemAddressNeeded},
      {u"http://search.jd.com/Search?keyword=item.jd", {}, kItemAddressNeeded},
      {u"http://item.jd.com/300001.html", {kItem + "300001.html"}, kShopNameMissing},
      // A product page that does not load lists nothing, quietly.
      {u"http://item.jd.com/400001.html", {kItem + "400001.html"}, Text()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.address));
    web.ClearRequests();
    ui.messages.clear();
    ListAndDownload(ToUtf8(c.address));
    EXPECT_EQ(state->Category(), SITE_JD);
    EXPECT_EQ(state->albums.Count(), 0);
    EXPECT_EQ(Urls(""), c.requests);
    EXPECT_EQ(ui.messages, c.message.empty() ? std::vector<Text>{} : std::vector<Text>{c.message});
    EXPECT_TRUE(ui.summaries.empty());
  }
}

// A window whose user presses "终止获取" as the first row arrives.
class StopAtFirstRow : public test::SiteUi {
 public:
  void AlbumAdded(const ST_PERLISTRECORD& album) override {
    RecordingUi::AlbumAdded(album);
    if (state) state->listState = LIST_STOP;
  }
  MainState* state = nullptr;
};

TEST_F(Jd, AListingStoppedAtItsRowDownloadsThatProduct) {
  StopAtFirstRow stopUi;
  MainState stopping(stopUi, ProductionSites(), work.text());
  stopping.SetReady();
  stopping.SetCategory(SITE_JD);
  stopping.SetSavePathText(save.text());
  stopping.Settings().Naming(SITE_JD) = NamingRecord();
  auto listAndDownload = [&](const std::string& address) {
    stopping.SetAddressText(FromUtf8(address));
    stopping.GetAlbums();
    stopping.WaitDownload();
  };
  listAndDownload(kItem + "200001.html");  // leaves its page behind
  ASSERT_EQ(stopUi.summaries.size(), 1u);

  stopUi.state = &stopping;
  listAndDownload(kItem + "100001.html");
  // The one row still downloads by itself, from its own page, not the page left behind.
  ASSERT_EQ(stopUi.summaries.size(), 2u);
  EXPECT_EQ(stopUi.summaries[1].queued, 5);
  EXPECT_EQ(ReadFile(save.path() / "京东" / "京造 男士休闲T恤" / "主图_1.jpg"), kPicture);
  EXPECT_FALSE(std::filesystem::exists(save.path() / "京东" / "京造 男士休闲T恤" / "红色_主图_1.jpg"));
}

TEST_F(Jd, TheCommandLineListsAndDownloadsAProduct) {
  const test::TempDir cliWork, cliSave;
  const std::string address = kItem + "200001.html";
  const test::CliRun list = test::RunCliBinary(web.ProxyAddress(), cliWork.path(), "list " + address);
  ASSERT_EQ(list.status, 0) << list.err;
  EXPECT_NE(list.out.find("0001\t不锈钢保温杯 500ml\t未知"), std::string::npos) << list.out;
  EXPECT_NE(list.err.find("SiteIndex 16:"), std::string::npos) << list.err;

  const test::CliRun download = test::RunCliBinary(web.ProxyAddress(), cliWork.path(),
                                                   "download " + address + " --save-path " + test::Quoted(cliSave.path().string()));
  ASSERT_EQ(download.status, 0) << download.err;
  EXPECT_NE(download.out.find("不锈钢保温杯 500ml\tqueued=3\tsaved=3"), std::string::npos) << download.out;
  EXPECT_EQ(ReadFile(cliSave.path() / "京东" / "不锈钢保温杯 500ml" / "蓝色_主图_1.jpg"), kPicture);
}

}  // namespace
}  // namespace zentrow
