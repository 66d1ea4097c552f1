// Finding one's way through a log: building the text index (one replay of
// the whole log through the text device, header and footer texts placed on
// every page), one search of it, the depth interval of every page's body (the
// page panel's rows) and the page panel's pictures of every page; on the
// demo log (build/bin/sample.tfl) and on a generated 200,000-record log of 20
// pages with a text every 25 records. Intervals also for a log of 1,000 pages.
#include <benchmark/benchmark.h>

#include <QImage>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "core/Libraries.h"
#include "core/PlotCookie.h"
#include "core/TflWriter.h"
#include "devices/LogDocument.h"
#include "devices/PageThumbnail.h"
#include "devices/TextIndex.h"

namespace {

constexpr double kUnitsPerInch = 96;

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

// An unpaged log of `pages` pages with a header on each and `records` records
// down its body: vectors, with a one-line text every 25th and a label every
// 50th (formation-like names and depths).
void WriteLog(const std::string& path, int pages, int records) {
  tfl::Header h{};
  h.x_max = 8 * kUnitsPerInch;
  h.y_min = 0;
  h.y_max = pages * 11 * kUnitsPerInch - 1;
  h.first_header_height = 1;
  h.repeat_header_height = h.footer_height = -1;
  h.paged = 1;
  h.page_height = 11;
  h.page_width = 8.5;
  h.x_units_per_inch = h.y_units_per_inch = kUnitsPerInch;
  tfl::TflWriter w(path, h);
  tfl::PageTextRecord header{};
  header.x = 1;
  header.y = 0.3;
  header.section = 1;
  header.text.assign("Bench well   page #p of #t");
  w.write(header);
  const double step = h.y_max / std::max(records, 1);
  for (int i = 0; i < records; ++i) {
    const double y = h.y_max - i * step;
    if (i % 50 == 0) {
      tfl::LabelRecord l{};
      l.x = 500;
      l.y = y;
      l.size = 8;
      l.size_mode = 2;
      l.text.assign("SHALE " + std::to_string(i));
      w.write(l);
    } else if (i % 25 == 0) {
      tfl::TextRecord t{};
      t.x = 300;
      t.y = y;
      t.text.assign(std::to_string(i) + " ft LIMESTONE, wh-cream, hd");
      w.write(t);
    } else {
      tfl::VectorRecord v{};
      v.x1 = 100 + 50 * std::sin(i * 0.01);
      v.y1 = y;
      v.x2 = v.x1 + 3;
      v.y2 = y - step;
      w.write(v);
    }
  }
  w.close();
}

struct Log {
  std::unique_ptr<LogDocument> document;
  PageModel pages;
};

struct Files {
  std::string demo = std::string(KORVALE_BIN_DIR) + "/sample.tfl";
  std::string log200k = TempPath("bench_find_200k.tfl");
  std::string log1000 = TempPath("bench_find_1000p.tfl");
  PlotCookie cookie;
  std::unique_ptr<Libraries> libraries;
  DrawSettings settings;
  Files() {
    WriteLog(log200k, 20, 200000);
    WriteLog(log1000, 1000, 2000);
    libraries = std::make_unique<Libraries>(
        LibraryPaths{std::string(KORVALE_BIN_DIR) + "/Zelmorth.Pat",
                     std::string(KORVALE_BIN_DIR) + "/Zelmorth.Sym"},
        cookie);
    settings.picture_folder = KORVALE_BIN_DIR;
  }
  Log Open(const std::string& path) const {
    LogDocument::OpenResult opened;
    Log log{LogDocument::Open(path, nullptr, opened), {}};
    if (log.document) log.pages = log.document->pages(96);
    return log;
  }
};

Files& TheFiles() {
  static Files files;
  return files;
}

void Index(benchmark::State& state, const std::string& path) {
  Files& f = TheFiles();
  const Log log = f.Open(path);
  if (!log.document) return state.SkipWithError(("cannot open " + path).c_str());
  size_t texts = 0;
  for (auto _ : state)
    texts = TextIndex::Build(*log.document, log.pages, f.settings, *f.libraries, f.cookie)
                .entries()
                .size();
  state.counters["texts"] = static_cast<double>(texts);
  state.counters["pages"] = log.pages.page_count();
}

void Search(benchmark::State& state, const std::string& path, const char* phrase) {
  Files& f = TheFiles();
  const Log log = f.Open(path);
  if (!log.document) return state.SkipWithError(("cannot open " + path).c_str());
  const TextIndex index =
      TextIndex::Build(*log.document, log.pages, f.settings, *f.libraries, f.cookie);
  const QString wanted(phrase);
  size_t hits = 0;
  for (auto _ : state) hits = index.find(wanted).size();
  state.counters["hits"] = static_cast<double>(hits);
  state.counters["texts"] = static_cast<double>(index.entries().size());
}

void Intervals(benchmark::State& state, const std::string& path) {
  Files& f = TheFiles();
  const Log log = f.Open(path);
  if (!log.document) return state.SkipWithError(("cannot open " + path).c_str());
  double sum = 0;
  for (auto _ : state) {
    for (int32_t p = 0; p < log.pages.page_count(); ++p)
      sum += log.pages.body_interval(p, log.pages.screen_kind(p), f.settings).top;
    benchmark::DoNotOptimize(sum);
  }
  state.counters["pages"] = log.pages.page_count();
}

void Thumbnails(benchmark::State& state, const std::string& path) {
  Files& f = TheFiles();
  const Log log = f.Open(path);
  if (!log.document) return state.SkipWithError(("cannot open " + path).c_str());
  for (auto _ : state)
    for (int32_t p = 0; p < log.pages.page_count(); ++p)
      benchmark::DoNotOptimize(
          DrawPageThumbnail(*log.document, log.pages, p, f.settings, *f.libraries, f.cookie, 96));
  state.counters["pages"] = log.pages.page_count();
}

void BM_Index_Demo(benchmark::State& s) { Index(s, TheFiles().demo); }
void BM_Index_200k(benchmark::State& s) { Index(s, TheFiles().log200k); }
void BM_Search_Demo(benchmark::State& s) { Search(s, TheFiles().demo, "limestone"); }
void BM_Search_200k(benchmark::State& s) { Search(s, TheFiles().log200k, "limestone, wh"); }
void BM_Intervals_Demo(benchmark::State& s) { Intervals(s, TheFiles().demo); }
void BM_Intervals_200k(benchmark::State& s) { Intervals(s, TheFiles().log200k); }
void BM_Intervals_1000Pages(benchmark::State& s) { Intervals(s, TheFiles().log1000); }
void BM_Thumbnails_Demo(benchmark::State& s) { Thumbnails(s, TheFiles().demo); }
void BM_Thumbnails_200k(benchmark::State& s) { Thumbnails(s, TheFiles().log200k); }

BENCHMARK(BM_Index_Demo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Search_Demo)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Intervals_Demo)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Thumbnails_Demo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Index_200k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Search_200k)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Intervals_200k)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Thumbnails_200k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Intervals_1000Pages)->Unit(benchmark::kMicrosecond);

}  // namespace
