// korvale-render: draws pages of a compiled log as the viewer shows them,
// without a display, into PNG files or, printed as the viewer prints them,
// into one PDF file. Exit codes: 0 every requested page drew; 1 the file is
// not a compiled log or a page ended with an error (its PNG is still written
// with what was drawn); 2 a usage error or a file that cannot be read.
// --thumbnail draws the first page for a file manager's thumbnail.
#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "HeaderJson.h"
#include "RenderOptions.h"
#include "RenderSettings.h"
#include "core/Interpreter.h"
#include "core/Libraries.h"
#include "core/TraceDevice.h"
#include "devices/LogDocument.h"
#include "devices/NoticeBox.h"
#include "devices/PageExport.h"
#include "devices/PrintPages.h"
#include "devices/SettingsValue.h"
#include "devices/TextIndex.h"
#include "devices/logp_object.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeDir.h"
#include "support/Paths.h"
#include "support/Settings.h"
#include "platform/VersionStamp.h"
#include "platform/XdgFolders.h"

// The version that --version prints (project(VERSION) in the top CMakeLists.txt).
KORVALE_VERSION_STAMP(KORVALE_VERSION_MAJOR, KORVALE_VERSION_MINOR, KORVALE_VERSION_PATCH,
                      KORVALE_VERSION_TWEAK)

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

int UsageError(const std::string& reason) {
  std::fprintf(stderr, "korvale-render: %s\n%s", reason.c_str(), kRenderUsage);
  return kUsage;
}

// Opens the log and reads its header. Returns kOk with the document, kFailed
// (not a compiled log) or kUsage (cannot be read).
int OpenDocument(const std::string& path, PlotObserver& observer,
                 std::unique_ptr<LogDocument>& document) {
  LogDocument::OpenResult result;
  document = LogDocument::Open(path, &observer, result);
  switch (result.status) {
    case LogDocument::OpenResult::Ok: return kOk;
    case LogDocument::OpenResult::TooShort:
      std::fprintf(stderr, "korvale-render: %s: not a compiled log (too short)\n", path.c_str());
      return kFailed;
    case LogDocument::OpenResult::Unreadable:
      std::fprintf(stderr, "korvale-render: %s: cannot be read: %s\n", path.c_str(),
                   result.message.c_str());
      return kUsage;
    case LogDocument::OpenResult::OldVersion:
    case LogDocument::OpenResult::NotACompiledLog:
      // The observer has said why; this is what it means here.
      std::fprintf(stderr, "korvale-render: %s: not a compiled log\n", path.c_str());
      return kFailed;
  }
  return kFailed;
}

// The folder an output file goes to is made when it is missing (a failure
// shows when the file cannot be written).
void MakeOutputFolder(const std::string& file) {
  const std::filesystem::path folder = std::filesystem::path(file).parent_path();
  if (folder.empty()) return;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
}

// What every page is drawn with: the document, its pages at the drawing
// resolution, the settings and the libraries.
struct Drawing {
  const LogDocument& document;
  const PageModel& pages;
  const DrawSettings& settings;
  Libraries& libraries;
};

// Draws page `page` (1-based) into image. False when the page ended with an
// error (the image holds what was drawn) or is too large to allocate (null
// image).
bool DrawPage(const Drawing& d, int32_t page, QImage& image) {
  NoticeBoxObserver observer;
  PlotCookie cookie(&observer);
  std::string error;
  if (DrawPageImage(d.document, d.pages, page - 1, d.settings, d.libraries, cookie, image, error))
    return true;
  std::fprintf(stderr, "korvale-render: page %d: %s\n", page, error.c_str());
  return false;
}

// One page into an SVG file. False when the page ended with an error.
bool RenderSvgPage(const Drawing& d, const RenderOptions& o, int32_t page) {
  const std::string name = OutputName(o, page);
  MakeOutputFolder(name);
  NoticeBoxObserver observer;
  PlotCookie cookie(&observer);
  std::string error;
  if (WriteSvgPage(d.document, d.pages, page - 1, name, o.log, d.settings, d.libraries, cookie,
                   error))
    return true;
  std::fprintf(stderr, "korvale-render: page %d: %s\n", page, error.c_str());
  return false;
}

// One page into a PNG. False when the page ended with an error.
bool RenderPage(const Drawing& d, const RenderOptions& o, int32_t page) {
  QImage image;
  const bool ok = DrawPage(d, page, image);
  if (image.isNull()) return false;
  const std::string name = OutputName(o, page);
  MakeOutputFolder(name);
  if (!image.save(QString::fromStdString(name), "PNG")) {
    std::fprintf(stderr, "korvale-render: cannot write %s\n", name.c_str());
    return false;
  }
  return ok;
}

// The first page, scaled to fit thumbnail_size pixels both ways, into OUT as
// PNG whatever its name (file managers hand over temporary names). A page that
// ended with an error (a picture missing beside a log copied alone) still
// gives the thumbnail of what it drew: a file manager shows nothing at all for
// a thumbnailer that fails.
int RenderThumbnail(const Drawing& d, const RenderOptions& o) {
  QImage image;
  DrawPage(d, 1, image);
  if (image.isNull()) return kFailed;
  const QImage thumbnail = image.scaled(o.thumbnail_size, o.thumbnail_size, Qt::KeepAspectRatio,
                                        Qt::SmoothTransformation);
  if (!thumbnail.save(QString::fromStdString(o.output), "PNG")) {
    std::fprintf(stderr, "korvale-render: cannot write %s\n", o.output.c_str());
    return kFailed;
  }
  return kOk;
}

// The page count of PDF output is the viewer's, counted at this resolution
// (a common screen's), whatever resolution the pages are printed at.
constexpr int32_t kViewerCountDpi = 96;

// Pages first..last (1-based) of `count`'s page count into one PDF, through
// the viewer's print loop.
int RenderPdf(const LogDocument& document, const PageModel& count, const RenderOptions& o,
              int32_t first, int32_t last, const DrawSettings& settings, Libraries& libraries) {
  NoticeBoxObserver observer;
  PlotCookie cookie(&observer);
  PrintJobResult result;
  std::string error;
  try {
    if (!WritePdfPages(document, count, o.output, o.log, PdfResolution(o), first - 1, last - 1,
                       SystemSettings.RepeatPageHeader != 0, settings, libraries, cookie, result,
                       error)) {
      std::fprintf(stderr, "korvale-render: %s: %s\n", o.log.c_str(), error.c_str());
      return kFailed;
    }
    return result.pages_printed == last - first + 1 ? kOk : kFailed;
  } catch (const std::exception& e) {
    // The page that failed (the first of the log when none had begun).
    std::fprintf(stderr, "korvale-render: page %lld: Error plotting page - %s\n",
                 static_cast<long long>(std::max(result.page, 0)) + 1, e.what());
    return kFailed;
  }
}

// The trace of page `page` (1-based): every call the replay makes, told the
// part of the log the canvas device's page shows (with its starting
// one-pixel pen) so that grids and frames walk the same steps.
int PrintTrace(const Drawing& d, const RenderOptions& o, int32_t page) {
  TraceDevice trace(d.libraries);
  NoticeBoxObserver observer;
  PlotCookie cookie(&observer);
  int status = kOk;
  try {
    logp_object layout(d.libraries);
    SetUpPage(layout, d.pages, page - 1, d.pages.screen_kind(page - 1), d.settings);
    layout.lay_out_page();
    trace.window = layout.visible_window();
    Interpreter::Replay(d.document.path(), trace, cookie);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvale-render: page %d: Error plotting page - %s\n", page, e.what());
    status = kFailed;
  }
  std::fputs(trace.trace().c_str(), stdout);
  return status;
}

// Every text of the log that holds the text looked for, one JSON line each,
// pages counted from 1.
int PrintFind(const Drawing& d, const RenderOptions& o) {
  NoticeBoxObserver observer;
  PlotCookie cookie(&observer);
  try {
    const TextIndex index = TextIndex::Build(d.document, d.pages, d.settings, d.libraries, cookie);
    for (const int32_t i : index.find(QString::fromLocal8Bit(o.find_text))) {
      const TextIndex::Entry& e = index.entries()[static_cast<size_t>(i)];
      std::printf("%s\n", FindHitJson(e.page + 1, e.depth, e.box.left, e.box.top,
                                      e.box.right - e.box.left, e.box.bottom - e.box.top,
                                      e.text.toStdString())
                              .c_str());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvale-render: Error reading the log's texts - %s\n", e.what());
    return kFailed;
  }
  return kOk;
}

int Run(const RenderOptions& o) {
  if (o.mode == RenderOptions::Mode::Render) {
    if (const std::string reason = ValidateOutput(o, 1); !reason.empty()) return UsageError(reason);
  }
  LibraryPaths paths = LibraryPathsFromSettings();
  if (!o.patterns.empty()) paths.pattern = o.patterns;
  if (!o.symbols.empty()) paths.symbol = o.symbols;
  NoticeBoxObserver observer;
  PlotCookie cookie(&observer);
  Libraries libraries(paths, cookie);
  std::unique_ptr<LogDocument> document;
  if (const int status = OpenDocument(o.log, observer, document); status != kOk) return status;
  const tfl::Header& header = document->header();
  DrawSettings settings = DrawSettingsFrom(SystemSettings);
  // Picture files the log names are looked up beside the log first.
  settings.picture_folder = std::filesystem::path(document->path()).parent_path().string();

  const bool thumbnail = o.mode == RenderOptions::Mode::Thumbnail;
  const int32_t dpi =
      thumbnail ? ThumbnailDpi(o.thumbnail_size, header.page_width, header.page_height) : o.dpi;
  const int32_t count_dpi = IsPdfOutput(o) && !thumbnail ? kViewerCountDpi : dpi;
  const PageModel count = document->pages(count_dpi);
  if (count.problem() == PageCountProblem::NoRoomForLog)
    std::fprintf(stderr, "korvale-render: warning: the page has no room for the log body\n");
  else if (count.problem() == PageCountProblem::OutOfRange)
    std::fprintf(stderr, "korvale-render: warning: the header gives no page count\n");
  const int32_t pages = count.page_count();

  if (o.mode == RenderOptions::Mode::Info) {
    std::printf("%s\n", HeaderJson(o.log, tfl::kCurrentVersion, pages, header).c_str());
    return kOk;
  }

  int32_t first = 1, last = 1;
  switch (o.range) {
    case RenderOptions::Range::First: break;
    case RenderOptions::Range::One:
    case RenderOptions::Range::Span:
      first = o.first_page;
      last = o.last_page;
      break;
    case RenderOptions::Range::All: last = pages; break;
  }
  if (pages < 1) {
    std::fprintf(stderr, "korvale-render: %s: the log has no pages\n", o.log.c_str());
    return kFailed;
  }
  if (last > pages) {
    return UsageError("page " + std::to_string(last) + " is beyond the log's " +
                      std::to_string(pages) + " page(s)");
  }

  if (IsPdfOutput(o) && !thumbnail) {
    MakeOutputFolder(o.output);
    return RenderPdf(*document, count, o, first, last, settings, libraries);
  }
  PageModel drawn;
  try {
    drawn = document->pages_at(count, dpi, dpi);
    if (o.mode == RenderOptions::Mode::DepthAt) {
      const PageKind kind = drawn.screen_kind(first - 1);
      drawn.layout(first - 1, kind, settings);  // a page that cannot be laid out fails here
      std::printf("%.2f\n", drawn.depth_at(first - 1, kind, o.depth_row, o.elevation, settings));
      return kOk;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvale-render: Error plotting page - %s\n", e.what());
    return kFailed;
  }
  const Drawing d{*document, drawn, settings, libraries};
  if (o.mode == RenderOptions::Mode::Trace) return PrintTrace(d, o, first);
  if (o.mode == RenderOptions::Mode::Find) return PrintFind(d, o);

  if (thumbnail) return RenderThumbnail(d, o);
  if (const std::string reason = ValidateOutput(o, last - first + 1); !reason.empty())
    return UsageError(reason);
  bool all_ok = true;
  for (int32_t page = first; page <= last; ++page)
    all_ok = (IsSvgOutput(o) ? RenderSvgPage(d, o, page) : RenderPage(d, o, page)) && all_ok;
  return all_ok ? kOk : kFailed;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const auto options = ParseRenderOptions(args, error);
  if (!options) return UsageError(error);
  if (options->mode == RenderOptions::Mode::Help) {
    std::fputs(kRenderUsage, stdout);
    return kOk;
  }
  if (options->mode == RenderOptions::Mode::Version) {
    std::printf("korvale-render %d.%d.%d.%d\n", KORVALE_VERSION_MAJOR, KORVALE_VERSION_MINOR,
                KORVALE_VERSION_PATCH, KORVALE_VERSION_TWEAK);
    return kOk;
  }

  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  platform::DropRelativeXdgFolders();
  platform::EnsureRuntimeDirectory();
  QGuiApplication app(argc, argv);
  platform::SetMessageBoxMode(platform::BoxMode::Headless);
  SetProgramPaths();
  LoadRenderSettings();
  return Run(*options);
}
