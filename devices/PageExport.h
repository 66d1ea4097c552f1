#pragma once
// Writing pages of a log to files, shared by the viewer's File > Export and
// korvale-render: PNG pictures (one a page, drawn as the screen draws them, at
// a chosen resolution), one PDF of vectors (through the print loop, as
// printing does) and SVG drawings (vectors, one a page).
#include <QImage>
#include <cstdint>
#include <string>

class Libraries;
class LogDocument;
class PageModel;
class PlotCookie;
class QPdfWriter;
struct DrawSettings;
struct PrintJobResult;

enum class ExportFormat { Png, Pdf, Svg, Unknown };

// By the name's suffix, in any case.
ExportFormat ExportFormatOf(const std::string& name);
// The file of page `page` (1-based): every "%d" in `pattern` becomes the
// page number.
std::string PageFileName(const std::string& pattern, int32_t page);

// Draws page `index` of `pages` (at its resolution, of its screen kind) into
// a new white RGB32 image that records that resolution. False when the page
// ended with an error (`image` holds what was drawn, `error` says why) or the
// image cannot be allocated (null image).
bool DrawPageImage(const LogDocument& document, const PageModel& pages, int32_t index,
                   const DrawSettings& settings, Libraries& libraries, PlotCookie& cookie,
                   QImage& image, std::string& error);

// Gives `writer` one output page of the log's page size, without margins, at
// `dpi`. False when the page size cannot be a PDF page.
bool SetUpPdfWriter(QPdfWriter& writer, double pageWidth, double pageLength, int32_t dpi);

// Pages first..last (0-based) with the page count of `count` into the PDF
// `path` titled `title`, printed at `dpi` through the print loop. Throws
// what the print loop throws; `result` tells how far it came. False (and
// `error`) when the page size cannot be a PDF page.
bool WritePdfPages(const LogDocument& document, const PageModel& count, const std::string& path,
                   const std::string& title, int32_t dpi, int32_t first, int32_t last,
                   bool repeatPageHeader, const DrawSettings& settings, Libraries& libraries,
                   PlotCookie& cookie, PrintJobResult& result, std::string& error);

// Page `index` of `pages` as an SVG drawing of vectors at the pages'
// resolution, into `path`. False (and `error`) when the page ended with an
// error (the file holds what was drawn) or cannot be written.
bool WriteSvgPage(const LogDocument& document, const PageModel& pages, int32_t index,
                  const std::string& path, const std::string& title,
                  const DrawSettings& settings, Libraries& libraries, PlotCookie& cookie,
                  std::string& error);
