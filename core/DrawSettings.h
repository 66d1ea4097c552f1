#pragma once
// The settings a page is drawn with, passed in as one value: the canvas
// device reads no process-wide settings while it draws.
#include <cstdint>
#include <string>

struct DrawSettings {
  // Coordinate limit of the page's rows: 0x3FFFFFFF - 1. (Old drawing systems
  // with a 16-bit range used 16382.)
  static constexpr int32_t kPixelLimitNT = 1073741822;
  static constexpr int32_t kPixelLimit95 = 16382;

  double header_gap = 0.25;         // inches below a repeated first-page header
  bool print_in_black = false;      // every pen black (printer canvases only)
  bool repeat_page_header = false;  // printed later pages repeat the page header;
                                    // paragraph lines move below a repeated header
  int32_t pixel_limit = kPixelLimitNT;  // rows of the body are clamped to +-limit
  std::string picture_folder;  // where relative picture names are looked up first
                               // (the log's own folder); empty: the working folder
  int32_t screen_ppi = 96;     // the screen's pixels per inch: the base of pen widths
};
