// Curve shading regions: a log curve of 2,000 points filled against its
// baseline, made into a clip region on a 300 dpi page by our scan conversion
// (within the page) and by QRegion's polygon constructor, alternately in one
// run so that the ratio compares like with like.
#include <benchmark/benchmark.h>

#include <QPolygon>
#include <QRegion>

#include <chrono>
#include <cmath>
#include <vector>

#include "platform/Canvas.h"

namespace {

constexpr int kPageWidth = 2400, kPageHeight = 3300;

// A wiggling curve down the page, closed along a baseline at x = 300, as a
// shading's point group is.
std::vector<platform::Point> Shading(int rows) {
  std::vector<platform::Point> pts;
  pts.push_back({300, 0});
  const int n = 2000;
  for (int i = 0; i <= n; ++i) {
    const double t = double(i) / n;
    const double x = 900 + 400 * std::sin(t * 37) + 150 * std::sin(t * 311);
    pts.push_back({static_cast<int>(x), static_cast<int>(t * rows)});
  }
  pts.push_back({300, rows});
  return pts;
}

void BM_ShadingRegion(benchmark::State& state) {
  const std::vector<platform::Point> pts = Shading(kPageHeight);
  QPolygon polygon;
  for (const platform::Point& p : pts) polygon << QPoint(p.x, p.y);
  const platform::Rect page{0, 0, kPageWidth, kPageHeight};
  double ours_s = 0, qt_s = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const platform::Region ours = platform::Region::FromPolygon(pts, platform::WINDING, page);
    const auto t1 = std::chrono::steady_clock::now();
    const QRegion qt(polygon, Qt::WindingFill);
    const auto t2 = std::chrono::steady_clock::now();
    if (ours.qt() != qt) state.SkipWithError("the two regions differ");
    ours_s += std::chrono::duration<double>(t1 - t0).count();
    qt_s += std::chrono::duration<double>(t2 - t1).count();
  }
  state.counters["ours_ms"] = 1000 * ours_s / state.iterations();
  state.counters["qregion_ms"] = 1000 * qt_s / state.iterations();
  // Our time as a multiple of QRegion's (below 1: faster).
  state.counters["ours/qregion"] = ours_s / qt_s;
}

// The same curve reaching far beyond the page both ways: our cost stays with
// the page's rows.
void BM_TallShadingRegion(benchmark::State& state) {
  std::vector<platform::Point> pts = Shading(kPageHeight);
  // Stretched 300 times about the middle of the page.
  for (platform::Point& p : pts) p.y = (p.y - kPageHeight / 2) * 300 + kPageHeight / 2;
  const platform::Rect page{0, 0, kPageWidth, kPageHeight};
  int rects = 0;
  for (auto _ : state) {
    const platform::Region region = platform::Region::FromPolygon(pts, platform::WINDING, page);
    rects = region.qt().rectCount();
    benchmark::DoNotOptimize(rects);
  }
  state.counters["rects"] = rects;
}

BENCHMARK(BM_ShadingRegion)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TallShadingRegion)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
