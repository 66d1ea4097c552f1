// korvale-demo: writes a demonstration compiled log of one borehole.
//
//   korvale-demo OUT.tfl [--photo-name NAME]
//
// The core photograph is written as "core-photo.jpg" beside OUT.tfl. The
// log names it by NAME, by default "core-photo.jpg": a name without a folder
// is looked up beside the log, wherever the program runs.
#include <cstdio>
#include <exception>
#include <string>

#include "DemoLog.h"

namespace {
int Usage() {
  std::fprintf(stderr, "usage: korvale-demo OUT.tfl [--photo-name NAME]\n");
  return 2;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
}  // namespace

int main(int argc, char** argv) {
  demo::DemoOptions options;
  options.photo_name = "core-photo.jpg";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--photo-name" && i + 1 < argc) {
      options.photo_name = argv[++i];
    } else if (!arg.empty() && arg[0] != '-' && options.log_path.empty()) {
      options.log_path = arg;
    } else {
      return Usage();
    }
  }
  if (options.log_path.empty()) return Usage();
  if (options.photo_name.size() > 255) {
    std::fprintf(stderr, "korvale-demo: the photo name is longer than 255 characters\n");
    return 2;
  }
  options.photo_path = FolderOf(options.log_path) + "core-photo.jpg";
  try {
    demo::WriteDemo(options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvale-demo: %s\n", e.what());
    return 1;
  }
  return 0;
}
