#pragma once
// What the viewer remembers of the logs it showed, so that a log opened again
// shows the page it was left at: per absolute path, the page and the zoom in
// percent (100 until the view can zoom). The last kRememberedLogs logs are
// kept, the latest first, in the user's settings (viewer/ViewerSettings.h,
// array "Logs" of path, page (numbered from 1, as the page panel counts) and
// zoom).
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QSettings;

namespace viewer {

constexpr int kRememberedLogs = 50;

struct LogPlace {
  int32_t page = 0;  // zero-based page index
  double zoom = 100;
};

struct RememberedLog {
  QString path;
  LogPlace place;
};

// The remembered logs as settings (in the viewer's group) hold them, latest
// first: at most kRememberedLogs, each with a storable path
// (IsStorableLogPath), a page from 1 and a zoom within the view's range (100
// when missing or no number). Other entries are skipped; no more than
// kRememberedLogsRead entries are looked at, whatever size the array claims.
// A settings file that is not plain (support/PlainSettingsFile.h) gives none.
constexpr int kRememberedLogsRead = 4 * kRememberedLogs;
std::vector<RememberedLog> ReadRememberedLogs(QSettings& settings);

std::optional<LogPlace> RememberedPlace(const std::string& path);
void RememberPlace(const std::string& path, const LogPlace& place);

// The page to show first when a log of lastPage + 1 pages is opened: the one
// it was left at, or the last page when the log is shorter now, else 0.
int32_t PageToReopen(const std::string& path, int32_t lastPage);

}  // namespace viewer
