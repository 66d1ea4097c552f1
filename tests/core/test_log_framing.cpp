// The framing check: a log cut at any byte passes only where a record ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>
#include <vector>

#include "TestFiles.h"
#include "core/LogFraming.h"
#include "core/TflWriter.h"

using tfl::Framing;
using tfl::TflWriter;

namespace {

// One whole record each, with every kind of framing a log has.
const std::vector<std::function<void(TflWriter&)>>& RecordSteps() {
  static const std::vector<std::function<void(TflWriter&)>> steps = {
      [](TflWriter& w) { w.write(tfl::ColorRecord{0x0000FF}); },
      [](TflWriter& w) { w.write(tfl::VectorRecord{0, 1, 0, 2, 3, 0}); },
      // A known opcode whose length word lies: its payload has the table's size.
      [](TflWriter& w) {
        tfl::PenWidthRecord pen{3};
        w.frame(tfl::kPenWidth, 40);
        w.bytes(&pen, sizeof pen);
      },
      // Unknown opcodes and a later header record are skipped by their length.
      [](TflWriter& w) { w.raw(0, 3, std::vector<uint8_t>{1, 2, 3}); },
      [](TflWriter& w) { w.raw(tfl::kHeader, 2, std::vector<uint8_t>{7, 7}); },
      [](TflWriter& w) { w.paragraph(tfl::ParagraphRecord{}, "two words"); },
      [](TflWriter& w) { w.picture(tfl::PictureRecord{}, std::vector<uint8_t>(9, 0x42)); },
      [](TflWriter& w) { w.bitmap(tfl::BitmapRecord{}, std::vector<uint8_t>(5, 0x24)); },
      [](TflWriter& w) {
        w.write(tfl::PolylineRecord{});
        const tfl::PointRecord pts[] = {{0, 0}, {1, 1}, {2, 0}};
        w.points(pts);
      },
      [](TflWriter& w) {
        w.write(tfl::FilledPolygonRecord{});
        const tfl::PointRecord a[] = {{0, 0}, {1, 1}}, b[] = {{5, 5}};
        w.points(a);
        w.points(b);
      },
      [](TflWriter& w) {
        w.write(tfl::StyledPolylineRecord{});
        const tfl::VectorRecord v[] = {{0, 0, 0, 1, 1, 0}, {1, 1, 0, 2, 0, 0}};
        w.vectors(v);
      },
      // A group ended by another opcode: the replay takes only its two words.
      [](TflWriter& w) {
        w.write(tfl::PolyfillRecord{});
        const tfl::PointRecord pts[] = {{0, 0}};
        w.points(pts, false);
        w.frame(tfl::kColor, 4);
      },
      // An empty group.
      [](TflWriter& w) {
        w.write(tfl::ColorPolygonRecord{});
        w.end_group();
      },
      [](TflWriter& w) { w.write(tfl::FillRectangleRecord{}); },
  };
  return steps;
}

std::vector<uint8_t> LogOfSteps(const std::string& path, size_t count) {
  {
    TflWriter w(path, tfl::DefaultHeader());
    for (size_t i = 0; i < count; ++i) RecordSteps()[i](w);
  }
  const auto bytes = testfiles::ReadAll(path);
  return {bytes.begin(), bytes.end()};
}

}  // namespace

TEST(LogFraming, OnlyCutsAtRecordEndsAreComplete) {
  testfiles::TempDir dir;
  const std::string path = dir.file("steps.tfl");
  // Where each record ends: the sizes of the logs of the first k records.
  std::set<uint64_t> ends;
  for (size_t k = 0; k <= RecordSteps().size(); ++k) ends.insert(LogOfSteps(path, k).size());
  const std::vector<uint8_t> whole = LogOfSteps(path, RecordSteps().size());
  ASSERT_EQ(*ends.rbegin(), whole.size());

  for (size_t cut = 0; cut <= whole.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    const Framing f = tfl::CheckFraming(std::span(whole.data(), cut));
    EXPECT_EQ(f.status, ends.count(cut) ? Framing::Complete : Framing::EndsInRecord);
    // The last whole record before the cut (none before the header is whole).
    auto next = ends.upper_bound(cut);
    const uint64_t before = next == ends.begin() ? 0 : *std::prev(next);
    EXPECT_EQ(f.boundary, before);
  }

  // The file as a whole and cut: read from disk as from memory.
  EXPECT_EQ(tfl::CheckFileFraming(path).status, Framing::Complete);
  testfiles::WriteAll(path, {whole.begin(), whole.end() - 3});
  EXPECT_EQ(tfl::CheckFileFraming(path).status, Framing::EndsInRecord);
  EXPECT_EQ(tfl::CheckFileFraming(dir.file("missing.tfl")).status, Framing::NotFramed);
}

// A header record longer than its block, an old or foreign first record, and
// a data block of negative length (no bytes written later can end it).
TEST(LogFraming, HeaderLengthAndUnframedFiles) {
  testfiles::TempDir dir;
  std::vector<uint8_t> log = LogOfSteps(dir.file("one.tfl"), 1);
  // Lengthen the header record by 6 bytes: the records still frame.
  const uint16_t longer = tfl::kHeaderLength + 6;
  std::memcpy(&log[2], &longer, 2);
  log.insert(log.begin() + 4 + tfl::kHeaderLength, 6, 0xEE);
  EXPECT_EQ(tfl::CheckFraming(log).status, Framing::Complete);
  EXPECT_EQ(tfl::CheckFraming(std::span(log.data(), log.size() - 1)).status,
            Framing::EndsInRecord);

  std::vector<uint8_t> old = log;
  old[0] = static_cast<uint8_t>(tfl::kOldVersion);
  old[1] = 0;
  EXPECT_EQ(tfl::CheckFraming(old).status, Framing::NotFramed);

  const std::string path = dir.file("negative.tfl");
  {
    TflWriter w(path, tfl::DefaultHeader());
    w.write(tfl::PictureRecord{});
    w.word(0);
    w.dword(-5);
  }
  const auto bytes = testfiles::ReadAll(path);
  EXPECT_EQ(tfl::CheckFraming(std::vector<uint8_t>(bytes.begin(), bytes.end())).status,
            Framing::NotFramed);
}
