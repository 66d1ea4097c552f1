// Pattern fills. First the strokes of a dense fill (library pattern 3, 36
// strokes in a 20-unit tile, tiled over a 96 dpi letter page at pattern scale
// 0.25) drawn one call per stroke, as fills drew them before, and in batches
// through Canvas::Strokes, alternately in one run so that the ratio compares
// like with like; both must give the same pixels. Then whole pages of one
// fill of that pattern through the canvas device, at several pattern scales
// and resolutions.
#include <benchmark/benchmark.h>

#include <QImage>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/Libraries.h"
#include "core/PatternLibrary.h"
#include "core/PlotCookie.h"
#include "core/TflWriter.h"
#include "devices/LogDocument.h"
#include "platform/Canvas.h"

namespace {

std::string BinFile(const std::string& name) { return std::string(KORVALE_BIN_DIR) + "/" + name; }

constexpr int kPattern = 3;

// The segments (and dots) of the pattern tiled over a page as a fill tiles
// it, `unit` pixels to a pattern unit.
std::vector<platform::Canvas::Segment> TiledStrokes(double unit, int width, int height) {
  PlotCookie cookie;
  PatternLibrary library(BinFile("Zelmorth.Pat"), cookie);
  library.read(kPattern, cookie);
  const PatternData& p = library.current();
  std::vector<platform::Canvas::Segment> out;
  for (double row = height; row > 0; row -= p.tile_height * unit)
    for (double col = 0; col < width; col += p.tile_width * unit)
      for (const LibraryStroke& s : p.used_strokes()) {
        const platform::Point a{int(std::lround(col + s.x1 * unit)), int(std::lround(row - s.y1 * unit))};
        const platform::Point b{int(std::lround(col + s.x2 * unit)), int(std::lround(row - s.y2 * unit))};
        out.push_back({a, b});
      }
  return out;
}

void BM_StrokesOneByOneAndBatched(benchmark::State& state) {
  const int width = 816, height = 1056;
  const std::vector<platform::Canvas::Segment> strokes = TiledStrokes(0.48, width, height);
  QImage one(width, height, QImage::Format_RGB32), batched(width, height, QImage::Format_RGB32);
  double one_s = 0, batched_s = 0;
  for (auto _ : state) {
    one.fill(Qt::white);
    batched.fill(Qt::white);
    const auto t0 = std::chrono::steady_clock::now();
    {
      platform::Canvas canvas(&one);
      for (const platform::Canvas::Segment& s : strokes) {
        if (s.from == s.to) {
          canvas.SetPixel(s.from.x, s.from.y, platform::kBlack);
        } else {
          canvas.MoveTo(s.from.x, s.from.y);
          canvas.LineTo(s.to.x, s.to.y);
        }
      }
    }
    const auto t1 = std::chrono::steady_clock::now();
    {
      platform::Canvas canvas(&batched);
      canvas.Strokes(strokes);
    }
    const auto t2 = std::chrono::steady_clock::now();
    if (one != batched) state.SkipWithError("the two drawings differ");
    one_s += std::chrono::duration<double>(t1 - t0).count();
    batched_s += std::chrono::duration<double>(t2 - t1).count();
  }
  state.counters["strokes"] = static_cast<double>(strokes.size());
  state.counters["one_by_one_ms"] = 1000 * one_s / state.iterations();
  state.counters["batched_ms"] = 1000 * batched_s / state.iterations();
  // Batched time as a multiple of one by one (below 1: faster).
  state.counters["batched/one"] = batched_s / one_s;
}

std::string WriteFill(double scale) {
  tfl::Header h = tfl::DefaultHeader();
  h.x_min = 0;
  h.x_max = 8;
  h.y_min = -1000;
  h.y_max = 0;
  h.page_height = 11;
  h.page_width = 8.5;
  h.x_units_per_inch = 1;
  h.y_units_per_inch = 100;
  h.first_header_height = h.repeat_header_height = h.footer_height = -1;
  const std::string path =
      (std::filesystem::temp_directory_path() / ("bench_pattern_" + std::to_string(scale) + ".tfl"))
          .string();
  tfl::TflWriter w(path, h);
  tfl::PatternRecord p{};
  p.rect = {0.25, -1050, 7.75, -20};
  p.pattern = kPattern;
  p.x_scale = p.y_scale = scale;
  w.write(p);
  w.close();
  return path;
}

// One page of one fill: args dpi and pattern scale in hundredths.
void BM_PageFill(benchmark::State& state) {
  const int dpi = static_cast<int>(state.range(0));
  const std::string log = WriteFill(state.range(1) / 100.0);
  PlotCookie cookie;
  Libraries libraries({BinFile("Zelmorth.Pat"), BinFile("Zelmorth.Sym")}, cookie);
  LogDocument::OpenResult opened;
  const auto document = LogDocument::Open(log, nullptr, opened);
  const PageModel pages = document->pages(dpi);
  QImage image(pages.page_width_px(), pages.page_height_px(), QImage::Format_RGB32);
  platform::Canvas canvas(&image);
  const DrawSettings settings;
  for (auto _ : state) {
    state.PauseTiming();
    image.fill(Qt::white);
    state.ResumeTiming();
    document->plot(pages, 0, PageKind::First, canvas, settings, libraries, cookie);
  }
}

BENCHMARK(BM_StrokesOneByOneAndBatched)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageFill)
    ->Args({96, 100})
    ->Args({96, 25})
    ->Args({96, 10})
    ->Args({96, 5})
    ->Args({600, 100})
    ->Args({600, 25})
    ->Unit(benchmark::kMillisecond);

}  // namespace
