// Taobao and Tmall end to end: the shop entry's address forms, shop listings over their
// pages, product pages, main pictures with prices in their names, the pages kept for the
// maintainers; the engine and the fake web, and once the real command-line program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/kit.h"
#include "sites/shops/shops.h"
#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::ReadFile;

const std::string kPicture = test::JpegBody('t');
const std::string kHome = "http://www.taobao.com/";
const std::string kShop = "http://shop35791.taobao.com/?search=y&viewType=grid&pageNum=";
constexpr char16_t kShopEmpty[] =
    u"没有获取到宝贝，请确认输入的是淘宝或天猫的店铺首页、宝贝页、搜索页或分类页的网址";
constexpr char16_t kLinkError[] = u"获取信息出错,请将程序目录下的log.err文件发给作者,以便修改";
constexpr char kSettingsFile[] = "下载器扩展设置.ini";

// What a dump holds for a GBK page: the byte-order mark and the text in UTF-16LE.
std::string DumpOfGbk(const std::string& pageBytes) {
  const Text text = FromCodePage(pageBytes, CP_GBK);
  return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

struct Taobao : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "taobao"));
    ServePicture({"http://img.alicdn.com/"}, kPicture);
    BuildState(SITE_SHOPS, {0, 0, 4, 10});
  }
  // The download a one-product listing started by itself.
  void WaitAutoDownload() { state->WaitDownload(); }
};

TEST_F(Taobao, AShopIsListedOverItsPagesWithSalesAndFolders) {
  List(u"http://shop35791.taobao.com/");
  EXPECT_EQ(state->Category(), SITE_SHOPS);
  EXPECT_EQ(state->listType, -1);
  EXPECT_EQ(state->ownerFolder, u"小王的店/");  // percent-encoded UTF-8 between quotes
  EXPECT_EQ(state->extraFolder, u"所有分类 女装/");
  EXPECT_TRUE(ui.messages.empty());

  struct Row {
    Text name;
    Text listAddress;
    Text cover;
    int32_t sales;
  };
  // Page 1: the side bar before the sorting bar and the advert after the price filter are
  // no products; an entry without a name or a link gives no row. Links of every absolute
  // form are taken as they are. Page 2 (the other layout) repeats 1001, listed once.
  const std::vector<Row> rows = {
      {u"碎花连衣裙 夏季新款", u"http://item.taobao.com/item.htm?id=1001",
       u"http://img.alicdn.com/bao/uploaded/i1/TB1cover1001.jpg_240x240.jpg", 128},
      {u"格子衬衫", u"http://item.taobao.com/item.htm?id=1002",
       u"http://img.alicdn.com/bao/uploaded/i2/TB1cover1002.jpg_240x240.jpg", 56},
      {u"真丝围巾", u"https://item.taobao.com/item.htm?id=1003",
       u"https://img.alicdn.com/bao/uploaded/i3/TB1cover1003.jpg_240x240.jpg", 7},
      {u"羊毛开衫", u"http://item.taobao.com/item.htm?id=1004",
       u"http://img.alicdn.com/bao/uploaded/i4/TB1cover1004.jpg_240x240.jpg", 0},
  };
  const auto albums = state->albums.Snapshot();
  ASSERT_EQ(albums.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(albums[i].name, rows[i].name) << i;
    EXPECT_EQ(albums[i].listAddress, rows[i].listAddress) << i;
    EXPECT_EQ(albums[i].coverAddress, rows[i].cover) << i;
    EXPECT_EQ(albums[i].numberB, rows[i].sales) << i;
    EXPECT_EQ(albums[i].count, -1) << i;
    EXPECT_EQ(albums[i].remarks, 0) << i;
  }
  // The home page first, then the pages up to the one that says it is the last.
  EXPECT_EQ(Urls(""), (std::vector<std::string>{kHome, kShop + "1", kShop + "2"}));
  for (const auto& request : web.Requests()) {
    EXPECT_EQ(request.Header("Accept-Encoding"), "gzip, deflate");
    EXPECT_EQ(request.Header("Accept-Language"), "zh-cn");
  }
  // Many products: no download starts by itself.
  state->WaitDownload();
  EXPECT_TRUE(ui.summaries.empty());
}

TEST_F(Taobao, MainPicturesAreNamedWithThePriceAsTheSettingsAsk) {
  state->Settings().Naming(SITE_SHOPS).filePrefix.Set(u"?5-");  // the sales figure
  const std::string product = "小王的店/所有分类 女装/碎花连衣裙 夏季新款/";
  const std::string bundled = "小王的店/所有分类 女装/格子衬衫/";
  struct Case {
    const char* settings;  // the extension settings file, or none
    std::string prefix1001, prefix1002;
  };
  const std::vector<Case> cases = {
      {nullptr, "", ""},
      {"[淘宝]\n图片名中是否有价格=无\n价格增减=5\n", "", ""},
      {"[淘宝]\n图片名中是否有价格=有\n", "价格99.00元_", "价格128.50元_"},  // as the page writes it
      {"[淘宝]\n图片名中是否有价格=有\n价格增减=5\n", "价格104.00元_", "价格133.50元_"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings ? c.settings : "(no file)");
    std::filesystem::remove(work.File(kSettingsFile));
    if (c.settings) work.Write(kSettingsFile, c.settings);
    web.ClearRequests();
    ui.messages.clear();
    List(u"http://shop35791.taobao.com/");
    ASSERT_EQ(state->albums.Count(), 4);
    DownloadAlbums({0, 1});

    // 1001: thumbnails without their size suffix, lazy-loaded ones by their real address,
    // an address without suffix kept whole, the first picture shown twice queued once.
    // 1002: the bundle page's pictures, given as styles.
    ExpectSaved({{product + "128-" + c.prefix1001 + "主图_1.jpg", "http://img.alicdn.com/bao/uploaded/i1/TB1_main1.jpg"},
                 {product + "128-" + c.prefix1001 + "主图_2.jpg", "http://img.alicdn.com/bao/uploaded/i1/TB1_main2.png"},
                 {product + "128-" + c.prefix1001 + "主图_3.jpg", "http://img.alicdn.com/imgextra/i1/TB1_main3.jpg"},
                 {bundled + "56-" + c.prefix1002 + "主图_1.jpg", "http://img.alicdn.com/bao/uploaded/i2/TB2_shirt1.jpg"},
                 {bundled + "56-" + c.prefix1002 + "主图_2.jpg", "http://img.alicdn.com/bao/uploaded/i2/TB2_shirt2.jpg"}},
                kPicture);
    ASSERT_EQ(ui.summaries.size(), 2u);
    EXPECT_EQ(ui.summaries[0].queued, 3);
    EXPECT_EQ(ui.summaries[1].queued, 2);
    ui.summaries.clear();
    EXPECT_EQ(web.RequestsTo("http://bundle.taobao.com/item.htm?id=1002").size(), 1u);
    EXPECT_EQ(ui.messages, (std::vector<Text>{kShopNotice, kShopNotice}));  // once per product
  }
}

TEST_F(Taobao, AProductAddressListsTheProductAndDownloadsItAtOnce) {
  const std::string page = "http://detail.tmall.com/item.htm?id=2001";
  struct Case {
    uint16_t options;
    std::vector<test::SavedPicture> pictures;
    std::vector<Text> messages;
  };
  const std::vector<Case> cases = {
      {0,
       {{"天猫旗舰店/羊绒大衣 - 双面呢/主图_1.jpg", "http://img.alicdn.com/imgextra/i4/T1_coat1.jpg"},
        {"天猫旗舰店/羊绒大衣 - 双面呢/主图_2.jpg", "http://img.alicdn.com/imgextra/i4/T1_coat2.jpg"}},
       {kShopNotice}},
      // Main pictures only is what the reader always does.
      {OPT_MAIN_PICTURES, {}, {kShopNotice}},
      // Description pictures only: nothing to do here, and nothing said.
      {OPT_DESCRIPTION_PICTURES, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    state->Settings().Naming(SITE_SHOPS).optionFlags = c.options;
    web.ClearRequests();
    ui.messages.clear();
    ui.summaries.clear();
    List(FromUtf8(page));
    WaitAutoDownload();

    const auto albums = state->albums.Snapshot();
    ASSERT_EQ(albums.size(), 1u);
    EXPECT_EQ(albums[0].name, u"羊绒大衣 - 双面呢");  // the title before its last "-"
    EXPECT_EQ(albums[0].listAddress, FromUtf8(page));
    EXPECT_EQ(albums[0].coverAddress, u"");
    EXPECT_EQ(albums[0].count, -1);
    EXPECT_EQ(state->ownerFolder, u"天猫旗舰店/");
    EXPECT_TRUE(web.RequestsTo(kHome).empty());
    ASSERT_EQ(ui.summaries.size(), 1u);
    if (c.options != OPT_MAIN_PICTURES) {
      EXPECT_EQ(ui.summaries[0].queued, static_cast<int>(c.pictures.size()));
      ExpectSaved(c.pictures, kPicture);
    } else {
      EXPECT_EQ(ui.summaries[0].queued, 2);
    }
    EXPECT_EQ(web.RequestsTo(page).size(), 2u);  // the listing, then the pictures
    EXPECT_EQ(ui.messages, c.messages);
  }
}

TEST_F(Taobao, EveryAddressFormListsFromTheFirstPage) {
  state->autoDownloadAllowed = false;
  const std::string list = "&viewType=grid&pageNum=1";
  struct Case {
    Text address;
    std::vector<std::string> requests;
    int albums;
  };
  const std::vector<Case> cases = {
      // A shop's page becomes the list of all its products; the fragment goes first.
      {u"http://shop24680.taobao.com/#tab", {kHome, "http://shop24680.taobao.com/?search=y" + list}, 0},
      {u"http://shop24680.taobao.com/shop/view_shop.htm?spm=a1z10.1", {kHome, "http://shop24680.taobao.com/?search=y" + list}, 0},
      // A host with "com" inside its first label is cut where the host ends.
      {u"http://comfort.taobao.com/index.htm", {kHome, "http://comfort.taobao.com/?search=y" + list}, 0},
      // Lists of their own keep their parameters, but not the page and the view.
      {u"http://shop24680.taobao.com/search.htm?orderType=hotsell&pageNum=3&viewType=list",
       {kHome, "http://shop24680.taobao.com/search.htm?orderType=hotsell&Vrk1=3&Vrk2=list" + list},
       0},
      {u"http://shop24680.taobao.com/category-778899.htm#bd",
       {kHome, "http://shop24680.taobao.com/category-778899.htm?" + list},
       0},
      // A search that finds nothing ends at once, whatever the page links to.
      {u"http://s.taobao.com/search?q=abc", {kHome, "http://s.taobao.com/search?q=abc" + list}, 0},
      // A product page is read by itself.
      {u"http://item.taobao.com/item.htm?id=1001#description", {"http://item.taobao.com/item.htm?id=1001"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.address));
    web.ClearRequests();
    ui.messages.clear();
    List(c.address);
    EXPECT_EQ(state->Category(), SITE_SHOPS);
    EXPECT_EQ(Urls(""), c.requests);
    EXPECT_EQ(state->albums.Count(), c.albums);
    EXPECT_EQ(ui.messages, c.albums == 0 ? std::vector<Text>{kShopEmpty} : std::vector<Text>{});
  }
}

TEST_F(Taobao, AListEndsAtItsLastPageOrWhenAPageBringsNoNewProduct) {
  state->autoDownloadAllowed = false;
  // One product a page, in a shop whose pages end as the tail says.
  auto pageOf = [](const std::string& product, int number, const std::string& tail) {
    return ToGbk(FromUtf8("<html><title>第" + std::to_string(number) + "页</title><script>nickName:'pager',</script>" +
                          "排序：<dl class=\"item\"><a href=\"//item.taobao.com/item.htm?id=" + product +
                          "\"></a><a class=\"item-name\" href=\"#\">宝贝" + product + "</a></dl>" + tail + "</html>"));
  };
  struct Case {
    std::string shop;
    std::string tail;
    bool newProducts;  // whether every page brings another product
    size_t requests;   // pages asked for
    int albums;
  };
  const std::vector<Case> cases = {
      {"shop4001", "<span>没有下一页</span><a href=\"#\">下一页</a>", true, 1, 1},
      {"shop4002", "<a class=\"disable\">下一页</a>", true, 1, 1},
      {"shop4003", "<a href=\"#\">更多</a>", true, 1, 1},
      // Always a next link: the walk goes on until a page lists nothing (page 4 is missing).
      {"shop4004", "<a href=\"#\">下一页</a>", true, 4, 3},
      // Page 2 shows page 1's product again in a new page: the list ends there.
      {"shop4005", "<a href=\"#\">下一页</a>", false, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shop);
    const std::string base = "http://" + c.shop + ".taobao.com/?search=y&viewType=grid&pageNum=";
    for (int number = 1; number <= 3; ++number)
      web.Get(base + std::to_string(number), pageOf(c.newProducts ? std::to_string(number) : "1", number, c.tail));
    web.ClearRequests();
    List(FromUtf8("http://" + c.shop + ".taobao.com/"));
    EXPECT_EQ(web.RequestsTo(base).size(), c.requests);
    EXPECT_EQ(state->albums.Count(), c.albums);
    EXPECT_EQ(state->ownerFolder, u"pager/");
  }
}

TEST_F(Taobao, PagesOfUnknownLayoutsAreKeptForTheMaintainers) {
  state->autoDownloadAllowed = false;
  // A product link of an unknown form: the rows before it stay, the page is kept.
  List(u"http://shop2468.taobao.com/");
  EXPECT_EQ(state->albums.Count(), 2);
  EXPECT_EQ(state->ownerFolder, u"老李/");  // given in plain characters, kept as they are
  EXPECT_EQ(ui.messages, (std::vector<Text>{kLinkError}));
  EXPECT_EQ(work.Read("log.err"), DumpOfGbk(ReadFile(test::SiteData("taobao") / "shop-2468.html")));

  // A list without any product marker.
  ui.messages.clear();
  List(u"http://shop1357.taobao.com/");
  EXPECT_EQ(state->albums.Count(), 0);
  EXPECT_EQ(ui.messages, (std::vector<Text>{kShopEmpty}));
  EXPECT_EQ(work.Read("taobao.tmp"), DumpOfGbk(ReadFile(test::SiteData("taobao") / "shop-1357.html")));

  // A product page without its description reference: nothing is queued.
  ui.messages.clear();
  List(u"http://shop35791.taobao.com/");
  DownloadAlbums({3});
  ASSERT_EQ(ui.summaries.size(), 1u);
  EXPECT_EQ(ui.summaries[0].queued, 0);
  EXPECT_EQ(ui.messages, (std::vector<Text>{kProductPageError}));
  EXPECT_EQ(work.Read("log.err"), DumpOfGbk(ReadFile(test::SiteData("taobao") / "item-1004.html")));

  // A product page without the picture viewer: the page's other pictures are not the
  // product's, nothing is queued.
  ui.messages.clear();
  ui.summaries.clear();
  web.ClearRequests();
  List(u"http://item.taobao.com/item.htm?id=1005");
  DownloadAlbums({0});
  ASSERT_EQ(ui.summaries.size(), 1u);
  EXPECT_EQ(ui.summaries[0].queued, 0);
  EXPECT_TRUE(web.RequestsTo("http://img.alicdn.com/").empty());
  EXPECT_EQ(ui.messages, (std::vector<Text>{kShopNotice}));

  // However large the page, the dump keeps its first mebibyte.
  web.Get("http://shop1357.taobao.com/?search=y&viewType=grid&pageNum=1", std::string(3 << 20, 'x'));
  List(u"http://shop1357.taobao.com/");
  EXPECT_EQ(work.Read("taobao.tmp").size(), 2 + 2 * kDumpUnits);
}

TEST(ShopPieces, AddressesOfLinksAndPictures) {
  struct Case {
    const char16_t* given;
    const char16_t* absolute;
    const char16_t* withoutSuffix;
  };
  const std::vector<Case> cases = {
      {u"//img.alicdn.com/i1/TB1_a.jpg_60x60.jpg", u"http://img.alicdn.com/i1/TB1_a.jpg_60x60.jpg",
       u"//img.alicdn.com/i1/TB1_a.jpg"},
      {u"http://img.alicdn.com/i1/TB1_b.PNG_50x50.png_.webp", u"http://img.alicdn.com/i1/TB1_b.PNG_50x50.png_.webp",
       u"http://img.alicdn.com/i1/TB1_b.PNG"},
      {u"https://img.alicdn.com/i1/TB1_c.jpeg_q90.jpg", u"https://img.alicdn.com/i1/TB1_c.jpeg_q90.jpg",
       u"https://img.alicdn.com/i1/TB1_c.jpeg"},
      // No suffix: the name's own "_" stays.
      {u"http://img.alicdn.com/i1/TB1_d_e.jpg", u"http://img.alicdn.com/i1/TB1_d_e.jpg",
       u"http://img.alicdn.com/i1/TB1_d_e.jpg"},
      // Relative and other links are no address to fetch.
      {u"/item.htm?id=1", u"", u"/item.htm?id=1"},
      {u"javascript:;", u"", u"javascript:;"},
      {u"", u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AbsoluteAddress(c.given), c.absolute) << ToUtf8(c.given);
    EXPECT_EQ(WithoutSizeSuffix(c.given), c.withoutSuffix) << ToUtf8(c.given);
  }
  EXPECT_EQ(ShopHost(u"http://comfort.taobao.com/shop?x=com"), u"http://comfort.taobao.com");
  EXPECT_EQ(ShopHost(u"https://shop1.1688.com?x=1"), u"https://shop1.1688.com");
  EXPECT_EQ(ShopHost(u"http://shop1.taobao.com"), u"http://shop1.taobao.com");
}

TEST_F(Taobao, TheCommandLineListsAShopAndDownloadsAProduct) {
  const test::TempDir cliWork, cliSave;
  const test::CliRun list = test::RunCliBinary(web.ProxyAddress(), cliWork.path(), "list http://shop35791.taobao.com/");
  ASSERT_EQ(list.status, 0) << list.err;
  for (const char* row : {"0001\t碎花连衣裙 夏季新款\t未知", "0002\t格子衬衫\t", "0003\t真丝围巾\t", "0004\t羊毛开衫\t"})
    EXPECT_NE(list.out.find(row), std::string::npos) << row << "\n" << list.out;
  EXPECT_NE(list.err.find("SiteIndex 11:"), std::string::npos) << list.err;

  const test::CliRun download = test::RunCliBinary(
      web.ProxyAddress(), cliWork.path(),
      "download http://shop35791.taobao.com/ --albums 1 --save-path " + test::Quoted(cliSave.path().string()));
  ASSERT_EQ(download.status, 0) << download.err;
  EXPECT_NE(download.out.find("碎花连衣裙 夏季新款\tqueued=3\tsaved=3"), std::string::npos) << download.out;
  EXPECT_EQ(ReadFile(cliSave.path() / "小王的店" / "所有分类 女装" / "碎花连衣裙 夏季新款" / "主图_2.jpg"), kPicture);
}

}  // namespace
}  // namespace zentrow
