// Sina blog photo albums and articles end to end, and the Sina category's choice between
// articles, Weibo and blog: the Sina entry, the engine and the fake web.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/sina/sina.h"
#include "sites/site_test.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

using test::ReadFile;

const std::string kPicture = test::JpegBody('s');
const std::string kPhotoPages = "http://photo.blog.sina.com.cn/category/u/1357924680/s/";
constexpr char16_t kSinaEmpty[] = u"没有获取到相册，请在登录菜单里登录新浪(微博)帐号后重试,登录时勾上下次自动登录";

struct SinaBlog : test::SiteTest {
  void SetUp() override {
    for (const char* folder : {"sinablog", "weibo"}) ASSERT_TRUE(test::LoadSiteManifest(web, folder));
    ServePicture({"http://s1.sinaimg.cn/orignal/", "http://s2.sinaimg.cn/orignal/", "http://s3.sinaimg.cn/orignal/",
                  "http://album.sina.com.cn/pic/"},
                 kPicture);
    sites[SITE_SINA] = SinaReaders();
    BuildState(SITE_SINA, {0, 0, 4, 10}, sites);
  }

  // The pictures are saved, and no other picture was asked for.
  void ExpectPictures(const std::vector<test::SavedPicture>& pictures) {
    ExpectSaved(pictures, kPicture);
    size_t pictureRequests = 0;
    for (const auto& request : web.Requests())
      pictureRequests += request.url.find("sinaimg.cn/") != std::string::npos ||
                         request.url.starts_with("http://album.sina.com.cn/");
    EXPECT_EQ(pictureRequests, pictures.size());
  }
};

struct Row {
  Text name;
  Text listAddress;
  Text cover;
  int32_t count;
};

void ExpectRows(const std::vector<ST_PERLISTRECORD>& albums, const std::vector<Row>& rows) {
  ASSERT_EQ(albums.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(albums[i].name, rows[i].name) << i;
    EXPECT_EQ(albums[i].listAddress, rows[i].listAddress) << i;
    EXPECT_EQ(albums[i].coverAddress, rows[i].cover) << i;
    EXPECT_EQ(albums[i].count, rows[i].count) << i;
    EXPECT_EQ(albums[i].remarks, 0) << i;
  }
}

TEST_F(SinaBlog, ListsThePhotoCategoriesOfTheBlog) {
  List(u"http://blog.sina.com.cn/lanshan");
  EXPECT_EQ(state->Category(), SITE_SINA);
  EXPECT_EQ(state->listType, 0);
  EXPECT_EQ(state->ownerFolder, u"蓝山/");  // the title up to "_新浪"
  EXPECT_EQ(state->userIdText, u"1357924680");
  EXPECT_TRUE(ui.messages.empty());
  // The nameless category gives no row; one without a count or cover still does.
  ExpectRows(state->albums.Snapshot(),
             {
                 {u"风景", u"http://photo.blog.sina.com.cn/category/u/1357924680/s/1",
                  u"http://s1.sinaimg.cn/bmiddle/cover01", 5},
                 {u"人物", u"http://photo.blog.sina.com.cn/category/u/1357924680/s/2",
                  u"http://s1.sinaimg.cn/bmiddle/cover02", 2},
                 {u"未分类", u"http://photo.blog.sina.com.cn/category/u/1357924680/s/4", u"", 0},
             });
  for (const auto& request : web.Requests()) EXPECT_EQ(request.Header("Accept-Encoding"), "gzip, deflate");
}

TEST_F(SinaBlog, DownloadsTheCategoriesPageByPage) {
  List(u"http://blog.sina.com.cn/lanshan");
  ASSERT_EQ(state->albums.Count(), 3);
  DownloadAlbums({0, 1});

  // Full-size pictures in place of the thumbnails, their "&amp;" decoded and the rest of
  // the address ("stamp_") kept as it was.
  ExpectPictures({
      {"蓝山/风景/湖边.jpg", "http://s1.sinaimg.cn/orignal/50ee5b3cg01&690"},
      {"蓝山/风景/邮票.jpg", "http://s2.sinaimg.cn/orignal/stamp_50ee5b3cg02&690"},
      {"蓝山/风景/山顶.jpg", "http://s3.sinaimg.cn/orignal/50ee5b3cg03&690"},
      {"蓝山/风景/海边.jpg", "http://s1.sinaimg.cn/orignal/50ee5b3cg04&690"},
      {"蓝山/风景/日落.jpg", "http://s1.sinaimg.cn/orignal/50ee5b3cg05&690"},
      {"蓝山/人物/外婆.jpg", "http://s1.sinaimg.cn/orignal/50ee5b3cg11&690"},
      {"蓝山/人物/小侄子.jpg", "http://s1.sinaimg.cn/orignal/50ee5b3cg12&690"},
  });
  // "风景" ends at the page without "下一页"; "人物" links to a next page for ever but
  // shows the same page again, which ends it.
  struct Pages {
    std::string category;
    std::vector<size_t> requests;  // of pages 1, 2, ...
  };
  for (const Pages& p : {Pages{"1", {1, 1, 0}}, Pages{"2", {1, 1, 0}}})
    for (size_t page = 0; page < p.requests.size(); ++page)
      EXPECT_EQ(web.RequestsTo(kPhotoPages + p.category + "/page" + std::to_string(page + 1)).size(),
                p.requests[page])
          << p.category << " " << page + 1;
  ASSERT_EQ(ui.summaries.size(), 2u);
  EXPECT_EQ(ui.summaries[0].queued, 5);
  EXPECT_EQ(ui.summaries[1].queued, 2);
  EXPECT_EQ(ui.LastStatus1(), u"下载完毕");
}

// "人物" as a site that numbers every page it shows but shows the same photos on each:
// the texts differ, the photos do not, and the second page ends the album.
TEST_F(SinaBlog, APhotoPageOfOnlyEarlierPhotosEndsTheCategory) {
  const std::string people = ReadFile(test::SiteData("sinablog") / "people.html");
  for (int page = 1; page <= 3; ++page)
    web.Get(kPhotoPages + "2/page" + std::to_string(page), "<!-- page " + std::to_string(page) + " -->" + people);
  List(u"http://blog.sina.com.cn/lanshan");
  DownloadAlbums({1});
  ASSERT_EQ(ui.summaries.size(), 1u);
  EXPECT_EQ(ui.summaries[0].queued, 2);
  EXPECT_EQ(web.RequestsTo(kPhotoPages + "2/page2").size(), 1u);
  EXPECT_EQ(web.RequestsTo(kPhotoPages + "2/page3").size(), 0u);
}

TEST_F(SinaBlog, ListsTheArticlesOverTwoPagesAndBothLayouts) {
  List(u"http://blog.sina.com.cn/s/articlelist_1357924680_0_1.html");
  EXPECT_EQ(state->listType, 1);
  EXPECT_EQ(state->ownerFolder, u"博文_蓝山/");
  EXPECT_TRUE(ui.messages.empty());
  // Page 1: a titled link, a link with only its text, an entry with neither (no row).
  // Page 2 has no title marks and is read by its dotted lines.
  ExpectRows(state->albums.Snapshot(),
             {
                 {u"春天的花", u"http://blog.sina.com.cn/s/blog_50ee5b3c0102a001.html", u"", -1},
                 {u"夏日游记", u"http://blog.sina.com.cn/s/blog_50ee5b3c0102a002.html", u"", -1},
                 {u"秋天的落叶", u"http://blog.sina.com.cn/s/blog_50ee5b3c0102a003.html", u"", -1},
                 {u"冬雪", u"http://blog.sina.com.cn/s/blog_50ee5b3c0102a004.html", u"", -1},
             });
  EXPECT_EQ(Urls("http://blog.sina.com.cn/s/articlelist_"),
            (std::vector<std::string>{"http://blog.sina.com.cn/s/articlelist_1357924680_0_1.html",
                                      "http://blog.sina.com.cn/s/articlelist_1357924680_0_2.html"}));
}

TEST_F(SinaBlog, DownloadsEveryPictureOfEachArticle) {
  List(u"http://blog.sina.com.cn/s/articlelist_1357924680_0_1.html");
  ASSERT_EQ(state->albums.Count(), 4);
  DownloadAlbums({0, 1, 2, 3});

  // "春天的花": one viewer link per preview inside the article (the share links around it
  // are not read), so the links. "夏日游记": a stray "&url=" makes the counts differ, so the
  // previews, at full size. "冬雪" has no picture.
  ExpectPictures({
      {"博文_蓝山/春天的花/春天的花.jpg", "http://album.sina.com.cn/pic/001a1"},
      {"博文_蓝山/春天的花/春天的花(1).jpg", "http://album.sina.com.cn/pic/001a2"},
      {"博文_蓝山/春天的花/春天的花(2).jpg", "http://album.sina.com.cn/pic/001a3"},
      {"博文_蓝山/夏日游记/夏日游记.jpg", "http://s2.sinaimg.cn/orignal/002b1&690"},
      {"博文_蓝山/夏日游记/夏日游记(1).jpg", "http://s3.sinaimg.cn/orignal/002b2"},
      {"博文_蓝山/秋天的落叶/秋天的落叶.jpg", "http://s1.sinaimg.cn/orignal/003c1&690"},
  });
  std::vector<int> queued;
  for (const auto& summary : ui.summaries) queued.push_back(summary.queued);
  EXPECT_EQ(queued, (std::vector<int>{3, 2, 1, 0}));
}

TEST_F(SinaBlog, TheAddressChoosesArticlesWeiboOrBlog) {
  const std::string articles = "http://blog.sina.com.cn/s/articlelist_1357924680_0_";
  const std::string categories = "http://photo.blog.sina.com.cn/services/ctg_list_ctg.php?format=gsonv&uid=";
  struct Case {
    Text address;
    int32_t listType;
    std::vector<std::string> requests;  // what the key became, and where the reader went
    int albums;
  };
  const std::vector<Case> cases = {
      {u"http://blog.sina.com.cn/s/articlelist_1357924680_0_1.html", 1, {articles + "1.html", articles + "2.html"}, 4},
      {u"http://blog.sina.com.cn/s/blog_50ee5b3c0102a004.html", 1, {"http://blog.sina.com.cn/s/blog_1.html"}, 0},
      {u"http://weibo.com/u/1234567890",
       2,
       {"http://weibo.com/u/1234567890", "http://photo.weibo.com/albums/get_all?uid=1234567890&count=65535"},
       5},
      {u"http://weibo.com/nobody", 2, {"http://weibo.com/nobody"}, 0},
      {u"http://blog.sina.com.cn/lanshan", 0, {"http://blog.sina.com.cn/lanshan", categories + "1357924680"}, 3},
      // No article list link: the categories are asked for an empty user id, and none come.
      {u"http://blog.sina.com.cn/quiet", 0, {"http://blog.sina.com.cn/quiet", categories}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.address));
    web.ClearRequests();
    ui.messages.clear();
    List(c.address);
    EXPECT_EQ(state->Category(), SITE_SINA);
    EXPECT_EQ(state->listType, c.listType);
    EXPECT_EQ(Urls(""), c.requests);
    EXPECT_EQ(state->albums.Count(), c.albums);
    const std::vector<Text> messages = c.albums == 0 ? std::vector<Text>{kSinaEmpty} : std::vector<Text>{};
    EXPECT_EQ(ui.messages, messages);
  }
}

}  // namespace
}  // namespace zentrow
