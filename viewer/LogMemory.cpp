#include "viewer/LogMemory.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "support/PlainSettingsFile.h"
#include "viewer/ViewerSettings.h"
#include "viewer/Zoom.h"

namespace viewer {
namespace {

const QString kArray = QStringLiteral("Logs");

using Entry = RememberedLog;

}  // namespace

std::vector<RememberedLog> ReadRememberedLogs(QSettings& settings) {
  if (!IsPlainSettingsFile(settings.fileName())) return {};
  std::vector<Entry> entries;
  const int count = std::min(settings.beginReadArray(kArray), kRememberedLogsRead);
  for (int i = 0; i < count && int(entries.size()) < kRememberedLogs; ++i) {
    settings.setArrayIndex(i);
    Entry e;
    e.path = settings.value("path").toString();
    bool pageOk = false, zoomOk = false;
    const qlonglong page = settings.value("page").toLongLong(&pageOk);
    const double zoom = settings.value("zoom", 100.0).toDouble(&zoomOk);
    if (!IsStorableLogPath(e.path) || !pageOk || page < 1 || page > INT32_MAX) continue;
    if (std::any_of(entries.begin(), entries.end(), [&](const Entry& o) { return o.path == e.path; }))
      continue;  // the first, latest, one holds
    e.place.page = static_cast<int32_t>(page - 1);
    e.place.zoom = zoomOk ? ClampZoom(zoom) : 100.0;
    entries.push_back(e);
  }
  settings.endArray();
  return entries;
}

namespace {

void Write(QSettings& settings, const std::vector<Entry>& entries) {
  settings.remove(kArray);
  settings.beginWriteArray(kArray, static_cast<int>(entries.size()));
  for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
    settings.setArrayIndex(i);
    settings.setValue("path", entries[i].path);
    settings.setValue("page", qlonglong{entries[i].place.page} + 1);
    settings.setValue("zoom", entries[i].place.zoom);
  }
  settings.endArray();
}

}  // namespace

std::optional<LogPlace> RememberedPlace(const std::string& path) {
  TViewerSettings settings;
  const QString key = QString::fromStdString(path);
  for (const Entry& e : ReadRememberedLogs(settings))
    if (e.path == key) return e.place;
  return std::nullopt;
}

void RememberPlace(const std::string& path, const LogPlace& place) {
  TViewerSettings settings;
  if (!IsPlainSettingsFile(settings.fileName())) return;  // not ours to rewrite
  std::vector<Entry> entries = ReadRememberedLogs(settings);
  const QString key = QString::fromStdString(path);
  if (!entries.empty() && entries.front().path == key &&
      entries.front().place.page == place.page && entries.front().place.zoom == place.zoom)
    return;  // nothing new: the file is not written
  std::erase_if(entries, [&](const Entry& e) { return e.path == key; });
  entries.insert(entries.begin(), Entry{key, place});
  if (entries.size() > kRememberedLogs) entries.resize(kRememberedLogs);
  Write(settings, entries);
}

int32_t PageToReopen(const std::string& path, int32_t lastPage) {
  const auto place = RememberedPlace(path);
  if (!place || lastPage < 0) return 0;
  return std::clamp(place->page, 0, lastPage);
}

}  // namespace viewer
