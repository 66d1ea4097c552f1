#include "platform/XdgFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {
namespace {

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

bool IsAbsolute(const char* value) { return value && value[0] == '/'; }

}  // namespace

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (IsAbsolute(home)) return home;
  if (const passwd* account = ::getpwuid(::getuid()); account && IsAbsolute(account->pw_dir))
    return account->pw_dir;
  return "/";
}

std::string XdgFolder(const char* variable, const char* defaultBelowHome) {
  const char* value = std::getenv(variable);
  if (IsAbsolute(value)) return WithSlash(value);
  return WithSlash(HomeFolder()) + defaultBelowHome;
}

void DropRelativeXdgFolders() {
  for (const char* variable :
       {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
    const char* value = std::getenv(variable);
    if (value && !IsAbsolute(value)) ::unsetenv(variable);
  }
  for (const char* variable : {"XDG_CONFIG_DIRS", "XDG_DATA_DIRS"}) {
    const char* value = std::getenv(variable);
    if (!value) continue;
    std::string kept, entry;
    for (const char* c = value;; ++c) {
      if (*c && *c != ':') {
        entry += *c;
        continue;
      }
      if (entry.starts_with('/')) kept += (kept.empty() ? "" : ":") + entry;
      entry.clear();
      if (!*c) break;
    }
    if (kept.empty())
      ::unsetenv(variable);
    else if (kept != value)
      ::setenv(variable, kept.c_str(), 1);
  }
}

}  // namespace platform
