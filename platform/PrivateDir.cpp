#include "platform/PrivateDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace platform {

namespace {

// Without trailing slashes: "dir/" would make lstat follow a link named dir.
std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

bool IsPrivateDirectory(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::lstat(WithoutTrailingSlashes(path).c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 0777) == 0700;
}

std::string MakePrivateDirectory(const std::string& parent, const std::string& name) {
  if (parent.empty() || name.empty()) return {};
  const std::string base = WithoutTrailingSlashes(parent);
  const std::string wanted = (base == "/" ? "" : base) + "/" + name;
  // mkdir never follows a link at its last component: it fails with EEXIST.
  // A folder made now gets its mode whatever the umask took away.
  if (::mkdir(wanted.c_str(), 0700) == 0) ::chmod(wanted.c_str(), 0700);
  if (IsPrivateDirectory(wanted)) return wanted;
  std::string pattern = wanted + "-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!::mkdtemp(buffer.data())) return {};
  return std::string(buffer.data());
}

}  // namespace platform
