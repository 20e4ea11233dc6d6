// NetEase blog photo sets end to end, and the NetEase category's choice between the blog
// and the album service: the production table, the engine and the fake web fixtures in
// tests/sites/neteaseblog and tests/sites/netease.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

const std::string kPicture = test::JpegBody('b');

struct NeteaseBlog : test::SiteTest {
  void SetUp() override {
    for (const char* folder : {"neteaseblog", "netease"}) ASSERT_TRUE(test::LoadSiteManifest(web, folder));
    ServePicture({"http://img2.pp.126.net/"}, kPicture);
    BuildState(SITE_NETEASE, {0, 0, 4, 10});
  }
};

TEST_F(NeteaseBlog, ListsThePhotoSetsOfTheBlog) {
  List(u"http://lanshan.pp.163.com/");
  EXPECT_EQ(state->Category(), SITE_NETEASE);
  EXPECT_EQ(state->listType, 1);
  EXPECT_EQ(state->ownerFolder, u"蓝山/");  // the nickname, made safe for a folder
  EXPECT_TRUE(ui.messages.empty());

  struct Row {
    const char16_t* name;
    const char16_t* listAddress;
    const char16_t* cover;
    int32_t count;
  };
  // The entry without a link gives no row.
  const std::vector<Row> rows = {
      {u"春游", u"http://lanshan.pp.163.com/photo/set1/", u"http://img1.pp.126.net/c1.jpg", 12},
      {u"秋色", u"http://lanshan.pp.163.com/photo/set2/", u"http://img1.pp.126.net/c2.jpg", 2},
  };
  const auto albums = state->albums.Snapshot();
  ASSERT_EQ(albums.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(albums[i].name, rows[i].name) << i;
    EXPECT_EQ(albums[i].listAddress, rows[i].listAddress) << i;
    EXPECT_EQ(albums[i].coverAddress, rows[i].cover) << i;
    EXPECT_EQ(albums[i].count, rows[i].count) << i;
    EXPECT_EQ(albums[i].remarks, 0) << i;
  }
}

TEST_F(NeteaseBlog, DownloadsThePicturesOfEachSetsPictureList) {
  List(u"http://lanshan.pp.163.com/");
  ASSERT_EQ(state->albums.Count(), 2);
  web.ClearRequests();
  DownloadAlbums({0, 1});

  // Only the picture list is read: the share and next-set addresses around it are not,
  // nor the entry without an address.
  ExpectSaved({{"蓝山/春游/桃花.jpg", "http://img2.pp.126.net/p/1.jpg"},
               {"蓝山/春游/春游.jpg", "http://img2.pp.126.net/p/2.jpg"},
               {"蓝山/秋色/枫叶.jpg", "http://img2.pp.126.net/p/21.jpg"},
               {"蓝山/秋色/银杏.jpg", "http://img2.pp.126.net/p/22.jpg"}},
              kPicture);
  EXPECT_EQ(web.RequestsTo("http://img2.pp.126.net/").size(), 4u);
  ASSERT_EQ(ui.summaries.size(), 2u);
  EXPECT_EQ(ui.summaries[0].queued, 2);
  EXPECT_EQ(ui.summaries[1].queued, 2);
  const auto pages = web.RequestsTo("http://lanshan.pp.163.com/photo/");
  ASSERT_EQ(pages.size(), 2u);
  for (const auto& page : pages) EXPECT_EQ(page.Header("Accept-Encoding"), "gzip, deflate");
}

TEST_F(NeteaseBlog, TheAddressChoosesTheBlogOrTheAlbumService) {
  struct Case {
    const char16_t* address;
    int32_t listType;
    std::string firstRequest;
    int albums;
  };
  const std::vector<Case> cases = {
      {u"http://lanshan.pp.163.com/", 1, "http://lanshan.pp.163.com/", 2},
      // The album sub-domain without a user before it is the album service's older form.
      {u"http://pp.163.com/lanshan/", -1, "http://pp.163.com/lanshan/", 7},
      {u"http://photo.163.com/lanshan", -1, "http://photo.163.com/lanshan", 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.address));
    web.ClearRequests();
    List(c.address);
    EXPECT_EQ(state->listType, c.listType);
    EXPECT_EQ(state->albums.Count(), c.albums);
    const auto requests = web.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].url, c.firstRequest);
    EXPECT_TRUE(ui.messages.empty());
  }
}

}  // namespace
}  // namespace zentrow
