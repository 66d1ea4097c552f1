// Bitmap file decoding: synthetic files with known pixels, the shared sample
// files (compared against Qt's own reader where that reader is sure), the
// broken samples, and cut or oversized headers.
#include <QImage>
#include <QImageReader>
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "picture_test_files.h"
#include "platform/BitmapFile.h"

using platform::DecodeBitmapFile;
using platform::DecodePackedDib;
using platform::PictureError;
using namespace picturetest;

namespace {

QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

std::string Message(const std::vector<std::uint8_t>& data) {
  try {
    DecodeBitmapFile(data);
  } catch (const PictureError& e) {
    return e.what();
  }
  return "";
}

// 24 bits, 3 x 2, bottom-up: rows of 9 bytes padded to 12.
std::vector<std::uint8_t> Rgb24Pixels() {
  return {
      // bottom row: blue, green, red
      0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0,
      // top row: white, black, grey
      0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0x80, 0x80, 0, 0, 0};
}

}  // namespace

TEST(BitmapFileTest, Rgb24RowsAreBottomUpOrTopDownByTheSignOfTheHeight) {
  const QImage up = DecodeBitmapFile(BitmapFile(InfoHeader(3, 2, 24), Rgb24Pixels()));
  ASSERT_EQ(up.size(), QSize(3, 2));
  EXPECT_EQ(up.format(), QImage::Format_RGB32);
  EXPECT_EQ(At(up, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(At(up, 1, 0), 0x000000u);
  EXPECT_EQ(At(up, 2, 0), 0x808080u);
  EXPECT_EQ(At(up, 0, 1), 0x0000FFu);
  EXPECT_EQ(At(up, 1, 1), 0x00FF00u);
  EXPECT_EQ(At(up, 2, 1), 0xFF0000u);

  const QImage down = DecodeBitmapFile(BitmapFile(InfoHeader(3, -2, 24), Rgb24Pixels()));
  ASSERT_EQ(down.size(), QSize(3, 2));
  EXPECT_EQ(At(down, 0, 0), 0x0000FFu);
  EXPECT_EQ(At(down, 2, 1), 0x808080u);
}

TEST(BitmapFileTest, PalettedPixelsUseTheColourTableAndBlackPastItsEnd) {
  // 1 bit, 10 x 1: two colours, bits 1010000011 -> rows padded to 4 bytes.
  std::vector<std::uint8_t> info = InfoHeader(10, 1, 1, 0, 2);
  Put32(info, 0x00FF0000);  // entry 0: red (B, G, R, 0)
  Put32(info, 0x0000FF00);  // entry 1: green
  const QImage mono = DecodeBitmapFile(BitmapFile(info, {0b10100000, 0b11000000, 0, 0}));
  ASSERT_EQ(mono.width(), 10);
  EXPECT_EQ(At(mono, 0, 0), 0x00FF00u);
  EXPECT_EQ(At(mono, 1, 0), 0xFF0000u);
  EXPECT_EQ(At(mono, 2, 0), 0x00FF00u);
  EXPECT_EQ(At(mono, 8, 0), 0x00FF00u);
  EXPECT_EQ(At(mono, 9, 0), 0x00FF00u);

  // 4 bits with a 2-entry table: index 5 lies past the table -> black.
  std::vector<std::uint8_t> info4 = InfoHeader(3, 1, 4, 0, 2);
  Put32(info4, 0x00FFFFFF);
  Put32(info4, 0x000000FF);  // blue
  const QImage four = DecodeBitmapFile(BitmapFile(info4, {0x15, 0x00, 0, 0}));
  EXPECT_EQ(At(four, 0, 0), 0x0000FFu);
  EXPECT_EQ(At(four, 1, 0), 0x000000u);
  EXPECT_EQ(At(four, 2, 0), 0xFFFFFFu);
}

TEST(BitmapFileTest, SixteenAndThirtyTwoBitMasks) {
  // 16 bits without masks: 5-5-5. 0x7C00 is full red, 0x001F full blue.
  const QImage rgb555 = DecodeBitmapFile(BitmapFile(InfoHeader(2, 1, 16), {0x00, 0x7C, 0x1F, 0x00}));
  EXPECT_EQ(At(rgb555, 0, 0), 0xFF0000u);
  EXPECT_EQ(At(rgb555, 1, 0), 0x0000FFu);

  // 5-6-5 bit fields: 0x07E0 is full green, 0x0400 half green (32 of 63).
  std::vector<std::uint8_t> info = InfoHeader(2, 1, 16, 3);
  Put32(info, 0xF800);
  Put32(info, 0x07E0);
  Put32(info, 0x001F);
  const QImage rgb565 = DecodeBitmapFile(BitmapFile(info, {0xE0, 0x07, 0x00, 0x04}));
  EXPECT_EQ(At(rgb565, 0, 0), 0x00FF00u);
  EXPECT_EQ(qGreen(rgb565.pixel(1, 0)), 130);  // 32 * 255 / 63, rounded

  // 32 bits without masks: the fourth byte is not alpha and is ignored.
  const QImage rgb32 = DecodeBitmapFile(BitmapFile(InfoHeader(1, 1, 32), {0x10, 0x20, 0x30, 0x99}));
  EXPECT_EQ(rgb32.pixel(0, 0), 0xFF302010u);

  // Masks that overlap, are empty or have holes are refused.
  for (std::uint32_t blue : {0x07E0u, 0x0u, 0x0015u}) {
    std::vector<std::uint8_t> bad = InfoHeader(2, 1, 16, 3);
    Put32(bad, 0xF800);
    Put32(bad, 0x07E0);
    Put32(bad, blue);
    EXPECT_NE(Message(BitmapFile(bad, {0, 0, 0, 0})), "") << std::hex << blue;
  }
}

TEST(BitmapFileTest, Rle8RunsDeltasAndSkippedPixels) {
  // 4 x 3 with entries 0 white, 1 red, 2 blue.
  std::vector<std::uint8_t> info = InfoHeader(4, 3, 8, 1, 3);
  Put32(info, 0x00FFFFFF);
  Put32(info, 0x00FF0000);
  Put32(info, 0x000000FF);
  const std::vector<std::uint8_t> rle = {
      4, 1,           // bottom row: 4 x red
      0, 0,           // end of line
      0, 3, 2, 1, 2, 0,  // absolute: blue red blue (padded)
      0, 2, 0, 1,     // delta: down one row, same column (x = 3)
      1, 2,           // one blue at x = 3 of the top row
      0, 1};          // end of bitmap
  const QImage image = DecodeBitmapFile(BitmapFile(info, rle));
  ASSERT_EQ(image.size(), QSize(4, 3));
  for (int x = 0; x < 4; ++x) EXPECT_EQ(At(image, x, 2), 0xFF0000u) << x;
  EXPECT_EQ(At(image, 0, 1), 0x0000FFu);
  EXPECT_EQ(At(image, 1, 1), 0xFF0000u);
  EXPECT_EQ(At(image, 2, 1), 0x0000FFu);
  EXPECT_EQ(At(image, 3, 1), 0xFFFFFFu);  // skipped by the delta: entry 0
  EXPECT_EQ(At(image, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(At(image, 3, 0), 0x0000FFu);
}

TEST(BitmapFileTest, Rle4NibblesAlternate) {
  std::vector<std::uint8_t> info = InfoHeader(5, 1, 4, 2, 2);
  Put32(info, 0x00000000);
  Put32(info, 0x00FFFFFF);
  // 5 pixels from 0x10: 1 0 1 0 1 -> white black white black white.
  const QImage image = DecodeBitmapFile(BitmapFile(info, {5, 0x10, 0, 1}));
  EXPECT_EQ(At(image, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(At(image, 1, 0), 0x000000u);
  EXPECT_EQ(At(image, 4, 0), 0xFFFFFFu);
}

TEST(BitmapFileTest, RleThatLeavesThePictureIsRefused) {
  std::vector<std::uint8_t> info = InfoHeader(4, 2, 8, 1, 1);
  Put32(info, 0);
  EXPECT_NE(Message(BitmapFile(info, {5, 0, 0, 1})), "");          // run past the row end
  EXPECT_NE(Message(BitmapFile(info, {0, 2, 0, 3, 0, 1})), "");    // delta below the picture
  EXPECT_NE(Message(BitmapFile(info, {0, 0, 0, 0, 1, 0})), "");    // run below the last row
  EXPECT_NE(Message(BitmapFile(info, {0, 6, 1, 2})), "");          // absolute run cut short
  // Top-down RLE is not a thing.
  std::vector<std::uint8_t> down = InfoHeader(4, -2, 8, 1, 1);
  Put32(down, 0);
  EXPECT_NE(Message(BitmapFile(down, {4, 0, 0, 1})), "");
}

TEST(BitmapFileTest, HugeClaimsAreRefusedBeforeAllocating) {
  const std::string huge = Message(BitmapFile(InfoHeader(100000, 100000, 24), {0, 0, 0, 0}));
  EXPECT_NE(huge.find("too large"), std::string::npos) << huge;
  // Just under the pixel limit but with no pixel data: cut short, not decoded.
  const std::string cut = Message(BitmapFile(InfoHeader(8192, 8192, 24), {0, 0, 0, 0}));
  EXPECT_NE(cut.find("cut short"), std::string::npos) << cut;
  // An RLE picture of the largest allowed size whose data overruns at once.
  const std::string rle = Message(BitmapFile(InfoHeader(8192, 8192, 8, 1), {0, 2, 255, 255, 0, 2, 255, 255}));
  EXPECT_NE(rle, "");
  EXPECT_NE(Message(BitmapFile(InfoHeader(-5, 5, 24), {})), "");
  EXPECT_NE(Message(BitmapFile(InfoHeader(5, INT32_MIN, 24), {})), "");
}

TEST(BitmapFileTest, BrokenHeadersGiveClearErrors) {
  const std::vector<std::uint8_t> good = BitmapFile(InfoHeader(3, 2, 24), Rgb24Pixels());
  EXPECT_NE(Message({}), "");
  EXPECT_NE(Message({'B', 'M', 0, 0}), "");
  std::vector<std::uint8_t> notBm = good;
  notBm[0] = 'X';
  EXPECT_NE(Message(notBm).find("BM"), std::string::npos);
  // Every cut of a good file is either refused or (for a cut in the padding
  // of the last row) decoded; none may read past the end.
  for (std::size_t n = 0; n < good.size(); ++n) {
    const std::vector<std::uint8_t> cut(good.begin(), good.begin() + n);
    EXPECT_NE(Message(cut), "") << n;
  }
  std::vector<std::uint8_t> planes = good;
  planes[14 + 12] = 2;
  EXPECT_NE(Message(planes).find("planes"), std::string::npos);
  std::vector<std::uint8_t> offset = good;
  offset[10] = 20;  // pixels "inside" the info header
  EXPECT_NE(Message(offset), "");
}

TEST(BitmapFileTest, PackedDibsReadPixelsRightAfterTheColourTable) {
  std::vector<std::uint8_t> dib = InfoHeader(2, 1, 8, 0, 2);
  Put32(dib, 0x00000000);
  Put32(dib, 0x0000FF00);  // green
  dib.insert(dib.end(), {1, 0, 0, 0});
  const QImage image = DecodePackedDib(dib);
  EXPECT_EQ(At(image, 0, 0), 0x00FF00u);
  EXPECT_EQ(At(image, 1, 0), 0x000000u);
  dib.resize(dib.size() - 3);
  EXPECT_THROW(DecodePackedDib(dib), PictureError);
}

// ---- shared sample files --------------------------------------------------

class BitmapSamples : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = PicturesDir();
    if (dir_.empty()) GTEST_SKIP() << "shared test data folder is absent";
  }
  std::string dir_;
};

namespace {
bool Questionable(const std::string& name) {
  return name.rfind("bmpsuite-q-", 0) == 0 || name.rfind("bmpsuite-x-", 0) == 0;
}
}  // namespace

TEST_F(BitmapSamples, GoodFilesDecodeAndMatchAnIndependentReader) {
  int compared = 0;
  for (const std::string& path : FilesIn(dir_ + "/bmp")) {
    const std::string name = BaseName(path);
    QImage ours;
    try {
      ours = DecodeBitmapFile(Read(path));
    } catch (const PictureError& e) {
      EXPECT_TRUE(Questionable(name)) << name << ": " << e.what();
      EXPECT_GT(std::string(e.what()).size(), 15u) << name;
      continue;
    }
    if (Questionable(name)) continue;
    ASSERT_FALSE(ours.isNull()) << name;
    // Qt's reader as a second opinion on size and colours.
    QImageReader reader(QString::fromStdString(path), "bmp");
    const QImage theirs = reader.read();
    if (theirs.isNull()) continue;
    ASSERT_EQ(ours.size(), theirs.size()) << name;
    int worst = 0;
    for (int y = 0; y < ours.height(); ++y)
      for (int x = 0; x < ours.width(); ++x) {
        const QRgb a = ours.pixel(x, y), b = theirs.pixel(x, y);
        if (qAlpha(b) != 255) continue;  // Qt shows some 32-bit files with alpha
        worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                          std::abs(qBlue(a) - qBlue(b))});
      }
    EXPECT_LE(worst, 8) << name;
    ++compared;
  }
  EXPECT_GT(compared, 40);
}

TEST_F(BitmapSamples, TheSamePictureInDifferentFormatsGivesTheSamePixels) {
  auto expectSame = [&](const char* reference, std::vector<const char*> others, int tolerance) {
    const QImage ref = DecodeBitmapFile(Read(dir_ + "/bmp/" + reference));
    ASSERT_EQ(ref.size(), QSize(127, 64)) << reference;
    for (const char* other : others) {
      const QImage image = DecodeBitmapFile(Read(dir_ + "/bmp/" + other));
      ASSERT_EQ(image.size(), ref.size()) << other;
      int worst = 0;
      for (int y = 0; y < ref.height(); ++y)
        for (int x = 0; x < ref.width(); ++x) {
          const QRgb a = image.pixel(x, y), b = ref.pixel(x, y);
          worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                            std::abs(qBlue(a) - qBlue(b))});
        }
      EXPECT_LE(worst, tolerance) << other;
    }
  };
  // Palette, top-down, RLE, OS/2 core and V4/V5 headers of one picture.
  expectSame("bmpsuite-g-pal8.bmp",
             {"bmpsuite-g-pal8topdown.bmp", "bmpsuite-g-pal8rle.bmp", "bmpsuite-g-pal8os2.bmp",
              "bmpsuite-g-pal8v4.bmp", "bmpsuite-g-pal8v5.bmp", "bmpsuite-g-pal8-0.bmp"},
             0);
  // True colour in 24 and 32 bits with and without masks at odd places.
  expectSame("bmpsuite-g-rgb24.bmp",
             {"bmpsuite-g-rgb32.bmp", "bmpsuite-g-rgb32bf.bmp", "bmpsuite-g-rgb32bfdef.bmp",
              "bmpsuite-g-rgb24pal.bmp"},
             0);
  // 16 bits keep 5 or 6 bits per channel.
  expectSame("bmpsuite-g-rgb16.bmp", {"bmpsuite-g-rgb16bfdef.bmp"}, 0);
  expectSame("bmpsuite-g-rgb24.bmp", {"bmpsuite-g-rgb16-565.bmp", "bmpsuite-g-rgb16.bmp"}, 8);

  // Known pixels: the 6 x 6 samples' top-left corner in both row orders.
  const QImage topDown = DecodeBitmapFile(Read(dir_ + "/bmp/imagers-Info_8_Bit_Top_Down.bmp"));
  const QImage bottomUp = DecodeBitmapFile(Read(dir_ + "/bmp/imagers-Info_8_Bit.bmp"));
  EXPECT_EQ(topDown, bottomUp);
}

TEST_F(BitmapSamples, BrokenFilesAreRefusedOrDecodedWithinLimits) {
  // Files whose only fault lies in fields that drawing does not use, or in
  // pixel values that GDI shows anyway: they decode.
  const std::vector<std::string> tolerated = {
      "bmpsuite-b-baddens1.bmp", "bmpsuite-b-baddens2.bmp", "bmpsuite-b-badfilesize.bmp",
      "bmpsuite-b-badbitssize.bmp", "bmpsuite-b-pal8badindex.bmp",
      "imagers-V5_A8_R8_G8_B8_Rgb_BadMask.bmp", "pillow-mmap_error.bmp"};
  int refused = 0;
  for (const std::string& path : FilesIn(dir_ + "/bmp-bad")) {
    const std::string name = BaseName(path);
    const bool tolerate = std::find(tolerated.begin(), tolerated.end(), name) != tolerated.end();
    try {
      const QImage image = DecodeBitmapFile(Read(path));
      EXPECT_TRUE(tolerate) << name << " decoded";
      EXPECT_LE(std::uint64_t(image.width()) * image.height() * 4, platform::kMaxPicturePixelBytes);
    } catch (const PictureError& e) {
      EXPECT_FALSE(tolerate) << name << ": " << e.what();
      if (std::getenv("KORVALE_SHOW_ERRORS")) std::printf("%s: %s\n", name.c_str(), e.what());
      ++refused;
    }
  }
  EXPECT_GE(refused, 20);
}
