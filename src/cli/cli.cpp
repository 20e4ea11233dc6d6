#include "cli/cli.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>

#include "engine/catalogue.h"
#include "engine/main_state.h"
#include "engine/settings.h"
#include "engine/startup.h"
#include "net/cookies.h"
#include "toolkit/codepage.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

// ---- command line ------------------------------------------------------------------

enum Command : unsigned { CMD_LIST = 1, CMD_DOWNLOAD = 2, CMD_SETTINGS = 4, CMD_ALL = 7 };

struct OptionSpec {
  std::string_view name;
  bool takesValue;
  unsigned commands;  // where the option may be used
};

constexpr OptionSpec kOptions[] = {
    {"--category", true, CMD_ALL},
    {"--subkind", true, CMD_LIST | CMD_DOWNLOAD},
    {"--json", false, CMD_LIST},
    {"--albums", true, CMD_DOWNLOAD},
    {"--save-path", true, CMD_DOWNLOAD},
    {"--cookies", true, CMD_ALL},
    {"--yes", false, CMD_LIST | CMD_DOWNLOAD},
    {"--work-dir", true, CMD_ALL},
};

struct Arguments {
  unsigned command = 0;
  std::vector<std::string> operands;       // the address, or the settings' KEY=VALUE
  std::map<std::string, std::string> options;  // long name -> value ("" for flags)

  bool Has(std::string_view name) const { return options.count(std::string(name)) > 0; }
  std::optional<std::string> Value(std::string_view name) const {
    auto it = options.find(std::string(name));
    if (it == options.end()) return std::nullopt;
    return it->second;
  }
};

struct UsageError {
  std::string text;
};

std::optional<unsigned> CommandOf(std::string_view word) {
  if (word == "list") return CMD_LIST;
  if (word == "download") return CMD_DOWNLOAD;
  if (word == "settings") return CMD_SETTINGS;
  return std::nullopt;
}

const OptionSpec* FindOption(std::string_view name) {
  if (name == "-y") name = "--yes";
  for (const auto& spec : kOptions)
    if (spec.name == name) return &spec;
  return nullptr;
}

// Options may stand before or after the command; "--opt VALUE" and "--opt=VALUE" both work,
// and "--" ends the options.
std::optional<UsageError> Parse(const std::vector<std::string>& args, Arguments& parsed) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      const size_t equals = arg.find('=');
      const std::string name = arg.substr(0, equals);
      const OptionSpec* spec = FindOption(name);
      if (!spec) return UsageError{"unknown option " + name};
      std::string value;
      if (spec->takesValue && equals != std::string::npos) {
        value = arg.substr(equals + 1);
      } else if (spec->takesValue) {
        if (i + 1 >= args.size()) return UsageError{name + " needs a value"};
        value = args[++i];
      } else if (equals != std::string::npos) {
        return UsageError{name + " takes no value"};
      }
      if (!parsed.options.emplace(std::string(spec->name), value).second) {
        return UsageError{std::string(spec->name) + " given twice"};
      }
    } else if (parsed.command == 0) {
      auto command = CommandOf(arg);
      if (!command) return UsageError{"unknown command '" + arg + "'"};
      parsed.command = *command;
    } else {
      parsed.operands.push_back(arg);
    }
  }
  if (parsed.command == 0) return UsageError{"no command given"};
  for (const auto& [name, value] : parsed.options) {
    if (!(FindOption(name)->commands & parsed.command)) {
      return UsageError{name + " does not apply to this command"};
    }
  }
  if (parsed.command != CMD_SETTINGS && parsed.operands.size() != 1) {
    return UsageError{parsed.operands.empty() ? "no ADDRESS given" : "more than one ADDRESS given"};
  }
  if (parsed.command != CMD_SETTINGS && parsed.operands[0].empty()) return UsageError{"the ADDRESS is empty"};
  return std::nullopt;
}

// A whole decimal number (optionally negative) that fits in a long long.
std::optional<long long> ParseNumber(std::string_view text) {
  long long value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

std::optional<int> ParseInRange(std::string_view text, int low, int high) {
  auto value = ParseNumber(text);
  if (!value || *value < low || *value > high) return std::nullopt;
  return static_cast<int>(*value);
}

// "--albums": "all" (or nothing given) or numbers and ranges as listed, e.g. "1,3-5".
struct AlbumChoice {
  bool all = true;
  std::vector<std::pair<long long, long long>> ranges;  // 1-based, inclusive
};

std::optional<AlbumChoice> ParseAlbumChoice(std::string_view text) {
  AlbumChoice choice;
  if (text == "all") return choice;
  choice.all = false;
  while (true) {
    const size_t comma = text.find(',');
    std::string_view part = text.substr(0, comma);
    const size_t dash = part.find('-');
    auto first = ParseNumber(part.substr(0, dash));
    auto last = dash == std::string_view::npos ? first : ParseNumber(part.substr(dash + 1));
    if (!first || !last || *first < 1 || *last < *first) return std::nullopt;
    choice.ranges.emplace_back(*first, *last);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return choice;
}

// The album indexes of the choice in list order, each once; empty when a number is past
// the end of the list.
std::vector<int> ChosenIndexes(const AlbumChoice& choice, int count) {
  std::vector<bool> ticked(static_cast<size_t>(count), choice.all);
  for (const auto& [first, last] : choice.ranges) {
    if (last > count) return {};
    for (long long n = first; n <= last; ++n) ticked[static_cast<size_t>(n - 1)] = true;
  }
  std::vector<int> indexes;
  for (int i = 0; i < count; ++i)
    if (ticked[static_cast<size_t>(i)]) indexes.push_back(i);
  return indexes;
}

// ---- output ------------------------------------------------------------------------

std::string Printf(const char* format, int value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

std::string JsonString(TextView text) {
  std::string out = "\"";
  for (unsigned char c : ToUtf8(text)) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) out += Printf("\\u%04x", c);
        else out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string JsonRecord(const ST_PERLISTRECORD& r) {
  const std::pair<const char*, TextView> texts[] = {{"name", r.name},
                                                    {"listAddress", r.listAddress},
                                                    {"coverAddress", r.coverAddress},
                                                    {"extra1", r.extra1},
                                                    {"extra2", r.extra2}};
  const std::pair<const char*, int32_t> numbers[] = {{"count", r.count},     {"remarks", r.remarks},
                                                     {"numberA", r.numberA}, {"numberB", r.numberB},
                                                     {"index", r.index},     {"thumbnail", r.thumbnail}};
  std::string line;
  for (const auto& [key, value] : texts) line += std::string(line.empty() ? "{\"" : ",\"") + key + "\":" + JsonString(value);
  for (const auto& [key, value] : numbers) line += std::string(",\"") + key + "\":" + std::to_string(value);
  return line + "}";
}

std::string RowLine(const ST_PERLISTRECORD& album) {
  const AlbumRowTexts row = RowTexts(album, album.index + 1);
  return ToUtf8(row.number) + "\t" + ToUtf8(row.name) + "\t" + ToUtf8(row.count) + "\t" + ToUtf8(row.remarks);
}

// "done/total" in a progress text, for the bar.
std::optional<std::pair<int, int>> ProgressOf(std::string_view text) {
  const size_t slash = text.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  size_t begin = slash;
  while (begin > 0 && text[begin - 1] >= '0' && text[begin - 1] <= '9') --begin;
  size_t end = slash + 1;
  while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
  auto done = ParseInRange(text.substr(begin, slash - begin), 0, 1 << 30);
  auto total = ParseInRange(text.substr(slash + 1, end - slash - 1), 1, 1 << 30);
  if (!done || !total || *done > *total) return std::nullopt;
  return std::make_pair(*done, *total);
}

std::string Bar(int done, int total) {
  constexpr int kWidth = 24;
  const int filled = static_cast<int>(static_cast<long long>(done) * kWidth / total);
  return "[" + std::string(filled, '#') + std::string(kWidth - filled, '-') + "] " +
         Printf("%3d%% ", static_cast<int>(static_cast<long long>(done) * 100 / total));
}

// The terminal side of the engine: every line on standard error carries a prefix. Engine
// threads call in, so output is serialised.
class TerminalUi final : public UiPort {
 public:
  TerminalUi(const CliIo& io, bool yes) : io_(io), yes_(yes) {}

  void Line(std::string_view prefix, TextView text) {
    std::lock_guard lock(mutex_);
    PrefixedLines(prefix, ToUtf8(text));
  }

  void ShowMessage(const Text& text) override { Line("message", text); }

  bool AskYesNo(const Text& text, const Text& caption) override {
    std::lock_guard lock(mutex_);
    PrefixedLines("question", ToUtf8(caption + u": " + text), " [y/N] ");
    bool answer = yes_;
    if (yes_) {
      io_.err << "y\n";
    } else if (io_.inIsTerminal) {
      io_.err.flush();
      std::string reply;
      std::getline(io_.in, reply);
      answer = reply == "y" || reply == "Y" || reply == "yes" || reply == "Yes";
    } else {
      io_.err << "n\n";
    }
    return answer;
  }

  void RequestLogin(const Text& address) override {
    std::lock_guard lock(mutex_);
    PrefixedLines("login", "a login is needed at " + ToUtf8(address));
    PrefixedLines("login", "log in there with the desktop program (登录 menu), or export the cookies of a "
                           "browser that is logged in and run again with --cookies FILE");
  }

  void SetStatus1(const Text& text) override { Status(ToUtf8(text), false); }
  void SetStatus2(const Text& text) override { Status(ToUtf8(text), true); }
  void SetAlbumGroupText(const Text&) override {}  // status line 1 reports the same count
  void AlbumAdded(const ST_PERLISTRECORD&) override {}  // the rows are printed at the end
  void AlbumsCleared() override {}
  void ListingLook(bool, int) override {}
  void DownloadLook(bool running) override {
    if (running) downloadStarted_ = true;
  }
  void OpenFolder(const Text& folder) override { Line("open", folder); }
  void AlbumDownloaded(const AlbumDownloadSummary& summary) override {
    std::lock_guard lock(mutex_);
    summaries_[summary.albumIndex] = summary;
  }

  // Ends a progress line drawn in place.
  void Finish() {
    std::lock_guard lock(mutex_);
    EndInPlaceLine();
  }

  bool DownloadStarted() const { return downloadStarted_; }
  std::map<int, AlbumDownloadSummary> Summaries() const {
    std::lock_guard lock(mutex_);
    return summaries_;
  }

 private:
  void EndInPlaceLine() {
    if (inPlace_) io_.err << "\n";
    inPlace_ = false;
  }

  // One prefixed line per line of the text; `tail` follows the last one instead of a
  // line feed.
  void PrefixedLines(std::string_view prefix, std::string_view text, std::string_view tail = "\n") {
    EndInPlaceLine();
    while (true) {
      const size_t feed = text.find('\n');
      std::string_view line = text.substr(0, feed);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      io_.err << prefix << ":" << (line.empty() ? "" : " ") << line;
      if (feed == std::string_view::npos) break;
      io_.err << "\n";
      text.remove_prefix(feed + 1);
    }
    io_.err << tail;
  }

  // Status line 2 is progress: on a terminal it redraws one line, elsewhere every change
  // is a line of its own.
  void Status(const std::string& text, bool progress) {
    std::lock_guard lock(mutex_);
    if (text.empty() || (progress && text == lastProgress_)) return;
    if (!progress || !io_.errIsTerminal) {
      PrefixedLines("status", text);
      if (progress) lastProgress_ = text;
      return;
    }
    lastProgress_ = text;
    auto counts = ProgressOf(text);
    io_.err << "\r\033[Kstatus: " << (counts ? Bar(counts->first, counts->second) : "") << text;
    io_.err.flush();
    inPlace_ = true;
  }

  const CliIo& io_;
  const bool yes_;
  mutable std::mutex mutex_;
  bool inPlace_ = false;
  std::string lastProgress_;
  std::atomic<bool> downloadStarted_{false};
  std::map<int, AlbumDownloadSummary> summaries_;
};

// ---- list and download --------------------------------------------------------------

struct Context {
  const Arguments& args;
  const SiteTable& sites;
  const CliIo& io;
  std::filesystem::path workFolder;
};

int Usage(const CliIo& io, const std::string& text) {
  io.err << "error: " << text << "\nTry 'zentrow-cli --help'.\n";
  return CLI_USAGE;
}

Text FolderText(const std::filesystem::path& folder) {
  Text text = FromNativePath(folder.string());
  if (text.empty() || text.back() != u'/') text += u'/';
  return text;
}

struct Choice {
  int category = SITE_QQ;
  int subKind = SUBKIND_QZONE;
};

// As the boxes would stand: classified from the address, then chosen by hand. A category
// picked by hand resets the sub-kind unless it is the classified one.
std::optional<Choice> ChooseCategory(const Arguments& args, TextView address, std::string& error) {
  Choice choice;
  const Classification classified = Classify(address, SITE_QQ);
  if (classified.changed) {
    choice.category = classified.siteIndex;
    choice.subKind = classified.subKind.value_or(SUBKIND_QZONE);
  }
  if (auto text = args.Value("--category")) {
    auto category = ParseInRange(*text, 0, SITE_COUNT - 1);
    if (!category) {
      error = "--category must be 0-" + std::to_string(SITE_COUNT - 1);
      return std::nullopt;
    }
    if (*category != choice.category) choice.subKind = SUBKIND_QZONE;
    choice.category = *category;
  }
  if (auto text = args.Value("--subkind")) {
    auto subKind = ParseInRange(*text, 0, SUBKIND_COUNT - 1);
    if (!subKind || choice.category != SITE_QQ) {
      error = "--subkind takes 0-" + std::to_string(SUBKIND_COUNT - 1) + " and applies to category 0 only";
      return std::nullopt;
    }
    choice.subKind = *subKind;
  }
  return choice;
}

Text SiteLine(int category) {
  const StartupConfig config = LoadStartupConfig();
  return u"SiteIndex " + NumberText(category) + u": " + config.categoryNames[static_cast<size_t>(category)];
}

Text SavePath(const Context& c, MainState& state) {
  if (auto given = c.args.Value("--save-path")) {
    Text path = FolderText(std::filesystem::absolute(*given));
    // As a folder chosen in the window, the path is remembered.
    if (state.Settings().OfferHistory(HistoryList::SavePath, path)) state.SaveSettings();
    return path;
  }
  TextList history = state.Settings().History(HistoryList::SavePath);
  return history.empty() ? FolderText(c.workFolder) : history.front();
}

void PrintSummaries(const Context& c, MainState& state, TerminalUi& ui, const std::vector<int>& chosen, int& failed) {
  const auto summaries = ui.Summaries();
  for (int index : chosen) {
    AlbumDownloadSummary s;
    auto it = summaries.find(index);
    if (it != summaries.end()) {
      s = it->second;
    } else {  // the reader queued nothing for it
      ST_PERLISTRECORD album;
      state.albums.Get(index, album);
      s.albumName = album.name;
    }
    failed += s.failed;
    c.io.out << Printf("%04d", index + 1) << "\t" << ToUtf8(s.albumName) << "\tqueued=" << s.queued << "\t"
             << (s.listOnly ? std::string("list-only") : "saved=" + std::to_string(s.saved))
             << "\tfailed=" << s.failed << "\t" << ToUtf8(s.folder) << "\n";
  }
}

int ListAndDownload(const Context& c) {
  const Text address = FromUtf8(c.args.operands[0]);
  std::string error;
  auto choice = ChooseCategory(c.args, address, error);
  if (!choice) return Usage(c.io, error);
  std::optional<AlbumChoice> albumChoice = AlbumChoice{};
  if (auto text = c.args.Value("--albums")) albumChoice = ParseAlbumChoice(*text);
  if (!albumChoice) return Usage(c.io, "--albums takes numbers and ranges such as 1,3-5, or all");

  TerminalUi ui(c.io, c.args.Has("--yes"));
  MainState state(ui, c.sites, FolderText(c.workFolder));
  state.SetReady();
  state.SetCategory(choice->category);
  state.SetSubKind(choice->subKind);
  Text site = SiteLine(choice->category);
  if (choice->category == SITE_QQ) site += u" (" + Text(SubKindName(choice->subKind)) + u")";
  ui.Line("site", site);
  state.SetAddressText(address);

  // A listing may start a download of every album by itself when it ends; here the
  // command decides.
  state.autoDownloadAllowed = false;
  state.GetAlbums();
  state.WaitListing();
  ui.Finish();

  const int count = state.albums.Count();
  if (c.args.command == CMD_LIST) {
    const bool json = c.args.Has("--json");
    for (const auto& album : state.albums.Snapshot()) c.io.out << (json ? JsonRecord(album) : RowLine(album)) << "\n";
    return count > 0 ? CLI_DONE : CLI_NO_ALBUM;
  }
  if (count == 0) return CLI_NO_ALBUM;

  const std::vector<int> chosen = ChosenIndexes(*albumChoice, count);
  if (chosen.empty()) return Usage(c.io, "--albums names an album past the last one (" + std::to_string(count) + " listed)");
  state.SetTicked(chosen);
  const Text savePath = SavePath(c, state);
  ui.Line("save-path", savePath);
  state.SetSavePathText(savePath);
  state.Download();
  state.WaitDownload();
  ui.Finish();
  if (!ui.DownloadStarted()) {
    ui.Line("error", u"the download did not start");
    return CLI_USAGE;
  }
  int failed = 0;
  PrintSummaries(c, state, ui, chosen, failed);
  return failed > 0 ? CLI_PICTURES_FAILED : CLI_DONE;
}

// ---- settings -----------------------------------------------------------------------

struct NumberKey {
  std::string_view key;
  uint16_t DownloadParams::*field;
};
constexpr NumberKey kNumberKeys[] = {{"threads", &DownloadParams::threadCount},
                                     {"timeout", &DownloadParams::timeoutSeconds},
                                     {"min-size", &DownloadParams::minSizeKb},
                                     {"max-size", &DownloadParams::maxSizeKb}};

struct TextKey {
  std::string_view key;
  NameText NamingRecord::*field;
};
constexpr TextKey kTextKeys[] = {{"file-prefix", &NamingRecord::filePrefix},
                                 {"file-suffix", &NamingRecord::fileSuffix},
                                 {"replace-from", &NamingRecord::replaceFrom},
                                 {"replace-with", &NamingRecord::replaceWith},
                                 {"folder-prefix", &NamingRecord::folderPrefix},
                                 {"folder-suffix", &NamingRecord::folderSuffix}};

struct ChoiceName {
  TextView shown;
  std::string_view english;
};
struct ChoiceKey {
  std::string_view key;
  uint8_t NamingRecord::*field;
  std::vector<ChoiceName> names;  // in the order of the stored values
};
const ChoiceKey kChoiceKeys[] = {
    {"base-name", &NamingRecord::baseName, {{u"描述", "description"}, {u"序号", "number"}, {u"网址", "address"}}},
    {"album-folder", &NamingRecord::albumFolder, {{u"相册名", "album-name"}, {u"无", "none"}}}};

struct OptionKey {
  std::string_view key;
  uint16_t bit;
};
constexpr OptionKey kOptionKeys[] = {{"fix-format", OPT_FIX_FORMAT},
                                     {"fix-order", OPT_FIX_ORDER},
                                     {"source-names", OPT_SOURCE_NAMES},
                                     {"list-only", OPT_LIST_ONLY},
                                     {"open-folder", OPT_OPEN_FOLDER},
                                     {"main-pictures", OPT_MAIN_PICTURES},
                                     {"skip-downloaded", OPT_SKIP_DOWNLOADED},
                                     {"yupoo-big", OPT_YUPOO_BIG},
                                     {"description-pictures", OPT_DESCRIPTION_PICTURES}};

constexpr size_t kNameTextLength = 38;

template <class Table>
auto Find(const Table& table, std::string_view key) -> decltype(&table[0]) {
  for (const auto& entry : table)
    if (entry.key == key) return &entry;
  return nullptr;
}

// At most 38 characters, as the dialog's edits take them; a surrogate pair is not split.
Text CutNameText(Text text) {
  if (text.size() <= kNameTextLength) return text;
  size_t length = kNameTextLength;
  if (text[length - 1] >= 0xD800 && text[length - 1] < 0xDC00) --length;
  return text.substr(0, length);
}

struct SettingsEdit {
  DownloadParams params;
  NamingRecord naming;
  std::vector<Text> notes;
};

// Applies one KEY=VALUE to the edit; the text of a usage error otherwise. Numbers are
// checked with the dialog's rule afterwards.
std::optional<std::string> Apply(std::string_view assignment, SettingsEdit& edit) {
  const size_t equals = assignment.find('=');
  if (equals == std::string_view::npos) return "expected KEY=VALUE, got '" + std::string(assignment) + "'";
  const std::string_view key = assignment.substr(0, equals);
  const std::string_view value = assignment.substr(equals + 1);
  if (auto k = Find(kNumberKeys, key)) {
    auto number = ParseInRange(value, 0, 65535);
    if (!number) return "参数错误: " + std::string(key) + " must be a number 0-65535";
    edit.params.*(k->field) = static_cast<uint16_t>(*number);
  } else if (auto k = Find(kTextKeys, key)) {
    const Text text = FromUtf8(value);
    const Text kept = CutNameText(text);
    if (kept.size() < text.size()) edit.notes.push_back(FromUtf8(key) + u" cut to its first 38 characters: " + kept);
    (edit.naming.*(k->field)).Set(kept);
  } else if (auto k = Find(kChoiceKeys, key)) {
    const Text shown = FromUtf8(value);
    size_t i = 0;
    while (i < k->names.size() && k->names[i].shown != shown && k->names[i].english != value) ++i;
    if (i == k->names.size()) return "unknown " + std::string(key) + " '" + std::string(value) + "'";
    edit.naming.*(k->field) = static_cast<uint8_t>(i);
  } else if (auto k = Find(kOptionKeys, key)) {
    if (value != "on" && value != "off") return std::string(key) + " takes on or off";
    edit.naming.optionFlags = static_cast<uint16_t>(value == "on" ? edit.naming.optionFlags | k->bit
                                                                  : edit.naming.optionFlags & ~k->bit);
  } else {
    return "unknown settings key '" + std::string(key) + "'";
  }
  return std::nullopt;
}

void PrintSettings(std::ostream& out, const DownloadParams& params, const NamingRecord& naming) {
  for (const auto& k : kNumberKeys) out << k.key << "=" << params.*(k.field) << "\n";
  for (const auto& k : kTextKeys) out << k.key << "=" << ToUtf8((naming.*(k.field)).Get()) << "\n";
  for (const auto& k : kChoiceKeys) {
    const uint8_t value = naming.*(k.field);
    out << k.key << "=" << (value < k.names.size() ? ToUtf8(k.names[value].shown) : std::to_string(value)) << "\n";
  }
  for (const auto& k : kOptionKeys) out << k.key << "=" << ((naming.optionFlags & k.bit) ? "on" : "off") << "\n";
}

int RunSettings(const Context& c) {
  int category = SITE_QQ;
  if (auto text = c.args.Value("--category")) {
    auto parsed = ParseInRange(*text, 0, SITE_COUNT - 1);
    if (!parsed) return Usage(c.io, "--category must be 0-" + std::to_string(SITE_COUNT - 1));
    category = *parsed;
  }
  c.io.err << "site: " << ToUtf8(SiteLine(category)) << "\n";
  SettingsFile file;
  file.Load(FolderText(c.workFolder));
  SettingsEdit edit{file.Params(category), file.Naming(category), {}};
  for (const auto& assignment : c.args.operands) {
    if (auto error = Apply(assignment, edit)) return Usage(c.io, *error);
  }
  // The download parameters dialog refuses these.
  if (edit.params.threadCount < 1 || edit.params.threadCount > 15 || edit.params.timeoutSeconds < 10) {
    c.io.err << "error: 参数错误 (threads must be 1-15, timeout 10 or more); nothing saved\n";
    return CLI_USAGE;
  }
  for (const auto& note : edit.notes) c.io.err << "note: " << ToUtf8(note) << "\n";
  if (!c.args.operands.empty()) {
    file.Params(category) = edit.params;
    file.Naming(category) = edit.naming;
    if (!file.Save()) {
      c.io.err << "error: cannot write " << (c.workFolder / "soft.dat").string() << "\n";
      return CLI_USAGE;
    }
  }
  PrintSettings(c.io.out, edit.params, edit.naming);
  return CLI_DONE;
}

// ---- help ---------------------------------------------------------------------------

void PrintHelp(std::ostream& out) {
  out << R"(Usage:
  zentrow-cli list ADDRESS [--json] [--category N] [--subkind K]
  zentrow-cli download ADDRESS [--albums LIST] [--save-path DIR] [--category N] [--subkind K]
  zentrow-cli settings [--category N] [KEY=VALUE ...]
  zentrow-cli --help | --version

ADDRESS is the address of an album or a home page, or for QQ Zone simply a QQ number.
The category is recognised from the address as the desktop program's address box does
(text without http:// or https:// keeps category 0); --category and --subkind choose by hand.

Commands:
  list      Lists the albums on standard output, one line each, tab-separated:
            number (0001, 0002, ...), name, picture count ("未知" when the site gives
            none) and remarks ("加密相册", "私密相册", "好友可见", a number, or empty).
  download  Lists, ticks the chosen albums and downloads them under the save path as
            the desktop program's "下载" does (the category's settings apply); then
            prints one line per chosen album, tab-separated: number, name, queued=N,
            saved=N (list-only when only a download list file was written), failed=N,
            and the album's folder (empty when nothing was queued).
  settings  Shows the settings of a category kept in "soft.dat" as KEY=VALUE lines,
            after applying the changes given; nothing is saved unless all are valid.

Options:
  --category N     the category, 0-20 (list below); for settings the default is 0
  --subkind K      within category 0: 0 QQ空间相册, 1 QQ群相册, 2 腾讯微博相册
  --json           list: one JSON object per line with every field of the album
                   record: name, listAddress, coverAddress, extra1, extra2, count
                   (-1 not reported), remarks (1 password, 2 private, 4 friends; a
                   negative word carries a number), numberA, numberB, index (the album
                   number minus 1), thumbnail
  --albums LIST    download: album numbers as listed, e.g. 1,3-5; "all" (default)
  --save-path DIR  download: where the album folders go; remembered as a folder
                   chosen in the desktop program is. Default: the newest remembered
                   save path, else the working folder
  --cookies FILE   first import a Netscape cookie file (cookies.txt as browsers'
                   export tools write it) into the cookie store
  --yes, -y        answer Yes to questions; otherwise they are answered No, or
                   asked when standard input is a terminal
  --work-dir DIR   the working folder (default: the current directory)
  --help, -h       this text
  --version        the program version

Settings keys (--category chooses whose):
  threads=1-15  timeout=SECONDS (10 or more)  min-size=KB  max-size=KB (0: no limit)
  file-prefix=  file-suffix=  folder-prefix=  folder-suffix=  replace-from=A|B
  replace-with=X|Y   (texts keep at most 38 characters; the escapes ?1-?9 apply)
  base-name=描述|序号|网址 (or description|number|address)
  album-folder=相册名|无 (or album-name|none)
  on|off: fix-format (修正图片格式), fix-order (修正图片顺序), source-names
    (生成图片原始名文件), list-only (只生成迅雷下载列表), open-folder (下载完成后
    打开保存路径), main-pictures (shops: 只下载宝贝(商品)主图), skip-downloaded
    (不下载以前下载过的图片), yupoo-big (又拍相册下载大图), description-pictures
    (shops: 只下载宝贝(商品)描述里的图片)
  A thread count outside 1-15 or a time-out below 10 is refused with "参数错误".

Standard error carries status lines and messages, each line with a prefix:
  site:       the chosen SiteIndex and category name (first)
  status:     status lines 1 and 2; on a terminal the progress redraws one line
              with a bar
  message:    a message of the engine (what the desktop program shows in a box)
  question:   a question of the engine and the answer given (y or n)
  login:      an address that needs a login: log in with the desktop program, or
              import a logged-in browser's cookies with --cookies FILE
  open:       the folder the desktop program would open after the download
  save-path:  the save path of the download
  note:, error:  remarks and errors of zentrow-cli itself

The working folder holds "soft.dat" (settings), "下载器扩展设置.ini" (extension
settings) and cookies.txt (the cookie store), shared with the desktop program.

Exit status:
  0  done
  1  the listing found no album
  2  usage error: bad arguments, refused settings ("参数错误"), an unreadable
     cookie file, or a save path the download could not use
  3  some pictures could not be saved

Categories:
)";
  const StartupConfig config = LoadStartupConfig();
  for (int i = 0; i < SITE_COUNT; ++i) {
    out << Printf("  %2d ", i) << ToUtf8(config.categoryNames[static_cast<size_t>(i)]) << "\n";
  }
}

// --help and --version win over everything else on the line (before a "--").
bool HasFlag(const std::vector<std::string>& args, std::string_view name, std::string_view shortName = {}) {
  for (const auto& arg : args) {
    if (arg == "--") return false;
    if (arg == name || (!shortName.empty() && arg == shortName)) return true;
  }
  return false;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const SiteTable& sites, const CliIo& io) {
  if (HasFlag(args, "--help", "-h")) {
    PrintHelp(io.out);
    return CLI_DONE;
  }
  if (HasFlag(args, "--version")) {
    io.out << "zentrow-cli " << kProgramVersion << "\n";
    return CLI_DONE;
  }
  Arguments parsed;
  if (auto error = Parse(args, parsed)) return Usage(io, error->text);

  std::error_code ec;
  std::filesystem::path work = std::filesystem::absolute(parsed.Value("--work-dir").value_or("."), ec);
  if (ec || !std::filesystem::is_directory(work, ec)) {
    return Usage(io, "the working folder " + work.string() + " is not a folder");
  }
  work = work.lexically_normal();
  Context context{parsed, sites, io, work};

  if (parsed.command != CMD_SETTINGS || parsed.Has("--cookies")) {
    net::CookieStore::Instance().Open(work.string());
  }
  if (auto cookies = parsed.Value("--cookies")) {
    if (!net::CookieStore::Instance().ImportNetscapeFile(*cookies)) {
      io.err << "error: cannot read the cookie file " << *cookies << "\n";
      return CLI_USAGE;
    }
  }
  return parsed.command == CMD_SETTINGS ? RunSettings(context) : ListAndDownload(context);
}

}  // namespace zentrow
