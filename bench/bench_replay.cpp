// Replay throughput: a compiled log of 1,000,000 mixed records replayed
// through a device that draws nothing, against reading the same file raw
// (opcode, length, payload) through the same buffered file stream.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/Interpreter.h"
#include "core/Libraries.h"
#include "core/PlotCookie.h"
#include "core/TflWriter.h"
#include "core/file_object.h"
#include "core/gd_object.h"
#include "platform/MessageBox.h"

namespace {

constexpr int kRecords = 1000000;

// Writes the log once per process into a temporary folder.
const std::string& LogPath() {
  static const std::string path = [] {
    std::string dir = (std::filesystem::temp_directory_path() / "korvale-bench-XXXXXX").string();
    if (!mkdtemp(dir.data())) std::abort();
    std::string p = dir + "/replay.tfl";
    tfl::Header h = tfl::DefaultHeader();
    h.x_min = 0;
    h.x_max = 8;
    tfl::TflWriter w(p, h);
    // Empty libraries beside the log: nothing here draws from them.
    std::ofstream(dir + "/empty.pat");
    std::ofstream(dir + "/empty.sym");
    for (int i = 0; i < kRecords; ++i) {
      const double y = -i * 0.01;
      switch (i % 10) {
        case 0: w.write(tfl::ColorRecord{i & 0xFFFFFF}); break;
        case 1: w.write(tfl::PenWidthRecord{1}); break;
        case 2: w.write(tfl::ArcRecord{1, y, 0.5, 0, 90}); break;
        case 3: w.write(tfl::CircleRecord{1, y, 0.5}); break;
        case 4: w.write(tfl::PatternRecord{{0, y, 1, y - 1}, 3, 1, 1, 1}); break;
        case 5: w.write(tfl::SymbolRecord{2, y, 0, 40, 0.2, 0.2, 0}); break;
        case 6: w.write(tfl::RectangleRecord{{0, y, 1, y - 1}}); break;
        case 7: w.write(tfl::PolarLineRecord{1, y, 2, 45}); break;
        case 8: {
          tfl::PageTextRecord t{};
          t.text.assign("Page #p of #t");
          t.section = 3;
          w.write(t);
          break;
        }
        default: w.write(tfl::VectorRecord{0, y, 0, 8, y, 0}); break;
      }
    }
    w.close();
    return p;
  }();
  return path;
}

std::string Beside(const char* name) {
  return (std::filesystem::path(LogPath()).parent_path() / name).string();
}

// Draws nothing: measures the interpreter alone (no observer: the status
// window is not part of the measurement).
class NullDevice : public gd_object {
 public:
  NullDevice()
      : gd_object(libraries_), libraries_({Beside("empty.pat"), Beside("empty.sym")}, cookie) {}
  void plot_text(double, double, uint8_t, uint8_t, int32_t, uint8_t, std::string_view) override {}
  PlotCookie cookie;

 private:
  Libraries libraries_;
};

void BM_Replay(benchmark::State& state) {
  NullDevice device;
  for (auto _ : state) Interpreter::Replay(LogPath(), device, device.cookie);
  state.counters["records/s"] =
      benchmark::Counter(double(kRecords) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_RawRead(benchmark::State& state) {
  file_object file;
  file.file_name = LogPath();
  std::vector<uint8_t> payload(65536);
  for (auto _ : state) {
    file.open_read();
    file.read_int();
    file.skip_bytes(static_cast<uint16_t>(file.read_int()));
    while (!file.eof()) {
      file.read_int();
      const uint16_t length = static_cast<uint16_t>(file.read_int());
      file.read_bytes(payload.data(), length);
    }
    file.close();
    benchmark::DoNotOptimize(payload.data());
  }
  state.counters["records/s"] =
      benchmark::Counter(double(kRecords) * state.iterations(), benchmark::Counter::kIsRate);
}

// Both in one run, so the ratio compares like with like.
void BM_ReplayOverRaw(benchmark::State& state) {
  NullDevice device;
  file_object file;
  file.file_name = LogPath();
  std::vector<uint8_t> payload(65536);
  double replay_s = 0, raw_s = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    Interpreter::Replay(LogPath(), device, device.cookie);
    auto t1 = std::chrono::steady_clock::now();
    file.open_read();
    file.read_int();
    file.skip_bytes(static_cast<uint16_t>(file.read_int()));
    while (!file.eof()) {
      file.read_int();
      const uint16_t length = static_cast<uint16_t>(file.read_int());
      file.read_bytes(payload.data(), length);
    }
    file.close();
    auto t2 = std::chrono::steady_clock::now();
    replay_s += std::chrono::duration<double>(t1 - t0).count();
    raw_s += std::chrono::duration<double>(t2 - t1).count();
  }
  const double n = double(kRecords) * state.iterations();
  state.counters["replay_rec/s"] = n / replay_s;
  state.counters["raw_rec/s"] = n / raw_s;
  // Replay throughput as a fraction of raw throughput (target >= 0.5).
  state.counters["replay/raw"] = raw_s / replay_s;
}

BENCHMARK(BM_Replay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplayOverRaw)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  platform::SetMessageBoxMode(platform::BoxMode::Headless);
  LogPath();
  benchmark::RunSpecifiedBenchmarks();
  std::filesystem::remove_all(std::filesystem::path(LogPath()).parent_path());
  return 0;
}
