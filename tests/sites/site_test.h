// What every end-to-end site test shares: the fake web answering from a site's fixture
// folder, a MainState over a site table, the window's moves (list an address, download
// the ticked albums), and the real command-line program run over the fake web.
//
// A new site's test needs little more than:
//   struct Foo : test::SiteTest {
//     void SetUp() override {
//       ASSERT_TRUE(test::LoadSiteManifest(web, "foo"));
//       ServePicture({"http://img.foo.com/"}, test::JpegBody('f'));
//       BuildState(SITE_FOO, {0, 0, 4, 10}).filePrefix.Set(u"?1-");
//     }
//   };
//   TEST_F(Foo, ListsAndDownloads) { List(u"http://foo.com/u/1"); DownloadAlbums({0}); ... }
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/catalogue.h"
#include "engine/main_state.h"
#include "net/cookies.h"
#include "net/http.h"
#include "sites/sites.h"
#include "support/fake_web.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"
#include "toolkit/codepage.h"
#include "toolkit/text.h"

namespace zentrow::test {

// A site's fixture folder: tests/sites/<site>.
inline std::filesystem::path SiteData(std::string_view site) {
  return std::filesystem::path(ZENTROW_TEST_DATA) / "sites" / site;
}

// Loads the replies of tests/sites/<site>/manifest.txt; a failure carries the reason.
inline ::testing::AssertionResult LoadSiteManifest(FakeWeb& web, std::string_view site) {
  std::string error;
  if (web.LoadManifest((SiteData(site) / "manifest.txt").string(), &error)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << error;
}

// A small picture body: the JPEG start, then `fill` (a letter a site's pictures are told by).
inline std::string JpegBody(char fill) { return "\xFF\xD8" + std::string(300, fill); }

// The value of `key` in an address's query, or "(none)" when the query has no such key.
inline std::string QueryValue(const std::string& url, const std::string& key) {
  for (const char* lead : {"?", "&"}) {
    const size_t at = url.find(lead + key + "=");
    if (at == std::string::npos) continue;
    const size_t begin = at + key.size() + 2;
    return url.substr(begin, url.find('&', begin) - begin);
  }
  return "(none)";
}

// The g_tk the QQ services are sent for a skey cookie.
inline std::string QqToken(const std::string& skey) { return std::to_string(TokenHash(FromUtf8(skey))); }

// `text` as one word of a shell command.
inline std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// An album row as a listing should deliver it.
struct AlbumRow {
  Text name;
  Text listAddress;
  Text cover;
  int32_t count;
  int32_t remarks = 0;
};

// The listed albums are exactly `rows`, in order.
inline void ExpectAlbumRows(const std::vector<ST_PERLISTRECORD>& albums, const std::vector<AlbumRow>& rows) {
  ASSERT_EQ(albums.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(ToUtf8(rows[i].name));
    EXPECT_EQ(albums[i].name, rows[i].name);
    EXPECT_EQ(albums[i].listAddress, rows[i].listAddress);
    EXPECT_EQ(albums[i].coverAddress, rows[i].cover);
    EXPECT_EQ(albums[i].count, rows[i].count);
    EXPECT_EQ(albums[i].remarks, rows[i].remarks);
  }
}

struct CliRun {
  int status;  // the exit status, -1 when the program did not exit by itself
  std::string out;
  std::string err;
};

// Runs the real zentrow-cli with `args` (quoted by the caller where needed) over
// `workDir`, its requests going through `proxy`, with no input.
inline CliRun RunCliBinary(const std::string& proxy, const std::filesystem::path& workDir, const std::string& args) {
  const TempDir streams;
  const std::filesystem::path out = streams.File("out"), err = streams.File("err");
  const std::string command = "env -u no_proxy -u NO_PROXY http_proxy=" + proxy + " " + Quoted(ZENTROW_CLI_PATH) +
                              " --work-dir " + Quoted(workDir.string()) + " " + args + " >" + Quoted(out.string()) +
                              " 2>" + Quoted(err.string()) + " </dev/null";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
}

// The recording window; a test may make its login window act (e.g. change what the fake
// web answers, as a password typed there would).
class SiteUi : public RecordingUi {
 public:
  void RequestLogin(const Text& address) override {
    RecordingUi::RequestLogin(address);
    if (onLogin) onLogin();
  }
  std::function<void()> onLogin;
};

// A picture a download stores: its file under the save folder, the address it comes from.
struct SavedPicture {
  std::string file;
  std::string address;
};

// The engine and the window over the fake web. Every test starts with the fake web as the
// proxy and no cookies, and leaves neither behind.
class SiteTest : public ::testing::Test {
 protected:
  SiteTest() {
    net::SetProxy(web.ProxyAddress());
    net::CookieStore::Instance().ClearAll();
  }
  void TearDown() override {
    state.reset();
    net::SetProxy("");
    net::CookieStore::Instance().ClearAll();
  }

  // Answers every address that begins with one of `prefixes` with `body`.
  void ServePicture(const std::vector<std::string>& prefixes, const std::string& body) {
    for (const std::string& prefix : prefixes) web.Get(prefix + "*", body);
  }

  // A ready state over `table` (which must outlive it) in the fresh work folder, with
  // `category` selected, the save folder set, and the category's download parameters
  // `params` and naming rules cleared: the naming rules are returned for the test to set.
  NamingRecord& BuildState(int category, DownloadParams params, const SiteTable& table = ProductionSites()) {
    state = std::make_unique<MainState>(ui, table, work.text());
    state->SetReady();
    state->SetCategory(category);
    state->SetSavePathText(save.text());
    state->Settings().Params(category) = params;
    NamingRecord& naming = state->Settings().Naming(category);
    naming = NamingRecord();
    return naming;
  }

  // As the window does: an address with a scheme picks the category and, where it tells
  // one, the sub-kind; then the albums are listed.
  void List(const Text& address) {
    const Classification c = Classify(address, state->Category());
    if (c.changed) {
      state->SetCategory(c.siteIndex);
      if (c.subKind) state->SetSubKind(*c.subKind);
    }
    ListAsSelected(address);
  }
  // Lists with the category and sub-kind as they are selected.
  void ListAsSelected(const Text& address) {
    state->SetAddressText(address);
    state->GetAlbums();
    state->WaitListing();
  }
  void DownloadAlbums(std::vector<int> albums) {
    state->SetTicked(std::move(albums));
    state->Download();
    state->WaitDownload();
  }

  // Every picture is stored with `body` and was asked for once.
  void ExpectSaved(const std::vector<SavedPicture>& pictures, const std::string& body) const {
    for (const SavedPicture& p : pictures) {
      EXPECT_EQ(ReadFile(save.path() / p.file), body) << p.file;
      EXPECT_EQ(web.RequestsTo(p.address).size(), 1u) << p.address;
    }
  }

  // The addresses asked for that begin with `prefix`, in order.
  std::vector<std::string> Urls(const std::string& prefix) const {
    std::vector<std::string> urls;
    for (const RecordedRequest& r : web.RequestsTo(prefix)) urls.push_back(r.url);
    return urls;
  }

  FakeWeb web;
  TempDir work, save;
  SiteUi ui;
  SiteTable sites{};  // for a test that builds its own table rather than use the production one
  std::unique_ptr<MainState> state;
};

}  // namespace zentrow::test
