#pragma once
// The command line of korvale-render.
//
//   korvale-render [--dpi D] [--page N | --pages A-B | --all]
//                  [--patterns FILE] [--symbols FILE] [-o OUT] LOG.tfl
//   (OUT ending in ".pdf": all chosen pages in one PDF, printed as the
//   viewer prints them, at --dpi printer pixels per inch, default 600)
//   korvale-render --info [--dpi D] LOG.tfl
//   korvale-render --depth-at ROW [--elevation] [--page N] [--dpi D] LOG.tfl
//   korvale-render --trace [--page N] [--dpi D] LOG.tfl
//   korvale-render --find TEXT [--dpi D] LOG.tfl
//   korvale-render --thumbnail [-s SIZE] LOG.tfl OUT.png
//   (the first page scaled to fit SIZE x SIZE pixels, default 256, for file
//   managers; LOG may be a file:// URI)
//   korvale-render --help | --version
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RenderOptions {
  enum class Mode { Render, Info, DepthAt, Trace, Find, Thumbnail, Help, Version };
  Mode mode = Mode::Render;
  int32_t dpi = 96;
  bool dpi_given = false;  // --dpi was on the command line
  // Pages counted from 1. No range given: the first page.
  enum class Range { First, One, Span, All };
  Range range = Range::First;
  int32_t first_page = 1;
  int32_t last_page = 1;
  std::string patterns;  // empty: from the settings
  std::string symbols;
  std::string output;  // empty: <log base name>-p<N>.png in the current folder
  std::string log;
  int32_t depth_row = 0;
  bool elevation = false;
  std::string find_text;  // --find
  int32_t thumbnail_size = 256;  // pixels, the longer side of a thumbnail
};

// The local path of a file URI as file managers hand it to a thumbnailer:
// "file://" (or "file://localhost"), then an absolute path whose %XX escapes
// stand for single bytes (so a name that is not UTF-8 comes back as its own
// bytes). Nothing for a URI of another scheme or host, a query or fragment,
// a broken escape or an escaped NUL.
std::optional<std::string> FileUriPath(std::string_view uri);

// Parses argv; on a usage error returns nullopt with the reason in error.
std::optional<RenderOptions> ParseRenderOptions(const std::vector<std::string>& args,
                                                std::string& error);

// The PNG name of page `page` (1-based): OUT with "%d" replaced by the page
// number, or the default name. Call ValidateOutput first.
std::string OutputName(const RenderOptions& options, int32_t page);

// Whether OUT names a PDF file (all pages into one document).
bool IsPdfOutput(const RenderOptions& options);
bool IsSvgOutput(const RenderOptions& options);

// Printer pixels per inch of PDF output: --dpi, or 600.
int32_t PdfResolution(const RenderOptions& options);

// Checks OUT against the pages to draw: a ".pdf" name, or a ".png" name
// holding "%d" when there are several pages. Returns the reason of a usage error, or "".
std::string ValidateOutput(const RenderOptions& options, int32_t page_count);

// Pixels per inch that draw a page of width x length inches at about twice
// the thumbnail's size (the picture is then scaled down smoothly), from 1 to
// 300.
int32_t ThumbnailDpi(int32_t size, double width, double length);

extern const char* const kRenderUsage;
