#include "toolkit/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <fstream>

#include "toolkit/codepage.h"

namespace zentrow {
namespace {

constexpr size_t kLongestSafeName = 999;

// A run of blanks becomes one blank (replacing pairs until none is left does the same).
void CollapseBlanks(Text& text) {
  auto last = std::unique(text.begin(), text.end(),
                          [](char16_t a, char16_t b) { return a == u' ' && b == u' '; });
  text.erase(last, text.end());
}

// Characters no name may hold: the separators and wildcards the file systems refuse, and
// every control character (U+0000 would cut the name short in the system's own calls).
bool IsRefusedInName(char16_t c) {
  return c < 0x20 || c == 0x7F || c == u'\\' || c == u'/' || c == u':' || c == u'*' || c == u'?' ||
         c == u'"' || c == u'<' || c == u'>' || c == u'|';
}

void RemoveRefused(Text& text) {
  std::replace(text.begin(), text.end(), u'\t', u'_');
  text.erase(std::remove_if(text.begin(), text.end(), IsRefusedInName), text.end());
}

bool IsDotOrBlank(char16_t c) { return c == u'.' || c == u' '; }

// Dots and blanks off both ends, in any mix (". .x" is "x"): a name never starts or ends
// with either, so it can never be "." or "..".
void TrimDotsAndBlanks(Text& text) {
  size_t end = text.size();
  while (end > 0 && IsDotOrBlank(text[end - 1])) --end;
  size_t begin = 0;
  while (begin < end && IsDotOrBlank(text[begin])) ++begin;
  text.resize(end);
  text.erase(0, begin);
}

bool IsFolder(const std::string& native) {
  struct stat st;
  return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Another thread may create the same folder at the same moment: that counts as success.
bool EnsureFolder(const std::string& native) {
  struct stat st;
  if (::stat(native.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  return ::mkdir(native.c_str(), 0777) == 0 || (errno == EEXIST && IsFolder(native));
}

using Head = std::array<unsigned char, 7>;

// Bytes past the end of a short file stay 0.
bool ReadHead(const std::string& native, Head& head) {
  int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  size_t got = 0;
  while (got < head.size()) {
    ssize_t n = ::read(fd, head.data() + got, head.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  return true;
}

// The rows are tested in this order; an empty result keeps the old extension.
TextView ExtensionForContent(const Head& b) {
  if (b[0] == 0xFF && b[1] == 0xD8) return u".jpg";
  if (b[0] == 0x89 && b[1] == 0x50) return u".png";
  if (b[0] == 0x47 && b[1] == 0x49 && b[2] == 0x46) return u".gif";
  if (b[0] == 0x42 && b[1] == 0x4D) return u".bmp";
  if (b[0] == 0x00 && b[1] == 0x00) {
    if ((b[2] == 0x02 || b[2] == 0x10) && b[3] == 0x00 && b[4] == 0x00) return u".tga";
    if (b[2] == 0x01 && b[3] == 0x00 && b[4] == 0x01) return u".ico";
    if (b[2] == 0x02 && b[3] == 0x00 && b[4] == 0x01) return u".cur";
  }
  if ((b[0] == 0x4D && b[1] == 0x4D) || (b[0] == 0x49 && b[1] == 0x49)) return u".tiff";
  return {};
}

// The position of the extension's "." in the last path component, or npos.
size_t ExtensionDot(TextView path) {
  size_t dot = path.rfind(u'.');
  size_t slash = path.rfind(u'/');
  if (dot == TextView::npos || (slash != TextView::npos && dot < slash)) return TextView::npos;
  return dot;
}

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

void SetTimes(TextView path, int64_t t) {
  if (t <= 0) return;
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(t);
  times[0].tv_nsec = times[1].tv_nsec = 0;
  ::utimensat(AT_FDCWD, NativePath(path).c_str(), times, 0);
}

}  // namespace

// A U+0000 would end the path early in every system call, so the system would see a
// shorter path than the one the program checked; it never reaches the system as such.
std::string NativePath(TextView path) {
  if (path.find(u'\0') == TextView::npos) return ToUtf8(path);
  Text copy(path);
  std::replace(copy.begin(), copy.end(), u'\0', u'\uFFFD');
  return ToUtf8(copy);
}

Text FromNativePath(std::string_view path) { return FromUtf8(path); }

bool FileExists(TextView path) {
  struct stat st;
  return ::stat(NativePath(path).c_str(), &st) == 0;
}

void SafeFileName(Text& text, unsigned number, bool fallback) {
  DecodeEntities(text);
  CollapseBlanks(text);
  TrimInPlace(text);
  if (text.find_first_not_of(u'.') == Text::npos) std::replace(text.begin(), text.end(), u'.', u'。');
  RemoveRefused(text);
  // Last, after every other step: what is left of ". .. ." or "| .. |" must not name the
  // folder itself or its parent.
  TrimDotsAndBlanks(text);
  if (fallback && (text.empty() || text.size() > kLongestSafeName)) {
    text = number == SAFE_NAME_TIMESTAMP ? TimestampName(std::time(nullptr))
                                         : u"pic" + NumberText(number);
  }
}

bool MakeFolderPath(Text& path, const std::function<void(const Text&)>& onError) {
  TrimInPlace(path);
  if (path.empty()) return true;  // the current folder
  if (path.back() != u'/') path += u'/';
  for (size_t p = path.find(u'/', 1); p != Text::npos; p = path.find(u'/', p + 1)) {
    Text folder = path.substr(0, p);
    if (!EnsureFolder(NativePath(folder))) {
      if (onError) onError(folder);
      return false;
    }
  }
  return true;
}

bool FixPictureExtension(Text& path) {
  const std::string native = NativePath(path);
  struct stat source;
  if (::stat(native.c_str(), &source) != 0 || !S_ISREG(source.st_mode)) return false;
  Head head{};
  if (!ReadHead(native, head)) return false;

  const size_t dot = ExtensionDot(path);
  const TextView stem = TextView(path).substr(0, dot == TextView::npos ? path.size() : dot);
  TextView extension = ExtensionForContent(head);
  if (extension.empty()) extension = dot == TextView::npos ? TextView() : TextView(path).substr(dot);
  Text target = Text(stem) + Text(extension);
  if (target == path) return true;

  // rename() would silently replace another picture that already has the new name.
  const std::string nativeTarget = NativePath(target);
  struct stat existing;
  if (::lstat(nativeTarget.c_str(), &existing) == 0 &&
      (existing.st_dev != source.st_dev || existing.st_ino != source.st_ino)) {
    return false;
  }
  if (std::rename(native.c_str(), nativeTarget.c_str()) != 0) return false;
  path = std::move(target);
  return true;
}

bool IsPictureName(TextView name) {
  static constexpr TextView kPictureExtensions[] = {u".jpeg", u".jpg", u".bmp",
                                                    u".gif",  u".png", u".tif"};
  size_t dot = name.rfind(u'.');
  if (dot == TextView::npos) return false;
  Text extension(name.substr(dot));
  std::transform(extension.begin(), extension.end(), extension.begin(), AsciiLower);
  return std::find(std::begin(kPictureExtensions), std::end(kPictureExtensions), extension) !=
         std::end(kPictureExtensions);
}

Text TimestampName(std::time_t time) {
  struct tm local;
  if (::localtime_r(&time, &local) == nullptr) return {};
  char buffer[32];
  size_t n = std::strftime(buffer, sizeof buffer, "%Y%m%d%H%M%S", &local);
  return FromAscii(std::string_view(buffer, n));
}

void SetFileTimes(TextView path, int64_t t) { SetTimes(path, t); }

void SetFolderTimes(TextView path, int64_t t) { SetTimes(path, t); }

void WriteTextFile(TextView path, std::string_view bytes) {
  std::ofstream out(path.empty() ? std::string("1.txt") : NativePath(path),
                    std::ios::binary | std::ios::trunc);
  out.write("\xFF\xFE", 2);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void WriteTextFile(TextView path, TextView text) {
  Bytes bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  WriteTextFile(path, bytes);
}

}  // namespace zentrow
