#include "platform/RuntimeDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace platform {

void EnsureRuntimeDirectory() {
  if (std::getenv("XDG_RUNTIME_DIR")) return;
  std::string dir = "/tmp/korvale-runtime-" + std::to_string(getuid());
  if (::mkdir(dir.c_str(), 0700) != 0) {
    // It may exist already: use it only when it is ours and private.
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
        (st.st_mode & 077) != 0)
      return;
  }
  setenv("XDG_RUNTIME_DIR", dir.c_str(), 0);
}

}  // namespace platform
