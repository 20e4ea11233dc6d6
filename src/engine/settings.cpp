#include "engine/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "engine/catalogue.h"
#include "toolkit/files.h"

namespace zentrow {
namespace {

constexpr size_t kParamsOffset = 0;
constexpr size_t kParamsSize = 8;
constexpr size_t kNamingOffset = kParamsOffset + SettingsFile::kSlots * kParamsSize;  // 192
constexpr size_t kNamingSize = 484;
constexpr size_t kHistoryOffset = kNamingOffset + SettingsFile::kSlots * kNamingSize;  // 11808
constexpr size_t kHistoryEntryBytes = SettingsFile::kHistoryUnits * 2;
constexpr size_t kHistoryListBytes = SettingsFile::kHistoryEntries * kHistoryEntryBytes;
static_assert(kHistoryOffset + 2 * kHistoryListBytes == SettingsFile::kFileSize);

constexpr uint16_t kDefaultThreads = 5;
constexpr uint16_t kMaxThreads = 15;
constexpr uint16_t kMinTimeout = 10;
constexpr uint16_t kDefaultTimeout = 30;

// Little-endian fields at fixed offsets of the image.
void Put(Bytes& image, size_t at, uint8_t value) { image[at] = static_cast<char>(value); }

void Put(Bytes& image, size_t at, uint16_t value) {
  image[at] = static_cast<char>(value & 0xFF);
  image[at + 1] = static_cast<char>(value >> 8);
}

template <size_t Units, size_t MaxLength>
void Put(Bytes& image, size_t at, const FixedText<Units, MaxLength>& text) {
  for (size_t i = 0; i < Units; ++i) Put(image, at + 2 * i, static_cast<uint16_t>(text.units[i]));
}

void Get(std::string_view image, size_t at, uint8_t& value) {
  value = static_cast<uint8_t>(image[at]);
}

void Get(std::string_view image, size_t at, uint16_t& value) {
  value = static_cast<uint16_t>(static_cast<unsigned char>(image[at]) |
                                static_cast<unsigned char>(image[at + 1]) << 8);
}

template <size_t Units, size_t MaxLength>
void Get(std::string_view image, size_t at, FixedText<Units, MaxLength>& text) {
  for (size_t i = 0; i < Units; ++i) {
    uint16_t unit;
    Get(image, at + 2 * i, unit);
    text.units[i] = unit;
  }
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Up to `limit` bytes of a regular file; false when there is no such file.
bool ReadUpTo(const std::string& path, size_t limit, Bytes& bytes) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  bytes.assign(limit, '\0');
  size_t got = 0;
  while (got < limit) {
    ssize_t n = ::read(fd, bytes.data() + got, limit - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  bytes.resize(got);
  return true;
}

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

bool EqualIgnoringCase(TextView a, TextView b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return AsciiLower(x) == AsciiLower(y); });
}

}  // namespace

// The one description of the file layout, shared by Encode and Decode: `field` is called
// with the offset of every field of the block and the field itself.
template <class Block, class Field>
void SettingsFile::ForEachField(Block& block, Field&& field) {
  for (size_t slot = 0; slot < kSlots; ++slot) {
    auto& p = block.params_[slot];
    const size_t at = kParamsOffset + slot * kParamsSize;
    field(at, p.minSizeKb);
    field(at + 2, p.maxSizeKb);
    field(at + 4, p.threadCount);
    field(at + 6, p.timeoutSeconds);
  }
  for (size_t slot = 0; slot < kSlots; ++slot) {
    auto& r = block.naming_[slot];
    const size_t at = kNamingOffset + slot * kNamingSize;
    field(at, r.filePrefix);
    field(at + 80, r.fileSuffix);
    field(at + 160, r.replaceFrom);
    field(at + 240, r.replaceWith);
    field(at + 320, r.folderPrefix);
    field(at + 400, r.folderSuffix);
    field(at + 480, r.optionFlags);
    field(at + 482, r.baseName);
    field(at + 483, r.albumFolder);
  }
  for (size_t list = 0; list < block.history_.size(); ++list) {
    for (size_t entry = 0; entry < kHistoryEntries; ++entry) {
      field(kHistoryOffset + list * kHistoryListBytes + entry * kHistoryEntryBytes,
            block.history_[list][entry]);
    }
  }
}

Bytes SettingsFile::Encode() const {
  Bytes image(kFileSize, '\0');
  ForEachField(*this, [&](size_t at, const auto& value) { Put(image, at, value); });
  return image;
}

void SettingsFile::Decode(std::string_view image) {
  ForEachField(*this, [&](size_t at, auto& value) { Get(image, at, value); });
}

void SettingsFile::ApplyCorrections(bool firstRun) {
  for (DownloadParams& p : params_) {
    if (p.threadCount < 1 || p.threadCount > kMaxThreads) p.threadCount = kDefaultThreads;
    if (p.timeoutSeconds < kMinTimeout) p.timeoutSeconds = kDefaultTimeout;
  }
  if (!firstRun) return;
  for (NamingRecord& r : naming_) r.optionFlags |= OPT_OPEN_FOLDER;
  naming_[SITE_YUPOO].optionFlags |= OPT_YUPOO_BIG | OPT_FIX_ORDER;
  naming_[SITE_SHOPS].optionFlags |= OPT_OPEN_FOLDER | OPT_FIX_ORDER;
  naming_[SITE_JD].optionFlags |= OPT_OPEN_FOLDER | OPT_FIX_ORDER;
  naming_[SITE_51].baseName = BASE_NUMBER;
  naming_[SITE_INSTAGRAM].filePrefix.Set(u"?2) ");
}

void SettingsFile::Load(const Text& baseFolder) {
  folder_ = baseFolder;
  if (!folder_.empty() && folder_.back() != u'/') folder_ += u'/';

  Bytes image;
  const bool existed = ReadUpTo(NativePath(folder_ + kFileName), kFileSize, image);
  image.resize(kFileSize, '\0');  // a short file leaves the rest zero
  Decode(image);
  ApplyCorrections(!existed);
  Save();
}

bool SettingsFile::Save() const {
  const std::string target = NativePath(folder_ + kFileName);
  std::string temporary = target + ".XXXXXX";
  int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool written = WriteAll(fd, Encode()) && ::fsync(fd) == 0;
  written = ::close(fd) == 0 && written;
  if (written && std::rename(temporary.c_str(), target.c_str()) == 0) return true;
  ::unlink(temporary.c_str());
  return false;
}

bool SettingsFile::OfferHistory(HistoryList list, TextView text) {
  HistoryEntries& entries = Entries(list);
  if (text.size() >= kHistoryUnits) return false;
  for (const HistoryText& entry : entries) {
    if (EqualIgnoringCase(entry.Get(), text)) return false;
  }
  std::move_backward(entries.begin(), entries.end() - 1, entries.end());
  entries.front().Set(text);
  return true;
}

TextList SettingsFile::History(HistoryList list) const {
  TextList texts;
  for (const HistoryText& entry : Entries(list)) {
    if (Text text = entry.Get(); !text.empty()) texts.push_back(std::move(text));
  }
  return texts;
}

}  // namespace zentrow
