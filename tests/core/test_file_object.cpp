// The buffered binary file stream: what callers observe must be the same as
// reading the file byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <numeric>

#include "core/file_object.h"
#include "platform/MessageBox.h"
#include "TestFiles.h"

namespace {

std::vector<unsigned char> Counting(size_t n) {
  std::vector<unsigned char> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<unsigned char>(i * 7 + i / 251);
  return v;
}

int CodeOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const FileError& e) {
    return e.code();
  }
  return 0;
}

class FileObjectTest : public ::testing::Test {
 protected:
  testfiles::TempDir dir;
  std::string path = dir.file("data.bin");
  file_object f;
  void open(const std::vector<unsigned char>& bytes) {
    testfiles::WriteAll(path, bytes);
    f.file_name = path;
    f.open_read();
  }
};

TEST_F(FileObjectTest, WordFFFFReadsBackAs65535AndMinusOne) {
  f.file_name = path;
  f.open_write();
  f.write_int(-1);
  f.write_int(0x1234);
  f.close();
  EXPECT_EQ(testfiles::ReadAll(path), (std::vector<unsigned char>{0xFF, 0xFF, 0x34, 0x12}));
  f.open_read();
  int16_t v = f.read_int();
  EXPECT_EQ(v, -1);
  EXPECT_EQ(static_cast<uint16_t>(v), 65535);
  EXPECT_EQ(f.read_int(), 0x1234);  // little-endian
}

TEST_F(FileObjectTest, SkipPastTheEndStopsQuietlyAndZeroSkipsNothing) {
  open(Counting(10));
  f.skip_bytes(0);
  EXPECT_EQ(f.position(), 0);
  unsigned char buf[8];
  f.read_bytes(buf, 8);
  f.skip_bytes(5);  // only 2 bytes left
  EXPECT_EQ(f.position(), 10);
  EXPECT_TRUE(f.eof());
  f.skip_bytes(1000);
  EXPECT_EQ(f.position(), 10);
}

TEST_F(FileObjectTest, ReadPastTheEndFailsWithCode100) {
  open(Counting(5));
  unsigned char buf[8];
  EXPECT_EQ(CodeOf([&] { f.read_bytes(buf, 6); }), FileError::kReadPastEnd);
  // A count of 0 reads nothing, even at the end.
  open(Counting(2));
  f.read_int();
  EXPECT_EQ(CodeOf([&] { f.read_bytes(buf, 0); }), 0);
  EXPECT_EQ(CodeOf([&] { f.read_int(); }), FileError::kReadPastEnd);
  // Half a long at the end is a failure too.
  open(Counting(3));
  EXPECT_EQ(CodeOf([&] { f.read_long(); }), FileError::kReadPastEnd);
}

TEST_F(FileObjectTest, ReadsOnAClosedFileFailWithCode103) {
  unsigned char buf[2];
  EXPECT_EQ(CodeOf([&] { f.read_int(); }), FileError::kNotOpen);
  EXPECT_EQ(CodeOf([&] { f.read_bytes(buf, 1); }), FileError::kNotOpen);
  open(Counting(4));
  f.close();
  EXPECT_EQ(CodeOf([&] { f.read_long(); }), FileError::kNotOpen);
  EXPECT_EQ(CodeOf([&] { f.skip_bytes(1); }), FileError::kNotOpen);
}

TEST_F(FileObjectTest, CloseIsSafeTwiceAndOnANeverOpenedObject) {
  file_object never;
  never.close();
  EXPECT_FALSE(never.is_open);
  open(Counting(4));
  f.close();
  f.close();
  EXPECT_FALSE(f.is_open);
}

TEST_F(FileObjectTest, MissingFileFailsToOpen) {
  f.file_name = dir.file("absent.bin");
  EXPECT_EQ(CodeOf([&] { f.open_read(); }), 2);
  EXPECT_FALSE(f.is_open);
}

TEST_F(FileObjectTest, FileSizeIsTakenOnceAtOpen) {
  open(Counting(100));
  EXPECT_EQ(f.file_size, 100);
  {
    std::ofstream grow(path, std::ios::binary | std::ios::app);
    grow << std::string(50, 'x');
  }
  EXPECT_EQ(f.file_size, 100);
}

TEST_F(FileObjectTest, ReadsAcrossBufferBoundariesMatchTheFile) {
  // Odd-sized reads and skips over several 64 KiB buffer fills.
  const auto bytes = Counting(300000);
  open(bytes);
  std::vector<unsigned char> got;
  size_t pos = 0;
  unsigned char buf[65535];
  for (uint16_t step = 1; pos < bytes.size(); step = static_cast<uint16_t>(step * 3 + 17)) {
    uint16_t n = static_cast<uint16_t>(std::min<size_t>(step, bytes.size() - pos));
    f.read_bytes(buf, n);
    ASSERT_TRUE(std::equal(buf, buf + n, bytes.begin() + static_cast<long>(pos))) << "at " << pos;
    pos += n;
    if (pos + 70001 < bytes.size()) {
      f.skip_bytes(60000);
      pos += 60000;
      ASSERT_EQ(f.position(), static_cast<int64_t>(pos));
    }
  }
  EXPECT_TRUE(f.eof());
}

TEST_F(FileObjectTest, ReadStreamDeliversTheBytesPositionedAtZero) {
  open(Counting(20));
  f.skip_bytes(4);
  auto s = f.read_stream(10);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->size(), 10u);
  EXPECT_EQ(s->position(), 0u);
  auto all = Counting(20);
  EXPECT_TRUE(std::equal(s->data(), s->data() + 10, all.begin() + 4));
  EXPECT_EQ(f.position(), 14);
}

// The caller tells the user (the interpreter's test covers the message); the
// stream itself opens no box.
TEST_F(FileObjectTest, FailedReadStreamYieldsNullAndConsumesTheRest) {
  platform::ClearShownBoxes();
  for (int32_t count : {11, -1, 0x7FFFFFFF}) {
    open(Counting(10));
    f.skip_bytes(2);
    EXPECT_EQ(f.read_stream(count), nullptr) << count;
    EXPECT_TRUE(f.eof()) << count;
  }
  f.close();
  EXPECT_EQ(f.read_stream(1), nullptr);  // closed file
  EXPECT_TRUE(platform::ShownBoxes().empty());
}

TEST_F(FileObjectTest, ReadBlockRefusesACountBeyondTheBlock) {
  open(Counting(10));
  MemoryBlock block(4);
  EXPECT_EQ(CodeOf([&] { f.read_block(block, 5); }), FileError::kReadPastEnd);
  f.read_block(block, 4);
  EXPECT_EQ(block.data()[3], Counting(10)[3]);
}

}  // namespace
