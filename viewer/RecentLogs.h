#pragma once
// File > Open Recent: the last logs shown, newest first, by absolute path,
// kept in the user's settings (viewer/ViewerSettings.h, key "RecentLogs") so
// that the list outlives the program.
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

class QMenu;
class QSettings;

namespace viewer {

constexpr int kRecentLogCount = 10;

std::vector<std::string> RecentLogs();
// The list as settings (in the viewer's group) hold it: at most
// kRecentLogCount storable paths (IsStorableLogPath), each once, in their
// order; anything else is skipped, and no more than kRecentLogsRead entries
// are looked at. A settings file that is not plain
// (support/PlainSettingsFile.h) gives none, and is not written.
constexpr int kRecentLogsRead = 10 * kRecentLogCount;
QStringList ReadRecentLogs(QSettings& settings);
// Puts path at the top of the list (once), dropping what falls off the end.
void AddRecentLog(const std::string& path);
void RemoveRecentLog(const std::string& path);
void ClearRecentLogs();

// A menu entry: "&1 name", the accelerator counting from 1 (10 is "1&0");
// a file name that two entries share is followed by its folder (the home
// folder written "~"). The tip is the whole path.
struct RecentEntry {
  QString text;
  QString tip;
  std::string path;
};
std::vector<RecentEntry> RecentMenuEntries(const std::vector<std::string>& paths);

// Fills menu with the recent logs and "Clear List"; an empty list disables
// the menu. open runs for the entry chosen.
void FillRecentMenu(QMenu* menu, const std::function<void(const std::string&)>& open);

// When path no longer exists: says so, removes it from the list and returns
// true. A path that cannot be looked at (a folder without access) stays:
// opening it says why.
bool DropMissingRecentLog(const std::string& path);

}  // namespace viewer
