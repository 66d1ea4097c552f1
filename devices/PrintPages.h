#pragma once
// The print loop shared by the viewer's Print command and korvale-render's
// PDF output: draws a range of log pages, one page of a paged output each (a
// QPrinter on a CUPS printer or a PDF file, or a QPdfWriter), through the
// same canvas device as the screen, and ends the document.
#include <cstdint>
#include <functional>
#include <string>

class Libraries;
class LogDocument;
class PageModel;
class PlotCookie;
class QPagedPaintDevice;
struct DrawSettings;

struct PrintJob {
  int32_t dpi_x = 0, dpi_y = 0;     // the output's pixels per inch
  int32_t first = 0, last = 0;      // zero-based page indexes, printed in order
  bool repeat_page_header = false;  // later pages repeat the page header
  bool grayscale = false;           // the output prints grey levels (the ink rule asks)
  std::string output_name;          // named when the job cannot begin
};

struct PrintJobResult {
  int32_t pages_printed = 0;
  bool cancelled = false;
  int32_t page = -1;  // the page being printed (the one that failed), -1 before the first
};

// Prints pages job.first..job.last of `document`, with the page count of
// `base` (the viewer's), at the output's resolution: the canvas on `output`
// is a printer canvas whose nearest colours are those of a colour or a
// grey-scale printer. A new output page is started only when another log
// page follows, so a job cancelled between pages leaves no blank sheet.
// `cookie` gets the status lines ("Printing page 2...") and those of each
// page's replay, and is asked before each page whether to stop (the pages
// printed stay). The output's title is the caller's to set.
//
// The document is ended before this returns, also when drawing a page throws
// (the error is passed on; `result` tells how far the job came). Throws
// std::runtime_error when the job cannot begin (no resolution, nowhere to
// print).
void PrintPages(const LogDocument& document, const PageModel& base, QPagedPaintDevice& output,
                const PrintJob& job, const DrawSettings& settings, Libraries& libraries,
                PlotCookie& cookie, PrintJobResult& result);

// Called after each page is drawn with its zero-based index (tests use it to
// cancel or break the job between pages). nullptr: none.
void SetPagePrintedHookForTests(std::function<void(int32_t page_index)> hook);
