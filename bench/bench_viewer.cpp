// The viewer window offscreen on the demo log: opening to the first page
// drawn, and a zoom step (until the window shows the new size, and until the
// sharp page has arrived from the worker). No modal questions: no printer,
// the settings' page size is the demo's, message boxes headless.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/MessageBox.h"
#include "support/Paths.h"
#include "support/Settings.h"
#include "viewer/PageImage.h"
#include "viewer/PrinterAccess.h"
#include "viewer/Tarnfelf.h"

namespace {

const std::string kDemo = std::string(KORVALE_BIN_DIR) + "/sample.tfl";

std::optional<PrinterPageInfo> NoPrinter() { return std::nullopt; }

long PeakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

std::unique_ptr<TKorvaleFrm> NewWindow() {
  SetSystemDefaults();
  SystemSettings.PageLength = 10.5;
  SystemSettings.PageWidth = 8.0;
  auto window = std::make_unique<TKorvaleFrm>();
  window->show();
  return window;
}

void WaitForSharpPage(TKorvaleFrm& w) {
  while (w.DrawingPage()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

void BM_OpenToFirstPage(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto w = NewWindow();
    state.ResumeTiming();
    w->OpenLog(kDemo);
    benchmark::DoNotOptimize(w->PageBitmap.constBits());
    state.PauseTiming();
    w.reset();
    state.ResumeTiming();
  }
}

// A zoom step from 100% to `percent` (and back, untimed): the stall is the
// time SetZoom keeps the window (the new size shown); sharp_ms adds the wait
// for the page drawn in the worker.
void BM_ZoomStep(benchmark::State& state) {
  auto w = NewWindow();
  w->OpenLog(kDemo);
  const double percent = static_cast<double>(state.range(0));
  double sharpTotal = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    w->SetZoom(percent);
    state.PauseTiming();
    WaitForSharpPage(*w);
    sharpTotal += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                      .count();
    w->SetZoom(100);
    state.ResumeTiming();
  }
  state.counters["sharp_ms"] = sharpTotal / static_cast<double>(state.iterations());
  state.counters["peak_rss_kb"] = static_cast<double>(PeakRssKb());
}

BENCHMARK(BM_OpenToFirstPage)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomStep)->Arg(125)->Arg(200)->Arg(400)->Arg(800)->Iterations(8)->Unit(
    benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  platform::SetMessageBoxMode(platform::BoxMode::Headless);
  // The built program's libraries and error table; the user's settings
  // (recent logs, pages left at) of this run only.
  const std::filesystem::path home = std::filesystem::temp_directory_path() / "bench_viewer";
  std::filesystem::create_directories(home);
  SetProgramPath(std::string(KORVALE_BIN_DIR) + "/korvale");
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromStdString((home / "config").string()));
  SetPrinterQuery(&NoPrinter);
  viewer::SetPrintersInstalledForTests(false);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
