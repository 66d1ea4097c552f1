#pragma once
// The print loop shared by the main window's Print command and by
// korvale-render's PDF output: points a canvas device at a QPrinter (a CUPS
// printer or a PDF file), draws a range of log pages one printer page each
// through the same Canvas as the screen, and ends the document.
#include <cstdint>
#include <functional>
#include <string>

#include "devices/PageLayout.h"

class QPrinter;
class PlotCookie;
class logp_object;

namespace viewer {

// The header kind of a printed page: 1 for the log's first page; later pages
// repeat the page header (2) when the setting asks for it, else 0.
PageKind PrintedPageKind(int32_t page_index, bool repeat_page_header);

struct PrintJobResult {
  int32_t pages_printed = 0;
  bool cancelled = false;
};

// Prints pages first_index..last_index (zero-based, in order) of the log at
// `path` whose header the device holds (last_page counted).
//
// The device is retargeted to the printer: its canvas draws on the printer
// (marked as a printer canvas, its nearest colours those of the printer's
// colour mode), canvas font and device resolution dpi_y,
// scales and page size in printer pixels. The document carries `title`.
// A new printer page is started only when another log page follows, so a job
// cancelled between pages leaves no blank sheet.
//
// The document is ended before this returns, also when drawing a page throws
// (the error is passed on). The device is left on the ended printer canvas:
// the caller points it back at its own target.
// `cookie` gets the job's status lines ("Printing page 2...") and those of
// each page's replay, and is asked before each page whether to stop (the
// pages printed stay).
// Throws std::runtime_error when the job cannot begin (no output, no printer).
PrintJobResult PrintPages(logp_object& device, const std::string& path, QPrinter& printer, int32_t dpi_x, int32_t dpi_y,
                          int32_t first_index, int32_t last_index, bool repeat_page_header,
                          const std::string& title, PlotCookie& cookie);

// Called after each page is drawn with its zero-based index (tests use it to
// cancel or break the job between pages). nullptr: none.
void SetPagePrintedHookForTests(std::function<void(int32_t page_index)> hook);

}  // namespace viewer
