#pragma once
// The code paths the fuzz targets drive, shared with the regression test that
// replays every input the fuzzers once crashed on (tests/devices/
// test_regression_inputs.cpp). Header-only so that the ordinary build can
// use it without the fuzzer's compiler flags.
//
// Each driver takes the bytes as a file from elsewhere would bring them and
// runs them through the program's own code: a compiled log through the canvas
// device onto a small page, a picture payload inside records 206 and 103, and
// the error table and the two settings files. Failures the program reports
// (exceptions, message boxes) are the expected outcome of bad input; only a
// crash, a leak, undefined behaviour or a hang is a finding.
#include <QImage>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "core/Libraries.h"
#include "core/PlotCookie.h"
#include "core/TflWriter.h"
#include "devices/LogDocument.h"
#include "platform/Canvas.h"
#include "support/ErrorTable.h"
#include "support/Paths.h"
#include "support/Settings.h"
#include "windows/HintSettings.h"

namespace fuzzdrv {

// The page every log is drawn on: a fixed small image at a low resolution, so
// that the page bitmap is a bounded constant whatever the header claims.
inline constexpr int kPageWidthPx = 160;
inline constexpr int kPageHeightPx = 208;
inline constexpr int kDpi = 16;

inline void WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

// Replays the compiled log at log_path through the canvas device with the
// given libraries: the first page, and the second when there is one (it
// takes the repeated header). Errors the device reports end a page.
inline void ReplayLogFile(const std::string& log_path, const std::string& patterns,
                          const std::string& symbols) {
  PlotCookie cookie;  // nothing is shown: a report is an expected outcome here
  Libraries libraries({patterns, symbols}, cookie);
  LogDocument::OpenResult opened;
  const std::unique_ptr<LogDocument> document = LogDocument::Open(log_path, nullptr, opened);
  if (!document) return;

  QImage image(kPageWidthPx, kPageHeightPx, QImage::Format_RGB32);
  image.fill(Qt::white);
  platform::Canvas canvas(&image);
  try {
    const PageModel pages = document->pages_at(document->pages(kDpi), kDpi, kDpi);
    const int32_t count = pages.last_page() >= 1 ? 2 : 1;
    for (int32_t page = 0; page < count; ++page) {
      try {
        document->plot(pages, page, pages.screen_kind(page), canvas, DrawSettings{}, libraries,
                       cookie);
      } catch (const std::exception&) {
        // "Error plotting page - ...": what was drawn stays.
      }
    }
  } catch (const std::exception&) {
  }
}

// A small letter-size log whose only record carries `payload` as its data
// block: record 206 (bitmap file image), or record 103 holding a metafile
// (kind 1) or a bitmap file image (kind 2). The picture lies in the first
// page's header section (inches from its top), so page 1 draws it.
inline void WritePictureLog(const std::string& path, int kind,
                            std::span<const std::uint8_t> payload) {
  tfl::Header header = tfl::DefaultHeader();
  header.x_min = 0;
  header.x_max = 8;
  header.y_min = -1000;
  header.y_max = 0;
  header.first_header_height = 9;
  tfl::TflWriter writer(path, header);
  const tfl::Rect rect{0.5, 0.5, 6.5, 8.0};
  if (kind == 0) {
    tfl::BitmapRecord record{};
    record.rect = rect;
    record.section = tfl::kFirstPageHeader;
    writer.bitmap(record, payload);
  } else {
    tfl::PictureRecord record{};
    record.rect = rect;
    record.section = tfl::kFirstPageHeader;
    record.bitmap = kind == 2 ? 1 : 0;
    writer.picture(record, payload);
  }
  writer.close();
}

// The bytes as the error table: every message the program composes from it.
inline void ComposeFromErrorTable(const std::string& table_path, std::int32_t extra_number) {
  for (std::int32_t number : {1, 1033, 1034, 1035, 1037, extra_number}) {
    try {
      (void)ComposeErrorMessage(number, "File Name = sample.tfl", table_path);
    } catch (const std::exception&) {
    }
  }
}

// A default printer of fixed size, so that settings defaults never ask a real
// one.
inline std::optional<PrinterPageInfo> FixedPrinter() {
  PrinterPageInfo info;
  info.name = "Fuzz Printer";
  info.paperWidth = 8.5;
  info.paperHeight = 11;
  info.printableWidth = 8;
  info.printableHeight = 10.5;
  return info;
}

// The bytes as the system (.Cn2) or general (.CN1) settings file of the
// program whose paths are set: loaded, then read as the program reads it.
inline void LoadSettingsFile(bool system, std::span<const std::uint8_t> bytes) {
  SetPrinterQuery(&FixedPrinter);
  try {
    if (system) {
      WriteFile(SystemSettingsFileName(), bytes);
      LoadSystemSettings();
      (void)KeywordFilePath();
      (void)PatternFilePath();
      (void)SymbolFilePath();
    } else {
      WriteFile(GeneralSettingsFileName(), bytes);
      LoadGeneralSettings();
      ApplyHintSettings();
    }
  } catch (const std::exception&) {
  }
}

}  // namespace fuzzdrv
