#pragma once

#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "toolkit/codepage.h"

namespace zentrow::test {

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fresh folder under the system's temporary directory, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zentrow-test-XXXXXX").string();
    // Thrown, a failure fails the test that builds the folder instead of letting it write elsewhere.
    if (::mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category(), pattern);
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder as engine text, ending with "/".
  Text text() const { return FromUtf8(path_.string() + "/"); }

  // `name` is relative to the folder and may hold sub-folders.
  std::filesystem::path File(std::string_view name) const { return path_ / name; }
  Text FileText(std::string_view name) const { return text() + FromUtf8(name); }
  void Write(std::string_view name, std::string_view bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
  }
  std::string Read(std::string_view name) const { return ReadFile(File(name)); }

  // The names directly in the folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace zentrow::test
