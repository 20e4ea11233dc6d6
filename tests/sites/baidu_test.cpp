// Baidu albums end to end: the Baidu entry of the production table, the engine and the fake
// web fixtures in tests/sites/baidu.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/baidu/baidu.h"
#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::QueryValue;

const std::string kPicture = test::JpegBody('d');
const std::string kAlbumList = "http://xiangce.baidu.com/album/list/";
const std::string kPhotoList = "http://xiangce.baidu.com/picture/album/list/";
const std::string kFullSize = "http://b.hiphotos.baidu.com/album/pic/item/";
const Text kQuestion = Text(u"提示|") + kBaiduVerifyQuestion;

TEST(BaiduText, OnlyAnAlbumAddressIsRewrittenToItsFullSize) {
  struct Case {
    const char16_t* address;
    const char16_t* fullSize;
  };
  const std::vector<Case> cases = {
      {u"http://b.hiphotos.baidu.com/album/s%3D80%3Bq%3D90/sign=ab/p01.jpg",
       u"http://b.hiphotos.baidu.com/album/pic/item/p01.jpg"},
      {u"http://b.hiphotos.baidu.com/album/p02.jpg", u"http://b.hiphotos.baidu.com/album/pic/item/p02.jpg"},
      // No album part: the address as it came, not a rewrite appended to all of it.
      {u"http://imgsrc.baidu.com/forum/pic/item/p03.jpg", u"http://imgsrc.baidu.com/forum/pic/item/p03.jpg"},
      // "album" in the host is no album part.
      {u"http://album.example.com/w/p04.jpg", u"http://album.example.com/w/p04.jpg"},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(BaiduFullSizePicture(c.address), c.fullSize) << ToUtf8(c.address);
}

struct BaiduAlbumsSite : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "baidu"));
    ServePicture({kFullSize, "http://imgsrc.baidu.com/"}, kPicture);
    BuildState(SITE_BAIDU, {.threadCount = 3, .timeoutSeconds = 10});
  }

  // The album signs the album list was asked after, in order.
  std::vector<std::string> SignsAsked(const std::string& user) const {
    std::vector<std::string> signs;
    for (const std::string& url : Urls(kAlbumList + user + "?")) signs.push_back(QueryValue(url, "album_sign"));
    return signs;
  }
  // The offsets a photo list was asked from, in order.
  std::vector<std::string> OffsetsAsked(const std::string& sign) const {
    std::vector<std::string> offsets;
    for (const std::string& url : Urls(kPhotoList + sign + "?")) offsets.push_back(QueryValue(url, "pn"));
    return offsets;
  }
};

struct Row {
  Text name;
  Text sign;
  int32_t count;
  Text cover;
};

void ExpectRows(const AlbumList& albums, const std::vector<Row>& rows) {
  const auto listed = albums.Snapshot();
  ASSERT_EQ(listed.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(listed[i].name, rows[i].name) << i;
    EXPECT_EQ(listed[i].listAddress, rows[i].sign) << i;
    EXPECT_EQ(listed[i].count, rows[i].count) << i;
    EXPECT_EQ(listed[i].coverAddress, rows[i].cover) << i;
    EXPECT_EQ(listed[i].remarks, 0) << i;
  }
}

const std::vector<Row> kLanshanRows = {
    {u"旅行", u"a1b2/c3d4", 150, u"http://b.hiphotos.baidu.com/album/s%3D200/sign=c1/cover1.jpg"},
    {u"美食", u"e5f6g7", 3, u"http://b.hiphotos.baidu.com/album/s%3D200/sign=c2/cover2.jpg"},
    {u"宠物", u"h8i9", 7, u"http://b.hiphotos.baidu.com/album/s%3D200/sign=c4/cover4.jpg"},
    {u"风景", u"j0k1", 0, u""},
};

TEST_F(BaiduAlbumsSite, ListsTheHomePageThenTheAlbumListWithoutRepeats) {
  // The user's album address, and a page of the user that links to the profile.
  for (const Text address : {u"http://xiangce.baidu.com/u/lanshan?from=home#top", u"http://hi.baidu.com/lanshan"}) {
    web.ClearRequests();
    List(address);
    EXPECT_EQ(state->Category(), SITE_BAIDU);
    EXPECT_EQ(state->listType, 0);
    EXPECT_EQ(state->ownerFolder, u"lanshan/");
    // 旅行 of the album list is the home page's: listed once. Entries without a sign and
    // the album after "userAlbumList" are not listed.
    ASSERT_NO_FATAL_FAILURE(ExpectRows(state->albums, kLanshanRows));
    // Paged by the last sign of each page; page 3 brings nothing new and ends the list.
    EXPECT_EQ(SignsAsked("lanshan"), (std::vector<std::string>{"", "h8i9", "j0k1"}));
    EXPECT_EQ(web.RequestsTo("http://xiangce.baidu.com/u/lanshan").size(), 1u);
    EXPECT_TRUE(ui.messages.empty());
  }
}

TEST_F(BaiduAlbumsSite, TheJsonHomePageIsReadUpToItsFeedbackBlock) {
  List(u"http://xiangce.baidu.com/u/tom");
  // A name with an apostrophe is read whole; the album inside the feedback block is not
  // read at all.
  ASSERT_NO_FATAL_FAILURE(ExpectRows(
      state->albums,
      {{u"Tom's trip", u"t0m1", 4, u"http://b.hiphotos.baidu.com/album/s%3D200/sign=c3/cover3.jpg"},
       {u"家人", u"t0m2", 2, u""}}));
  EXPECT_EQ(SignsAsked("tom"), std::vector<std::string>{""});
}

TEST_F(BaiduAlbumsSite, AnUnreadablePageListsNothing) {
  // The page that should name the profile is empty: no album service is asked.
  List(u"http://hi.baidu.com/gone");
  EXPECT_EQ(state->albums.Count(), 0);
  EXPECT_TRUE(web.RequestsTo("http://xiangce.baidu.com/").empty());
  // An empty home page: the album list is not asked either.
  web.Get("http://xiangce.baidu.com/u/nobody", std::string());
  List(u"http://xiangce.baidu.com/u/nobody");
  EXPECT_EQ(state->albums.Count(), 0);
  EXPECT_TRUE(web.RequestsTo(kAlbumList).empty());
}

TEST_F(BaiduAlbumsSite, DownloadsAnAlbumOverTwoPhotoPagesAtFullSize) {
  List(u"http://xiangce.baidu.com/u/lanshan");
  ASSERT_EQ(state->albums.Count(), 4);
  DownloadAlbums({0});

  ExpectSaved({{"lanshan/旅行/海边.jpg", kFullSize + "p01.jpg"},
               {"lanshan/旅行/旅行.jpg", kFullSize + "p02.jpg"},  // no photo name: the album's
               {"lanshan/旅行/IMG_0003.jpg", "http://imgsrc.baidu.com/forum/pic/item/p03.jpg"},
               {"lanshan/旅行/山顶.jpg", kFullSize + "p04.jpg"},
               {"lanshan/旅行/p05.jpg", kFullSize + "p05.jpg"}},
              kPicture);
  ASSERT_EQ(ui.summaries.size(), 1u);
  EXPECT_EQ(ui.summaries[0].queued, 5);  // 海边 of page 2 was queued from page 1
  // The second page starts after the photos of the first; a page without photos ends.
  EXPECT_EQ(OffsetsAsked("a1b2/c3d4"), (std::vector<std::string>{"0", "3", "6"}));
  EXPECT_TRUE(ui.questions.empty());
}

TEST_F(BaiduAlbumsSite, APageThatOnlyRepeatsEarlierPhotosEndsTheAlbum) {
  List(u"http://xiangce.baidu.com/u/lanshan");
  DownloadAlbums({2});  // 宠物 answers its next offset with the same two photos
  ASSERT_EQ(ui.summaries.size(), 1u);
  EXPECT_EQ(ui.summaries[0].queued, 2);
  EXPECT_EQ(OffsetsAsked("h8i9"), (std::vector<std::string>{"0", "2"}));
}

TEST_F(BaiduAlbumsSite, AClosedAlbumAsksForVerificationOnceAndReadsTheSamePageAgain) {
  const std::string firstPage = kPhotoList + "e5f6g7?format=json&size=100&pn=0&width=80&t=*";
  struct Case {
    bool answer;
    bool opens;  // the verification succeeds in the login window
    std::vector<std::string> offsets;
    int queued;
  };
  const std::vector<Case> cases = {
      {true, true, {"0", "0", "2"}, 2},  // verified: page 1 again, then on
      {true, false, {"0", "0"}, 0},      // still closed: asked once only
      {false, false, {"0"}, 0},          // No: the album is left
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(test::LoadSiteManifest(web, "baidu"));  // closed again
    ui.onLogin = [&] {
      if (c.opens) web.Get(firstPage, test::ReadFile(test::SiteData("baidu") / "photos-food-0.json"));
    };
    List(u"http://xiangce.baidu.com/u/lanshan");
    web.ClearRequests();
    ui.questions.clear();
    ui.logins.clear();
    ui.summaries.clear();
    ui.answers = {c.answer, c.answer};
    DownloadAlbums({1});
    EXPECT_EQ(ui.questions, std::vector<Text>{kQuestion}) << c.answer << c.opens;
    const std::vector<Text> logins = {u"http://xiangce.baidu.com/picture/album/list/e5f6g7"};
    EXPECT_EQ(ui.logins, c.answer ? logins : std::vector<Text>{}) << c.answer << c.opens;
    EXPECT_EQ(OffsetsAsked("e5f6g7"), c.offsets) << c.answer << c.opens;
    ASSERT_EQ(ui.summaries.size(), 1u);
    EXPECT_EQ(ui.summaries[0].queued, c.queued);
  }
  // An album that claims no photos and shows none is not asked about.
  ui.questions.clear();
  DownloadAlbums({3});
  EXPECT_TRUE(ui.questions.empty());
  EXPECT_EQ(OffsetsAsked("j0k1"), std::vector<std::string>{"0"});
}

}  // namespace
}  // namespace zentrow
