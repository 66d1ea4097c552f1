#include "platform/Cursor.h"

#include <QGuiApplication>

namespace platform {

void RestoreDefaultCursor() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}

}  // namespace platform
