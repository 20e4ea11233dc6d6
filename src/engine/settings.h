// The settings block: per-category download parameters and naming rules, and the two
// history lists, kept in "soft.dat" in the base folder.
//
// "soft.dat" is exactly 19808 bytes, little-endian, no header: 24 DownloadParams records
// (8 bytes), 24 NamingRecords (484 bytes), then 5 address and 5 save path history
// entries (400 UTF-16 units each). Slots 0-20 are the site categories; 21-23 belong to
// none but are kept. Files written by earlier versions of the program load unchanged.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "toolkit/text.h"

namespace zentrow {

// A zero-terminated, zero-padded UTF-16 text of `Units` code units; Set stores at most
// `MaxLength` of them. Get stops at the first zero or at the end of the field.
template <size_t Units, size_t MaxLength>
struct FixedText {
  static_assert(MaxLength < Units);
  std::array<char16_t, Units> units{};

  Text Get() const {
    size_t n = 0;
    while (n < Units && units[n] != u'\0') ++n;
    return Text(units.data(), n);
  }
  void Set(TextView text) {
    units.fill(u'\0');
    text.copy(units.data(), std::min(text.size(), MaxLength));
  }
};

struct DownloadParams {
  uint16_t minSizeKb = 0;        // 0 = no minimum
  uint16_t maxSizeKb = 0;        // 0 = no maximum
  uint16_t threadCount = 0;      // 1..15
  uint16_t timeoutSeconds = 0;   // 10 or more
};

// Option bits of a NamingRecord.
inline constexpr uint16_t OPT_FIX_FORMAT = 1;             // "修正图片格式"
inline constexpr uint16_t OPT_FIX_ORDER = 2;              // "修正图片顺序"
inline constexpr uint16_t OPT_SOURCE_NAMES = 4;           // "生成图片原始名文件"
inline constexpr uint16_t OPT_LIST_ONLY = 8;              // "只生成迅雷下载列表"
inline constexpr uint16_t OPT_OPEN_FOLDER = 16;           // "下载完成后打开保存路径"
inline constexpr uint16_t OPT_MAIN_PICTURES = 32;         // shops: main pictures only
inline constexpr uint16_t OPT_SKIP_DOWNLOADED = 64;       // "不下载以前下载过的图片"
inline constexpr uint16_t OPT_YUPOO_BIG = 128;            // Yupoo: big instead of full-size pictures
inline constexpr uint16_t OPT_DESCRIPTION_PICTURES = 256; // shops: description pictures only

// Base-name choices.
inline constexpr uint8_t BASE_DESCRIPTION = 0;  // "描述"
inline constexpr uint8_t BASE_NUMBER = 1;       // "序号"
inline constexpr uint8_t BASE_ADDRESS = 2;      // "网址"
// Album-folder choices.
inline constexpr uint8_t ALBUM_FOLDER_NAME = 0;  // "相册名"
inline constexpr uint8_t ALBUM_FOLDER_NONE = 1;  // "无"

// Naming texts hold 40 units on disk; the dialog stores at most 38 characters.
using NameText = FixedText<40, 38>;

struct NamingRecord {
  NameText filePrefix;
  NameText fileSuffix;
  NameText replaceFrom;   // "|"-separated
  NameText replaceWith;   // "|"-separated
  NameText folderPrefix;
  NameText folderSuffix;
  uint16_t optionFlags = 0;
  uint8_t baseName = BASE_DESCRIPTION;
  uint8_t albumFolder = ALBUM_FOLDER_NAME;
};

enum class HistoryList { Address, SavePath };

class SettingsFile {
 public:
  static constexpr int kSlots = 24;
  static constexpr int kHistoryEntries = 5;
  static constexpr size_t kHistoryUnits = 400;
  static constexpr size_t kFileSize = 19808;
  static constexpr char16_t kFileName[] = u"soft.dat";

  // Reads "soft.dat" from the folder (a missing or short file leaves the rest zero),
  // corrects invalid download parameters, applies the first-run defaults when there was
  // no file, and writes the file back.
  void Load(const Text& baseFolder);
  // Writes the block to a temporary file beside "soft.dat" and renames it over the old
  // one, so the file is never left half-written. False when it could not be written.
  bool Save() const;

  // Takes `text` as the newest entry of the list unless it is 400 characters or longer or
  // already there (ASCII case ignored); the oldest entry drops out.
  bool OfferHistory(HistoryList list, TextView text);
  // The non-empty entries, newest first.
  TextList History(HistoryList list) const;

  DownloadParams& Params(int slot) { return params_.at(slot); }
  const DownloadParams& Params(int slot) const { return params_.at(slot); }
  NamingRecord& Naming(int slot) { return naming_.at(slot); }
  const NamingRecord& Naming(int slot) const { return naming_.at(slot); }

 private:
  using HistoryText = FixedText<kHistoryUnits, kHistoryUnits - 1>;
  using HistoryEntries = std::array<HistoryText, kHistoryEntries>;

  HistoryEntries& Entries(HistoryList list) { return history_[static_cast<size_t>(list)]; }
  const HistoryEntries& Entries(HistoryList list) const {
    return history_[static_cast<size_t>(list)];
  }
  template <class Block, class Field>
  static void ForEachField(Block& block, Field&& field);
  Bytes Encode() const;
  void Decode(std::string_view image);
  void ApplyCorrections(bool firstRun);

  Text folder_;
  std::array<DownloadParams, kSlots> params_{};
  std::array<NamingRecord, kSlots> naming_{};
  std::array<HistoryEntries, 2> history_{};
};

}  // namespace zentrow
