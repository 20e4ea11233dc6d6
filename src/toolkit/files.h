// File names and picture types: the small file-system operations that make names taken
// from web pages safe on disk, create folder paths, correct a picture's extension from its
// content, and write the UTF-16 diagnosis dumps.
//
// Paths are native POSIX paths held as Text with "/" as separator; NativePath turns them
// into the UTF-8 bytes the system calls take.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

#include "toolkit/text.h"

namespace zentrow {

// The number that makes SafeFileName fall back to a time-stamp name.
inline constexpr unsigned SAFE_NAME_TIMESTAMP = 65535;

// Cleans a name taken from a web page for use as a file or folder name: entities decoded,
// blank runs collapsed, characters the file systems refuse and every control character
// removed (a tab becomes "_"), dots and blanks trimmed off both ends. The result is never
// "." or "..", and holds no "/" and no U+0000. With `fallback`, an empty or over-long (1000 units or more) result becomes the
// time-stamp name of now (number SAFE_NAME_TIMESTAMP) or "pic<number>".
void SafeFileName(Text& text, unsigned number, bool fallback);

// Normalises a folder path in place (trimmed, "/" at the end) and creates every missing
// folder on it. When a folder cannot be created, or a non-folder stands in its place,
// `onError` receives that folder's path and the result is false.
bool MakeFolderPath(Text& path, const std::function<void(const Text&)>& onError = {});

// Gives a downloaded picture the extension its first bytes call for and renames it.
// On success `path` names the file as it now is; on failure the file and `path` stay as
// they were. A different file already holding the new name is never replaced.
bool FixPictureExtension(Text& path);

// The part from the last "." on is, in lower case, one of the picture extensions.
bool IsPictureName(TextView name);

// Local time as "%Y%m%d%H%M%S"; empty when the time cannot be converted.
Text TimestampName(std::time_t time);

// Set the access and modification times (seconds since 1970 UTC); nothing when t <= 0 or
// the path does not exist.
void SetFileTimes(TextView path, int64_t t);
void SetFolderTimes(TextView path, int64_t t);

// Creates or replaces the file with the UTF-16LE byte-order mark followed by `bytes`
// (callers pass UTF-16LE text); an empty path means "1.txt" in the current folder.
// Failures are ignored: these files are diagnosis dumps.
void WriteTextFile(TextView path, std::string_view bytes);
// The same with the text encoded as UTF-16LE.
void WriteTextFile(TextView path, TextView text);

// The UTF-8 bytes of a path for the system calls. A U+0000 in the path becomes U+FFFD, so
// the system sees the whole path the program checked, never a shorter one.
std::string NativePath(TextView path);
Text FromNativePath(std::string_view path);

// Something (file, folder, ...) exists at the path.
bool FileExists(TextView path);

}  // namespace zentrow
