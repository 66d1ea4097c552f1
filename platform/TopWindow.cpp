#include "platform/TopWindow.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

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

std::optional<TopLevelWindow> FindProcess(const std::string& className) {
  const std::string wanted = ProgramNameOfClass(className);
  if (wanted.empty()) return std::nullopt;
  const long self = static_cast<long>(getpid());
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string pidText = entry.path().filename().string();
    if (pidText.empty() ||
        !std::all_of(pidText.begin(), pidText.end(), [](unsigned char c) { return std::isdigit(c); }))
      continue;
    const long pid = std::strtol(pidText.c_str(), nullptr, 10);
    if (pid == self) continue;
    std::ifstream comm(entry.path() / "comm");
    std::string name;
    if (!comm || !std::getline(comm, name)) continue;  // the process has ended
    if (Lower(name).rfind(wanted, 0) == 0) return TopLevelWindow{pid, name};
  }
  return std::nullopt;
}

}  // namespace

std::optional<TopLevelWindow> FindTopLevelWindow(const std::string& className) {
  return g_finder ? g_finder(className) : FindProcess(className);
}

bool RestoreTopLevelWindow(const TopLevelWindow&) { return false; }

void SetTopLevelWindowFinderForTests(TopLevelWindowFinder finder) { g_finder = finder; }

}  // namespace platform
