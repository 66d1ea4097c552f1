// The demonstration log that korvale-demo writes (and the build installs as
// sample.tfl): replayed through the recording device it must reach every
// operation a compiled log can reach, keep its drawing inside the body and
// its sections, carry pictures that our decoders read, and count 5 to 8
// pages by the viewer's rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "TestFiles.h"
#include "core/Interpreter.h"
#include "core/Libraries.h"
#include "core/TraceDevice.h"
#include "core/TflFormat.h"
#include "devices/PageCount.h"
#include "platform/BitmapFile.h"
#include "platform/JpegFile.h"
#include "platform/MessageBox.h"
#include "platform/WmfPlayer.h"
#include "support/Settings.h"
#include "devices/LogDocument.h"
#include "devices/TextIndex.h"
#include "platform/Canvas.h"

#include <QImage>
#include <regex>
#include <tuple>

namespace {

namespace fs = std::filesystem;

// One run of korvale-demo into a fresh folder, shared by the tests.
class DemoLog : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new testfiles::TempDir();
    run_status_ = Run(dir_->file("demo.tfl"));
    if (run_status_ != 0) return;
    replay_ = new Replay;
    Interpreter::Replay(dir_->file("demo.tfl"), replay_->device, replay_->cookie);
    header_ = replay_->device.header;
  }
  static void TearDownTestSuite() {
    delete replay_;
    replay_ = nullptr;
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(fs::exists(Program())) << "build korvale-demo first: " << Program();
    ASSERT_EQ(run_status_, 0) << "korvale-demo failed";
  }

  static std::string Program() { return testfiles::BinDir() + "/korvale-demo"; }
  static int Run(const std::string& out) {
    const std::string cmd = "'" + Program() + "' '" + out + "' > /dev/null 2>&1";
    return std::system(cmd.c_str());
  }
  static const TraceDevice& device() { return replay_->device; }

  static testfiles::TempDir* dir_;
  // The demo replayed with the bundled libraries.
  struct Replay {
    PlotCookie cookie;
    Libraries libraries{{testfiles::BinDir() + "/Zelmorth.Pat", testfiles::BinDir() + "/Zelmorth.Sym"},
                        cookie};
    TraceDevice device{libraries};
  };
  static Replay* replay_;
  static int run_status_;
  static tfl::Header header_;
};

testfiles::TempDir* DemoLog::dir_ = nullptr;
DemoLog::Replay* DemoLog::replay_ = nullptr;
int DemoLog::run_status_ = -1;
tfl::Header DemoLog::header_{};

// Walks the file's framing without the interpreter: opcode, length,
// payload, and the data that follows records 26, 103 and 206.
std::vector<uint16_t> OpcodesInFile(const std::vector<unsigned char>& bytes, std::string* error) {
  std::vector<uint16_t> ops;
  size_t pos = 0;
  auto word = [&](size_t at) { return uint16_t(bytes[at] | bytes[at + 1] << 8); };
  auto dword = [&](size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
  };
  while (pos + 4 <= bytes.size()) {
    const uint16_t op = word(pos), len = word(pos + 2);
    if (!ops.empty() && tfl::PayloadSize(op) != 0 && tfl::PayloadSize(op) != len) {
      *error = "opcode " + std::to_string(op) + " with length " + std::to_string(len);
      return ops;
    }
    pos += 4 + len;
    if (op == tfl::kParagraph) pos += 4 + word(pos + 2);
    if (op == tfl::kPicture || op == tfl::kBitmap) pos += 6 + dword(pos + 2);
    ops.push_back(op);
  }
  if (pos != bytes.size()) *error = "the file ends inside a record";
  return ops;
}

bool Inside(double v, double lo, double hi) { return v >= lo - 1e-9 && v <= hi + 1e-9; }

TEST_F(DemoLog, EveryRecordKindIsInTheFileWithItsOwnLength) {
  std::string error;
  const auto ops = OpcodesInFile(testfiles::ReadAll(dir_->file("demo.tfl")), &error);
  EXPECT_EQ(error, "");
  ASSERT_FALSE(ops.empty());
  EXPECT_EQ(ops.front(), tfl::kHeader);
  const std::set<uint16_t> seen(ops.begin() + 1, ops.end());
  for (uint16_t op : {1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
                      22, 23, 24, 25, 26, 27, 28, 101, 102, 103, 104, 105, 201, 202, 203, 204,
                      205, 206, 207, 208, 209, 210, 211, 1020})
    EXPECT_TRUE(seen.count(op)) << "record " << op << " missing";
  // A picture file that cannot be read ends a page's drawing, so the core
  // photograph is the very last record: nothing else is lost with it.
  EXPECT_EQ(ops.back(), tfl::kPictureFile);
}

TEST_F(DemoLog, ReplayReachesEveryOperation) {
  for (const char* op :
       {"plot_text", "plot_arc", "plot_picture_file", "plot_vertical_line", "plot_circle",
        "set_color", "plot_filled_polygon", "plot_paragraph", "plot_label", "set_font",
        "plot_line", "plot_page_text", "plot_picture", "plot_bitmap", "plot_vector",
        "plot_pattern", "plot_color_pattern", "plot_pattern_ex", "plot_color_pattern_ex",
        "fill_rectangle", "plot_polyfill", "plot_color_polygon", "plot_polyline",
        "plot_styled_polyline", "plot_rectangle", "set_pen_style", "plot_symbol",
        "plot_symbol_ex", "plot_brush_rectangle", "plot_vector_text", "plot_note",
        "plot_dimension_text", "set_pen_width"})
    EXPECT_GT(device().count(op), 0u) << op;
  // Both font records: without colour (25) and with (204, white title).
  bool white_font = false;
  for (const auto& c : device().of("set_font")) white_font |= c.args[2] == 0xFFFFFF;
  EXPECT_TRUE(white_font);
  // The libraries were found: nothing to report during the replay.
  EXPECT_EQ(replay_->cookie.notices(), 0);
}

TEST_F(DemoLog, HeaderDescribesAPagedLogOfFiveToEightPages) {
  const tfl::Header& h = header_;
  // The page the viewer assumes without a printer (what "Set Default Size"
  // of page setup gives there): the demo opens without the page-size question.
  std::string name;
  double paperWidth = 0, paperLength = 0, width = 0, length = 0;
  DescribePrinterPage(std::nullopt, name, paperWidth, paperLength, width, length);
  platform::ClearShownBoxes();
  EXPECT_DOUBLE_EQ(+h.page_width, width);
  EXPECT_DOUBLE_EQ(+h.page_height, length);
  EXPECT_EQ(+h.x_units_per_inch, +h.y_units_per_inch) << "round symbols need equal units";
  EXPECT_GT(+h.y_max, +h.y_min);
  EXPECT_GT(+h.x_max, +h.x_min);
  EXPECT_LE(+h.x_max / h.x_units_per_inch, +h.page_width);
  EXPECT_TRUE(+h.paged);
  EXPECT_GT(+h.first_header_height, +h.repeat_header_height);
  EXPECT_GE(+h.footer_height, 0);
  EXPECT_GT(+h.datum, 0);
  for (int dpi : {96, 150, 300, 600}) {
    const PageCount pc = CountPages(h, dpi, dpi / h.y_units_per_inch);
    EXPECT_EQ(pc.problem, PageCountProblem::None) << dpi;
    EXPECT_GE(pc.last_page + 1, 5) << dpi;
    EXPECT_LE(pc.last_page + 1, 8) << dpi;
  }
}

// Body drawing stays inside the log's extents, where a device maps it.
TEST_F(DemoLog, BodyDrawingStaysInsideTheLog) {
  const tfl::Header& h = header_;
  auto check_xy = [&](const std::string& what, double x, double y) {
    EXPECT_TRUE(Inside(x, h.x_min, h.x_max)) << what << " x " << x;
    EXPECT_TRUE(Inside(y, h.y_min, h.y_max)) << what << " y " << y;
  };
  for (const auto& c : device().of("plot_vector")) {
    check_xy("vector", c.args[0], c.args[1]);
    check_xy("vector", c.args[2], c.args[3]);
  }
  for (const char* op : {"plot_pattern", "plot_color_pattern", "plot_paragraph",
                         "plot_brush_rectangle", "plot_rectangle", "plot_dimension_text"})
    for (const auto& c : device().of(op)) {
      check_xy(op, c.args[0], c.args[1]);
      check_xy(op, c.args[2], c.args[3]);
    }
  for (const auto& c : device().of("plot_picture_file")) {
    check_xy("picture file", c.args[1], c.args[2]);
    check_xy("picture file", c.args[3], c.args[4]);
  }
  for (const char* op : {"plot_text", "plot_label", "plot_symbol", "plot_circle"})
    for (const auto& c : device().of(op)) check_xy(op, c.args[0], c.args[1]);
  for (const char* op : {"plot_filled_polygon", "plot_polyfill", "plot_color_polygon",
                         "plot_polyline", "plot_styled_polyline"})
    for (const auto& c : device().of(op))
      for (const auto& group : c.groups)
        for (size_t i = 0; i + 1 < group.size(); i += 2) check_xy(op, group[i], group[i + 1]);
}

// Section items lie within their section (inches from its top) and across
// the page.
TEST_F(DemoLog, SectionItemsStayInsideTheirSections) {
  const tfl::Header& h = header_;
  const std::map<int, double> height = {
      {1, h.first_header_height}, {2, h.repeat_header_height}, {3, h.footer_height}};
  const double width = h.page_width * h.x_units_per_inch;
  std::set<int> sections;
  auto check = [&](const std::string& what, int section, double x, double y) {
    ASSERT_TRUE(height.count(section)) << what << " in section " << section;
    sections.insert(section);
    EXPECT_TRUE(Inside(x, 0, width)) << what << " x " << x;
    EXPECT_TRUE(Inside(y, 0, height.at(section))) << what << " y " << y;
  };
  for (const auto& c : device().of("plot_line")) {
    check("line", int(c.args[0]), c.args[1], c.args[2]);
    check("line", int(c.args[0]), c.args[3], c.args[4]);
  }
  for (const auto& c : device().of("plot_page_text")) check("page text", int(c.args[2]), c.args[0], c.args[1]);
  for (const auto& c : device().of("plot_symbol_ex")) check("symbol", int(c.args[7]), c.args[0], c.args[1]);
  for (const char* op : {"fill_rectangle", "plot_bitmap", "plot_picture"})
    for (const auto& c : device().of(op)) {
      const int s = int(c.args[std::string(op) == "plot_picture" ? 6 : (std::string(op) == "plot_bitmap" ? 4 : 5)]);
      check(op, s, c.args[0], c.args[1]);
      check(op, s, c.args[2], c.args[3]);
    }
  for (const auto& c : device().of("plot_pattern_ex")) {
    check("pattern", int(c.args[8]), c.args[0], c.args[1]);
    check("pattern", int(c.args[8]), c.args[2], c.args[3]);
  }
  for (const auto& c : device().of("plot_color_pattern_ex")) {
    check("colour pattern", int(c.args[11]), c.args[0], c.args[1]);
    check("colour pattern", int(c.args[11]), c.args[2], c.args[3]);
  }
  EXPECT_EQ(sections, (std::set<int>{1, 2, 3}));
}

TEST_F(DemoLog, FooterCountsPagesAndTextsFitTheirRecords) {
  bool page_number = false;
  for (const auto& c : device().of("plot_page_text")) {
    if (int(c.args[2]) == 3 && c.text.find("#p") != std::string::npos &&
        c.text.find("#t") != std::string::npos)
      page_number = true;
  }
  EXPECT_TRUE(page_number);
  // A paragraph line is drawn only when a carriage return ends it.
  for (const auto& c : device().of("plot_paragraph")) {
    ASSERT_FALSE(c.text.empty());
    EXPECT_EQ(c.text.back(), '\r') << c.text;
    EXPECT_EQ(c.text.find("\r\r"), std::string::npos) << "empty line in " << c.text;
  }
}

// The lithology column and its legend name real patterns of the library:
// none blank, at least eight different ones, the legend showing each.
TEST_F(DemoLog, LithologyFillsUseDrawnPatterns) {
  const auto library = testfiles::ReadAll(testfiles::BinDir() + "/Zelmorth.Pat");
  ASSERT_GE(library.size(), 251u * 206u) << "build the pattern library first";
  auto strokes = [&](int n) { return library[size_t(n) * 206] | library[size_t(n) * 206 + 1] << 8; };
  std::set<int> body, legend;
  for (const char* op : {"plot_pattern", "plot_color_pattern"})
    for (const auto& c : device().of(op)) body.insert(int(c.args[4]));
  for (const char* op : {"plot_pattern_ex", "plot_color_pattern_ex"})
    for (const auto& c : device().of(op)) legend.insert(int(c.args[4]));
  EXPECT_GE(body.size(), 8u);
  EXPECT_EQ(body, legend);
  for (int n : body) {
    ASSERT_TRUE(n >= 0 && n <= 250) << n;
    EXPECT_GT(strokes(n), 0) << "pattern " << n << " draws nothing";
  }
  EXPECT_GT(device().count("plot_color_pattern"), 0u);
  EXPECT_GT(device().count("plot_pattern"), 0u);
}

// Descriptions, the core photograph, the core and test bars and the
// symbols each get their own room: no two of them overlap.
TEST_F(DemoLog, DescriptionsPicturesAndSymbolsDoNotOverlap) {
  struct Box {
    std::string what;
    double x1, y1, x2, y2;  // x1 < x2, y1 < y2
  };
  std::vector<Box> boxes;
  auto add = [&](const std::string& what, double ax, double ay, double bx, double by) {
    boxes.push_back({what, std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by)});
  };
  for (const auto& c : device().of("plot_paragraph"))
    add("paragraph " + c.text.substr(0, 20), c.args[0], c.args[1], c.args[2], c.args[3]);
  for (const auto& c : device().of("plot_picture_file"))
    add("photo", c.args[1], c.args[2], c.args[3], c.args[4]);
  for (const char* op : {"plot_brush_rectangle", "plot_dimension_text"})
    for (const auto& c : device().of(op)) add(op, c.args[0], c.args[1], c.args[2], c.args[3]);
  // A symbol covers a square of its width (inches) about its centre.
  for (const auto& c : device().of("plot_symbol")) {
    const double half = c.args[4] * header_.x_units_per_inch / 2;
    add("symbol " + std::to_string(int(c.args[3])), c.args[0] - half, c.args[1] - half,
        c.args[0] + half, c.args[1] + half);
  }
  ASSERT_GE(boxes.size(), 20u);
  for (size_t i = 0; i < boxes.size(); ++i)
    for (size_t j = i + 1; j < boxes.size(); ++j) {
      const Box& a = boxes[i];
      const Box& b = boxes[j];
      const bool overlap = a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
      EXPECT_FALSE(overlap) << a.what << " at " << -a.y2 << " overlaps " << b.what << " at "
                            << -b.y2;
    }
}

// Paragraph lines are broken to the column: about 28 characters of 6-point
// text in 1.2 inches.
TEST_F(DemoLog, DescriptionLinesFitTheirColumn) {
  size_t lines = 0;
  for (const auto& c : device().of("plot_paragraph")) {
    size_t start = 0;
    for (size_t end; (end = c.text.find('\r', start)) != std::string::npos; start = end + 1) {
      const std::string line = c.text.substr(start, end - start);
      EXPECT_FALSE(line.empty());
      EXPECT_LE(line.size(), 30u) << line;
      EXPECT_NE(line.front(), ' ') << line;
      ++lines;
    }
  }
  EXPECT_GE(lines, 40u);
}

TEST_F(DemoLog, CurveShadingsAreClosedAgainstTheirBaselines) {
  const auto shadings = device().of("plot_filled_polygon");
  ASSERT_EQ(shadings.size(), 2u);
  for (const auto& c : shadings) {
    ASSERT_EQ(c.groups.size(), 2u);
    for (const auto& g : c.groups) {
      ASSERT_GE(g.size(), 10u);
      const size_t n = g.size() / 2;
      // The first point and the last two sit on one vertical baseline and
      // close the polygon where it started.
      EXPECT_EQ(g[0], g[2 * (n - 2)]);
      EXPECT_EQ(g[0], g[2 * (n - 1)]);
      EXPECT_EQ(g[1], g[2 * (n - 1) + 1]);
    }
  }
  // Filled curves of the point-group kind start on their baseline, so each
  // 100-point piece closes along it.
  for (const char* op : {"plot_polyfill", "plot_color_polygon"})
    for (const auto& c : device().of(op)) {
      ASSERT_EQ(c.groups.size(), 1u);
      EXPECT_GT(c.groups[0].size(), 200u) << op;
      EXPECT_EQ(c.groups[0][1], c.groups[0][3]) << op << ": first point not level with the curve";
    }
}

TEST_F(DemoLog, EmbeddedPicturesDecode) {
  const auto bitmaps = device().of("plot_bitmap");
  ASSERT_EQ(bitmaps.size(), 1u);
  const QImage logo = platform::DecodeBitmapFile(bitmaps[0].data);
  EXPECT_EQ(logo.width(), 64);
  EXPECT_EQ(logo.height(), 64);
  // Blue disc, white corners.
  EXPECT_EQ(QColor(logo.pixel(0, 0)), QColor(Qt::white));
  EXPECT_GT(qBlue(logo.pixel(10, 32)), 120);
  EXPECT_LT(qRed(logo.pixel(10, 32)), 100);

  const auto pictures = device().of("plot_picture");
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_EQ(pictures[0].args[5], 0) << "a metafile, not a bitmap";
  const auto& wmf = pictures[0].data;
  ASSERT_GE(wmf.size(), 24u);
  auto word = [&](size_t at) { return uint32_t(wmf[at] | wmf[at + 1] << 8); };
  EXPECT_EQ(word(0), 1u);       // memory metafile, no placeable header
  EXPECT_EQ(word(2), 9u);       // header words
  EXPECT_EQ(word(4), 0x0300u);  // version
  EXPECT_EQ((word(6) | word(8) << 16) * 2, wmf.size());
  // The records tile the data exactly and the last one ends the metafile.
  size_t pos = 18, largest = 0, last = 0;
  while (pos + 6 <= wmf.size()) {
    const size_t words = word(pos) | word(pos + 2) << 16;
    ASSERT_GE(words, 3u);
    largest = std::max(largest, words);
    last = pos;
    pos += 2 * words;
  }
  EXPECT_EQ(pos, wmf.size());
  EXPECT_EQ(word(last + 4), 0u) << "no META_EOF at the end";
  EXPECT_EQ(largest, word(12) | word(14) << 16);
}

// Our own metafile player plays every record of the emblem, and the strata,
// sky and sun come out where they were drawn.
TEST_F(DemoLog, EmblemMetafilePlays) {
  const auto pictures = device().of("plot_picture");
  ASSERT_EQ(pictures.size(), 1u);
  QImage image(300, 150, QImage::Format_RGB32);
  image.fill(Qt::white);
  platform::WmfPlayStats stats;
  {
    platform::Canvas canvas(&image);
    stats = platform::PlayMetafile(canvas, pictures[0].data, platform::Rect{0, 0, 300, 150});
  }
  EXPECT_GT(stats.records, 30);
  EXPECT_EQ(stats.skipped, 0);
  auto near = [](QRgb got, int r, int g, int b) {
    return std::abs(qRed(got) - r) < 12 && std::abs(qGreen(got) - g) < 12 &&
           std::abs(qBlue(got) - b) < 12;
  };
  EXPECT_TRUE(near(image.pixel(150, 40), 0xD8, 0xEC, 0xF8)) << "sky";
  EXPECT_TRUE(near(image.pixel(261, 27), 0xFF, 0xC0, 0x30)) << "sun";
  EXPECT_TRUE(near(image.pixel(60, 146), 0xC0, 0x80, 0x40)) << "deepest stratum";
}

TEST_F(DemoLog, CorePhotographIsAJpegBesideTheLog) {
  const auto files = device().of("plot_picture_file");
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].text, "core-photo.jpg");
  const auto bytes = testfiles::ReadAll(dir_->file(files[0].text));
  const platform::DecodedJpeg jpeg = platform::DecodeJpeg(bytes);
  EXPECT_EQ(jpeg.warning, "");
  EXPECT_EQ(jpeg.image.width(), 240);
  EXPECT_EQ(jpeg.image.height(), 560);
  // A wooden box with sandstone in it: brown on the whole, not grey or blank.
  double red = 0, blue = 0;
  for (int y = 0; y < jpeg.image.height(); y += 4)
    for (int x = 0; x < jpeg.image.width(); x += 4) {
      red += qRed(jpeg.image.pixel(x, y));
      blue += qBlue(jpeg.image.pixel(x, y));
    }
  EXPECT_GT(red, 1.3 * blue);
}

TEST_F(DemoLog, SameLogEveryRun) {
  testfiles::TempDir again;
  ASSERT_EQ(Run(again.file("demo.tfl")), 0);
  EXPECT_EQ(testfiles::ReadAll(again.file("demo.tfl")), testfiles::ReadAll(dir_->file("demo.tfl")));
  EXPECT_EQ(testfiles::ReadAll(again.file("core-photo.jpg")),
            testfiles::ReadAll(dir_->file("core-photo.jpg")));
}

TEST(DemoProgram, RefusesBadArguments) {
  const std::string program = testfiles::BinDir() + "/korvale-demo";
  ASSERT_TRUE(fs::exists(program));
  EXPECT_EQ(WEXITSTATUS(std::system(("'" + program + "' > /dev/null 2>&1").c_str())), 2);
  EXPECT_EQ(WEXITSTATUS(std::system(("'" + program + "' --bogus x.tfl > /dev/null 2>&1").c_str())), 2);
  // An output folder that does not exist is a failure, not a crash.
  EXPECT_EQ(WEXITSTATUS(std::system(("'" + program + "' /nonexistent/dir/x.tfl > /dev/null 2>&1").c_str())), 1);
}

}  // namespace

// --- Finding the demo's words ----------------------------------------------------

namespace {

// The formation names the demo generator gives its beds, read from its source:
// each bed line is {top, base, lithology, "NAME", ...}.
std::vector<std::pair<double, std::string>> FormationTops() {
  const std::vector<unsigned char> bytes =
      testfiles::ReadAll(testfiles::SourceDir() + "/tools/korvale-demo/DemoWell.cpp");
  const std::string source(bytes.begin(), bytes.end());
  const std::regex bed(R"re(\{(\d+), *\w+, *\w+, *"([^"]+)")re");
  std::vector<std::pair<double, std::string>> tops;
  for (auto it = std::sregex_iterator(source.begin(), source.end(), bed);
       it != std::sregex_iterator(); ++it)
    tops.emplace_back(std::stod((*it)[1]), (*it)[2]);
  return tops;
}

}  // namespace

// Every formation name is found once in the body, on the page whose body
// holds its top, at its top's depth, in a box where that page draws ink, and
// so are the core's turned label and a stroke-font depth figure; a
// word the demo does not hold is not found; the footer's "#p" is found as
// each page's own number.
TEST_F(DemoLog, FindLocatesEveryFormationWhereItsPageDrawsIt) {
  const auto tops = FormationTops();
  ASSERT_GE(tops.size(), 5u) << "the bed list of the demo's source was not read";
  LogDocument::OpenResult opened;
  const auto document = LogDocument::Open(dir_->file("demo.tfl"), nullptr, opened);
  ASSERT_TRUE(document);
  const PageModel model = document->pages(96);
  DrawSettings settings;
  settings.picture_folder = dir_->path();
  PlotCookie cookie;
  const TextIndex index =
      TextIndex::Build(*document, model, settings, replay_->libraries, cookie);
  ASSERT_TRUE(index.complete());

  std::map<int32_t, QImage> pages;
  const auto page = [&](int32_t p) -> const QImage& {
    QImage& image = pages[p];
    if (image.isNull()) {
      image = QImage(model.page_width_px(), model.page_height_px(), QImage::Format_RGB32);
      image.fill(Qt::white);
      platform::Canvas canvas(&image);
      PlotCookie quiet;
      document->plot(model, p, model.screen_kind(p), canvas, settings, replay_->libraries, quiet);
      canvas.EndPaint();
    }
    return image;
  };
  // The share of the box's pixels the page inks.
  const auto InkShare = [&](const TextIndex::Entry& e) {
    const QImage& image = page(e.page);
    int ink = 0;
    for (int y = e.box.top; y < e.box.bottom; ++y)
      for (int x = e.box.left; x < e.box.right; ++x)
        if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) ++ink;
    return double(ink) / std::max(1, (e.box.right - e.box.left) * (e.box.bottom - e.box.top));
  };
  for (const auto& [top, name] : tops) {
    SCOPED_TRACE(name);
    std::vector<const TextIndex::Entry*> body;
    for (const int32_t i : index.find(QString::fromStdString(name).toLower())) {
      const TextIndex::Entry& e = index.entries()[static_cast<size_t>(i)];
      if (e.text == QString::fromStdString(name)) body.push_back(&e);
    }
    ASSERT_EQ(body.size(), 1u);
    const TextIndex::Entry& e = *body[0];
    const auto expected = model.locate(top, false, settings);
    ASSERT_TRUE(expected);
    EXPECT_EQ(e.page, expected->page);
    EXPECT_NEAR(e.depth, top, 1.0);  // written just below the top's line
    EXPECT_GT(InkShare(e), 0.05);
  }
  // The core's label (a dimension text, turned) and a stroke-font depth
  // figure of the depth track, where their pages draw them.
  const std::vector<unsigned char> bytes =
      testfiles::ReadAll(testfiles::SourceDir() + "/tools/korvale-demo/DemoWell.cpp");
  std::smatch core;
  const std::string source(bytes.begin(), bytes.end());
  ASSERT_TRUE(std::regex_search(source, core, std::regex(R"re(w\.core = \{(\d+), (\d+), "([^"]+)"\})re")));
  const double figure = tops.front().first + 50;  // every 50 ft below the top
  for (const auto& [text, depth, tolerance] :
       {std::tuple<std::string, double, double>{core[3], (std::stod(core[1]) + std::stod(core[2])) / 2, 30},
        std::tuple<std::string, double, double>{std::to_string(int(figure)), figure, 2}}) {
    SCOPED_TRACE(text);
    const QString wanted = QString::fromStdString(text);
    const auto hits = index.find(wanted);
    const auto exact = std::find_if(hits.begin(), hits.end(), [&](int32_t i) {
      return index.entries()[static_cast<size_t>(i)].text == wanted;
    });
    ASSERT_NE(exact, hits.end());
    const TextIndex::Entry& e = index.entries()[static_cast<size_t>(*exact)];
    EXPECT_EQ(e.page, model.locate(depth, false, settings)->page);
    EXPECT_NEAR(e.depth, depth, tolerance);
    EXPECT_GT(InkShare(e), 0.05);
  }
  EXPECT_TRUE(index.find("zebrafish").empty());
  EXPECT_TRUE(index.find("LIMESTONE, CORRAN").empty()) << "the whole phrase, in its order";

  for (int32_t p = 0; p <= model.last_page(); ++p) {
    const QString footer = QString("Page %1 of %2").arg(p + 1).arg(model.page_count());
    const auto hits = index.find(footer);
    ASSERT_EQ(hits.size(), 1u) << footer.toStdString();
    EXPECT_EQ(index.entries()[static_cast<size_t>(hits[0])].page, p);
    EXPECT_EQ(index.entries()[static_cast<size_t>(hits[0])].text, footer);
  }
}

// korvale-render --find prints the index's hits, one JSON line each.
TEST_F(DemoLog, RenderFindPrintsEachHitAsAJsonLine) {
  const std::string render = testfiles::BinDir() + "/korvale-render";
  if (!fs::exists(render)) GTEST_SKIP() << "korvale-render is not built";
  const std::string out = dir_->file("find.txt");
  const std::string cmd = "'" + render + "' --find 'corran limestone' --dpi 192 '" +
                          dir_->file("demo.tfl") + "' > '" + out + "' 2>/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  const std::vector<unsigned char> bytes = testfiles::ReadAll(out);
  const std::string lines(bytes.begin(), bytes.end());
  const std::regex line(
      R"(\{"page":(\d+),"depth":([0-9.]+),"x":(\d+),"y":(\d+),"width":(\d+),"height":(\d+),"text":"CORRAN LIMESTONE"\}\n)");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(lines, m, line)) << lines;
  // At twice the resolution the box is twice as far down its page.
  LogDocument::OpenResult opened;
  const auto document = LogDocument::Open(dir_->file("demo.tfl"), nullptr, opened);
  const PageModel model = document->pages(192);
  const auto at = model.locate(std::stod(m[2]), false, DrawSettings{});
  ASSERT_TRUE(at);
  EXPECT_EQ(std::stoi(m[1]), at->page + 1);
  EXPECT_NEAR(std::stoi(m[4]), at->row, 1);
  EXPECT_GT(std::stoi(m[6]), 12);  // a 6-point text at 192 dpi
}
