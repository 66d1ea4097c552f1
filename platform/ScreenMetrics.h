#pragma once
// The primary screen's size and logical resolution, as the settings defaults
// size the main window from them.
namespace platform {

struct ScreenMetrics {
  int width = 1024;        // pixels
  int height = 768;        // pixels
  int pixelsPerInch = 96;  // logical dots per inch, rounded
};

// The primary screen; the values above when there is no GUI application or
// no screen (command-line tools) or the screen reports no usable resolution.
ScreenMetrics PrimaryScreenMetrics();

}  // namespace platform
