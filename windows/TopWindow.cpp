#include "windows/TopWindow.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "windows/WindowRequests.h"

namespace platform {
namespace {

TopLevelWindowFinder g_finder = nullptr;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// "TTarnfel" -> "tarnfel": the program name inside a window class name.
std::string ProgramNameOfClass(const std::string& className) {
  std::string name = className;
  if (name.size() > 1 && (name[0] == 'T' || name[0] == 't')) name.erase(0, 1);
  return Lower(name);
}

// Whether the process runs as this user (its windows are on this user's
// desktop).
bool OwnProcess(const std::filesystem::path& procEntry) {
  struct stat st {};
  return ::stat(procEntry.c_str(), &st) == 0 && st.st_uid == ::getuid();
}

bool PublishesWindow(long pid) {
  const std::optional<std::string> socket = WindowSocketPath(pid);
  struct stat st {};
  return socket && ::lstat(socket->c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

std::optional<TopLevelWindow> FindProcess(const std::string& className) {
  const std::string wanted = ProgramNameOfClass(className);
  if (wanted.empty()) return std::nullopt;
  const long self = static_cast<long>(getpid());
  std::optional<TopLevelWindow> found;
  std::error_code ec;
  std::filesystem::directory_iterator entries("/proc", ec), end;
  for (; !ec && entries != end; entries.increment(ec)) {
    const std::filesystem::path& entry = entries->path();
    const std::string pidText = entry.filename().string();
    if (pidText.empty() ||
        !std::all_of(pidText.begin(), pidText.end(), [](unsigned char c) { return std::isdigit(c); }))
      continue;
    const long pid = std::strtol(pidText.c_str(), nullptr, 10);
    if (pid == self || !OwnProcess(entry)) continue;
    std::ifstream comm(entry / "comm");
    std::string name;
    if (!comm || !std::getline(comm, name)) continue;  // the process has ended
    if (Lower(name).rfind(wanted, 0) != 0) continue;
    if (PublishesWindow(pid)) return TopLevelWindow{pid, name};
    if (!found) found = TopLevelWindow{pid, name};
  }
  return found;
}

}  // namespace

std::optional<TopLevelWindow> FindTopLevelWindow(const std::string& className) {
  return g_finder ? g_finder(className) : FindProcess(className);
}

bool RestoreTopLevelWindow(const TopLevelWindow& window) {
  return RequestWindowToFront(window.processId);
}

void SetTopLevelWindowFinderForTests(TopLevelWindowFinder finder) { g_finder = finder; }

}  // namespace platform
