// zentrow-cli: the command-line front end of the album downloader.
#include <cstdio>
#include <cstring>

namespace {

void PrintUsage() {
  std::puts(
      "Usage: zentrow-cli [options] ADDRESS\n"
      "\n"
      "Lists the albums of ADDRESS (an album or home-page address, or a QQ number)\n"
      "and downloads them.\n"
      "\n"
      "Options:\n"
      "  --help       show this text and exit\n"
      "  --version    show the program version and exit\n"
      "\n"
      "Listing and downloading arrive with the engine; this build offers the options above.");
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      PrintUsage();
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::puts("zentrow-cli 0.1.0");
      return 0;
    }
  }
  PrintUsage();
  return argc > 1 ? 2 : 0;
}
