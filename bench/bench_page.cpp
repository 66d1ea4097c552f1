// Drawing one page of a long log: page 3 of a generated 20-page log of
// 200,000 records, at 96 and at 600 dpi, beside a replay of the same file
// through a device that draws nothing (the cost of reading and dispatching
// alone). A page is always drawn from the whole file, so the replay sets the
// floor. The peak resident memory is reported after each benchmark; it must
// not grow with the length of the log.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QImage>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/Interpreter.h"
#include "core/Libraries.h"
#include "core/PlotCookie.h"
#include "core/TflWriter.h"
#include "core/gd_object.h"
#include "devices/LogDocument.h"
#include "platform/Canvas.h"
#include <memory>

namespace {

constexpr int kPages = 20;
constexpr double kUnitsPerInch = 96;

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

// Libraries with a few patterns and symbols.
void WriteLibraries(const std::string& pat, const std::string& sym) {
  std::ofstream p(pat, std::ios::binary);
  for (int n = 0; n < 8; ++n) {
    unsigned char rec[206] = {};
    rec[0] = 3;
    rec[2] = 10 + n;  // tile width
    rec[4] = 8 + n;   // tile height
    const signed char strokes[12] = {0, 0, 9, 0, 2, 2, 2, 2, 0, 4, 5, 7};
    std::memcpy(rec + 6, strokes, sizeof strokes);
    p.write(reinterpret_cast<char*>(rec), sizeof rec);
  }
  std::ofstream s(sym, std::ios::binary);
  for (int n = 0; n < 8; ++n) {
    unsigned char rec[202] = {};
    rec[0] = 2;
    const signed char strokes[8] = {-10, 0, 10, 0, 0, -10, 0, 10};
    std::memcpy(rec + 2, strokes, sizeof strokes);
    s.write(reinterpret_cast<char*>(rec), sizeof rec);
  }
}

// An unpaged log of `records` drawing records spread evenly down 20 pages:
// curves as vectors, colour and pen changes, pattern beds, symbols and
// polyline groups, as a log-design program writes them.
void WriteLog(const std::string& path, int records) {
  tfl::Header h{};
  h.x_max = 8 * kUnitsPerInch;
  h.y_min = 0;
  h.y_max = kPages * 11 * kUnitsPerInch - 1;
  h.first_header_height = h.repeat_header_height = h.footer_height = -1;
  h.page_height = 11;
  h.page_width = 8.5;
  h.x_units_per_inch = h.y_units_per_inch = kUnitsPerInch;
  tfl::TflWriter w(path, h);
  const double step = h.y_max / records;
  for (int i = 0; i < records; ++i) {
    const double y = h.y_max - i * step;
    const double x = 100 + 300 * (0.5 + 0.5 * std::sin(i * 0.01));
    switch (i % 50) {
      case 0: w.write(tfl::ColorRecord{static_cast<int32_t>((i * 2654435761u) & 0x7FFFFF)}); break;
      case 1: w.write(tfl::PenStyleRecord{static_cast<uint8_t>((i / 50) % 3)}); break;
      case 2: w.write(tfl::PenWidthRecord{1 + (i / 50) % 3}); break;
      case 3: {
        tfl::PatternRecord p{};
        p.rect = {450, y - 20, 700, y};
        p.pattern = (i / 50) % 8;
        p.x_scale = p.y_scale = 1;
        p.outline = 1;
        w.write(p);
        break;
      }
      case 4: {
        tfl::SymbolRecord s{};
        s.x = 720;
        s.y = y;
        s.symbol = 1 + (i / 50) % 7;
        s.width = 0.1;
        w.write(s);
        break;
      }
      default: {
        tfl::VectorRecord v{};
        v.x1 = x;
        v.y1 = y;
        v.x2 = x + 3;
        v.y2 = y - step;
        w.write(v);
      }
    }
  }
  w.close();
}

// Replays the log and draws nothing: reading and dispatching alone.
class NullDevice : public gd_object {
 public:
  using gd_object::gd_object;
  void plot_text(double, double, uint8_t, uint8_t, int32_t, uint8_t, std::string_view) override {}
};

struct Files {
  std::string pat = TempPath("bench_page.pat"), sym = TempPath("bench_page.sym");
  std::string log200k = TempPath("bench_page_200k.tfl"), log20k = TempPath("bench_page_20k.tfl");
  PlotCookie cookie;
  std::unique_ptr<Libraries> libraries;
  Files() {
    WriteLibraries(pat, sym);
    WriteLog(log200k, 200000);
    WriteLog(log20k, 20000);
    libraries = std::make_unique<Libraries>(LibraryPaths{pat, sym}, cookie);
  }
};

Files& TheFiles() {
  static Files files;
  return files;
}

long PeakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

void DrawPage3(benchmark::State& state, const std::string& log, int dpi) {
  Files& f = TheFiles();
  LogDocument::OpenResult opened;
  const auto document = LogDocument::Open(log, nullptr, opened);
  const PageModel pages = document->pages(dpi);
  QImage image(pages.page_width_px(), pages.page_height_px(), QImage::Format_RGB32);
  platform::Canvas canvas(&image);
  const DrawSettings settings;
  for (auto _ : state) {
    image.fill(Qt::white);
    document->plot(pages, 2, PageKind::Later, canvas, settings, *f.libraries, f.cookie);
  }
  state.counters["peak_rss_kb"] = static_cast<double>(PeakRssKb());
  state.counters["pages"] = pages.page_count();
}

// Page 3 zoomed as the viewer zooms: the pages counted at 96 dpi, drawn at
// `dpi` (200% = 192, 400% = 384, 800% = 768). The 96 dpi run is the baseline.
void DrawZoomed(benchmark::State& state, const std::string& log, int32_t page, int dpi) {
  Files& f = TheFiles();
  LogDocument::OpenResult opened;
  const auto document = LogDocument::Open(log, nullptr, opened);
  if (!document) {
    state.SkipWithError(("cannot open " + log).c_str());
    return;
  }
  const PageModel pages = document->pages_at(document->pages(96), dpi, dpi);
  QImage image(pages.page_width_px(), pages.page_height_px(), QImage::Format_RGB32);
  platform::Canvas canvas(&image);
  DrawSettings settings;
  settings.picture_folder = std::filesystem::path(log).parent_path().string();
  for (auto _ : state) {
    image.fill(Qt::white);
    document->plot(pages, page, pages.screen_kind(page), canvas, settings, *f.libraries, f.cookie);
  }
  state.counters["peak_rss_kb"] = static_cast<double>(PeakRssKb());
  state.counters["image_kb"] = static_cast<double>(image.sizeInBytes() / 1024);
}

void BM_Zoom_200k(benchmark::State& state) {
  DrawZoomed(state, TheFiles().log200k, 2, static_cast<int>(state.range(0)));
}
void BM_Zoom_Demo(benchmark::State& state) {
  DrawZoomed(state, std::string(KORVALE_BIN_DIR) + "/sample.tfl", 0,
             static_cast<int>(state.range(0)));
}

void BM_Page3_96dpi(benchmark::State& state) { DrawPage3(state, TheFiles().log200k, 96); }
void BM_Page3_600dpi(benchmark::State& state) { DrawPage3(state, TheFiles().log200k, 600); }
void BM_Page3_96dpi_20k_records(benchmark::State& state) { DrawPage3(state, TheFiles().log20k, 96); }

void BM_ReplayOnly(benchmark::State& state) {
  Files& f = TheFiles();
  NullDevice device(*f.libraries);
  for (auto _ : state) Interpreter::Replay(f.log200k, device, f.cookie);
  state.counters["peak_rss_kb"] = static_cast<double>(PeakRssKb());
}

BENCHMARK(BM_Page3_96dpi_20k_records)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplayOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Page3_96dpi)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Page3_600dpi)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Zoom_Demo)->Arg(96)->Arg(192)->Arg(384)->Arg(768)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Zoom_200k)->Arg(96)->Arg(192)->Arg(384)->Arg(768)->Unit(benchmark::kMillisecond);

}  // namespace
