#pragma once
// The viewer's own per-user values (the recent logs, what it remembers of
// each log) live beside "DesignerVisible" in the user's settings of the
// organisation "Quelmark", application "Tarnfel 2001"
// (~/.config/Quelmark/Tarnfel 2001.conf), in a group "Korvale" of their own.
#include <QSettings>

class TViewerSettings : public QSettings {
 public:
  TViewerSettings() : QSettings(QStringLiteral("Quelmark"), QStringLiteral("Tarnfel 2001")) {
    beginGroup(QStringLiteral("Korvale"));
  }
};
