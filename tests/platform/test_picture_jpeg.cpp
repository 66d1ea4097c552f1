// JPEG decoding through libjpeg: the shared samples, broken and cut data,
// colour spaces and the pixel limit.
#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "picture_test_files.h"
#include "platform/JpegFile.h"

using platform::DecodedJpeg;
using platform::DecodeJpeg;
using platform::PictureError;
using namespace picturetest;

namespace {

// Mean of the largest channel difference per pixel.
double MeanDifference(const QImage& a, const QImage& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      sum += std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                       std::abs(qBlue(p) - qBlue(q))});
    }
  return sum / (double(a.width()) * a.height());
}

// A small JPEG made by Qt's writer: left half red, right half blue, with a
// little noise so that the scan data is most of the file.
std::vector<std::uint8_t> MakeJpeg(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  std::srand(7);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int noise = std::rand() % 16;
      image.setPixel(x, y, x < width / 2 ? qRgb(255 - noise, noise, noise)
                                         : qRgb(noise, noise, 255 - noise));
    }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, "JPG", 95));
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace

TEST(JpegFileTest, DecodesColoursWhereTheyWereWritten) {
  const DecodedJpeg jpeg = DecodeJpeg(MakeJpeg(64, 32));
  ASSERT_EQ(jpeg.image.size(), QSize(64, 32));
  EXPECT_EQ(jpeg.image.format(), QImage::Format_RGB32);
  EXPECT_TRUE(jpeg.warning.empty()) << jpeg.warning;
  const QRgb left = jpeg.image.pixel(8, 16), right = jpeg.image.pixel(56, 16);
  EXPECT_GT(qRed(left), 230);
  EXPECT_LT(qBlue(left), 30);
  EXPECT_GT(qBlue(right), 230);
  EXPECT_LT(qRed(right), 30);
}

TEST(JpegFileTest, WarningsTellStrayBytesFromDataThatCouldNotBeDecoded) {
  // Data cut in the scan: the rest comes out grey, which is damage.
  std::vector<std::uint8_t> data = MakeJpeg(64, 64);
  data.resize(data.size() / 2);
  const DecodedJpeg cut = DecodeJpeg(data);
  ASSERT_EQ(cut.image.size(), QSize(64, 64));
  EXPECT_NE(cut.warning.find("Premature end"), std::string::npos) << cut.warning;
  EXPECT_EQ(cut.damage, cut.warning);
  const QRgb top = cut.image.pixel(8, 0), bottom = cut.image.pixel(60, 63);
  EXPECT_GT(qRed(top), 200);
  for (int channel : {qRed(bottom), qGreen(bottom), qBlue(bottom)}) EXPECT_NEAR(channel, 128, 8);

  // Stray bytes before a table segment are skipped: a warning, the whole
  // picture, no damage.
  const std::vector<std::uint8_t> clean = MakeJpeg(64, 32);
  std::vector<std::uint8_t> stray = clean;
  std::size_t dqt = 2;
  while (dqt + 1 < stray.size() && !(stray[dqt] == 0xFF && stray[dqt + 1] == 0xDB)) ++dqt;
  ASSERT_LT(dqt + 1, stray.size());
  stray.insert(stray.begin() + std::ptrdiff_t(dqt), {0x12, 0x34, 0x56});
  const DecodedJpeg skipped = DecodeJpeg(stray);
  EXPECT_NE(skipped.warning.find("3 extraneous bytes"), std::string::npos) << skipped.warning;
  EXPECT_EQ(skipped.damage, "");
  EXPECT_EQ(skipped.image, DecodeJpeg(clean).image);
}

TEST(JpegFileTest, CorruptDataIsAnErrorNotAnExit) {
  EXPECT_THROW(DecodeJpeg({}), PictureError);
  EXPECT_THROW(DecodeJpeg(std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xD9}), PictureError);
  EXPECT_THROW(DecodeJpeg(std::vector<std::uint8_t>{'B', 'M', 0, 0, 0, 0}), PictureError);
  // Every cut inside the headers fails cleanly.
  const std::vector<std::uint8_t> good = MakeJpeg(16, 16);
  for (std::size_t n = 1; n < 200 && n < good.size(); n += 7) {
    const std::vector<std::uint8_t> cut(good.begin(), good.begin() + n);
    try {
      DecodeJpeg(cut);
    } catch (const PictureError& e) {
      EXPECT_NE(std::string(e.what()).find("JPEG"), std::string::npos);
    }
  }
}

TEST(JpegFileTest, HugeDimensionsAreRefusedBeforeDecoding) {
  std::vector<std::uint8_t> data = MakeJpeg(16, 16);
  // Patch the frame header (SOF0 or SOF2) to claim 60000 x 60000 pixels.
  bool patched = false;
  for (std::size_t i = 2; i + 9 < data.size(); ++i)
    if (data[i] == 0xFF && (data[i + 1] == 0xC0 || data[i + 1] == 0xC2)) {
      data[i + 5] = 0xEA, data[i + 6] = 0x60, data[i + 7] = 0xEA, data[i + 8] = 0x60;
      patched = true;
      break;
    }
  ASSERT_TRUE(patched);
  // Refused by the header's size: a picture that was allocated and failed
  // would say "not enough memory" instead.
  try {
    DecodeJpeg(data);
    FAIL() << "a 60000 x 60000 picture was decoded";
  } catch (const PictureError& e) {
    EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
  }
}

class JpegSamples : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = PicturesDir();
    if (dir_.empty()) GTEST_SKIP() << "shared test data folder is absent";
  }
  std::string dir_;
};

TEST_F(JpegSamples, GoodFilesDecodeLikeAnIndependentReader) {
  // 12-bit samples are beyond an 8-bit libjpeg: a clean refusal is right.
  const std::string beyond = "ljt-testorig12.jpg";
  int compared = 0;
  for (const std::string& path : FilesIn(dir_ + "/jpeg")) {
    const std::string name = BaseName(path);
    DecodedJpeg jpeg;
    try {
      jpeg = DecodeJpeg(Read(path));
    } catch (const PictureError& e) {
      EXPECT_EQ(name, beyond) << e.what();
      continue;
    }
    EXPECT_TRUE(jpeg.warning.empty()) << name << ": " << jpeg.warning;
    QImageReader reader(QString::fromStdString(path), "jpg");
    reader.setAutoTransform(false);
    const QImage theirs = reader.read().convertToFormat(QImage::Format_RGB32);
    if (theirs.isNull()) continue;
    ASSERT_EQ(jpeg.image.size(), theirs.size()) << name;
    EXPECT_LT(MeanDifference(jpeg.image, theirs), 3.0) << name;
    ++compared;
  }
  EXPECT_GT(compared, 25);
}

TEST_F(JpegSamples, CmykShowsTheSamePictureAsYcbcr) {
  const QImage ycc = DecodeJpeg(Read(dir_ + "/jpeg/go-video-001.jpeg")).image;
  const QImage cmyk = DecodeJpeg(Read(dir_ + "/jpeg/go-video-001.cmyk.jpeg")).image;
  ASSERT_EQ(ycc.size(), QSize(150, 103));
  ASSERT_EQ(cmyk.size(), ycc.size());
  // A plain CMYK to RGB conversion does not give the same colours, but light
  // and dark must fall in the same places (read the wrong way round, the
  // Adobe ink values give a negative picture).
  double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
  const double n = double(ycc.width()) * ycc.height();
  for (int y = 0; y < ycc.height(); ++y)
    for (int x = 0; x < ycc.width(); ++x) {
      const double a = qGray(ycc.pixel(x, y)), b = qGray(cmyk.pixel(x, y));
      sa += a, sb += b, saa += a * a, sbb += b * b, sab += a * b;
    }
  const double correlation =
      (sab - sa * sb / n) / std::sqrt((saa - sa * sa / n) * (sbb - sb * sb / n));
  EXPECT_GT(correlation, 0.8);
  const QRgb orange = cmyk.pixel(75, 50);  // (164, 79, 0) in the YCbCr file
  EXPECT_GT(qRed(orange), qGreen(orange));
  EXPECT_GT(qGreen(orange), qBlue(orange));
  const QImage grey = DecodeJpeg(Read(dir_ + "/jpeg/go-video-005.gray.jpeg")).image;
  const QRgb p = grey.pixel(75, 50);
  EXPECT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p));
}

TEST_F(JpegSamples, BrokenFilesFailOrWarn) {
  const std::vector<std::string> mustFail = {
      "jpegdec-empty.jpg", "jpegdec-missing-frame-image-1410.jpg", "jpegdec-missing-sof.jpg",
      "jpegdec-missing-sos.jpg", "jpegdec-derive-huffman-codes-overflow.jpg"};
  // Warnings about image data that could not be decoded, and warnings after
  // which the picture is whole (stray bytes between segments).
  const std::vector<std::string> mustWarn = {"pillow-truncated_jpeg.jpg",
                                             "jpegdec-progressive-missing-dc.jpg",
                                             "jpegdec-dc-predictor-overflow.jpg"};
  const std::vector<std::string> whole = {"pillow-junk_jpeg_header.jpg",
                                          "pillow-jpeg_ff00_header.jpg",
                                          "pillow-truncated_app14.jpg"};
  for (const std::string& path : FilesIn(dir_ + "/jpeg-bad")) {
    const std::string name = BaseName(path);
    const bool fail = std::find(mustFail.begin(), mustFail.end(), name) != mustFail.end();
    const bool warn = std::find(mustWarn.begin(), mustWarn.end(), name) != mustWarn.end();
    const bool skip = std::find(whole.begin(), whole.end(), name) != whole.end();
    try {
      const DecodedJpeg jpeg = DecodeJpeg(Read(path));
      EXPECT_FALSE(fail) << name << " decoded";
      if (warn) {
        EXPECT_FALSE(jpeg.damage.empty()) << name << ": " << jpeg.warning;
      }
      if (skip) {
        EXPECT_NE(jpeg.warning.find("extraneous bytes"), std::string::npos) << name;
        EXPECT_EQ(jpeg.damage, "") << name;
      }
      EXPECT_FALSE(jpeg.image.isNull()) << name;
    } catch (const PictureError& e) {
      EXPECT_TRUE(fail) << name << ": " << e.what();
      EXPECT_GT(std::string(e.what()).size(), 22u) << name;
    }
  }
}
