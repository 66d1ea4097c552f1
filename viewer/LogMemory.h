#pragma once
// What the viewer remembers of the logs it showed, so that a log opened again
// shows the page it was left at: per absolute path, the page and the zoom in
// percent (100 until the view can zoom). The last kRememberedLogs logs are
// kept, the latest first, in the user's settings (viewer/ViewerSettings.h,
// array "Logs" of path, page (numbered from 1, as the page panel counts) and
// zoom).
#include <cstdint>
#include <optional>
#include <string>

namespace viewer {

constexpr int kRememberedLogs = 50;

struct LogPlace {
  int32_t page = 0;  // zero-based page index
  double zoom = 100;
};

std::optional<LogPlace> RememberedPlace(const std::string& path);
void RememberPlace(const std::string& path, const LogPlace& place);

// The page to show first when a log of lastPage + 1 pages is opened: the one
// it was left at, or the last page when the log is shorter now, else 0.
int32_t PageToReopen(const std::string& path, int32_t lastPage);

}  // namespace viewer
