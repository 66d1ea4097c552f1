// Target: the bytes as the user's settings file (the INI file of the viewer's
// group "Korvale"), read as the viewer reads its recent logs and remembered
// logs. Whatever the file holds, both lists stay within their sizes and hold
// only storable paths, each once, with pages from 1 and zooms in range; and
// reading takes no longer than the file is long.
#include <QSettings>
#include <QString>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzDrivers.h"
#include "fuzz/FuzzEnvironment.h"
#include "viewer/LogMemory.h"
#include "viewer/RecentLogs.h"
#include "viewer/ViewerSettings.h"
#include "viewer/Zoom.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzzenv::Initialize(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A new name for every input: QSettings keeps files it has read by name.
  static unsigned long count = 0;
  const std::string path = fuzzenv::Env().work + "settings-" + std::to_string(++count) + ".conf";
  fuzzdrv::WriteFile(path, std::span(data, size));
  {
    QSettings settings(QString::fromStdString(path), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Korvale"));
    QStringList recent = viewer::ReadRecentLogs(settings);
    if (recent.size() > viewer::kRecentLogCount || recent.removeDuplicates() != 0) std::abort();
    for (const QString& p : recent)
      if (!IsStorableLogPath(p)) std::abort();
    const auto logs = viewer::ReadRememberedLogs(settings);
    if (logs.size() > static_cast<std::size_t>(viewer::kRememberedLogs)) std::abort();
    for (std::size_t i = 0; i < logs.size(); ++i) {
      const viewer::RememberedLog& log = logs[i];
      if (!IsStorableLogPath(log.path) || log.place.page < 0 ||
          !std::isfinite(log.place.zoom) || log.place.zoom < viewer::kMinZoom ||
          log.place.zoom > viewer::kMaxZoom)
        std::abort();
      for (std::size_t k = 0; k < i; ++k)
        if (logs[k].path == log.path) std::abort();
    }
  }
  std::remove(path.c_str());
  return 0;
}
