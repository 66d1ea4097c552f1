#pragma once
// Helpers for the canvas device tests: small compiled logs written with
// TflWriter, pattern and symbol libraries of our own, and a device that
// draws one page into a QImage.
//
// The default header uses 96 units per inch both ways, so at 96 dpi one file
// unit is one pixel: x maps to column x, and (with no header section) y maps
// to row y_max - y.
#include <QImage>
#include <array>
#include <memory>
#include <functional>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "core/Libraries.h"
#include "core/TflWriter.h"
#include "devices/LogDocument.h"
#include "devices/NoticeBox.h"
#include "devices/logp_object.h"

namespace devtest {

// 8.5 x 11 inch page, body y from 0 to 1000, no header, no footer, unpaged.
tfl::Header PixelHeader();

struct PatternDef {
  uint16_t width = 10, height = 10;
  std::vector<std::array<int8_t, 4>> strokes;
};
struct SymbolDef {
  std::vector<std::array<int8_t, 4>> strokes;
};

// Libraries owned by the device that draws with them.
struct OwnLibraries {
  OwnLibraries(const LibraryPaths& paths, PlotCookie& cookie) : own_libraries(paths, cookie) {}
  Libraries own_libraries;
};

// A device with libraries of its own whose mapping helpers are open to the
// tests.
class TestDevice : private OwnLibraries, public logp_object {
 public:
  TestDevice(const LibraryPaths& paths, PlotCookie& cookie)
      : OwnLibraries(paths, cookie), logp_object(own_libraries) {}
  using logp_object::px;
  using logp_object::row;
  using logp_object::section_row;
  using logp_object::unclamped_row;
};

class Fixture {
 public:
  Fixture();
  // Libraries: pattern n = patterns[n]; symbol n = symbols[n] (0 unused).
  void SetPatterns(const std::vector<PatternDef>& patterns);
  void SetSymbols(const std::vector<SymbolDef>& symbols);
  // Writes the log and returns its path.
  std::string WriteLog(const tfl::Header& header,
                       const std::function<void(tfl::TflWriter&)>& body);

  // Opens `log` as a document (null when its header is refused).
  std::unique_ptr<LogDocument> Open(const std::string& log);
  // A device with page `index` of `log` at `dpi` laid out as the document
  // lays it out for drawing (the page model's geometry and page count, the
  // screen's page kind, `settings`). Its libraries are opened from the
  // fixture's files.
  std::unique_ptr<TestDevice> Probe(const std::string& log, int index = 0, int dpi = 96);
  // Draws page `index` of `log` through its document into a fresh white
  // image at `dpi` (a printer canvas with `printer`; `setup` may give the
  // canvas rules first), with libraries opened from the fixture's files (a
  // missing one shows its box). Errors from plot propagate after the image
  // is complete.
  QImage Render(const std::string& log, int index = 0, int dpi = 96, bool printer = false,
                const std::function<void(platform::Canvas&)>& setup = {});

  // As Render, but a failure of plot is returned as its message ("" when the
  // page drew) together with what was drawn.
  QImage RenderKeepingError(const std::string& log, std::string& error, int index = 0,
                            int dpi = 96, bool printer = false,
                            const std::function<void(platform::Canvas&)>& setup = {});

  // What the devices draw with; notices show as the program's message boxes.
  DrawSettings settings;
  NoticeBoxObserver observer;
  PlotCookie cookie{&observer};

  QImage last_image;
  // The pages and the layout of the page of the last Render.
  PageModel last_pages;
  PageLayout last_layout;
  testfiles::TempDir dir;
  std::string pattern_path, symbol_path;
  int log_number = 0;
};

// Colour of a pixel as 0xRRGGBB (QRgb without alpha).
uint32_t Pixel(const QImage& image, int x, int y);
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
// Number of non-white pixels in a rectangle (all of the image by default).
int InkCount(const QImage& image, int left = 0, int top = 0, int right = -1, int bottom = -1);

// Record helpers.
tfl::VectorRecord Vec(double x1, double y1, double x2, double y2);
tfl::ColorRecord Color(int32_t c);
tfl::PenWidthRecord PenWidth(int32_t w);
tfl::PenStyleRecord PenStyle(uint8_t s);

}  // namespace devtest
