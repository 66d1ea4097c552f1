// The metafile player: a metafile written here record by record, in the
// published layout with the published function numbers, and checked at known
// pixels; broken records; and the shared sample files.
#include <QImage>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string_view>

#include <gtest/gtest.h>

#include "picture_test_files.h"
#include "platform/Canvas.h"
#include "platform/WmfPlayer.h"

using platform::Canvas;
using platform::PictureError;
using platform::PlayMetafile;
using platform::Rect;
using namespace picturetest;

namespace {

using Words = std::vector<std::uint16_t>;

std::uint32_t Rgb(int r, int g, int b) { return std::uint32_t(r | (g << 8) | (b << 16)); }
// A 32-bit field: low word first.
Words Dword(std::uint32_t v) { return {std::uint16_t(v & 0xFFFF), std::uint16_t(v >> 16)}; }
// Bytes as words, low byte first, padded with a zero byte.
Words Packed(std::string_view bytes) {
  Words words((bytes.size() + 1) / 2, 0);
  for (std::size_t i = 0; i < bytes.size(); ++i)
    words[i / 2] |= std::uint16_t(std::uint8_t(bytes[i]) << (i % 2 ? 8 : 0));
  return words;
}
Words Join(std::initializer_list<Words> parts) {
  Words all;
  for (const Words& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}
std::uint16_t W(int v) { return std::uint16_t(std::int16_t(v)); }

// Records in the order of their fields in the file: each record is its size
// in 16-bit words, its function, then its fields. Rectangles are stored as
// bottom, right, top, left and points as y, x, except in point arrays (x, y).
Words Rect16(int l, int t, int r, int b) { return {W(b), W(r), W(t), W(l)}; }
Words Point16(int x, int y) { return {W(y), W(x)}; }
Words Pen(int style, int width, std::uint32_t color) {
  return Join({{W(style), W(width), 0}, Dword(color)});
}
Words Brush(int style, std::uint32_t color) { return Join({{W(style)}, Dword(color), {0}}); }

// Function numbers of the records written here.
enum : std::uint16_t {
  kEof = 0x0000, kSaveDc = 0x001E, kSetBkMode = 0x0102, kRestoreDc = 0x0127,
  kSelectObject = 0x012D, kDeleteObject = 0x01F0, kSetTextColor = 0x0209,
  kSetWindowOrg = 0x020B, kSetWindowExt = 0x020C, kLineTo = 0x0213, kMoveTo = 0x0214,
  kCreatePen = 0x02FA, kCreateFont = 0x02FB, kCreateBrush = 0x02FC, kPolygon = 0x0324,
  kIntersectClipRect = 0x0416, kEllipse = 0x0418, kRectangle = 0x041B, kSetPixel = 0x041F,
  kTextOut = 0x0521, kStretchDib = 0x0F43,
};

// Collects records and gives the finished metafile bytes, with a placeable
// header when given a size in inches.
class MetafileWriter {
 public:
  MetafileWriter() = default;
  MetafileWriter(double widthInches, double heightInches, int unitsPerInch)
      : placeable_(true),
        width_(W(int(widthInches * unitsPerInch))),
        height_(W(int(heightInches * unitsPerInch))),
        inch_(W(unitsPerInch)) {}

  void Add(std::uint16_t function, const Words& fields = {}) {
    const std::uint32_t size = std::uint32_t(3 + fields.size());
    largest_ = std::max(largest_, size);
    Append(Dword(size));
    records_.push_back(function);
    Append(fields);
  }
  // A new object takes the lowest free slot of the object table.
  std::uint16_t Create(std::uint16_t function, const Words& fields) {
    Add(function, fields);
    std::size_t slot = 0;
    while (slot < used_.size() && used_[slot]) ++slot;
    if (slot == used_.size()) used_.push_back(false);
    used_[slot] = true;
    return std::uint16_t(slot);
  }
  void Delete(std::uint16_t slot) {
    Add(kDeleteObject, {slot});
    used_[slot] = false;
  }
  std::vector<std::uint8_t> Finish() {
    Add(kEof);
    Words file;
    if (placeable_) {
      const Words fields = Join({Dword(0x9AC6CDD7), {0, 0, 0, width_, height_, inch_}, Dword(0)});
      std::uint16_t checksum = 0;
      for (std::uint16_t w : fields) checksum ^= w;
      file = Join({fields, {checksum}});
    }
    const std::uint32_t total = std::uint32_t(9 + records_.size());
    file = Join({file, {1, 9, 0x0300}, Dword(total), {std::uint16_t(used_.size())}, Dword(largest_),
                 {0}, records_});
    std::vector<std::uint8_t> bytes;
    for (std::uint16_t w : file) {
      bytes.push_back(std::uint8_t(w & 0xFF));
      bytes.push_back(std::uint8_t(w >> 8));
    }
    return bytes;
  }

 private:
  void Append(const Words& words) { records_.insert(records_.end(), words.begin(), words.end()); }

  bool placeable_ = false;
  std::uint16_t width_ = 0, height_ = 0, inch_ = 0;
  Words records_;
  std::vector<bool> used_;
  std::uint32_t largest_ = 3;
};

QImage WhitePage(int w = 300, int h = 200) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

int CountNotWhite(const QImage& image, QRect area) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (At(image, x, y) != 0xFFFFFF) ++n;
  return n;
}

// The test picture: window 100 x 50 logical units, played into (10, 20) -
// (210, 120), so one unit is two pixels: device = (10 + 2x, 20 + 2y).
std::vector<std::uint8_t> TestPicture() {
  MetafileWriter w;
  w.Add(kSetWindowOrg, Point16(0, 0));
  w.Add(kSetWindowExt, Point16(100, 50));
  const std::uint16_t redPen = w.Create(kCreatePen, Pen(0, 0, Rgb(255, 0, 0)));
  const std::uint16_t blueBrush = w.Create(kCreateBrush, Brush(0, Rgb(0, 0, 255)));
  w.Add(kSelectObject, {redPen});
  w.Add(kSelectObject, {blueBrush});
  w.Add(kRectangle, Rect16(5, 5, 25, 20));  // device (20, 30) - (60, 60)

  // The pen's slot is freed; the next object must take it.
  w.Delete(redPen);
  const std::uint16_t green = w.Create(kCreateBrush, Brush(0, Rgb(0, 255, 0)));
  const std::uint16_t nullPen = w.Create(kCreatePen, Pen(5, 0, 0));  // PS_NULL
  w.Add(kSelectObject, {green});
  w.Add(kSelectObject, {nullPen});
  w.Add(kEllipse, Rect16(50, 5, 70, 25));  // device (110, 30) - (150, 70)

  // A clipped polygon between SaveDC and RestoreDC.
  w.Add(kSaveDc);
  const std::uint16_t yellow = w.Create(kCreateBrush, Brush(0, Rgb(255, 255, 0)));
  w.Add(kSelectObject, {yellow});
  w.Add(kIntersectClipRect, Rect16(0, 30, 30, 50));  // device (10, 80) - (70, 120)
  w.Add(kPolygon, {4, 0, 30, 100, 30, 100, 45, 0, 45});
  w.Add(kRestoreDc, {W(-1)});
  // Green brush and no clip again.
  w.Add(kRectangle, Rect16(80, 30, 90, 40));  // device (170, 80) - (190, 100)

  // A black line across the bottom with a one-unit-wide pen (2 pixels).
  const std::uint16_t thick = w.Create(kCreatePen, Pen(0, 1, 0));
  w.Add(kSelectObject, {thick});
  w.Add(kMoveTo, Point16(40, 48));
  w.Add(kLineTo, Point16(70, 48));  // device row 116, x 90 .. 150
  w.Add(kSetPixel, Join({Dword(Rgb(255, 0, 255)), Point16(95, 5)}));  // device (200, 30)

  // A 2 x 2 picture stretched to 10 x 10 units: red, green over blue, white.
  // BITMAPINFOHEADER: size 40, width 2, height 2 (bottom-up), 1 plane, 24 bits.
  std::string dib(40, '\0');
  const auto put32 = [&dib](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) dib[at + i] = char((v >> (8 * i)) & 0xFF);
  };
  put32(0, 40), put32(4, 2), put32(8, 2);
  dib[12] = 1, dib[14] = 24;
  const char pixels[16] = {
      char(0xFF), 0, 0, char(0xFF), char(0xFF), char(0xFF), 0, 0,  // bottom: blue, white
      0, 0, char(0xFF), 0, char(0xFF), 0, 0, 0};                     // top: red, green
  dib.append(pixels, sizeof pixels);
  // Raster operation SRCCOPY, colours as RGB, source 2 x 2 at (0, 0), destination 10 x 10 at (0, 0).
  w.Add(kStretchDib, Join({Dword(0x00CC0020), {0, 2, 2, 0, 0, 10, 10, 0, 0}, Packed(dib)}));
  // device (10, 20) - (30, 40)

  // Text in a font 8 units (16 pixels) high: height, width, escapement,
  // orientation, weight, then eight byte fields and the face name.
  std::string face("Arial");
  face.resize(32, '\0');
  const std::uint16_t font =
      w.Create(kCreateFont, Join({{W(-8), 0, 0, 0, 400, 0, 0, 0, 0}, Packed(face)}));
  w.Add(kSelectObject, {font});
  w.Add(kSetTextColor, Dword(0));
  w.Add(kSetBkMode, {1});  // TRANSPARENT
  w.Add(kTextOut, Join({{2}, Packed("HH"), Point16(30, 2)}));  // device (70, 24), top-left aligned
  return w.Finish();
}

}  // namespace

TEST(WmfPlayerTest, PlaysAWrittenMetafileAtTheRightPixels) {
  QImage page = WhitePage();
  Canvas canvas(&page);
  const platform::WmfPlayStats stats = PlayMetafile(canvas, TestPicture(), Rect{10, 20, 210, 120});
  canvas.EndPaint();
  EXPECT_EQ(stats.skipped, 0);
  EXPECT_GT(stats.played, 25);

  EXPECT_EQ(At(page, 40, 45), 0x0000FFu);   // blue interior
  EXPECT_EQ(At(page, 20, 45), 0xFF0000u);   // red outline, left column
  EXPECT_EQ(At(page, 19, 45), 0xFFFFFFu);
  EXPECT_EQ(At(page, 130, 50), 0x00FF00u);  // green: the reused slot
  EXPECT_EQ(At(page, 105, 50), 0xFFFFFFu);

  EXPECT_EQ(At(page, 40, 100), 0xFFFF00u);   // polygon inside the clip
  EXPECT_EQ(At(page, 100, 100), 0xFFFFFFu);  // ... and not outside it
  EXPECT_EQ(At(page, 180, 90), 0x00FF00u);   // after RestoreDC: green, unclipped

  EXPECT_EQ(At(page, 120, 116), 0x000000u);  // the 2-pixel line
  EXPECT_EQ(At(page, 200, 30), 0xFF00FFu);   // the pixel

  EXPECT_EQ(At(page, 14, 24), 0xFF0000u);  // picture: red top left
  EXPECT_EQ(At(page, 26, 24), 0x00FF00u);  // green top right
  EXPECT_EQ(At(page, 14, 36), 0x0000FFu);  // blue bottom left
  EXPECT_EQ(At(page, 26, 36), 0xFFFFFFu);  // white bottom right

  EXPECT_GT(CountNotWhite(page, QRect(70, 22, 40, 18)), 20);  // the text
  EXPECT_EQ(CountNotWhite(page, QRect(70, 44, 30, 6)), 0);

  // Nothing outside the frame.
  EXPECT_EQ(CountNotWhite(page, QRect(0, 0, 300, 20)), 0);
  EXPECT_EQ(CountNotWhite(page, QRect(211, 0, 89, 200)), 0);
}

TEST(WmfPlayerTest, TheWindowStretchesOntoAnyFrame) {
  // The same picture into a frame half as wide and twice as high.
  QImage page = WhitePage();
  Canvas canvas(&page);
  PlayMetafile(canvas, TestPicture(), Rect{0, 0, 100, 200});
  canvas.EndPaint();
  // Blue rectangle: x 5..25 -> 5..25, y 5..20 -> 20..80.
  EXPECT_EQ(At(page, 15, 50), 0x0000FFu);
  EXPECT_EQ(At(page, 15, 15), 0xFFFFFFu);
  EXPECT_EQ(At(page, 5, 50), 0xFF0000u);
}

TEST(WmfPlayerTest, PlaceableHeaderGivesTheWindowWhenTheFileSetsNone) {
  MetafileWriter w(1.0, 0.5, 96);  // 96 x 48 units at 96 per inch
  const std::uint16_t brush = w.Create(kCreateBrush, Brush(0, Rgb(0, 0, 255)));
  const std::uint16_t pen = w.Create(kCreatePen, Pen(5, 0, 0));
  w.Add(kSelectObject, {brush});
  w.Add(kSelectObject, {pen});
  w.Add(kRectangle, Rect16(48, 0, 97, 49));  // the right half
  const std::vector<std::uint8_t> data = w.Finish();
  ASSERT_EQ(data[0], 0xD7);  // placeable key
  QImage page = WhitePage(200, 100);
  Canvas canvas(&page);
  PlayMetafile(canvas, data, Rect{0, 0, 192, 96});
  canvas.EndPaint();
  EXPECT_EQ(At(page, 150, 50), 0x0000FFu);
  EXPECT_EQ(At(page, 50, 50), 0xFFFFFFu);
}

TEST(WmfPlayerTest, CanvasStateAndClipAreRestoredAfterPlaying) {
  QImage page = WhitePage();
  Canvas canvas(&page);
  const platform::Region clip = platform::Region::FromRect(0, 0, 60, 200);
  canvas.SelectClipRgn(&clip);
  canvas.SetTextColor(0x123456);
  PlayMetafile(canvas, TestPicture(), Rect{10, 20, 210, 120});
  EXPECT_EQ(canvas.GetTextColor(), 0x123456u);
  ASSERT_TRUE(canvas.HasClip());
  EXPECT_EQ(canvas.GetClipBox(), (Rect{0, 0, 60, 200}));
  canvas.EndPaint();
  // The caller's clip held during playing: the green ellipse is outside it.
  EXPECT_EQ(At(page, 130, 50), 0xFFFFFFu);
  EXPECT_EQ(At(page, 40, 45), 0x0000FFu);
}

TEST(WmfPlayerTest, RecordsWithCountsBeyondTheirSizeAreSkipped) {
  std::vector<std::uint8_t> data = TestPicture();
  // Find the polygon record (function 0x0324) and claim 30000 points.
  bool found = false;
  for (std::size_t at = 18; at + 6 <= data.size();) {
    const std::uint32_t words = data[at] | (data[at + 1] << 8) | (data[at + 2] << 16) | (std::uint32_t(data[at + 3]) << 24);
    if (data[at + 4] == 0x24 && data[at + 5] == 0x03) {
      data[at + 6] = 0x30, data[at + 7] = 0x75;
      found = true;
      break;
    }
    ASSERT_GE(words, 3u);
    at += words * 2;
  }
  ASSERT_TRUE(found);
  QImage page = WhitePage();
  Canvas canvas(&page);
  const platform::WmfPlayStats stats = PlayMetafile(canvas, data, Rect{10, 20, 210, 120});
  canvas.EndPaint();
  EXPECT_EQ(stats.skipped, 1);
  EXPECT_EQ(At(page, 40, 100), 0xFFFFFFu);  // the polygon is gone
  EXPECT_EQ(At(page, 180, 90), 0x00FF00u);  // later records still play
}

TEST(WmfPlayerTest, BrokenHeadersAndRecordsRunningPastTheEndAreErrors) {
  QImage page = WhitePage();
  Canvas canvas(&page);
  const Rect frame{0, 0, 100, 100};
  EXPECT_THROW(PlayMetafile(canvas, std::vector<std::uint8_t>{}, frame), PictureError);
  EXPECT_THROW(PlayMetafile(canvas, std::vector<std::uint8_t>(18, 0), frame), PictureError);
  std::vector<std::uint8_t> data = TestPicture();
  // The first record claims 2^31 words.
  data[18 + 3] = 0x80;
  EXPECT_THROW(PlayMetafile(canvas, data, frame), PictureError);
  // Cut inside a record.
  data = TestPicture();
  data.resize(data.size() - 9);
  EXPECT_THROW(PlayMetafile(canvas, data, frame), PictureError);
  // A record of size 0 cannot make the player stand still.
  data = TestPicture();
  std::fill(data.begin() + 18, data.begin() + 22, 0);
  EXPECT_THROW(PlayMetafile(canvas, data, frame), PictureError);
}

TEST(WmfPlayerTest, MutatedMetafilesNeverCrash) {
  const std::vector<std::uint8_t> original = TestPicture();
  std::srand(12345);
  QImage page = WhitePage(120, 80);
  int errors = 0;
  for (int round = 0; round < 1500; ++round) {
    std::vector<std::uint8_t> data = original;
    const int flips = 1 + std::rand() % 8;
    for (int i = 0; i < flips; ++i) {
      const std::size_t at = 18 + std::size_t(std::rand()) % (data.size() - 18);
      data[at] = std::uint8_t(std::rand());
    }
    Canvas canvas(&page);
    try {
      PlayMetafile(canvas, data, Rect{0, 0, 120, 80});
    } catch (const PictureError&) {
      ++errors;
    }
  }
  EXPECT_GT(errors, 0);
  EXPECT_LT(errors, 1500);
}

class WmfSamples : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = PicturesDir();
    if (dir_.empty()) GTEST_SKIP() << "shared test data folder is absent";
  }
  std::string dir_;
};

TEST_F(WmfSamples, EveryGoodFilePlaysAndDrawsSomething) {
  for (const std::string& path : FilesIn(dir_ + "/wmf")) {
    // This one fills white polygons with a null pen: nothing shows on white.
    const bool whiteOnly = BaseName(path) == "poi-empty-polygon-close.wmf";
    QImage page = WhitePage(400, 300);
    Canvas canvas(&page);
    platform::WmfPlayStats stats;
    try {
      stats = PlayMetafile(canvas, Read(path), Rect{0, 0, 400, 300});
    } catch (const PictureError& e) {
      ADD_FAILURE() << BaseName(path) << ": " << e.what();
      continue;
    }
    canvas.EndPaint();
    EXPECT_GT(stats.played, 0) << BaseName(path);
    if (!whiteOnly) {
      EXPECT_GT(CountNotWhite(page, page.rect()), 50) << BaseName(path);
    }
  }
}

TEST_F(WmfSamples, TheBrokenFileIsAnError) {
  for (const std::string& path : FilesIn(dir_ + "/wmf-bad")) {
    QImage page = WhitePage(100, 100);
    Canvas canvas(&page);
    EXPECT_THROW(PlayMetafile(canvas, Read(path), Rect{0, 0, 100, 100}), PictureError) << BaseName(path);
  }
}
