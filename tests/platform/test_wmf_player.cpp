// The metafile player: a metafile written with libuemf's record writers and
// checked at known pixels, broken records, and the shared sample files.
#include <QImage>
#include <cstdlib>
#include <cstring>
#include <functional>

#include <gtest/gtest.h>

#include <uwmf.h>

#include "picture_test_files.h"
#include "platform/Canvas.h"
#include "platform/WmfPlayer.h"

using platform::Canvas;
using platform::PictureError;
using platform::PlayMetafile;
using platform::Rect;
using namespace picturetest;

namespace {

U_POINT16 P(int x, int y) { return U_POINT16{std::int16_t(x), std::int16_t(y)}; }
U_RECT16 R(int l, int t, int r, int b) {
  return U_RECT16{std::int16_t(l), std::int16_t(t), std::int16_t(r), std::int16_t(b)};
}

// Collects records written by libuemf and gives the finished metafile bytes.
class MetafileWriter {
 public:
  explicit MetafileWriter(U_PAIRF* placeableSize = nullptr, unsigned dpi = 96) {
    path_ = dir_.file("picture.wmf");
    EXPECT_EQ(wmf_start(path_.c_str(), 4096, 4096, &track_), 0);
    EXPECT_EQ(wmf_htable_create(128, 128, &handles_), 0);
    EXPECT_EQ(wmf_header_append(reinterpret_cast<U_METARECORD*>(U_WMRHEADER_set(placeableSize, dpi)), track_, 1), 0);
  }
  ~MetafileWriter() {
    if (track_) wmf_free(&track_);
    wmf_htable_free(&handles_);
  }
  void Add(char* record) { ASSERT_EQ(wmf_append(reinterpret_cast<U_METARECORD*>(record), track_, 1), 0); }
  // A new object: the writer keeps the same lowest-free-slot table as WMF.
  std::uint16_t Create(char* record) {
    std::uint32_t index = 0;
    EXPECT_EQ(wmf_htable_insert(&index, handles_), 0);
    Add(record);
    return std::uint16_t(index - 1);  // libuemf counts from 1, the file from 0
  }
  void Delete(std::uint16_t index) {
    std::uint32_t handle = index + 1u;
    Add(U_WMRDELETEOBJECT_set(index));
    EXPECT_EQ(wmf_htable_delete(&handle, handles_), 0);
  }
  std::vector<std::uint8_t> Finish() {
    Add(U_WMREOF_set());
    EXPECT_EQ(wmf_finish(track_), 0);
    wmf_free(&track_);
    return Read(path_);
  }

 private:
  testfiles::TempDir dir_;
  std::string path_;
  WMFTRACK* track_ = nullptr;
  WMFHANDLES* handles_ = nullptr;
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
  w.Add(U_WMRSETWINDOWORG_set(P(0, 0)));
  w.Add(U_WMRSETWINDOWEXT_set(P(100, 50)));
  const std::uint16_t redPen = w.Create(U_WMRCREATEPENINDIRECT_set(U_PEN_set(U_PS_SOLID, 0, U_RGB(255, 0, 0))));
  const std::uint16_t blueBrush = w.Create(U_WMRCREATEBRUSHINDIRECT_set(U_WLOGBRUSH_set(U_BS_SOLID, U_RGB(0, 0, 255), 0)));
  w.Add(U_WMRSELECTOBJECT_set(redPen));
  w.Add(U_WMRSELECTOBJECT_set(blueBrush));
  w.Add(U_WMRRECTANGLE_set(R(5, 5, 25, 20)));  // device (20, 30) - (60, 60)

  // The pen's slot is freed; the next object must take it.
  w.Delete(redPen);
  const std::uint16_t green = w.Create(U_WMRCREATEBRUSHINDIRECT_set(U_WLOGBRUSH_set(U_BS_SOLID, U_RGB(0, 255, 0), 0)));
  const std::uint16_t nullPen = w.Create(U_WMRCREATEPENINDIRECT_set(U_PEN_set(U_PS_NULL, 0, U_RGB(0, 0, 0))));
  w.Add(U_WMRSELECTOBJECT_set(green));
  w.Add(U_WMRSELECTOBJECT_set(nullPen));
  w.Add(U_WMRELLIPSE_set(R(50, 5, 70, 25)));  // device (110, 30) - (150, 70)

  // A clipped polygon between SaveDC and RestoreDC.
  w.Add(U_WMRSAVEDC_set());
  const std::uint16_t yellow = w.Create(U_WMRCREATEBRUSHINDIRECT_set(U_WLOGBRUSH_set(U_BS_SOLID, U_RGB(255, 255, 0), 0)));
  w.Add(U_WMRSELECTOBJECT_set(yellow));
  w.Add(U_WMRINTERSECTCLIPRECT_set(R(0, 30, 30, 50)));  // device (10, 80) - (70, 120)
  const U_POINT16 band[4] = {P(0, 30), P(100, 30), P(100, 45), P(0, 45)};
  w.Add(U_WMRPOLYGON_set(4, band));
  w.Add(U_WMRRESTOREDC_set(-1));
  // Green brush and no clip again.
  w.Add(U_WMRRECTANGLE_set(R(80, 30, 90, 40)));  // device (170, 80) - (190, 100)

  // A black line across the bottom with a one-unit-wide pen (2 pixels).
  const std::uint16_t thick = w.Create(U_WMRCREATEPENINDIRECT_set(U_PEN_set(U_PS_SOLID, 1, U_RGB(0, 0, 0))));
  w.Add(U_WMRSELECTOBJECT_set(thick));
  w.Add(U_WMRMOVETO_set(P(40, 48)));
  w.Add(U_WMRLINETO_set(P(70, 48)));  // device row 116, x 90 .. 150
  w.Add(U_WMRSETPIXEL_set(U_RGB(255, 0, 255), P(95, 5)));  // device (200, 30)

  // A 2 x 2 picture stretched to 10 x 10 units: red, green over blue, white.
  U_BITMAPINFO info{};
  info.bmiHeader.biSize = 40;
  info.bmiHeader.biWidth = 2;
  info.bmiHeader.biHeight = 2;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  const char pixels[16] = {
      char(0xFF), 0, 0, char(0xFF), char(0xFF), char(0xFF), 0, 0,  // bottom: blue, white
      0, 0, char(0xFF), 0, char(0xFF), 0, 0, 0};                     // top: red, green
  w.Add(U_WMRSTRETCHDIB_set(P(0, 0), P(10, 10), P(0, 0), P(2, 2), U_DIB_RGB_COLORS, U_SRCCOPY,
                            &info, sizeof pixels, pixels));  // device (10, 20) - (30, 40)

  // Text in a font 8 units (16 pixels) high.
  char face[] = "Arial";
  U_FONT* logFont = U_FONT_set(-8, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, face);
  const std::uint16_t font = w.Create(U_WMRCREATEFONTINDIRECT_set(logFont));
  std::free(logFont);
  w.Add(U_WMRSELECTOBJECT_set(font));
  w.Add(U_WMRSETTEXTCOLOR_set(U_RGB(0, 0, 0)));
  w.Add(U_WMRSETBKMODE_set(U_TRANSPARENT));
  char text[] = "HH";
  w.Add(U_WMRTEXTOUT_set(P(30, 2), text));  // device (70, 24), top-left aligned
  return w.Finish();
}

}  // namespace

TEST(WmfPlayerTest, PlaysAMetafileWrittenByLibuemfAtTheRightPixels) {
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
  U_PAIRF size{1.0f, 0.5f};  // inches: 96 x 48 units at 96 per inch
  MetafileWriter w(&size, 96);
  const std::uint16_t brush = w.Create(U_WMRCREATEBRUSHINDIRECT_set(U_WLOGBRUSH_set(U_BS_SOLID, U_RGB(0, 0, 255), 0)));
  const std::uint16_t pen = w.Create(U_WMRCREATEPENINDIRECT_set(U_PEN_set(U_PS_NULL, 0, U_RGB(0, 0, 0))));
  w.Add(U_WMRSELECTOBJECT_set(brush));
  w.Add(U_WMRSELECTOBJECT_set(pen));
  w.Add(U_WMRRECTANGLE_set(R(48, 0, 97, 49)));  // the right half
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
