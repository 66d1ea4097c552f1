#include "platform/RuntimeDir.h"

#include <unistd.h>

#include <QDir>

#include <cstdlib>
#include <string>

#include "platform/PrivateDir.h"

namespace platform {

void EnsureRuntimeDirectory() {
  if (std::getenv("XDG_RUNTIME_DIR")) return;
  const std::string dir =
      MakePrivateDirectory(QDir::tempPath().toStdString(), "korvale-runtime-" + std::to_string(getuid()));
  if (!dir.empty()) setenv("XDG_RUNTIME_DIR", dir.c_str(), 0);
}

}  // namespace platform
