#pragma once
// The viewer's own per-user values (the recent logs, what it remembers of
// each log) live beside "DesignerVisible" in the user's settings of the
// organisation "Quelmark", application "Tarnfel 2001"
// (~/.config/Quelmark/Tarnfel 2001.conf), in a group "Korvale" of their own.
#include <QSettings>
#include <QString>

class TViewerSettings : public QSettings {
 public:
  TViewerSettings() : QSettings(QStringLiteral("Quelmark"), QStringLiteral("Tarnfel 2001")) {
    beginGroup(QStringLiteral("Korvale"));
  }
};

// A log's path as the settings may keep it: absolute, without NUL, at most
// kStoredPathLength characters (longer than any path the system opens).
// Anything else in the settings file is not ours and is skipped.
constexpr qsizetype kStoredPathLength = 4096;
inline bool IsStorableLogPath(const QString& path) {
  return path.startsWith(u'/') && path.size() <= kStoredPathLength && !path.contains(QChar(0));
}
