// The process-wide cookie store: matching, persistence, and the client storing and sending.
#include "net/cookies.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "net/http.h"
#include "support/fake_web.h"
#include "support/temp_dir.h"
#include "toolkit/codepage.h"

namespace zentrow::net {
namespace {

namespace fs = std::filesystem;

std::string Cookies(std::u16string_view address) { return ToUtf8(GetCookieText(address)); }

class CookieTest : public ::testing::Test {
 protected:
  void SetUp() override { store.ClearAll(); }
  void TearDown() override { store.ClearAll(); }

  CookieStore& store = CookieStore::Instance();
  test::TempDir folder;
};

TEST_F(CookieTest, SentWhereABrowserSendsThem) {
  ASSERT_TRUE(store.SetCookie(u"http://user.qzone.qq.com/123", "host=1"));
  ASSERT_TRUE(store.SetCookie(u"http://user.qzone.qq.com/", "skey=@abc; domain=qq.com; path=/"));
  ASSERT_TRUE(store.SetCookie(u"http://user.qzone.qq.com/",
                              "uin=o123; Domain=.QQ.com; Path=/; expires=Fri, 01 Jan 2100 00:00:00 GMT"));
  ASSERT_TRUE(store.SetCookie(u"http://photo.qq.com/", "deep=2; path=/photo"));
  ASSERT_TRUE(store.SetCookie(u"https://photo.qq.com/", "safe=3; path=/; secure"));
  ASSERT_TRUE(store.SetCookie(u"http://photo.qq.com/a/b/page.html", "dir=4"));

  const struct {
    std::u16string address;
    std::string expected;
  } cases[] = {
      {u"http://user.qzone.qq.com/123", "host=1; skey=@abc; uin=o123"},
      {u"http://qq.com/", "skey=@abc; uin=o123"},
      {u"http://h5.qzone.qq.com/", "skey=@abc; uin=o123"},
      {u"http://a.user.qzone.qq.com/", "skey=@abc; uin=o123"},  // the host-only cookie stays at its host
      {u"http://notqq.com/", ""},
      {u"http://qq.com.cn/", ""},
      {u"http://photo.qq.com/photo/x", "deep=2; skey=@abc; uin=o123"},
      {u"http://photo.qq.com/photos", "skey=@abc; uin=o123"},
      {u"https://photo.qq.com/photo", "deep=2; safe=3; skey=@abc; uin=o123"},
      {u"http://photo.qq.com/a/b/other", "dir=4; skey=@abc; uin=o123"},
      {u"http://photo.qq.com/a/bc", "skey=@abc; uin=o123"},
      {u"not an address", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Cookies(c.address), c.expected) << ToUtf8(c.address);
}

TEST_F(CookieTest, RefusedAndDeletingLines) {
  const char* refused[] = {
      "a=1; domain=baidu.com",    // another site's domain
      "a=1; domain=zone.qq.com",  // not a suffix of the host at a dot
      "a=1; secure",              // a secure cookie from plain http
      "no equals sign",
      "=value",
      "a=b\tc",
  };
  for (const char* line : refused) EXPECT_FALSE(store.SetCookie(u"http://user.qzone.qq.com/", line)) << line;
  EXPECT_EQ(Cookies(u"http://user.qzone.qq.com/"), "");

  ASSERT_TRUE(store.SetCookie(u"http://www.weibo.com/", "SUB=x; path=/; max-age=3600"));
  ASSERT_TRUE(store.SetCookie(u"http://www.weibo.com/", "SUB=y; path=/"));  // replaces
  EXPECT_EQ(Cookies(u"http://www.weibo.com/"), "SUB=y");
  ASSERT_TRUE(store.SetCookie(u"http://www.weibo.com/", "SUB=gone; path=/; max-age=0"));
  EXPECT_EQ(Cookies(u"http://www.weibo.com/"), "");
  ASSERT_TRUE(store.SetCookie(u"http://www.weibo.com/", "SUB=z; path=/"));
  ASSERT_TRUE(store.SetCookie(u"http://www.weibo.com/", "SUB=; path=/; expires=Thu, 01 Jan 1970 00:00:01 GMT"));
  EXPECT_EQ(Cookies(u"http://www.weibo.com/"), "");
}

TEST_F(CookieTest, ClearCookiesOfAnAddress) {
  store.SetCookie(u"http://huaban.com/", "sid=1; path=/");
  store.SetCookie(u"http://huaban.com/", "other=2; path=/boards");
  store.SetCookie(u"http://www.baidu.com/", "BAIDUID=3; domain=baidu.com; path=/");
  store.ClearCookies(u"http://huaban.com/");
  EXPECT_EQ(Cookies(u"http://huaban.com/boards/1"), "other=2");  // it was not sent to "/"
  EXPECT_EQ(Cookies(u"http://www.baidu.com/"), "BAIDUID=3");
  store.ClearAll();
  EXPECT_EQ(Cookies(u"http://www.baidu.com/"), "");
}

TEST_F(CookieTest, PersistentCookiesWrittenToTheFile) {
  store.Open(folder.path().string());
  const fs::path file = folder.File("cookies.txt");
  EXPECT_FALSE(fs::exists(file));  // nothing to write yet
  store.SetCookie(u"http://user.qzone.qq.com/", "skey=@abc; domain=qq.com; path=/; max-age=86400; HttpOnly");
  store.SetCookie(u"http://user.qzone.qq.com/", "session=1; path=/");
  store.SetCookie(u"http://user.qzone.qq.com/", "uin=o1; path=/; expires=Fri, 01 Jan 2100 00:00:00 GMT");
  ASSERT_TRUE(fs::exists(file));
  struct stat st {};
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  const std::string content = folder.Read("cookies.txt");
  EXPECT_TRUE(content.starts_with("# Netscape HTTP Cookie File\n"));
  EXPECT_NE(content.find("#HttpOnly_.qq.com\tTRUE\t/\tFALSE\t"), std::string::npos) << content;
  EXPECT_NE(content.find("\tskey\t@abc\n"), std::string::npos) << content;
  EXPECT_NE(content.find("user.qzone.qq.com\tFALSE\t/\tFALSE\t4102444800\tuin\to1\n"), std::string::npos) << content;
  EXPECT_EQ(content.find("session"), std::string::npos) << content;
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"cookies.txt"});

  // Nothing changed: the file is not written again (a write replaces it with a new file).
  const ino_t written = st.st_ino;
  store.Changed();
  store.SetCookie(u"http://user.qzone.qq.com/", "session=2; path=/");
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_ino, written);

  // Another run loads the persistent cookies only.
  const fs::path other = folder.File("next run");
  fs::create_directory(other);
  fs::copy_file(file, other / "cookies.txt");
  store.ClearAll();
  EXPECT_EQ(folder.Read("cookies.txt"), "# Netscape HTTP Cookie File\n");
  store.Open(other.string());
  EXPECT_EQ(Cookies(u"http://user.qzone.qq.com/"), "skey=@abc; uin=o1");
}

TEST_F(CookieTest, ImportNetscapeFile) {
  folder.Write("exported.txt",
               "# Netscape HTTP Cookie File\r\n"
               "# a comment\r\n"
               "\r\n"
               ".baidu.com\tTRUE\t/\tFALSE\t4102444800\tBDUSS\tabc\r\n"
               "#HttpOnly_tieba.baidu.com\tFALSE\t/f\tFALSE\t4102444800\tTIEBA\t1\r\n"
               ".baidu.com\tTRUE\t/\tFALSE\t1000\told\tgone\r\n"
               "pan.baidu.com\tFALSE\t/\tTRUE\t0\tsafe\tyes\r\n"
               "broken line\r\n");
  EXPECT_TRUE(store.ImportNetscapeFile(folder.File("exported.txt").string()));
  EXPECT_EQ(Cookies(u"http://tieba.baidu.com/f?kw=x"), "TIEBA=1; BDUSS=abc");
  EXPECT_EQ(Cookies(u"http://tieba.baidu.com/"), "BDUSS=abc");
  EXPECT_EQ(Cookies(u"https://pan.baidu.com/"), "BDUSS=abc; safe=yes");
  EXPECT_EQ(Cookies(u"http://pan.baidu.com/"), "BDUSS=abc");
  EXPECT_FALSE(store.ImportNetscapeFile(folder.File("missing.txt").string()));
}

TEST_F(CookieTest, ImportRefusesLinesThatWouldSmuggleACookie) {
  const std::string good = ".qq.com\tTRUE\t/\tFALSE\t4102444800\tuin\to1\n";
  const std::vector<std::string> refused = {
      ".qq.com\tTRUE\t/\tFALSE\t4102444800\tp\tx; skey=forged\n",   // a second cookie in the value
      ".qq.com\tTRUE\t/\tFALSE\t4102444800\tp; skey\tforged\n",     // ... or in the name
      ".qq.com\tTRUE\t/\tFALSE\t4102444800\tskey=forged\tx\n",      // "=" in the name
      ".qq.com\tTRUE\t/\tFALSE\t4102444800\tp\tx\x01y\n",          // control characters
      ".qq.com\tTRUE\t/\tFALSE\t4102444800\tp\tx\ry\n",
      ".qq.com\tTRUE\t/\tFALSE\t4102444800\tp\tx" + std::string(1, '\0') + "y\n",
      ".qq.com\tTRUE\t/\x7f\tFALSE\t4102444800\tp\tx\n",
  };
  std::string file = "# Netscape HTTP Cookie File\n";
  for (const std::string& line : refused) file += line;
  file += good;
  folder.Write("hostile.txt", file);
  EXPECT_TRUE(store.ImportNetscapeFile(folder.File("hostile.txt").string()));
  EXPECT_EQ(Cookies(u"http://user.qzone.qq.com/"), "uin=o1");  // the rest of the file still imports

  // A Set-Cookie whose attributes would break the stored line is refused as well.
  EXPECT_FALSE(store.SetCookie(u"http://user.qzone.qq.com/", "a=1; path=/x\ty"));
  EXPECT_TRUE(store.SetCookie(u"http://user.qzone.qq.com/", "a=1; path=/"));
}

class ClientCookieTest : public CookieTest {
 protected:
  void SetUp() override {
    CookieTest::SetUp();
    SetProxy(web.ProxyAddress());
  }
  void TearDown() override {
    SetProxy("");
    CookieTest::TearDown();
  }
  bool Get(std::u16string_view address) {
    UrlRequest r{Text(address), u"", 3000};
    UrlResponse response;
    return Fetch(r, response);
  }
  test::FakeWeb web;
};

TEST_F(ClientCookieTest, RepliesSetCookiesAndLaterRequestsSendThem) {
  store.Open(folder.path().string());
  test::FakeReply login;
  login.status = 302;
  login.headers = {{"Set-Cookie", "hop=1; path=/"}, {"Location", "http://user.qzone.qq.com/home"}};
  web.Get("http://user.qzone.qq.com/login", login);
  test::FakeReply home;
  home.body = "home";
  home.headers = {{"Set-Cookie", "skey=@k; domain=qq.com; path=/; max-age=600"}, {"Set-Cookie", "s=session"}};
  web.Get("http://user.qzone.qq.com/home", home);
  web.Get("http://photo.qq.com/list", "list");
  web.Get("http://www.baidu.com/", "other site");

  ASSERT_TRUE(Get(u"http://user.qzone.qq.com/login"));
  const std::string text = Cookies(u"http://user.qzone.qq.com/home");
  for (const char* cookie : {"hop=1", "skey=@k", "s=session"}) EXPECT_NE(text.find(cookie), std::string::npos) << text;
  EXPECT_NE(folder.Read("cookies.txt").find("\tskey\t@k"), std::string::npos)
      << folder.Read("cookies.txt") << text;

  ASSERT_TRUE(Get(u"http://photo.qq.com/list"));
  ASSERT_TRUE(Get(u"http://www.baidu.com/"));
  EXPECT_EQ(web.RequestsTo("http://photo.qq.com/list").at(0).Header("Cookie"), "skey=@k");
  EXPECT_EQ(web.RequestsTo("http://www.baidu.com/").at(0).Header("Cookie"), "");
  EXPECT_EQ(web.RequestsTo("http://user.qzone.qq.com/home").at(0).Header("Cookie"), "hop=1");

  // A cleared address sends nothing any more.
  store.ClearCookies(u"http://photo.qq.com/");
  web.ClearRequests();
  ASSERT_TRUE(Get(u"http://photo.qq.com/list"));
  EXPECT_EQ(web.RequestsTo("http://photo.qq.com/list").at(0).Header("Cookie"), "");
  EXPECT_EQ(folder.Read("cookies.txt").find("skey"), std::string::npos);
}

}  // namespace
}  // namespace zentrow::net
