// korvale-render: draws pages of a compiled log as the viewer shows them,
// without a display, into PNG files or, printed as the viewer prints them,
// into one PDF file. Exit codes: 0 every requested page drew; 1 the file is
// not a compiled log or a page ended with an error (its PNG is still written
// with what was drawn); 2 a usage error or a file that cannot be read.
// --thumbnail draws the first page for a file manager's thumbnail.
#include <QGuiApplication>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
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
#include "core/FileError.h"
#include "core/Interpreter.h"
#include "core/Libraries.h"
#include "core/LogHeader.h"
#include "core/TraceDevice.h"
#include "devices/NoticeBox.h"
#include "devices/PageCount.h"
#include "devices/SettingsValue.h"
#include "devices/logp_object.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeDir.h"
#include "support/Paths.h"
#include "support/Settings.h"
#include "platform/VersionStamp.h"
#include "viewer/PrintJob.h"

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

// Opens the log and reads its header. Returns kOk, kFailed (not a compiled
// log) or kUsage (cannot be read).
int ReadHeader(logp_object& device, const std::string& path) {
  device.settings = DrawSettingsFrom(SystemSettings);
  // Picture files the log names are looked up beside the log first.
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (!error) device.settings.picture_folder = absolute.parent_path().string();
  HeaderCheck check = HeaderCheck::Ok;
  try {
    check = ReadLogHeader(path, device.header);
  } catch (const FileError& e) {
    if (e.code() == FileError::kReadPastEnd) {
      std::fprintf(stderr, "korvale-render: %s: not a compiled log (too short)\n", path.c_str());
      return kFailed;
    }
    std::fprintf(stderr, "korvale-render: %s: cannot be read: %s\n", path.c_str(), e.what());
    return kUsage;
  }
  if (check != HeaderCheck::Ok) {  // refused: say why, then what it means here
    ShowNotice(RefusalNotice(check));
    std::fprintf(stderr, "korvale-render: %s: not a compiled log\n", path.c_str());
    return kFailed;
  }
  return kOk;
}

// The folder an output file goes to is made when it is missing (a failure
// shows when the file cannot be written).
void MakeOutputFolder(const std::string& file) {
  const std::filesystem::path folder = std::filesystem::path(file).parent_path();
  if (folder.empty()) return;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
}

PageKind KindOfPage(const logp_object& device, int32_t index) {
  if (index == 0) return PageKind::First;
  return device.header.paged ? PageKind::RepeatedHeader : PageKind::Later;
}

// Draws one page at dpi into image. False when the page ended with an error
// (the image holds what was drawn) or is too large to allocate (null image).
bool DrawPage(logp_object& device, const std::string& log, int32_t dpi, int32_t page,
              QImage& image) {
  image = QImage(device.page_width_px, device.page_height_px, QImage::Format_RGB32);
  if (image.isNull()) {
    std::fprintf(stderr, "korvale-render: page %d: the page (%d x %d pixels) is too large\n",
                 page, device.page_width_px, device.page_height_px);
    return false;
  }
  image.fill(Qt::white);
  const int dots_per_meter = static_cast<int>(std::lround(dpi / 0.0254));
  image.setDotsPerMeterX(dots_per_meter);
  image.setDotsPerMeterY(dots_per_meter);

  bool ok = true;
  device.set_canvas(&image);
  device.canvas->SetResolution(dpi);
  device.page_index = page - 1;
  device.page_kind = KindOfPage(device, page - 1);
  try {
    NoticeBoxObserver observer;
    PlotCookie cookie(&observer);
    Interpreter::Replay(log, device, cookie);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvale-render: page %d: Error plotting page - %s\n", page, e.what());
    ok = false;
  }
  device.set_canvas(static_cast<platform::Canvas*>(nullptr));  // ends the painter
  return ok;
}

// One page into a PNG. False when the page ended with an error.
bool RenderPage(logp_object& device, const RenderOptions& o, int32_t page) {
  QImage image;
  const bool ok = DrawPage(device, o.log, o.dpi, page, image);
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
int RenderThumbnail(logp_object& device, const RenderOptions& o, int32_t dpi) {
  QImage image;
  DrawPage(device, o.log, dpi, 1, image);
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

// The PDF writer with one printer page per log page, without margins.
// False when the log names no usable page size.
bool SetUpPdfPrinter(QPrinter& printer, const tfl::Header& h, const RenderOptions& o) {
  const double width = h.page_width, length = h.page_height;
  // 200 inches is the largest page a PDF may have.
  if (!(width > 0 && length > 0 && width <= 200 && length <= 200)) return false;
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(o.output));
  printer.setResolution(PdfResolution(o));
  printer.setFullPage(false);
  const bool landscape = width > length;
  const QPageSize size(landscape ? QSizeF(length, width) : QSizeF(width, length), QPageSize::Inch,
                       QString(), QPageSize::ExactMatch);
  const QPageLayout layout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                           QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
  return printer.setPageLayout(layout);
}

// Pages first..last (1-based) into one PDF, through the viewer's print loop.
int RenderPdf(logp_object& device, const RenderOptions& o, int32_t first, int32_t last) {
  QPrinter printer(QPrinter::HighResolution);
  if (!SetUpPdfPrinter(printer, device.header, o)) {
    std::fprintf(stderr, "korvale-render: %s: the page size (%g x %g inches) cannot be printed\n",
                 o.log.c_str(), device.header.page_height, device.header.page_width);
    return kFailed;
  }
  const int32_t dpi = PdfResolution(o);
  NoticeBoxObserver observer;
  PlotCookie cookie(&observer);
  try {
    const viewer::PrintJobResult result =
        viewer::PrintPages(device, o.log, printer, dpi, dpi, first - 1, last - 1,
                           SystemSettings.RepeatPageHeader != 0, o.log, cookie);
    device.set_canvas(static_cast<platform::Canvas*>(nullptr));
    return result.pages_printed == last - first + 1 ? kOk : kFailed;
  } catch (const std::exception& e) {
    device.set_canvas(static_cast<platform::Canvas*>(nullptr));
    std::fprintf(stderr, "korvale-render: page %lld: Error plotting page - %s\n",
                 static_cast<long long>(device.page_index) + 1, e.what());
    return kFailed;
  }
}

// The trace of page `page` (1-based): every call the replay makes, told the
// part of the log the canvas device's page shows (with its starting
// one-pixel pen) so that grids and frames walk the same steps.
int PrintTrace(logp_object& layout, Libraries& libraries, const RenderOptions& o, int32_t page) {
  TraceDevice trace(libraries);
  NoticeBoxObserver observer;
  PlotCookie cookie(&observer);
  int status = kOk;
  try {
    layout.page_index = page - 1;
    layout.page_kind = KindOfPage(layout, page - 1);
    layout.lay_out_page();
    trace.window = layout.visible_window();
    Interpreter::Replay(o.log, trace, cookie);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvale-render: page %d: Error plotting page - %s\n", page, e.what());
    status = kFailed;
  }
  std::fputs(trace.trace().c_str(), stdout);
  return status;
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
  auto device = std::make_unique<logp_object>(libraries);
  if (const int status = ReadHeader(*device, o.log); status != kOk) return status;

  const bool thumbnail = o.mode == RenderOptions::Mode::Thumbnail;
  const int32_t dpi = thumbnail ? ThumbnailDpi(o.thumbnail_size, device->header.page_width,
                                               device->header.page_height)
                                : o.dpi;
  const int32_t count_dpi = IsPdfOutput(o) && !thumbnail ? kViewerCountDpi : dpi;
  const PageCount count =
      CountPages(device->header, count_dpi, count_dpi / device->header.y_units_per_inch);
  if (count.problem == PageCountProblem::NoRoomForLog)
    std::fprintf(stderr, "korvale-render: warning: the page has no room for the log body\n");
  else if (count.problem == PageCountProblem::OutOfRange)
    std::fprintf(stderr, "korvale-render: warning: the header gives no page count\n");
  const int32_t pages = count.last_page + 1;

  if (o.mode == RenderOptions::Mode::Info) {
    std::printf("%s\n", HeaderJson(o.log, tfl::kCurrentVersion, pages, device->header).c_str());
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

  device->last_page = count.last_page;
  if (IsPdfOutput(o) && !thumbnail) {
    MakeOutputFolder(o.output);
    return RenderPdf(*device, o, first, last);
  }
  try {
    device->set_target_resolution(dpi, dpi);
    if (o.mode == RenderOptions::Mode::DepthAt) {
      device->page_index = first - 1;
      device->page_kind = KindOfPage(*device, first - 1);
      device->lay_out_page();
      std::printf("%.2f\n", device->pixel_to_depth(o.depth_row, o.elevation));
      return kOk;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvale-render: Error plotting page - %s\n", e.what());
    return kFailed;
  }
  if (o.mode == RenderOptions::Mode::Trace) return PrintTrace(*device, libraries, o, first);

  if (thumbnail) return RenderThumbnail(*device, o, dpi);
  if (const std::string reason = ValidateOutput(o, last - first + 1); !reason.empty())
    return UsageError(reason);
  bool all_ok = true;
  for (int32_t page = first; page <= last; ++page) all_ok = RenderPage(*device, o, page) && all_ok;
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
  platform::EnsureRuntimeDirectory();
  QGuiApplication app(argc, argv);
  platform::SetMessageBoxMode(platform::BoxMode::Headless);
  SetProgramPaths();
  LoadRenderSettings();
  return Run(*options);
}
