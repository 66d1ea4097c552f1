#include "DeviceTestSupport.h"

#include <cstring>
#include <exception>
#include <fstream>



namespace devtest {

tfl::Header PixelHeader() {
  tfl::Header h{};
  h.x_min = 0;
  h.x_max = 800;
  h.y_min = 0;
  h.y_max = 1000;
  h.first_header_height = -1;
  h.repeat_header_height = -1;
  h.footer_height = -1;
  h.section_gap = 0;
  h.paged = 0;
  h.page_height = 11;
  h.page_width = 8.5;
  h.x_units_per_inch = 96;
  h.y_units_per_inch = 96;
  h.datum = 0;
  return h;
}

Fixture::Fixture() {
  pattern_path = dir.file("test.pat");
  symbol_path = dir.file("test.sym");
  SetPatterns({PatternDef{}});
  SetSymbols({SymbolDef{}, SymbolDef{}});
}

void Fixture::SetPatterns(const std::vector<PatternDef>& patterns) {
  std::ofstream out(pattern_path, std::ios::binary | std::ios::trunc);
  for (const PatternDef& p : patterns) {
    unsigned char rec[206] = {};
    const uint16_t count = static_cast<uint16_t>(p.strokes.size());
    std::memcpy(rec, &count, 2);
    std::memcpy(rec + 2, &p.width, 2);
    std::memcpy(rec + 4, &p.height, 2);
    for (size_t i = 0; i < p.strokes.size(); ++i) std::memcpy(rec + 6 + 4 * i, p.strokes[i].data(), 4);
    out.write(reinterpret_cast<const char*>(rec), sizeof rec);
  }
}

void Fixture::SetSymbols(const std::vector<SymbolDef>& symbols) {
  std::ofstream out(symbol_path, std::ios::binary | std::ios::trunc);
  for (const SymbolDef& s : symbols) {
    unsigned char rec[202] = {};
    const uint16_t count = static_cast<uint16_t>(s.strokes.size());
    std::memcpy(rec, &count, 2);
    for (size_t i = 0; i < s.strokes.size(); ++i) std::memcpy(rec + 2 + 4 * i, s.strokes[i].data(), 4);
    out.write(reinterpret_cast<const char*>(rec), sizeof rec);
  }
}

std::string Fixture::WriteLog(const tfl::Header& header,
                              const std::function<void(tfl::TflWriter&)>& body) {
  const std::string path = dir.file("log" + std::to_string(++log_number) + ".tfl");
  tfl::TflWriter writer(path, header);
  if (body) body(writer);
  writer.close();
  return path;
}

std::unique_ptr<LogDocument> Fixture::Open(const std::string& log) {
  LogDocument::OpenResult result;
  return LogDocument::Open(log, &observer, result);
}

std::unique_ptr<TestDevice> Fixture::Probe(const std::string& log, int index, int dpi) {
  const PageModel pages = Open(log)->pages(dpi);
  auto device = std::make_unique<TestDevice>(LibraryPaths{pattern_path, symbol_path}, cookie);
  SetUpPage(*device, pages, index, pages.screen_kind(index), settings);
  device->lay_out_page();
  return device;
}

QImage Fixture::Render(const std::string& log, int index, int dpi, bool printer,
                       const std::function<void(platform::Canvas&)>& setup) {
  const std::unique_ptr<LogDocument> document = Open(log);
  last_pages = document->pages(dpi);
  const PageKind kind = last_pages.screen_kind(index);
  last_layout = last_pages.layout(index, kind, settings);
  Libraries libraries({pattern_path, symbol_path}, cookie);
  QImage image(last_pages.page_width_px(), last_pages.page_height_px(), QImage::Format_RGB32);
  image.fill(Qt::white);
  std::exception_ptr failure;
  {
    platform::Canvas canvas(&image);
    canvas.SetIsPrinter(printer);
    if (setup) setup(canvas);
    try {
      document->plot(last_pages, index, kind, canvas, settings, libraries, cookie);
    } catch (...) {
      failure = std::current_exception();
    }
  }  // the canvas ends its painter here
  last_image = image;
  if (failure) std::rethrow_exception(failure);
  return image;
}

QImage Fixture::RenderKeepingError(const std::string& log, std::string& error, int index, int dpi,
                                   bool printer,
                                   const std::function<void(platform::Canvas&)>& setup) {
  error.clear();
  // Render rethrows after the canvas is done; the image is kept.
  try {
    return Render(log, index, dpi, printer, setup);
  } catch (const std::exception& e) {
    error = e.what();
    return last_image;
  }
}

uint32_t Pixel(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

int InkCount(const QImage& image, int left, int top, int right, int bottom) {
  if (right < 0) right = image.width();
  if (bottom < 0) bottom = image.height();
  int n = 0;
  for (int y = std::max(top, 0); y < std::min(bottom, image.height()); ++y)
    for (int x = std::max(left, 0); x < std::min(right, image.width()); ++x)
      if (Pixel(image, x, y) != kWhite) ++n;
  return n;
}

tfl::VectorRecord Vec(double x1, double y1, double x2, double y2) {
  tfl::VectorRecord v{};
  v.x1 = x1;
  v.y1 = y1;
  v.x2 = x2;
  v.y2 = y2;
  return v;
}
tfl::ColorRecord Color(int32_t c) { return tfl::ColorRecord{c}; }
tfl::PenWidthRecord PenWidth(int32_t w) { return tfl::PenWidthRecord{w}; }
tfl::PenStyleRecord PenStyle(uint8_t s) { return tfl::PenStyleRecord{s}; }

}  // namespace devtest
