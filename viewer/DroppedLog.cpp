#include "viewer/DroppedLog.h"

#include <QMimeData>
#include <QUrl>

std::string DroppedLogPath(const QMimeData* data) {
  if (!data || !data->hasUrls()) return {};
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    if (path.endsWith(".tfl", Qt::CaseInsensitive)) return path.toStdString();
  }
  return {};
}
