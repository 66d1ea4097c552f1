// Pictures on the canvas device: picture files named in a log (bitmap or
// JPEG by the name), pictures and bitmaps embedded in it, the temporary
// files they pass through, and files that must not be read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QImageWriter>
#include <filesystem>
#include <fstream>

#include "DeviceTestSupport.h"
#include "devices/PlaceableMetafile.h"
#include "platform/PictureError.h"
#include "support/Paths.h"

using namespace devtest;
namespace fs = std::filesystem;

namespace {

void Put16(std::vector<uint8_t>& b, unsigned v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// A 24-bit bottom-up bitmap file; colour(x, y) gives 0xRRGGBB for the row
// y counted from the top.
std::vector<uint8_t> Bmp24(int w, int h, const std::function<uint32_t(int, int)>& colour) {
  const int stride = (w * 3 + 3) & ~3;
  std::vector<uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, 54 + stride * h);
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);
  Put32(b, uint32_t(w));
  Put32(b, uint32_t(h));
  Put16(b, 1);
  Put16(b, 24);
  for (int i = 0; i < 6; ++i) Put32(b, 0);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const uint32_t c = colour(x, y);
      b.push_back(uint8_t(c));
      b.push_back(uint8_t(c >> 8));
      b.push_back(uint8_t(c >> 16));
    }
    for (int pad = w * 3; pad < stride; ++pad) b.push_back(0);
  }
  return b;
}

// Left half red, right half blue.
std::vector<uint8_t> RedBlue(int w, int h) {
  return Bmp24(w, h, [w](int x, int) { return x < w / 2 ? 0xFF0000u : 0x0000FFu; });
}

// A metafile without placeable header: window 100 x 100, a green brush, a
// rectangle over the window's top-left quarter.
std::vector<uint8_t> GreenQuarterMetafile() {
  std::vector<uint8_t> records;
  auto record = [&](uint16_t function, std::initializer_list<unsigned> params) {
    Put32(records, uint32_t(3 + params.size()));
    Put16(records, function);
    for (unsigned p : params) Put16(records, p);
  };
  record(0x020C, {100, 100});                 // SetWindowExt(height, width)
  record(0x02FC, {0, 0xFF00, 0x0000, 0});     // CreateBrushIndirect: solid, green
  record(0x012D, {0});                        // SelectObject(0)
  record(0x041B, {50, 50, 0, 0});             // Rectangle(bottom, right, top, left)
  record(0x0000, {});                         // end
  std::vector<uint8_t> m;
  Put16(m, 1);
  Put16(m, 9);
  Put16(m, 0x0300);
  Put32(m, uint32_t((18 + records.size()) / 2));
  Put16(m, 1);
  Put32(m, 7);
  Put16(m, 0);
  m.insert(m.end(), records.begin(), records.end());
  return m;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  testfiles::WriteAll(path, std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

std::vector<uint8_t> JpegBytes(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(QColor(200, 30, 30));
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "JPG", 95)) return {};
  return std::vector<uint8_t>(data.begin(), data.end());
}

tfl::PictureFileRecord PictureFile(const std::string& name, uint8_t stretch, uint8_t frame,
                                   tfl::Rect rect = {100, 900, 300, 800}) {
  tfl::PictureFileRecord r{};
  r.rect = rect;
  r.file_name.assign(name);
  r.stretch = stretch;
  r.frame = frame;
  return r;
}

// Temporary files go to the temporary directory: a folder of the test's own.
class TempDirectoryIn {
 public:
  explicit TempDirectoryIn(const std::string& dir) { SetTempDirectoryOverride(dir); }
  ~TempDirectoryIn() { SetTempDirectoryOverride(""); }
};

std::vector<std::string> TempFilesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (name.rfind("~bmp", 0) == 0 || name.rfind("~wmf", 0) == 0) names.push_back(name);
  }
  return names;
}

tfl::Header HeaderSection() {
  tfl::Header h = PixelHeader();
  h.first_header_height = 3.0;
  return h;
}

constexpr uint32_t kRedQ = 0xFF0000, kBlueQ = 0x0000FF, kGreenQ = 0x00FF00;

}  // namespace

// --- Picture files -----------------------------------------------------------------

TEST(PictureFile, StretchedIntoItsRectangleOneColumnAndRowInside) {
  Fixture f;
  WriteBytes(f.dir.file("core.bmp"), RedBlue(4, 2));
  const std::string log = f.WriteLog(PixelHeader(), [&](tfl::TflWriter& w) {
    w.write(PictureFile(f.dir.file("core.bmp"), 1, 0));
  });
  const QImage page = f.Render(log);
  // Columns 101..299 and rows 99..197: left = 100 + 1, width 200 - 1.
  EXPECT_EQ(Pixel(page, 101, 99), kRedQ);
  EXPECT_EQ(Pixel(page, 199, 197), kRedQ);
  EXPECT_EQ(Pixel(page, 201, 150), kBlueQ);
  EXPECT_EQ(Pixel(page, 299, 150), kBlueQ);
  EXPECT_EQ(Pixel(page, 100, 150), kWhite);
  EXPECT_EQ(Pixel(page, 300, 150), kWhite);
  EXPECT_EQ(Pixel(page, 150, 98), kWhite);
  EXPECT_EQ(Pixel(page, 150, 198), kWhite);
}

TEST(PictureFile, AtItsOwnSizeTheFrameShrinksToASmallPicture) {
  Fixture f;
  WriteBytes(f.dir.file("small.bmp"), RedBlue(40, 20));
  const std::string log = f.WriteLog(PixelHeader(), [&](tfl::TflWriter& w) {
    w.write(PictureFile(f.dir.file("small.bmp"), 0, 1));
  });
  const QImage page = f.Render(log);
  EXPECT_EQ(Pixel(page, 110, 105), kRedQ);
  EXPECT_EQ(Pixel(page, 130, 105), kBlueQ);
  // Frame: columns 101 and 140, rows 99 and 119 (picture 40 x 20 at 101, 99).
  EXPECT_EQ(Pixel(page, 101, 110), kBlack);
  EXPECT_EQ(Pixel(page, 140, 110), kBlack);
  EXPECT_EQ(Pixel(page, 120, 99), kBlack);
  EXPECT_EQ(Pixel(page, 120, 119), kBlack);
  EXPECT_EQ(Pixel(page, 141, 110), kWhite);
  EXPECT_EQ(Pixel(page, 120, 120), kWhite);
  EXPECT_EQ(InkCount(page, 142, 0, 816, 1056), 0);
}

TEST(PictureFile, OnlyDotJpgInAnyCaseIsReadAsJpeg) {
  Fixture f;
  const std::vector<uint8_t> jpeg = JpegBytes(40, 20);
  if (jpeg.empty()) GTEST_SKIP() << "Qt cannot write JPEG here";
  const std::vector<uint8_t> bmp = RedBlue(40, 20);
  auto error_for = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
    WriteBytes(f.dir.file(name), bytes);
    const std::string log = f.WriteLog(PixelHeader(), [&](tfl::TflWriter& w) {
      w.write(PictureFile(f.dir.file(name), 1, 0));
    });
    std::string error;
    const QImage page = f.RenderKeepingError(log, error);
    if (error.empty()) {
      EXPECT_GT(InkCount(page), 15000) << name;
    }
    return error;
  };
  EXPECT_EQ(error_for("photo.JPG", jpeg), "");
  EXPECT_EQ(error_for("photo2.jpg", jpeg), "");
  EXPECT_EQ(error_for("bitmap.jpeg", bmp), "");
  // The other way round the readers refuse the data, naming the file.
  const std::string as_bitmap = error_for("photo.jpeg", jpeg);
  EXPECT_NE(as_bitmap.find("photo.jpeg"), std::string::npos) << as_bitmap;
  const std::string as_jpeg = error_for("bitmap.Jpg", bmp);
  EXPECT_NE(as_jpeg.find("bitmap.Jpg"), std::string::npos) << as_jpeg;
}

TEST(PictureFile, AJpegWithStrayBytesDrawsOneCutInItsScanEndsThePage) {
  Fixture f;
  const std::vector<uint8_t> jpeg = JpegBytes(64, 64);
  if (jpeg.empty()) GTEST_SKIP() << "Qt cannot write JPEG here";
  std::vector<uint8_t> stray = jpeg;
  std::size_t dqt = 2;
  while (dqt + 1 < stray.size() && !(stray[dqt] == 0xFF && stray[dqt + 1] == 0xDB)) ++dqt;
  ASSERT_LT(dqt + 1, stray.size());
  stray.insert(stray.begin() + std::ptrdiff_t(dqt), {0x00, 0x00, 0x00, 0x00});
  // Cut inside the scan data, before the end marker.
  const std::vector<uint8_t> cut(jpeg.begin(), jpeg.end() - 8);
  auto render = [&](const std::string& name, const std::vector<uint8_t>& bytes, std::string& error) {
    WriteBytes(f.dir.file(name), bytes);
    return f.RenderKeepingError(f.WriteLog(PixelHeader(), [&](tfl::TflWriter& w) {
      w.write(PictureFile(f.dir.file(name), 0, 0));
    }), error);
  };
  std::string error;
  const QImage whole = render("stray.jpg", stray, error);
  EXPECT_EQ(error, "");
  EXPECT_GT(InkCount(whole), 60 * 60);
  EXPECT_EQ(whole, render("clean.jpg", jpeg, error));
  render("cut.jpg", cut, error);
  EXPECT_NE(error.find("cut.jpg"), std::string::npos) << error;
  EXPECT_NE(error.find("Premature end"), std::string::npos) << error;
}

TEST(PictureFile, NamesThatAreNoPictureFileEndThePageWithAnError) {
  Fixture f;
  fs::create_directory(f.dir.file("folder.bmp"));
  ASSERT_EQ(::mkfifo(f.dir.file("pipe.bmp").c_str(), 0600), 0);
  {
    // A sparse file just over 64 MiB: refused by its size, never read.
    std::ofstream big(f.dir.file("huge.bmp"), std::ios::binary);
    big.seekp((64ll << 20));
    big.put('x');
  }
  // A bitmap that claims 30000 x 30000 pixels (3.6 GB decoded) in 60 bytes.
  std::vector<uint8_t> claim = RedBlue(2, 2);
  std::memcpy(claim.data() + 18, "\x30\x75\x00\x00\x30\x75\x00\x00", 8);
  WriteBytes(f.dir.file("claims.bmp"), claim);
  for (const std::string name : {"folder.bmp", "pipe.bmp", "huge.bmp", "missing.bmp", "claims.bmp"}) {
    SCOPED_TRACE(name);
    const std::string log = f.WriteLog(PixelHeader(), [&](tfl::TflWriter& w) {
      w.write(PictureFile(f.dir.file(name), 1, 1));
      w.write(Vec(0, 500, 800, 500));  // not reached
    });
    std::string error;
    const QImage page = f.RenderKeepingError(log, error);
    EXPECT_NE(error.find(name), std::string::npos) << error;
    EXPECT_EQ(InkCount(page), 0);
  }
}

// --- Embedded pictures ------------------------------------------------------------------

TEST(EmbeddedPicture, BitmapsDrawStretchedInTheirSectionAndLeaveNoTemporaryFile) {
  Fixture f;
  TempDirectoryIn temp(f.dir.path());
  const std::vector<uint8_t> bmp = RedBlue(2, 2);
  const std::string log = f.WriteLog(HeaderSection(), [&](tfl::TflWriter& w) {
    tfl::PictureRecord p{};
    p.rect = {100, 0.5, 300, 1.0};  // rows 48..96
    p.bitmap = 1;
    p.section = 1;
    w.picture(p, bmp);
    tfl::BitmapRecord b{};
    b.rect = {400, 0.5, 600, 1.0};
    b.section = 1;
    w.bitmap(b, bmp);
    tfl::PictureRecord other = p;
    other.section = 2;  // another page's header: not drawn
    other.rect = {100, 2.0, 300, 2.5};
    w.picture(other, bmp);
  });
  const QImage page = f.Render(log);
  for (int left : {100, 400}) {
    SCOPED_TRACE(left);
    EXPECT_EQ(Pixel(page, left, 48), kRedQ);
    EXPECT_EQ(Pixel(page, left + 99, 95), kRedQ);
    EXPECT_EQ(Pixel(page, left + 100, 70), kBlueQ);
    EXPECT_EQ(Pixel(page, left + 199, 95), kBlueQ);
    EXPECT_EQ(Pixel(page, left + 200, 70), kWhite);
    EXPECT_EQ(Pixel(page, left + 50, 96), kWhite);
  }
  EXPECT_EQ(InkCount(page, 0, 150, 816, 300), 0);
  EXPECT_TRUE(TempFilesIn(f.dir.path()).empty());
}

TEST(EmbeddedPicture, MetafileIsFramedToItsRectangleAndItsTemporaryFileDeleted) {
  Fixture f;
  TempDirectoryIn temp(f.dir.path());
  // Someone else's files under the names the device would choose first: a
  // metafile and a link to a file that must not be written through.
  WriteBytes(f.dir.file("~wmf1.wmf"), {1, 2, 3});
  WriteBytes(f.dir.file("victim"), {9, 9});
  fs::create_symlink(f.dir.file("victim"), f.dir.file("~bmp1.tmp"));
  const std::string log = f.WriteLog(HeaderSection(), [&](tfl::TflWriter& w) {
    tfl::PictureRecord p{};
    p.rect = {100, 0.5, 300, 1.5};  // 200 x 96 pixels at rows 48..144
    p.bitmap = 0;
    p.section = 1;
    w.picture(p, GreenQuarterMetafile());
    p.rect = {400, 0.5, 600, 1.5};
    p.bitmap = 1;
    w.picture(p, RedBlue(2, 2));
  });
  const QImage page = f.Render(log);
  // The window's top-left quarter: columns 100..199, rows 48..95.
  EXPECT_EQ(Pixel(page, 150, 70), kGreenQ);
  EXPECT_EQ(Pixel(page, 250, 70), kWhite);
  EXPECT_EQ(Pixel(page, 150, 120), kWhite);
  EXPECT_EQ(Pixel(page, 450, 70), kRedQ);
  EXPECT_EQ(testfiles::ReadAll(f.dir.file("~wmf1.wmf")), (std::vector<unsigned char>{1, 2, 3}));
  EXPECT_EQ(testfiles::ReadAll(f.dir.file("victim")), (std::vector<unsigned char>{9, 9}));
  std::vector<std::string> left = TempFilesIn(f.dir.path());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"~bmp1.tmp", "~wmf1.wmf"}));
}

TEST(EmbeddedPicture, PlaceableHeaderCarriesTheFrameAndAChecksum) {
  const std::vector<uint8_t> wmf = GreenQuarterMetafile();
  const std::vector<uint8_t> out =
      placeable_metafile::WithPlaceableHeader(wmf, 1000, 200, 96, 96);
  ASSERT_EQ(out.size(), wmf.size() + 22);
  auto u16 = [&](size_t at) { return unsigned(out[at] | (out[at + 1] << 8)); };
  EXPECT_EQ(u16(0) | (u16(2) << 16), 0x9AC6CDD7u);
  EXPECT_EQ(u16(10), 200u);
  EXPECT_EQ(u16(12), 96u);
  EXPECT_EQ(u16(14), 96u);
  unsigned x = 0;
  for (size_t i = 0; i < 20; i += 2) x ^= u16(i);
  EXPECT_EQ(u16(20), x);
  EXPECT_EQ(u16(22 + 6) | (u16(22 + 8) << 16), 500u);  // the size in words
  EXPECT_TRUE(std::equal(wmf.begin() + 10, wmf.end(), out.begin() + 32));
  EXPECT_THROW(placeable_metafile::WithPlaceableHeader(std::span(wmf).first(17), 17, 1, 1, 96),
               platform::PictureError);
}

TEST(EmbeddedPicture, AMetafileFrameWiderThan32767PixelsIsARangeError) {
  Fixture f;
  TempDirectoryIn temp(f.dir.path());
  const std::string log = f.WriteLog(HeaderSection(), [&](tfl::TflWriter& w) {
    tfl::PictureRecord p{};
    p.rect = {0, 0.5, 40000, 1.0};
    p.bitmap = 0;
    p.section = 1;
    w.picture(p, GreenQuarterMetafile());
  });
  std::string error;
  f.RenderKeepingError(log, error);
  EXPECT_EQ(error, "Range check error");
  EXPECT_TRUE(TempFilesIn(f.dir.path()).empty());
}

TEST(EmbeddedPicture, BrokenDataEndsThePageAndLeavesNoTemporaryFile) {
  Fixture f;
  TempDirectoryIn temp(f.dir.path());
  for (uint8_t bitmap : {0, 1}) {
    SCOPED_TRACE(int(bitmap));
    const std::string log = f.WriteLog(HeaderSection(), [&](tfl::TflWriter& w) {
      tfl::PictureRecord p{};
      p.rect = {100, 0.5, 300, 1.0};
      p.bitmap = bitmap;
      p.section = 1;
      const std::vector<uint8_t> junk(10, 0x42);
      w.picture(p, junk);
      w.write(Vec(0, 500, 800, 500));
    });
    std::string error;
    const QImage page = f.RenderKeepingError(log, error);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(InkCount(page), 0);
    EXPECT_TRUE(TempFilesIn(f.dir.path()).empty());
  }
}
