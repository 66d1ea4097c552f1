#pragma once
// Where the main window opens: the place the settings remember (or the
// first-start place), made to fit the screen's available area so that no
// edge, scroll bar or status line is off the screen.
#include <QMargins>
#include <QRect>

namespace viewer {

// `wanted` moved and, where it is larger, shrunk so that it lies within
// `available` (the screen without its panels). An empty `available` leaves
// `wanted` as it is.
QRect FitOnScreen(const QRect& wanted, const QRect& available);

// The same for a window placed as Qt places one: `wanted` is its top-left
// corner (that of its frame) and the size of its inside; `frame` the window
// system's frame around that. The result is in the same terms, so that the
// window with its frame fits.
QRect FitWindowOnScreen(const QRect& wanted, const QMargins& frame, const QRect& available);

}  // namespace viewer
