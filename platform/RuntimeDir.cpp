#include "platform/RuntimeDir.h"

#include <unistd.h>

#include <QDir>

#include <cstdlib>
#include <string>

#include "platform/PrivateDir.h"

namespace platform {

void EnsureRuntimeDirectory() {
  const char* set = std::getenv("XDG_RUNTIME_DIR");
  if (set && set[0] == '/') return;  // a relative one is no runtime folder
  const std::string dir =
      MakePrivateDirectory(QDir::tempPath().toStdString(), "korvale-runtime-" + std::to_string(getuid()));
  if (!dir.empty()) setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
}

}  // namespace platform
