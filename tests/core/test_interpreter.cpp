// The command interpreter replaying logs written with TflWriter through a
// recording device.
#include <gtest/gtest.h>

#include <cstring>

#include "CoreTestUtil.h"
#include "core/Interpreter.h"
#include "core/LogHeader.h"
#include "core/TraceDevice.h"
#include "platform/MessageBox.h"

using tfl::TflWriter;

namespace {

class InterpreterTest : public ::testing::Test {
 protected:
  coretest::LogFixtureFiles files;
  coretest::Recorder recorder{files};
  TraceDevice* device = &recorder.device;
  coretest::NoticeLog& log = recorder.log;
  const int descriptors = coretest::OpenDescriptors();  // before any replay
  void SetUp() override { platform::ClearShownBoxes(); }
  void plot() { recorder.plot(); }
  std::vector<std::string> replay(const std::function<void(TflWriter&)>& fn) {
    files.write_log(fn);
    device->clear();
    plot();
    return device->strings();
  }
  int PlotFailureCode() {
    try {
      plot();
    } catch (const FileError& e) {
      return e.code();
    }
    return 0;
  }
};

std::vector<uint8_t> Bytes(std::initializer_list<int> v) { return {v.begin(), v.end()}; }

TEST_F(InterpreterTest, EveryRecordReachesItsOperationWithItsFields) {
  auto strings = replay([](TflWriter& w) {
    w.write(tfl::ArcRecord{1, 2, 3, 45, 90});
    w.write(tfl::ColorRecord{0x0000FF});
    w.write(tfl::VectorRecord{1, 2, 99, 3, 4, 99});
    w.write(tfl::PatternRecord{{0, 1, 2, 3}, 7, 0.5, 2, 1});
    w.write(tfl::RectangleRecord{{1, 2, 3, 4}});
    w.write(tfl::PenStyleRecord{2});
    w.write(tfl::SymbolRecord{1, 2, 3, 44, 5, 6, 7});
    tfl::NoteRecord note{3, 4, {}};
    note.text.assign("a note");
    w.write(note);
    w.write(tfl::PenWidthRecord{3});
    tfl::LabelRecord label{1, 2, 3, 4, 45, 2, {}};
    label.text.assign("label");
    w.write(label);
    tfl::FontRecord font{};
    font.face.assign("Arial");
    font.size = 12;
    font.style = 3;
    w.write(font);
    w.write(tfl::BrushRectangleRecord{{1, 2, 3, 4}, 5, 0xFF00, 1});
    tfl::PictureFileRecord pf{};
    pf.rect = {1, 2, 3, 4};
    pf.file_name.assign("core.jpg");
    pf.frame = 1;
    pf.stretch = 0;
    w.write(pf);
    w.write(tfl::SectionLineRecord{{1, 2, 3, 4}, 3});
    tfl::PageTextRecord pt{};
    pt.x = 1;
    pt.y = 2;
    pt.extra = 9;
    pt.angle = 90;
    pt.text.assign("Page #p of #t");
    pt.section = 3;
    w.write(pt);
    tfl::LongPageTextRecord lpt{};
    lpt.x = 5;
    lpt.angle = 180;
    lpt.text.assign(std::string(100, 'L'));
    lpt.section = 1;
    w.write(lpt);
    w.write(tfl::SymbolExRecord{1, 2, 3, 4, 5, 6, 7, 2});
    w.write(tfl::PatternExRecord{{1, 2, 3, 4}, 5, 6, 7, 1, 2});
    tfl::DimensionTextRecord dt{};
    dt.rect = {1, 2, 3, 4};
    dt.downward = 1;
    dt.arrows = 1;
    dt.text.assign("10 ft");
    w.write(dt);
    w.write(tfl::ColorPatternExRecord{{1, 2, 3, 4}, 5, 6, 7, 8, 0xFFFFFF, 0x123456, 1, 2});
    w.write(tfl::ColorPatternRecord{{1, 2, 3, 4}, 5, 6, 7, 8, 9, 10, 0});
    tfl::FontColorRecord fc{};
    fc.face.assign("Times");
    fc.size = 10;
    fc.style = 1;
    fc.color = 0xFF;
    w.write(fc);
    w.write(tfl::FillRectangleRecord{{1, 2, 3, 4}, 0xABCDEF, 1});
    tfl::TextRecord t{};
    t.x = 1;
    t.y = 2;
    t.vertical = 1;
    t.transparent = 0;
    t.alignment = 24;
    t.adjust = 1;
    t.text.assign("text");
    w.write(t);
    w.write(tfl::VerticalLineRecord{2.5});
  });
  EXPECT_EQ(strings, (std::vector<std::string>{
                         "plot_arc(1,2,3,45,90)",
                         "set_color(255)",
                         "plot_vector(1,2,3,4)",
                         "plot_pattern(0,1,2,3,7,0.5,2,1)",
                         "plot_rectangle(1,2,3,4)",
                         "set_pen_style(2)",
                         "plot_symbol(1,2,3,44,5,6,7)",
                         "plot_note(3,4,\"a note\")",
                         "set_pen_width(3)",
                         "plot_label(1,2,3,4,45,2,1,\"label\")",
                         "set_font(12,3,0,\"Arial\")",
                         "plot_brush_rectangle(1,2,3,4,5,65280,1)",
                         "plot_picture_file(1,1,2,3,4,0,\"core.jpg\")",
                         "plot_line(3,1,2,3,4)",
                         "plot_page_text(1,2,3,90,9,\"Page #p of #t\")",
                         "plot_page_text(5,0,1,180,0,\"" + std::string(100, 'L') + "\")",
                         "plot_symbol_ex(1,2,3,4,5,6,7,2)",
                         "plot_pattern_ex(1,2,3,4,5,6,7,1,2)",
                         "plot_dimension_text(1,2,3,4,1,1,\"10 ft\")",
                         "plot_color_pattern_ex(1,2,3,4,5,6,7,8,16777215,1193046,1,2)",
                         "plot_color_pattern(1,2,3,4,5,6,7,8,9,10,0)",
                         "set_font(10,1,255,\"Times\")",
                         "fill_rectangle(1,2,3,4,11259375,1)",
                         "plot_text(1,2,1,0,24,1,\"text\")",
                         "plot_vertical_line(2.5)",
                     }));
  EXPECT_EQ(coretest::OpenDescriptors(), descriptors);
}

TEST_F(InterpreterTest, TheHeaderBlockIsReadIntoTheDevice) {
  tfl::Header h = tfl::DefaultHeader();
  h.x_min = -3;
  h.x_max = 7.5;
  h.paged = 1;
  h.y_units_per_inch = 240;
  h.datum = 1234.5;
  files.write_log([](TflWriter& w) { w.write(tfl::VerticalLineRecord{1}); }, h);
  plot();
  EXPECT_EQ(+device->header.x_min, -3);
  EXPECT_EQ(+device->header.x_max, 7.5);
  EXPECT_EQ(+device->header.paged, 1);
  EXPECT_EQ(+device->header.y_units_per_inch, 240);
  EXPECT_EQ(+device->header.datum, 1234.5);
}

TEST_F(InterpreterTest, ACircleReachesTheDeviceAsAFullArc) {
  auto s = replay([](TflWriter& w) { w.write(tfl::CircleRecord{4, 5, 6}); });
  EXPECT_EQ(s, (std::vector<std::string>{"plot_circle(4,5,6)", "plot_arc(4,5,6,0,360)"}));
}

// The length word rule of the opcode table: a known opcode's payload has its
// fixed size whatever the length word says; only opcodes the table does not
// know are skipped by it.
TEST_F(InterpreterTest, TheLengthWordSkipsOnlyOpcodesTheTableDoesNotKnow) {
  std::vector<uint8_t> junk(1000, 0x0A);  // would read as vectors if not skipped
  tfl::Header header = tfl::DefaultHeader();
  std::vector<uint8_t> header_bytes(sizeof header);
  std::memcpy(header_bytes.data(), &header, sizeof header);
  auto s = replay([&](TflWriter& w) {
    w.write(tfl::VerticalLineRecord{1});
    w.raw(500, 0);
    w.write(tfl::VerticalLineRecord{2});
    w.raw(600, 1000, junk);
    w.raw(0, 3, Bytes({10, 0, 48}));
    w.raw(9, 2, Bytes({10, 0}));
    w.write(tfl::VerticalLineRecord{3});
    w.raw(300, 105, header_bytes);  // a header after the first record
    w.write(tfl::VerticalLineRecord{4});
  });
  EXPECT_EQ(s, (std::vector<std::string>{"plot_vertical_line(1)", "plot_vertical_line(2)",
                                         "plot_vertical_line(3)", "plot_vertical_line(4)"}));

  // Every known opcode framed with a length word of 0 and of its size plus 7,
  // each followed by a marker: all markers arrive, in order.
  std::vector<double> markers;
  files.write_log([&](TflWriter& w) {
    for (const uint16_t op : tfl::kKnownOpcodes) {
      const int size = tfl::PayloadSize(op);
      ASSERT_GT(size, 0) << tfl::OpcodeName(op);
      for (const int length : {0, size + 7}) {
        w.raw(op, uint16_t(length), std::vector<uint8_t>(size_t(size), 0));
        switch (op) {
          case tfl::kPolyfill: case tfl::kPolyline: case tfl::kColorPolygon:
          case tfl::kStyledPolyline: w.end_group(); break;
          case tfl::kFilledPolygon: w.end_group(); w.end_group(); break;
          case tfl::kParagraph: w.word(0); w.word(0); break;
          case tfl::kPicture: case tfl::kBitmap: w.word(0); w.dword(0); break;
          default: break;
        }
        markers.push_back(1000 + double(markers.size()));
        w.write(tfl::VerticalLineRecord{markers.back()});
      }
    }
  });
  device->clear();
  plot();
  std::vector<double> seen;
  for (const RecordedCall& c : device->of("plot_vertical_line"))
    if (c.args[0] >= 1000) seen.push_back(c.args[0]);
  EXPECT_EQ(seen, markers);
}

TEST_F(InterpreterTest, AHeaderOnlyFileEndsWithAReadFailure) {
  files.write_log([](TflWriter&) {});
  EXPECT_EQ(PlotFailureCode(), FileError::kReadPastEnd);
  EXPECT_EQ(coretest::OpenDescriptors(), descriptors);
}

TEST_F(InterpreterTest, ARecordCutShortIsAReadFailure) {
  files.write_log([](TflWriter& w) {
    w.write(tfl::VerticalLineRecord{1});
    w.raw(tfl::kArc, 40, Bytes({1, 2, 3}));
  });
  EXPECT_EQ(PlotFailureCode(), FileError::kReadPastEnd);
  EXPECT_EQ(device->strings(), std::vector<std::string>{"plot_vertical_line(1)"});
}

void WriteHeaderRecord(const std::string& path, uint16_t version, uint16_t length,
                       const std::vector<uint8_t>& rest) {
  std::vector<unsigned char> bytes = {uint8_t(version & 0xFF), uint8_t(version >> 8),
                                      uint8_t(length & 0xFF), uint8_t(length >> 8)};
  bytes.insert(bytes.end(), rest.begin(), rest.end());
  testfiles::WriteAll(path, bytes);
}

// A refused header is reported through the cookie (the replay opens no box)
// and the replay then fails on the closed file.
TEST_F(InterpreterTest, VersionNineIsRejectedWithItsMessage) {
  WriteHeaderRecord(files.log, 9, 105, std::vector<uint8_t>(105 + 40, 0));
  EXPECT_EQ(PlotFailureCode(), FileError::kNotOpen);
  ASSERT_EQ(log.notices.size(), 1u);
  EXPECT_EQ(log.notices[0].text,
            "Tarnfel 2001 can't read TFL files created by older versions of Tarnfel.\r\r"
            "Please recompile your log in Tarnfel 2001");
  EXPECT_EQ(log.notices[0].kind, Notice::Error);
  EXPECT_EQ(log.notices[0].number, 0);
  EXPECT_TRUE(platform::ShownBoxes().empty());
  EXPECT_TRUE(device->calls.empty());
}

TEST_F(InterpreterTest, AnUnknownVersionShowsError1033) {
  coretest::ErrorTableScope errors;
  for (uint16_t version : {0, 299, 301, 0xFFFF}) {
    log.clear();
    WriteHeaderRecord(files.log, version, 105, std::vector<uint8_t>(105 + 40, 0));
    EXPECT_EQ(PlotFailureCode(), FileError::kNotOpen) << version;
    EXPECT_EQ(log.texts(), std::vector<std::string>{"E1033:  "}) << version;
  }
}

TEST_F(InterpreterTest, AHeaderThatFailsItsCheckLeavesTheFileClosed) {
  // Refused versions, and header records cut short by the end of the file.
  for (auto [version, kept] : {std::pair{9, 105}, {301, 105}, {300, 0}, {300, 60}}) {
    WriteHeaderRecord(files.log, uint16_t(version), 105, std::vector<uint8_t>(size_t(kept), 0xAB));
    file_object file;
    file.file_name = files.log;
    file.open_read();
    tfl::Header header{};
    header.datum = 5;
    try {
      EXPECT_NE(ReadLogHeader(file, header), HeaderCheck::Ok);
    } catch (const FileError& e) {
      EXPECT_EQ(e.code(), FileError::kReadPastEnd);
    }
    EXPECT_FALSE(file.is_open) << version << " " << kept;
    EXPECT_EQ(+header.datum, 5) << "a refused header changed the header";
  }
}

TEST_F(InterpreterTest, ALongerHeaderRecordHasItsExcessSkipped) {
  tfl::Header h = tfl::DefaultHeader();
  h.datum = 77;
  std::vector<uint8_t> rest(sizeof h);
  std::memcpy(rest.data(), &h, sizeof h);
  rest.insert(rest.end(), {0xEE, 0xEE, 0xEE});  // three extra header bytes
  tfl::VerticalLineRecord v{8};
  rest.insert(rest.end(), {tfl::kVerticalLine, 0, 8, 0});
  const auto* p = reinterpret_cast<const uint8_t*>(&v);
  rest.insert(rest.end(), p, p + sizeof v);
  WriteHeaderRecord(files.log, 300, 108, rest);
  plot();
  EXPECT_EQ(+device->header.datum, 77);
  EXPECT_EQ(device->strings(), std::vector<std::string>{"plot_vertical_line(8)"});
}

TEST_F(InterpreterTest, OneLargeRecordGivesOneProgressUpdate) {
  // File of 10,000 bytes: a record ending at 5 % (no update), one ending at
  // 30 % (one update), one ending at 100 %.
  files.write_log([](TflWriter& w) {
    const size_t header = 4 + 105;
    w.raw(1000, uint16_t(500 - header - 4), std::vector<uint8_t>(500 - header - 4));
    w.raw(1000, 3000 - 500 - 4, std::vector<uint8_t>(3000 - 500 - 4));
    w.raw(1000, 10000 - 3000 - 4, std::vector<uint8_t>(10000 - 3000 - 4));
  });
  plot();
  ASSERT_EQ(log.fractions.size(), 3u);
  EXPECT_EQ(log.fractions[0], 0);
  EXPECT_DOUBLE_EQ(log.fractions[1], 0.3);
  EXPECT_DOUBLE_EQ(log.fractions[2], 1.0);
}

TEST_F(InterpreterTest, ProgressMovesInStepsOfMoreThanATenth) {
  files.write_log([](TflWriter& w) {
    for (int i = 0; i < 2000; ++i) w.write(tfl::VerticalLineRecord{double(i)});
  });
  plot();
  ASSERT_GE(log.fractions.size(), 2u);
  EXPECT_LE(log.fractions.size(), 11u);
  for (size_t i = 1; i < log.fractions.size(); ++i)
    EXPECT_GT(log.fractions[i] - log.fractions[i - 1], 0.1);
}

// The cookie is asked after every record; a stop (the observer's, or the
// abort flag set from anywhere) ends the replay quietly with the file closed.
TEST_F(InterpreterTest, AStopEndsTheReplayAfterTheRecordWithTheFileClosed) {
  files.write_log([](TflWriter& w) {
    for (int i = 1; i <= 3; ++i) w.write(tfl::VerticalLineRecord{double(i)});
  });
  plot();
  EXPECT_EQ(device->count("plot_vertical_line"), 3u);
  EXPECT_EQ(log.polls, 3);

  log.stop = true;
  device->clear();
  plot();
  EXPECT_EQ(device->strings(), std::vector<std::string>{"plot_vertical_line(1)"});
  EXPECT_EQ(coretest::OpenDescriptors(), descriptors);

  log.stop = false;
  recorder.cookie.abort = true;
  device->clear();
  plot();
  EXPECT_EQ(device->strings(), std::vector<std::string>{"plot_vertical_line(1)"});
  EXPECT_EQ(coretest::OpenDescriptors(), descriptors);
}

TEST_F(InterpreterTest, PlottingTwiceStartsAgainFromTheHeader) {
  files.write_log([](TflWriter& w) { w.write(tfl::VerticalLineRecord{1}); });
  plot();
  plot();
  EXPECT_EQ(device->count("plot_vertical_line"), 2u);
}

TEST_F(InterpreterTest, Error1037IsShownOncePerNumberAndPage) {
  coretest::ErrorTableScope errors;
  // A font without 'd' (symbol 100): four missing glyphs in two records make
  // one box per page.
  std::vector<SymbolData> font = coretest::DiagonalFont();
  font.resize(100);
  coretest::WriteSymbolLibrary(files.symbols, font);
  auto text = [](const char* s) {
    tfl::VectorTextRecord r{};
    r.char_width = r.char_height = 1;
    r.angle = 90;
    r.text.assign(s);
    return r;
  };
  files.write_log([&](TflWriter& w) {
    w.write(text("dad"));
    w.write(text("dd"));
  });
  coretest::Recorder short_font(files);
  short_font.plot();
  EXPECT_EQ(short_font.log.texts(), std::vector<std::string>{"E1037:  Symbol = 100"});
  short_font.plot();  // the next page reports it again
  EXPECT_EQ(short_font.log.texts().size(), 2u);
}

TEST_F(InterpreterTest, OrientationSizeIsSetByRecordSix) {
  replay([](TflWriter& w) { w.write(tfl::OrientationSizeRecord{0.25}); });
  EXPECT_EQ(device->orientation_size, 0.25);
}

// --- Strings --------------------------------------------------------------

TEST_F(InterpreterTest, AStringLengthAboveItsCapacityIsCut) {
  auto s = replay([](TflWriter& w) {
    tfl::NoteRecord note{1, 2, {}};
    note.text.assign(std::string(60, 'n'));
    note.text.length = 200;
    w.write(note);
    tfl::FontRecord font{};
    font.face.assign(std::string(40, 'f'));
    font.face.length = 255;
    w.write(font);
  });
  ASSERT_EQ(device->calls.size(), 2u);
  EXPECT_EQ(device->calls[0].text, std::string(60, 'n'));
  EXPECT_EQ(device->calls[1].text, std::string(40, 'f'));
}

// --- Record 26 ------------------------------------------------------------------

TEST_F(InterpreterTest, ParagraphTextEndsAtItsFirstZero) {
  tfl::ParagraphRecord p{{1, 2, 3, 4}, 0, 1, 0};
  auto s = replay([&](TflWriter& w) {
    w.paragraph(p, "");                        // n = 1, a single zero
    w.paragraph(p, "line one\rline two");
    w.write(p);                                // text with a zero in the middle
    w.word(0);
    w.word(6);
    w.bytes("ab\0cd\0", 6);
    w.write(p);                                // no zero at all
    w.word(0);
    w.word(3);
    w.bytes("xyz", 3);
    w.write(tfl::VerticalLineRecord{1});
  });
  EXPECT_EQ(s, (std::vector<std::string>{
                   "plot_paragraph(1,2,3,4,1,0,\"\")",
                   "plot_paragraph(1,2,3,4,1,0,\"line one\rline two\")",
                   "plot_paragraph(1,2,3,4,1,0,\"ab\")",
                   "plot_paragraph(1,2,3,4,1,0,\"xyz\")",
                   "plot_vertical_line(1)",
               }));
}

TEST_F(InterpreterTest, ParagraphLongerThanTheFileIsAReadFailure) {
  files.write_log([](TflWriter& w) {
    w.write(tfl::ParagraphRecord{{1, 2, 3, 4}, 0, 0, 0});
    w.word(0);
    w.word(0xFFFF);
    w.bytes("short", 5);
  });
  EXPECT_EQ(PlotFailureCode(), FileError::kReadPastEnd);
  EXPECT_EQ(device->count("plot_paragraph"), 0u);
  EXPECT_EQ(coretest::OpenDescriptors(), descriptors);
}

// --- Records 103 and 206 ----------------------------------------------------------

TEST_F(InterpreterTest, EmbeddedPicturesReachTheDeviceWithTheirData) {
  const std::vector<uint8_t> wmf = {1, 2, 3, 4, 5};
  const std::vector<uint8_t> bmp = {'B', 'M', 9, 8};
  auto s = replay([&](TflWriter& w) {
    w.picture(tfl::PictureRecord{{1, 2, 3, 4}, 0, 0, 1}, wmf);
    w.bitmap(tfl::BitmapRecord{{5, 6, 7, 8}, 2}, bmp);
    w.write(tfl::VerticalLineRecord{1});
  });
  EXPECT_EQ(s, (std::vector<std::string>{"plot_picture(1,2,3,4,5,0,1)", "plot_bitmap(5,6,7,8,2)",
                                         "plot_vertical_line(1)"}));
  EXPECT_EQ(device->calls[0].data, wmf);
  EXPECT_EQ(device->calls[1].data, bmp);
}

TEST_F(InterpreterTest, PictureCountsBeyondTheFileAreNeverAllocated) {
  for (int32_t n : {0x7FFFFFFF, 1000, -1}) {
    files.write_log([&](TflWriter& w) {
      w.write(tfl::PictureRecord{{1, 2, 3, 4}, 0, 1, 1});
      w.word(0);
      w.dword(n);
      w.bytes("0123456789", 10);
    });
    device->clear();
    EXPECT_EQ(PlotFailureCode(), FileError::kReadPastEnd) << n;
    EXPECT_EQ(device->count("plot_picture"), 0u);
  }
}

TEST_F(InterpreterTest, BitmapCountBeyondTheFileShowsTheStreamMessageAndIsDropped) {
  files.write_log([](TflWriter& w) {
    w.write(tfl::VerticalLineRecord{1});
    w.write(tfl::BitmapRecord{{1, 2, 3, 4}, 0});
    w.word(0);
    w.dword(0x7FFFFFFF);
    w.bytes("BM0123456789", 12);
  });
  plot();  // ends normally: the rest of the file went with the stream
  EXPECT_EQ(device->strings(), std::vector<std::string>{"plot_vertical_line(1)"});
  EXPECT_EQ(log.texts(), std::vector<std::string>{"Out of Resources: unable to load stream"});
  EXPECT_EQ(coretest::OpenDescriptors(), descriptors);
}

// --- Groups ------------------------------------------------------------------------

TEST_F(InterpreterTest, GroupOperationsReadTheirGroups) {
  auto s = replay([](TflWriter& w) {
    w.write(tfl::PolyfillRecord{3, 1, 2, 1});
    w.points(std::vector<tfl::PointRecord>{{1, 2}, {3, 4}, {5, 6}});
    w.write(tfl::PolylineRecord{});
    w.points(std::vector<tfl::PointRecord>{{7, 8}});
    w.write(tfl::ColorPolygonRecord{4, 1, 2, 1, 0xFF});
    w.points(std::vector<tfl::PointRecord>{{9, 9}, {8, 8}});
    w.write(tfl::FilledPolygonRecord{1, 0, 1, 2, 0, 3, 1, 2, 4, 1, 5, 0});
    w.points(std::vector<tfl::PointRecord>{{0, 0}, {1, 0}, {1, 1}});
    w.points(std::vector<tfl::PointRecord>{{2, 2}, {3, 3}});
    w.write(tfl::StyledPolylineRecord{2, 0xFF0000, 1});
    w.vectors(std::vector<tfl::VectorRecord>{{0, 1, 0, 2, 3, 0}, {4, 5, 0, 6, 7, 0}});
    w.write(tfl::VerticalLineRecord{1});
  });
  EXPECT_EQ(s, (std::vector<std::string>{
                   "plot_polyfill(3,1,2,1)",
                   "plot_polyline()",
                   "plot_color_polygon(4,1,1,2,255)",  // outline before the scales
                   "plot_filled_polygon(1,0,1,2,0,3,1,2,4,1,5,0)",
                   "plot_styled_polyline(2,16711680,1)",
                   "plot_vertical_line(1)",
               }));
  EXPECT_EQ(device->calls[0].groups, (std::vector<std::vector<double>>{{1, 2, 3, 4, 5, 6}}));
  EXPECT_EQ(device->calls[1].groups, (std::vector<std::vector<double>>{{7, 8}}));
  EXPECT_EQ(device->calls[2].groups, (std::vector<std::vector<double>>{{9, 9, 8, 8}}));
  EXPECT_EQ(device->calls[3].groups,
            (std::vector<std::vector<double>>{{0, 0, 1, 0, 1, 1}, {2, 2, 3, 3}}));
  EXPECT_EQ(device->calls[4].groups, (std::vector<std::vector<double>>{{0, 1, 2, 3, 4, 5, 6, 7}}));
}

TEST_F(InterpreterTest, AGroupWithoutItsEndRecordEndsAtTheEndOfTheFile) {
  auto s = replay([](TflWriter& w) {
    w.write(tfl::PolylineRecord{});
    w.points(std::vector<tfl::PointRecord>{{1, 2}, {3, 4}}, /*with_end=*/false);
  });
  EXPECT_EQ(s, std::vector<std::string>{"plot_polyline()"});
  EXPECT_EQ(device->calls[0].groups, (std::vector<std::vector<double>>{{1, 2, 3, 4}}));
  EXPECT_EQ(coretest::OpenDescriptors(), descriptors);
}

TEST_F(InterpreterTest, AGroupEndedByAnotherOpcodeConsumesOnlyItsTwoWords) {
  // After the points comes a circle record whose 24 payload bytes happen to
  // be three records of their own: the group reader takes the circle's
  // opcode and length, so the replay continues inside its payload.
  std::vector<uint8_t> payload = {tfl::kColor, 0, 4, 0, 0x11, 0x22, 0x33, 0,  // set_color
                                  tfl::kPenStyle, 0, 1, 0, 4,                  // set_pen_style
                                  77, 0, 7, 0, 0, 0, 0, 0, 0, 0, 0};           // unknown, 7 bytes
  ASSERT_EQ(payload.size(), 24u);
  auto s = replay([&](TflWriter& w) {
    w.write(tfl::PolylineRecord{});
    w.points(std::vector<tfl::PointRecord>{{1, 2}}, /*with_end=*/false);
    w.raw(tfl::kCircle, 24, payload);
    w.write(tfl::VerticalLineRecord{1});
  });
  EXPECT_EQ(s, (std::vector<std::string>{"plot_polyline()", "set_color(3351057)",
                                         "set_pen_style(4)", "plot_vertical_line(1)"}));
}

TEST_F(InterpreterTest, PointsAndEndRecordsAloneDoNothing) {
  auto s = replay([](TflWriter& w) {
    w.points(std::vector<tfl::PointRecord>{{1, 2}});
    w.end_group();
    w.write(tfl::VerticalLineRecord{1});
  });
  EXPECT_EQ(s, std::vector<std::string>{"plot_vertical_line(1)"});
}

// --- Devices without their own operations ---------------------------------------------

// A device that reads all, part or none of its groups stays in step with the
// file: the interpreter reads past what it left, and polygon B starts where
// polygon A ends whether the device read A or not.
TEST_F(InterpreterTest, GroupsTheDeviceLeftUnreadAreReadPast) {
  struct Lazy : TraceDevice {
    using TraceDevice::TraceDevice;
    void plot_filled_polygon(const FilledPolygonStyle&, PointGroup&, PointGroup& b) override {
      gd::Point p{};
      b.next(p);
      add_point(p);
    }
    void plot_polyline(PointGroup& points) override {
      gd::Point p{};
      points.next(p);
      add_point(p);
    }
    void plot_styled_polyline(int32_t, int32_t, uint8_t, VectorGroup&) override {}
    void add_point(gd::Point p) { calls.push_back({"first", {p.x, p.y}}); }
  };
  files.write_log([](TflWriter& w) {
    w.write(tfl::FilledPolygonRecord{});
    w.points(std::vector<tfl::PointRecord>{{0, 0}, {1, 1}});
    w.points(std::vector<tfl::PointRecord>{{2, 2}, {3, 3}});
    w.write(tfl::StyledPolylineRecord{});
    w.vectors(std::vector<tfl::VectorRecord>{{0, 1, 0, 2, 3, 0}});
    w.write(tfl::PolylineRecord{});
    w.points(std::vector<tfl::PointRecord>{{4, 4}, {5, 5}, {6, 6}});
    w.write(tfl::VerticalLineRecord{1});
  });
  Lazy lazy(recorder.libraries);
  Interpreter::Replay(files.log, lazy, recorder.cookie);
  EXPECT_EQ(lazy.strings(),
            (std::vector<std::string>{"first(2,2)", "first(4,4)", "plot_vertical_line(1)"}));

  // The plain device reads no group and refuses text.
  gd_object plain(recorder.libraries);
  EXPECT_NO_THROW(Interpreter::Replay(files.log, plain, recorder.cookie));
  files.write_log([](TflWriter& w) { w.write(tfl::TextRecord{}); });
  EXPECT_THROW(Interpreter::Replay(files.log, plain, recorder.cookie), std::logic_error);
  EXPECT_EQ(coretest::OpenDescriptors(), descriptors);
}

}  // namespace
