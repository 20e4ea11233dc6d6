// Instagram end to end: the listing that asks nothing of the site, the profile page and
// the media feed paged by the last media id, the picture-host setting, and one run of
// zentrow-cli, over the fake web fixtures in tests/sites/instagram.
#include "sites/instagram/instagram.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sites/site_test.h"
#include "support/loopback_nginx.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

namespace fs = std::filesystem;
using test::LoopbackNginx;
using test::Quoted;
using test::ReadFile;
using test::RunCliBinary;
using test::SavedPicture;
using test::TempDir;

const std::string kCdnPicture = test::JpegBody('i');
const std::string kOtherPicture = test::JpegBody('d');
constexpr char kFixedHost[] = "http://photos-a.ak.instagram.com/hphotos-ak-xaf1/t51.2885-15/";

struct Instagram : test::SiteTest {
  void SetUp() override {
    ASSERT_TRUE(test::LoadSiteManifest(web, "instagram"));
    ServePicture({"http://photos-a.ak.instagram.com/", "http://scontent-b.cdninstagram.com/"}, kCdnPicture);
    ServePicture({"http://distilleryimage3.s3.amazonaws.com/"}, kOtherPicture);
    BuildState(SITE_INSTAGRAM, {0, 0, 4, 10});  // files named by their descriptions
  }
};

TEST_F(Instagram, TheListingMakesOneAlbumOfTheUserWithoutAskingTheSite) {
  struct Case {
    const char16_t* typed;
    const char16_t* name;
    const char16_t* listAddress;
  };
  const std::vector<Case> cases = {
      {u"https://instagram.com/alice/?hl=zh-cn#top", u"alice", u"https://www.instagram.com/alice"},
      {u"https://www.instagram.com/alice", u"alice", u"https://www.instagram.com/alice"},
      {u"http://instagram.com/bob?ref=badge", u"bob", u"http://www.instagram.com/bob"},
      {u"http://www.instagram.com/carol#", u"carol", u"http://www.instagram.com/carol"},
  };
  for (const Case& c : cases) {
    List(c.typed);
    EXPECT_EQ(state->Category(), SITE_INSTAGRAM);
    const auto albums = state->albums.Snapshot();
    ASSERT_EQ(albums.size(), 1u) << ToUtf8(c.typed);
    EXPECT_EQ(albums[0].name, c.name);
    EXPECT_EQ(albums[0].listAddress, c.listAddress);
    EXPECT_EQ(albums[0].count, -1);  // shown as "未知"
    EXPECT_EQ(albums[0].coverAddress, u"");
    EXPECT_EQ(state->ownerFolder, u"");  // the album folder lies right under the save path
    EXPECT_EQ(state->userIdText, TextView(c.listAddress).substr(0, TextView(c.listAddress).find(u"www.")));
  }
  // A profile address without a user name lists nothing.
  List(u"https://www.instagram.com/");
  EXPECT_EQ(state->albums.Count(), 0);
  EXPECT_TRUE(web.Requests().empty());
}

TEST_F(Instagram, TheProfileThenTheFeedPagedByTheLastMediaId) {
  List(u"http://instagram.com/alice/");
  DownloadAlbums({0});

  // The profile page: its twelve pictures numbered 1 to 12, those on the delivery paths
  // moved to the fixed picture host.
  std::vector<SavedPicture> cdn;
  for (int i = 1; i <= 12; ++i) {
    const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
    if (i != 11) cdn.push_back({"alice/" + std::to_string(i) + ".jpg", kFixedHost + ("a" + n + "_n.jpg")});
  }
  // The feed: captions unescaped, the album name for an entry without one, the thumbnail
  // of an entry without the standard size; an entry without pictures, the profile's fifth
  // picture met again and the second page's last entry met again are not queued.
  cdn.push_back({"alice/海边 sunset.jpg", kFixedHost + std::string("f01_n.jpg")});
  cdn.push_back({"alice/alice.jpg", kFixedHost + std::string("f02_n.jpg")});
  cdn.push_back({"alice/thumbnail only.jpg", kFixedHost + std::string("s150x150/f03_n.jpg")});
  cdn.push_back({"alice/night.jpg", kFixedHost + std::string("f05_n.jpg")});
  cdn.push_back({"alice/猫.jpg", kFixedHost + std::string("f06_n.jpg")});
  cdn.push_back({"alice/last one.jpg", kFixedHost + std::string("f07_n.jpg")});
  ExpectSaved(cdn, kCdnPicture);
  ExpectSaved({{"alice/11.jpg", "http://distilleryimage3.s3.amazonaws.com/a11_7.jpg"}}, kOtherPicture);
  ASSERT_EQ(ui.summaries.size(), 1u);
  EXPECT_EQ(ui.summaries[0].queued, 18);
  EXPECT_EQ(ui.summaries[0].saved, 18);

  // After the profile, the feed after the video's id (the profile's last entry counts
  // even without a picture), then after each page's last picture; the third page ends
  // with the id the second ended with, so no fourth page is asked for.
  EXPECT_EQ(Urls("http://www.instagram.com/alice"),
            (std::vector<std::string>{"http://www.instagram.com/alice",
                                      "http://www.instagram.com/alice/media?max_id=1013_555",
                                      "http://www.instagram.com/alice/media?max_id=2003_555",
                                      "http://www.instagram.com/alice/media?max_id=2006_555"}));
  for (const auto& request : web.RequestsTo("http://www.instagram.com/")) {
    EXPECT_NE(request.Header("User-Agent").find("Chrome/30.0.1599.101"), std::string::npos);
    EXPECT_EQ(request.Header("Accept-Language"), "zh-CN,zh;q=0.8");
  }
}

TEST_F(Instagram, WithTheSettingOffAddressesStayAsFoundAndAPageOfNothingNewEndsTheFeed) {
  work.Write("下载器扩展设置.ini", "[Instagram]\n图片获取方式=0\n");
  List(u"http://instagram.com/bob");
  DownloadAlbums({0});

  std::vector<SavedPicture> pictures;
  for (const char* file : {"1", "2", "bob 3", "bob 4"}) pictures.push_back({std::string("bob/") + file + ".jpg", ""});
  for (int i = 0; i < 4; ++i)
    pictures[i].address = "http://scontent-b.cdninstagram.com/hphotos-xfa1/b" + std::to_string(i + 1) + "_n.jpg";
  ExpectSaved(pictures, kCdnPicture);
  ASSERT_EQ(ui.summaries.size(), 1u);
  EXPECT_EQ(ui.summaries[0].queued, 4);
  // The second feed page moved the last id (to b3) but brought only entries met before.
  EXPECT_TRUE(web.RequestsTo("http://www.instagram.com/bob/media?max_id=b3_777").empty());
  EXPECT_TRUE(web.RequestsTo("http://photos-a.ak.instagram.com/").empty());
}

// A secure profile stays secure: the profile page and the feed are read over TLS with the
// certificate verified. A loopback nginx with a certificate of its own stands in for the
// site (at its own address, so the album is put in place of a listing).
TEST_F(Instagram, ASecureProfileIsReadOverVerifiedTls) {
  if (!LoopbackNginx::Available() || !LoopbackNginx::HasModule("http_ssl_module"))
    GTEST_SKIP() << "nginx with TLS is not installed";
  LoopbackNginx nginx;
  const fs::path cert = nginx.Prefix() / "cert.pem";
  const std::string makeCert =
      "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=127.0.0.1"
      " -addext subjectAltName=IP:127.0.0.1 -keyout " + Quoted((nginx.Prefix() / "key.pem").string()) + " -out " +
      Quoted(cert.string()) + " >/dev/null 2>&1";
  if (std::system(makeCert.c_str()) != 0) GTEST_SKIP() << "openssl cannot make a certificate";

  const int plainPort = LoopbackNginx::FreePort(), securePort = LoopbackNginx::FreePort();
  const std::string pictures = "http:\\/\\/127.0.0.1:" + std::to_string(plainPort) + "\\/";
  const fs::path www = nginx.Www();
  fs::create_directories(www / "feeds");
  std::ofstream(www / "dora.html") << "<script>window._sharedData = {\"nodes\":[{\"owner\":{\"id\":\"9\"},\"date\":1,"
                                    << "\"id\":\"d1_9\",\"display_src\":\"" << pictures << "d1.jpg\"}]};</script>";
  std::ofstream(www / "feeds" / "d1_9.json") << "{\"items\":[{\"caption\":{\"text\":\"two\"},\"images\":{"
                                              << "\"standard_resolution\":{\"url\":\"" << pictures
                                              << "d2.jpg\",\"width\":640}},\"type\":\"image\",\"id\":\"d2_9\"}]}";
  std::ofstream(www / "d1.jpg") << kCdnPicture;
  std::ofstream(www / "d2.jpg") << kCdnPicture;
  const std::string config =
      "master_process off; worker_processes 1; error_log @PREFIX@/error.log warn; pid @PREFIX@/nginx.pid;\n"
      "events { worker_connections 16; }\n"
      "http { access_log off; client_body_temp_path @PREFIX@/tmp/body; proxy_temp_path @PREFIX@/tmp/proxy;\n"
      "  fastcgi_temp_path @PREFIX@/tmp/fastcgi; uwsgi_temp_path @PREFIX@/tmp/uwsgi; scgi_temp_path @PREFIX@/tmp/scgi;\n"
      "  default_type text/html; root @PREFIX@/www;\n"
      "  server { listen 127.0.0.1:" + std::to_string(plainPort) + "; }\n"
      "  server { listen 127.0.0.1:" + std::to_string(securePort) + " ssl;\n"
      "    ssl_certificate @PREFIX@/cert.pem; ssl_certificate_key @PREFIX@/key.pem;\n"
      "    location = /dora { try_files /dora.html =404; }\n"
      "    location = /dora/media { try_files /feeds/$arg_max_id.json =404; } }\n"
      "}\n";
  ASSERT_TRUE(nginx.Start(config, {plainPort, securePort})) << nginx.Logs();

  for (const char* name : {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"}) unsetenv(name);
  net::SetProxy("");
  ST_PERLISTRECORD album;
  album.name = u"dora";
  album.listAddress = FromUtf8("https://127.0.0.1:" + std::to_string(securePort) + "/dora");
  state->albums.AppendAlbum(album);
  state->siteIndex = SITE_INSTAGRAM;

  // Without the certificate among the trusted ones, nothing is read.
  DownloadAlbums({0});
  ASSERT_EQ(ui.summaries.size(), 1u);
  EXPECT_EQ(ui.summaries[0].queued, 0);

  net::SetCaBundle(cert.string());
  DownloadAlbums({0});
  net::SetCaBundle("");
  ASSERT_EQ(ui.summaries.size(), 2u);
  EXPECT_EQ(ui.summaries[1].queued, 2);
  EXPECT_EQ(ReadFile(save.path() / "dora" / "1.jpg"), kCdnPicture);
  EXPECT_EQ(ReadFile(save.path() / "dora" / "two.jpg"), kCdnPicture);
}

TEST_F(Instagram, TheCommandLineListsAndDownloadsAUser) {
  const TempDir cliWork, cliSave;
  const test::CliRun list = RunCliBinary(web.ProxyAddress(), cliWork.path(), "list http://instagram.com/alice");
  ASSERT_EQ(list.status, 0) << list.err;
  EXPECT_NE(list.out.find("0001\talice\t未知"), std::string::npos) << list.out;
  EXPECT_NE(list.err.find("SiteIndex 17:"), std::string::npos) << list.err;

  const test::CliRun run = RunCliBinary(web.ProxyAddress(), cliWork.path(),
                                        "download http://instagram.com/alice --save-path " + Quoted(cliSave.path().string()));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("alice\tqueued=18\tsaved=18"), std::string::npos) << run.out;
  // The first run's settings: every file named "?2) " + its description.
  EXPECT_EQ(ReadFile(cliSave.path() / "alice" / "1) 1.jpg"), kCdnPicture);
  EXPECT_EQ(ReadFile(cliSave.path() / "alice" / "18) last one.jpg"), kCdnPicture);
}

}  // namespace
}  // namespace zentrow
