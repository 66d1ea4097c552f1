// The main of the benchmarks that draw: a Qt GUI application on the
// offscreen platform (unless another is asked for), message boxes as lines
// on stderr, then every benchmark the command line selects.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdlib>

#include "platform/MessageBox.h"

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  platform::SetMessageBoxMode(platform::BoxMode::Headless);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
