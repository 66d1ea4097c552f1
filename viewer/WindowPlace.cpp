#include "viewer/WindowPlace.h"

#include <algorithm>

namespace viewer {

QRect FitOnScreen(const QRect& wanted, const QRect& available) {
  if (available.isEmpty()) return wanted;
  const int width = std::min(wanted.width(), available.width());
  const int height = std::min(wanted.height(), available.height());
  const int left = std::clamp(wanted.left(), available.left(), available.right() + 1 - width);
  const int top = std::clamp(wanted.top(), available.top(), available.bottom() + 1 - height);
  return QRect(left, top, width, height);
}

QRect FitWindowOnScreen(const QRect& wanted, const QMargins& frame, const QRect& available) {
  const QSize outside = wanted.size().grownBy(frame);
  const QRect fitted = FitOnScreen(QRect(wanted.topLeft(), outside), available);
  return QRect(fitted.topLeft(), fitted.size().shrunkBy(frame));
}

}  // namespace viewer
