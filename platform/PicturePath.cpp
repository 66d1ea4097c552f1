#include "platform/PicturePath.h"

#include <QString>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

namespace platform {
namespace {

namespace fs = std::filesystem;

bool HasDriveLetter(const std::string& name) {
  return name.size() >= 2 && name[1] == ':' &&
         ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
}

bool Exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

// A regular file in path's folder whose name matches path's name but for
// case; the first such name in sorted order, so the choice is the same on
// every run.
std::optional<fs::path> CaseLooseMatch(const fs::path& path) {
  const QString wanted = QString::fromStdString(path.filename().string());
  if (wanted.isEmpty()) return std::nullopt;
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) return std::nullopt;
  std::optional<std::string> best;
  for (; it != fs::directory_iterator(); it.increment(error)) {
    if (error) break;
    const std::string entry = it->path().filename().string();
    if (QString::fromStdString(entry).compare(wanted, Qt::CaseInsensitive) != 0) continue;
    std::error_code kindError;
    if (!it->is_regular_file(kindError)) continue;
    if (!best || entry < *best) best = entry;
  }
  if (!best) return std::nullopt;
  return path.has_parent_path() ? path.parent_path() / *best : fs::path(*best);
}

}  // namespace

std::string FindPictureFile(const std::string& name, const std::string& logFolder) {
  std::string slashed = name;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  if (slashed.empty()) return slashed;

  const fs::path given(slashed);
  const bool inLogFolder = !logFolder.empty();
  // Candidates in the order they are tried.
  std::vector<fs::path> candidates;
  if (HasDriveLetter(slashed)) {
    // A Windows drive means nothing here: only the name's last part is used.
  } else if (given.is_absolute()) {
    candidates.push_back(given);
  } else {
    if (inLogFolder) candidates.push_back(fs::path(logFolder) / given);
    candidates.push_back(given);  // the working directory
  }
  const std::string base = slashed.substr(slashed.find_last_of(":/") + 1);
  if (inLogFolder && !base.empty()) {
    const fs::path beside = fs::path(logFolder) / base;
    if (std::find(candidates.begin(), candidates.end(), beside) == candidates.end())
      candidates.push_back(beside);
  }

  for (const fs::path& candidate : candidates) {
    if (Exists(candidate)) return candidate.string();
    if (const auto loose = CaseLooseMatch(candidate)) return loose->string();
  }
  return slashed;
}

}  // namespace platform
