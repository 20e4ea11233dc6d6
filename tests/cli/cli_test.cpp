// zentrow-cli: in-process runs over a test site table and the fake web, and runs of the
// real binary (help, settings, the production table).
#include "cli/cli.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <atomic>
#include <filesystem>
#include <sstream>

#include "engine/main_state.h"
#include "net/http.h"
#include "support/fake_web.h"
#include "support/temp_dir.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

namespace fs = std::filesystem;

using test::TempDir;

struct Result {
  int status = -1;
  std::string out, err;
};

struct Terminal {
  bool err = false;
  bool in = false;
  std::string typed;  // standard input
};

ST_PERLISTRECORD Album(Text name, std::string_view listPath, int pictures, int32_t count, int32_t remarks) {
  ST_PERLISTRECORD r;
  r.name = std::move(name);
  r.listAddress = u"http://photo.example.com/" + FromUtf8(listPath) + u"/";
  r.extra1 = NumberText(pictures);  // how many pictures the photo branch queues
  r.count = count;
  r.remarks = remarks;
  return r;
}

// Category 0 of the test table: "0" lists nothing, "ask" asks before listing one album
// and requests a login, anything else lists four albums. Album 2's second picture
// cannot be had.
class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    net::SetProxy(web_.ProxyAddress());
    for (const char* picture : {"a/1.jpg", "a/2.jpg", "b/1.jpg", "c/1.jpg", "c/2.jpg", "c/3.jpg"}) {
      web_.Get(std::string("http://photo.example.com/") + picture, std::string("\xFF\xD8\xFF picture ") + picture);
    }
    web_.Get("http://photo.example.com/b/2.jpg", "");  // an empty reply fails
    sites_[SITE_QQ].listing = [this](MainState& s, Text text, ListingOutcome& outcome) {
      seenListType_ = s.listType.load();
      outcome.emptyMessage = u"没有相册";
      outcome.autoDownload = true;  // the command line decides about downloads itself
      if (text == u"0") return;
      if (text == u"ask") {
        s.Ui().RequestLogin(u"http://login.example.com/");
        if (s.Ui().AskYesNo(u"继续吗?", u"提示")) AddAlbumRow(Album(u"问", "a", 2, 2, 0), s);
        return;
      }
      AddAlbumRow(Album(u"春天", "a", 2, 2, 0), s);
      ST_PERLISTRECORD second = Album(u"Secret", "b", 2, -1, REMARK_PASSWORD);
      second.coverAddress = u"http://photo.example.com/cover.jpg";
      second.extra2 = u"tab\there \"q\" back\\slash\nline\x01 中文";
      second.numberA = 7;
      second.numberB = -3;
      AddAlbumRow(second, s);
      AddAlbumRow(Album(u"夏天", "c", 3, 3, static_cast<int32_t>(0x80000000u | 42)), s);
      AddAlbumRow(Album(u"春天", "d", 0, 0, REMARK_PRIVATE | REMARK_FRIENDS), s);
    };
    sites_[SITE_QQ].photos = [](MainState& s, int albumIndex) {
      ST_PERLISTRECORD album;
      ASSERT_TRUE(s.albums.Get(albumIndex, album));
      const int pictures = static_cast<int>(ParseUnsigned(album.extra1));
      for (int n = 1; n <= pictures; ++n) {
        AddPictureItem(s, album.listAddress + NumberText(n) + u".jpg", u"p" + NumberText(n), Text(), albumIndex);
      }
    };
  }

  Result Run(std::vector<std::string> args, const Terminal& terminal = {}) {
    args.insert(args.begin(), {"--work-dir", work_.path().string()});
    std::ostringstream out, err;
    std::istringstream in(terminal.typed);
    const CliIo io{out, err, in, terminal.err, terminal.in};
    Result r;
    r.status = RunCli(args, sites_, io);
    r.out = out.str();
    r.err = err.str();
    return r;
  }

  TempDir work_, save_;
  test::FakeWeb web_;
  SiteTable sites_{};
  std::atomic<int> seenListType_{-1};
};

TEST_F(CliTest, ListPrintsTheRowTextsTabSeparated) {
  const Result r = Run({"list", "10001"});
  EXPECT_EQ(r.status, CLI_DONE) << r.err;
  EXPECT_EQ(r.out,
            "0001\t春天\t   2\t\n"
            "0002\tSecret\t未知\t加密相册\n"
            "0003\t夏天\t   3\t00000042\n"
            "0004\t春天 (1)\t   0\t私密相册\n");
  EXPECT_EQ(r.err.rfind("site: SiteIndex 0: ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("status: 获取相册列表完成，共4个\n"), std::string::npos) << r.err;
  EXPECT_TRUE(web_.RequestsTo("http://photo.example.com/").empty());  // the listing's auto-download stays off
  EXPECT_FALSE(fs::exists(work_.File("春天")));
}

TEST_F(CliTest, JsonCarriesEveryFieldEscaped) {
  const Result r = Run({"list", "10001", "--json"});
  EXPECT_EQ(r.status, CLI_DONE) << r.err;
  std::istringstream lines(r.out);
  std::vector<std::string> rows;
  for (std::string line; std::getline(lines, line);) rows.push_back(line);
  ASSERT_EQ(rows.size(), 4u) << r.out;
  EXPECT_EQ(rows[1],
            R"({"name":"Secret","listAddress":"http://photo.example.com/b/",)"
            R"("coverAddress":"http://photo.example.com/cover.jpg","extra1":"2",)"
            R"("extra2":"tab\there \"q\" back\\slash\nline\u0001 中文",)"
            R"("count":-1,"remarks":1,"numberA":7,"numberB":-3,"index":1,"thumbnail":-1})");
  EXPECT_NE(rows[2].find(R"("remarks":-2147483606,)"), std::string::npos) << rows[2];
}

TEST_F(CliTest, CategoryAndSubKindAsTheBoxesWouldStand) {
  const struct {
    std::vector<std::string> args;
    int listType;
    const char* site;
  } cases[] = {
      {{"list", "10001"}, 0, "(QQ空间相册)"},
      {{"list", "10001", "--subkind", "1"}, 1, "(QQ群相册)"},
      {{"list", "http://t.qq.com/someone"}, 2, "(腾讯微博相册)"},
      {{"list", "http://t.qq.com/someone", "--category", "0"}, 2, "(腾讯微博相册)"},
      {{"list", "http://t.qq.com/someone", "--category=0", "--subkind=1"}, 1, "(QQ群相册)"},
      {{"list", "http://user.qzone.qq.com/10001", "--category", "0"}, 0, "(QQ空间相册)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[1] + " " + std::to_string(c.args.size()));
    seenListType_ = -1;
    const Result r = Run(c.args);
    EXPECT_EQ(r.status, CLI_DONE) << r.err;
    EXPECT_EQ(seenListType_, c.listType);
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), std::string("site: SiteIndex 0: QQ空间/QQ群/腾讯微博 ") + c.site);
  }
}

TEST_F(CliTest, DownloadsTheChosenAlbumsAndSummarisesEach) {
  const Result r = Run({"download", "10001", "--albums", "1,3-4", "--save-path", save_.path().string(),
                        "--cookies", ZENTROW_TEST_DATA "/cli/testdata/cookies.txt"});
  EXPECT_EQ(r.status, CLI_DONE) << r.err;
  const std::string save = ToUtf8(save_.text());
  EXPECT_EQ(r.out,
            "0001\t春天\tqueued=2\tsaved=2\tfailed=0\t" + save + "春天/\n"
            "0003\t夏天\tqueued=3\tsaved=3\tfailed=0\t" + save + "夏天/\n"
            "0004\t春天 (1)\tqueued=0\tsaved=0\tfailed=0\t" + save + "\n");
  EXPECT_EQ(save_.Read("春天/p2.jpg"), "\xFF\xD8\xFF picture a/2.jpg");
  EXPECT_EQ(save_.Read("夏天/p3.jpg"), "\xFF\xD8\xFF picture c/3.jpg");
  EXPECT_FALSE(fs::exists(save_.File("Secret")));
  EXPECT_TRUE(web_.RequestsTo("http://photo.example.com/b/").empty());
  EXPECT_NE(r.err.find("save-path: " + save + "\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("status: 下载完毕\n"), std::string::npos) << r.err;
  // Open-folder is on by default: the last album's queue folder (album 4 queued nothing).
  EXPECT_NE(r.err.find("open: " + save + "\n"), std::string::npos) << r.err;

  // The imported cookie went with the pictures and into the working folder's store.
  const auto requests = web_.RequestsTo("http://photo.example.com/c/1.jpg");
  ASSERT_FALSE(requests.empty());
  EXPECT_NE(requests[0].Header("Cookie").find("sid=cli-cookie"), std::string::npos);
  EXPECT_NE(work_.Read("cookies.txt").find("cli-cookie"), std::string::npos);

  // The save path is remembered: the next download uses it without being told.
  const Result again = Run({"download", "10001", "--albums", "1"});
  EXPECT_EQ(again.status, CLI_DONE) << again.err;
  EXPECT_EQ(again.out, "0001\t春天\tqueued=2\tsaved=2\tfailed=0\t" + save + "春天/\n");
}

TEST_F(CliTest, AFailedPictureEndsWithStatus3) {
  const Result r = Run({"download", "10001", "--albums", "2", "--save-path", save_.path().string()});
  EXPECT_EQ(r.status, CLI_PICTURES_FAILED) << r.err;
  EXPECT_EQ(r.out, "0002\tSecret\tqueued=2\tsaved=1\tfailed=1\t" + ToUtf8(save_.text()) + "Secret/\n");
  EXPECT_NE(r.err.find("status: 有1张图片下载失败\n"), std::string::npos) << r.err;
}

TEST_F(CliTest, ProgressRedrawsOneLineOnATerminal) {
  const Result r =
      Run({"download", "10001", "--albums", "3", "--save-path", save_.path().string()}, Terminal{true, false, ""});
  EXPECT_EQ(r.status, CLI_DONE) << r.err;
  EXPECT_NE(r.err.find("\r\033[Kstatus: [########################] 100% "), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("\nstatus: 已下载"), std::string::npos) << r.err;
  // The line drawn in place is ended before the next line starts.
  EXPECT_NE(r.err.find("\nstatus: 下载完毕\n"), std::string::npos) << r.err;
}

TEST_F(CliTest, NoAlbumEndsWithStatus1) {
  for (const char* command : {"list", "download"}) {
    SCOPED_TRACE(command);
    const Result r = Run({command, "0"});
    EXPECT_EQ(r.status, CLI_NO_ALBUM);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("message: 没有相册\n"), std::string::npos) << r.err;
  }
}

// A category without readers in the table (the test table has category 0 only).
TEST_F(CliTest, AnUnsupportedCategorySaysSo) {
  const Result r = Run({"list", "http://www.yupoo.com/photos/someone/"});
  EXPECT_EQ(r.status, CLI_NO_ALBUM);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("site: SiteIndex 7: 又拍网\n", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("message: 该站点暂未支持\n"), std::string::npos) << r.err;
}

TEST_F(CliTest, QuestionsAreAnsweredNoUnlessTold) {
  const struct {
    std::vector<std::string> extra;
    Terminal terminal;
    int status;
    const char* answer;
  } cases[] = {
      {{}, {}, CLI_NO_ALBUM, " [y/N] n\n"},
      {{"--yes"}, {}, CLI_DONE, " [y/N] y\n"},
      {{"-y"}, {}, CLI_DONE, " [y/N] y\n"},
      {{}, {false, true, "y\n"}, CLI_DONE, " [y/N] "},
      {{}, {false, true, "no\n"}, CLI_NO_ALBUM, " [y/N] "},
      {{}, {false, false, "y\n"}, CLI_NO_ALBUM, " [y/N] n\n"},  // not a terminal: not asked
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"list", "ask"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    SCOPED_TRACE(c.terminal.typed + std::to_string(c.extra.size()));
    const Result r = Run(args, c.terminal);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(std::string("question: 提示: 继续吗?") + c.answer), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("login: a login is needed at http://login.example.com/\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--cookies FILE"), std::string::npos) << r.err;
  }
}

TEST_F(CliTest, UsageErrorsEndWithStatus2) {
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {
      {{}, "no command given"},
      {{"fetch", "10001"}, "unknown command 'fetch'"},
      {{"list"}, "no ADDRESS given"},
      {{"list", ""}, "the ADDRESS is empty"},
      {{"list", "1", "2"}, "more than one ADDRESS given"},
      {{"list", "1", "--bogus"}, "unknown option --bogus"},
      {{"list", "1", "--category"}, "--category needs a value"},
      {{"list", "1", "--json=yes"}, "--json takes no value"},
      {{"list", "1", "--json", "--json"}, "--json given twice"},
      {{"list", "1", "--albums", "1"}, "--albums does not apply to this command"},
      {{"settings", "--json"}, "--json does not apply to this command"},
      {{"list", "1", "--category", "21"}, "--category must be 0-20"},
      {{"list", "1", "--category", "x"}, "--category must be 0-20"},
      {{"list", "1", "--subkind", "3"}, "--subkind takes 0-2"},
      {{"list", "http://shop.taobao.com/", "--subkind", "1"}, "applies to category 0 only"},
      {{"download", "1", "--albums", "2-1"}, "--albums takes numbers"},
      {{"download", "1", "--albums", "0"}, "--albums takes numbers"},
      {{"download", "1", "--albums", "1,,2"}, "--albums takes numbers"},
      {{"download", "10001", "--albums", "3-5"}, "past the last one (4 listed)"},
      {{"list", "1", "--cookies", "/nonexistent/cookies.txt"}, "cannot read the cookie file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    const Result r = Run(c.args);
    EXPECT_EQ(r.status, CLI_USAGE);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(("\n" + r.err).find("\nerror: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.error), r.err.npos) << r.err;
  }
  EXPECT_TRUE(web_.RequestsTo("http://photo.example.com/").empty());
}

TEST_F(CliTest, ASavePathThatCannotBeMadeIsAnError) {
  save_.Write("file", "x");
  const Result r = Run({"download", "10001", "--albums", "1", "--save-path", save_.File("file/sub").string()});
  EXPECT_EQ(r.status, CLI_USAGE);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("message: 请检测设置的保存路径是否有误\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("error: the download did not start\n"), std::string::npos) << r.err;
}

// ---- the real binary ----------------------------------------------------------------

std::string Quoted(const std::string& arg) {
  std::string q = "'";
  for (char ch : arg) q += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
  return q + "'";
}

class BinaryTest : public ::testing::Test {
 protected:
  Result Run(const std::vector<std::string>& args) {
    std::string command = Quoted(ZENTROW_CLI_PATH) + " --work-dir " + Quoted(work_.path().string());
    for (const auto& arg : args) command += " " + Quoted(arg);
    const std::string out = streams_.File("out").string();
    const std::string err = streams_.File("err").string();
    const int raw = std::system((command + " >" + Quoted(out) + " 2>" + Quoted(err) + " </dev/null").c_str());
    Result r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = streams_.Read("out");
    r.err = streams_.Read("err");
    return r;
  }
  std::string SoftDat() { return work_.Read("soft.dat"); }

  TempDir work_, streams_;
};

TEST_F(BinaryTest, HelpDocumentsCommandsOptionsKeysAndStatuses) {
  const Result r = Run({"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* text :
       {"list ADDRESS", "download ADDRESS", "settings [--category N] [KEY=VALUE ...]", "--json", "--category N",
        "--subkind K", "--albums LIST", "--save-path DIR", "--cookies FILE", "--yes", "--work-dir DIR", "threads=1-15",
        "timeout=", "min-size=", "max-size=", "file-prefix=", "file-suffix=", "replace-from=", "replace-with=",
        "folder-prefix=", "folder-suffix=", "base-name=描述|序号|网址", "album-folder=相册名|无", "fix-format",
        "fix-order", "source-names", "list-only", "open-folder", "main-pictures", "skip-downloaded", "yupoo-big",
        "description-pictures", "参数错误", "Exit status", "  0  done", "  1  the listing found no album",
        "  2  usage error", "  3  some pictures could not be saved", "status:", "message:", "question:", "login:",
        "  20 Topit"}) {
    EXPECT_NE(r.out.find(text), std::string::npos) << text;
  }
  EXPECT_EQ(Run({"list", "1", "-h"}).out, r.out);
  EXPECT_EQ(Run({"--version"}).out, "zentrow-cli 0.1.0\n");
}

TEST_F(BinaryTest, SettingsChangeAndPersist) {
  const std::string longPrefix(39, 'x');
  const Result changed = Run({"settings", "--category", "5", "threads=3", "timeout=12", "min-size=10",
                              "file-prefix=" + longPrefix, "replace-from=a|b", "base-name=number",
                              "album-folder=无", "fix-order=on", "open-folder=off"});
  ASSERT_EQ(changed.status, 0) << changed.err;
  for (const std::string& line : std::vector<std::string>{"threads=3\n", "timeout=12\n", "min-size=10\n", "max-size=0\n",
                                 "file-prefix=" + longPrefix.substr(0, 38) + "\n", "replace-from=a|b\n",
                                 "base-name=序号\n", "album-folder=无\n", "fix-order=on\n", "open-folder=off\n",
                                 "fix-format=off\n"}) {
    EXPECT_NE(changed.out.find(line), std::string::npos) << line;
  }
  EXPECT_NE(changed.err.find("site: SiteIndex 5: 56网\n"), std::string::npos) << changed.err;
  EXPECT_NE(changed.err.find("note: file-prefix cut to its first 38 characters"), std::string::npos);

  // A second run shows the change; the file holds it where the desktop program reads it.
  EXPECT_EQ(Run({"settings", "--category", "5"}).out, changed.out);
  const std::string file = SoftDat();
  ASSERT_EQ(file.size(), 19808u);
  EXPECT_EQ(static_cast<unsigned char>(file[5 * 8 + 4]), 3);    // slot 5 thread count
  EXPECT_EQ(static_cast<unsigned char>(file[192 + 5 * 484 + 482]), 1);  // slot 5 base-name choice
  const Result other = Run({"settings", "--category", "4"});
  EXPECT_NE(other.out.find("threads=5\n"), std::string::npos);
  EXPECT_NE(other.out.find("open-folder=on\n"), std::string::npos);

  // English and Chinese choice names, and the defaults back.
  const Result back = Run({"settings", "--category", "5", "base-name=描述", "album-folder=album-name"});
  EXPECT_NE(back.out.find("base-name=描述\n"), std::string::npos);
  EXPECT_NE(back.out.find("album-folder=相册名\n"), std::string::npos);
}

TEST_F(BinaryTest, RefusedSettingsLeaveTheFileAsItWas) {
  ASSERT_EQ(Run({"settings", "threads=4"}).status, 0);
  const std::string before = SoftDat();
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {
      {{"threads=0"}, "参数错误"},
      {{"threads=16"}, "参数错误"},
      {{"timeout=9"}, "参数错误"},
      {{"threads=5", "timeout=5"}, "参数错误"},
      {{"threads=abc"}, "参数错误"},
      {{"max-size=70000"}, "参数错误"},
      {{"base-name=名字"}, "unknown base-name"},
      {{"fix-format=yes"}, "fix-format takes on or off"},
      {{"colour=red"}, "unknown settings key 'colour'"},
      {{"threads"}, "expected KEY=VALUE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.back());
    std::vector<std::string> args{"settings"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Result r = Run(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
    EXPECT_EQ(SoftDat(), before);
  }
  EXPECT_NE(Run({"settings"}).out.find("threads=4\n"), std::string::npos);
}

}  // namespace
}  // namespace zentrow
