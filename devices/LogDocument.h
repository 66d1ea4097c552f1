#pragma once
// One compiled log as a document: its header, the pages it has at a
// resolution, where each page shows which depths, and the drawing of a page
// onto any canvas. The viewer, printing, korvale-render, the fuzz drivers and
// the benchmarks all open a log and draw its pages through this class; the
// canvas device (logp_object) is its own.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/DrawSettings.h"
#include "core/LogHeader.h"
#include "core/TflFormat.h"
#include "devices/PageCount.h"
#include "devices/PageLayout.h"

class Libraries;
class PlotCookie;
class PlotObserver;
class logp_object;
namespace platform {
class Canvas;
}

// The pages of one log at one resolution: pure arithmetic on its header, no
// drawing. Pages are counted from 0; rows are pixel rows of a page.
class PageModel {
 public:
  int32_t resolution() const { return dpi_y_; }  // pixels per inch down (and text)
  int32_t resolution_x() const { return dpi_x_; }
  int32_t page_count() const { return last_page_ + 1; }
  int32_t last_page() const { return last_page_; }  // -1: nothing to show
  PageCountProblem problem() const { return problem_; }
  int32_t page_width_px() const { return page_width_px_; }
  int32_t page_height_px() const { return page_height_px_; }
  double scale_x() const { return scale_x_; }  // pixels per log unit across
  double scale_y() const { return scale_y_; }  // pixels per log unit down
  const tfl::Header& header() const { return header_; }

  // The viewer's rule: the first page shows the first-page header; later
  // pages of a paged log repeat the page header, those of an unpaged one not.
  PageKind screen_kind(int32_t index) const;
  // The print loop's rule: later pages repeat the page header when the
  // setting asks for it, whatever the log's own paged flag.
  PageKind printed_kind(int32_t index, bool repeat_page_header) const;

  // Where page `index` of kind `kind` puts its header, body and footer.
  // Throws RangeError for a layout beyond 32 bits.
  PageLayout layout(int32_t index, PageKind kind, const DrawSettings& settings) const;

  // The depths at the top row of the page's body and at its bottom edge
  // (the top of the next page's body): the body shows [top, bottom).
  struct Interval {
    double top, bottom;
  };
  Interval body_interval(int32_t index, PageKind kind, const DrawSettings& settings) const;
  // The depths of the log's own top (y_max) and bottom (y_min): the first
  // page's body may begin above the top, under its header, and the last
  // one's end below the bottom.
  Interval log_depths() const { return {-header_.y_max, -header_.y_min}; }

  // The depth read-out: the depth (or, with `elevation`, datum - depth) under
  // pixel row `row` of page `index`. NaN when the page cannot be laid out.
  double depth_at(int32_t index, PageKind kind, int32_t row, bool elevation,
                  const DrawSettings& settings) const;

  // The page (of its screen kind) and the body row whose read-out is
  // `value`, a depth or with `elevation` an elevation; nothing when no page's
  // body shows it. The inverse of depth_at: locating depth_at(p, k, r) gives
  // page p and row r for every body row r.
  struct Position {
    int32_t page;
    int32_t row;
  };
  std::optional<Position> locate(double value, bool elevation, const DrawSettings& settings) const;

 private:
  friend class LogDocument;

  tfl::Header header_{};
  int32_t dpi_x_ = 96, dpi_y_ = 96;
  double scale_x_ = 1, scale_y_ = 1;
  int32_t last_page_ = -1;
  int32_t page_width_px_ = 0, page_height_px_ = 0;
  PageCountProblem problem_ = PageCountProblem::None;
};

class LogDocument {
 public:
  struct OpenResult {
    enum Status {
      Ok,
      Unreadable,       // cannot be opened or read: message says why
      TooShort,         // ends inside its header record: message says why
      OldVersion,       // refused, and the notice given
      NotACompiledLog,  // refused, and the notice given
    } status = Ok;
    std::string message;
  };

  // Opens the log at `path` and checks its header; a refused header is
  // reported to `observer` (the old-version message or error 1033). Null
  // unless result.status is Ok.
  static std::unique_ptr<LogDocument> Open(const std::string& path, PlotObserver* observer,
                                           OpenResult& result);
  ~LogDocument();
  LogDocument(const LogDocument&) = delete;
  LogDocument& operator=(const LogDocument&) = delete;

  const std::string& path() const { return path_; }  // absolute
  const tfl::Header& header() const { return header_; }
  // The log was saved under `path` (a copy of the file): pages are read
  // from there from now on.
  void saved_as(const std::string& path) { path_ = path; }

  // Writes a new page size into the file's header block (the only change
  // the program makes to a log) and into this document's header, which keeps
  // it also when the write failed after the file was opened for it.
  // OpenFailed leaves both as they were.
  HeaderRewriteResult rewrite_page_size(double page_height, double page_width);

  // The pages at `dpi` pixels per inch both ways, counted there (the viewer:
  // the screen's resolution; korvale-render: its --dpi). Never throws: a
  // header without a page count gives one page and says so in problem().
  PageModel pages(int32_t dpi) const;
  // The pages of `base` (its page count) at another resolution: what
  // printing does, and what zooming will need. Throws RangeError when a page
  // of this size does not fit 32-bit pixels.
  PageModel pages_at(const PageModel& base, int32_t dpi_x, int32_t dpi_y) const;

  // Draws page `index` of `model` with the header section of `kind` onto
  // `canvas` (a printer canvas when canvas.IsPrinter()), with `settings` and
  // `libraries`, reporting to `cookie`. Reads the log from its file as it
  // is now. Throws FileError or RangeError when the page ends with an error
  // (what was drawn stays); the canvas is left without a clip.
  void plot(const PageModel& model, int32_t index, PageKind kind, platform::Canvas& canvas,
            const DrawSettings& settings, Libraries& libraries, PlotCookie& cookie) const;

 private:
  LogDocument(std::string path, const tfl::Header& header);

  std::string path_;
  tfl::Header header_;
  // The canvas device every page of this document is drawn with, made at
  // the first plot. What one replay leaves in it (the orientation size of
  // record 6) carries on to the next page, as on paper.
  mutable std::unique_ptr<logp_object> device_;
};

// Gives `device` the geometry of page `index` of `model` with `kind` and the
// settings to draw it with (the document's plot does this before each page).
void SetUpPage(logp_object& device, const PageModel& model, int32_t index, PageKind kind,
               const DrawSettings& settings);
