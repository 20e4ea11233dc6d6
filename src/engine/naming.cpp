// AddPictureItem: the file name of every picture, by the category's naming rules.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "engine/main_state.h"
#include "toolkit/codepage.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

// File name components are limited to 255 bytes; names are stored as UTF-8, where a
// Chinese character takes three. Stems are cut to this many bytes, which leaves room for
// a "(k)" and the extension.
constexpr size_t kMaxStemBytes = 200;

Text Format04(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d", value);
  return FromAscii(buffer);
}

// Cuts `name` (a stem, or the last component of a path) so its UTF-8 form fits
// kMaxStemBytes, never inside a surrogate pair.
void CutToFit(Text& name) {
  size_t start = name.rfind(u'/');
  start = start == Text::npos ? 0 : start + 1;
  size_t bytes = 0;
  for (size_t i = start; i < name.size(); ++i) {
    char16_t c = name[i];
    size_t width = c < 0x80 ? 1 : c < 0x800 ? 2 : (c >= 0xD800 && c <= 0xDFFF) ? 2 : 3;
    if (bytes + width > kMaxStemBytes) {
      if (c >= 0xDC00 && c <= 0xDFFF && i > start) --i;  // keep the pair whole
      name.resize(i);
      return;
    }
    bytes += width;
  }
}

// A description that is an absolute path inside the run's folder names the target file
// itself. Descriptions come from web pages, so any other absolute path (or one that
// climbs out with "..") is an ordinary description. So is one holding a control
// character: U+0000 would end the path early for the system, past the point checked here,
// and no name on disk may hold one.
bool IsPathInsideRun(const Text& description, const Text& runFolder) {
  if (description.empty() || description[0] != u'/' || runFolder.empty()) return false;
  if (std::any_of(description.begin(), description.end(), [](char16_t c) { return c < 0x20 || c == 0x7F; }))
    return false;
  namespace fs = std::filesystem;
  fs::path target = fs::path(NativePath(description)).lexically_normal();
  fs::path base = fs::path(NativePath(runFolder)).lexically_normal();
  auto rel = target.lexically_relative(base);
  if (rel.empty() || rel == ".") return false;
  const auto first = *rel.begin();
  return first != ".." && first != "." && target.has_filename();
}

void AppendSourceName(const Text& path, const Text& description, bool first) {
  std::ofstream out(NativePath(path), std::ios::binary | (first ? std::ios::trunc : std::ios::app));
  if (!out) return;
  if (first) out.write("\xFF\xFE", 2);
  Text line = description + u"\r\n";
  out.write(reinterpret_cast<const char*>(line.data()), static_cast<std::streamsize>(line.size() * 2));
}

}  // namespace

void AddPictureItem(MainState& state, const Text& address, const Text& description,
                    const Text& header, int albumIndex) {
  ST_PERLISTRECORD album;
  if (!state.albums.Get(albumIndex, album)) return;
  DownloadQueue& queue = state.queue;
  const NamingRecord& rules = state.naming;
  const bool firstPicture = queue.items.empty();
  const Text number = NumberText(static_cast<long long>(queue.items.size()) + 1);

  // The stem: the absolute path itself, or prefix + base name + suffix with the escapes.
  Text stem;
  const bool absolute = IsPathInsideRun(description, state.runFolder);
  if (absolute) {
    stem = description;
  } else {
    Text base;
    size_t slash = address.rfind(u'/');
    if (rules.baseName == BASE_DESCRIPTION) {
      base = description;
      SafeFileName(base, 0, false);
      if (base.empty()) base = album.name;
    } else if (rules.baseName == BASE_ADDRESS && slash != Text::npos && slash > 0) {
      base = address.substr(slash + 1);
    } else {
      base = number;
    }
    stem = rules.filePrefix.Get() + base + rules.fileSuffix.Get();
    ReplaceAll(stem, u"?1", album.name);
    ReplaceAll(stem, u"?2", number);
    ReplaceAll(stem, u"?3", NumberText(album.index + 1));
    ReplaceAll(stem, u"?4", NumberText(album.numberA));
    ReplaceAll(stem, u"?5", NumberText(album.numberB));
    ReplaceAll(stem, u"?6", NumberText(state.selectedAlbumCount));
    ReplaceAll(stem, u"?7", NumberText(state.albums.Count()));
    ReplaceAll(stem, u"?8", state.ownerFolder);
    ReplaceAll(stem, u"?9", Format04(album.index + 1));
    ReplaceList(stem, rules.replaceFrom.Get(), rules.replaceWith.Get());
    SafeFileName(stem, SAFE_NAME_TIMESTAMP, true);
  }
  const Text numberingBase = stem;

  if (firstPicture) {
    // The album's own folder, made when its first picture arrives.
    Text part = rules.albumFolder == ALBUM_FOLDER_NAME ? album.name : Text();
    part = rules.folderPrefix.Get() + part + rules.folderSuffix.Get();
    ReplaceAll(part, u"?1", album.name);
    ReplaceAll(part, u"?3", NumberText(album.index + 1));
    ReplaceAll(part, u"?9", Format04(album.index + 1));
    SafeFileName(part, 0, false);
    CutToFit(part);
    if (!part.empty()) queue.folder += part + u"/";
    ::mkdir(NativePath(queue.folder).c_str(), 0755);
    SetFolderTimes(queue.folder, static_cast<int64_t>(std::time(nullptr)));
    state.lastNewest = ReadMarker(queue.folder);
  }

  CutToFit(stem);
  Text extension = u".jpg";
  if (IsPictureName(stem)) {
    size_t dot = stem.rfind(u'.');
    extension = stem.substr(dot);
    stem.resize(dot);
  }
  if (!firstPicture) {
    for (unsigned k = 1; queue.HasName(stem + extension); ++k) {
      stem = numberingBase;
      CutToFit(stem);
      stem += u"(" + NumberText(k) + u")";
    }
  }

  if ((rules.optionFlags & OPT_SKIP_DOWNLOADED) && address == state.lastNewest) {
    state.downloadState = DOWNLOAD_READER_STOP;
    return;
  }
  queue.Append({address, stem + extension, header});

  char status[64];
  std::snprintf(status, sizeof status, "已获取到%d张图片信息", static_cast<int>(queue.items.size()));
  state.Ui().SetStatus2(FromUtf8(status));

  if (rules.optionFlags & OPT_SOURCE_NAMES)
    AppendSourceName(queue.folder + album.name + u".txt", description, firstPicture);
}

}  // namespace zentrow
