// Real pictures through the canvas device: every sample bitmap, JPEG image
// and metafile draws through the operations its kind can reach, and every
// broken sample ends its page with an error or, where the bitmap rules
// accept it, draws; none may crash or hang.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "DeviceTestSupport.h"
#include "support/Paths.h"

using namespace devtest;
namespace fs = std::filesystem;

namespace {

std::string Pictures() {
  const std::string shared = testfiles::SharedDir();
  return shared.empty() ? std::string() : shared + "/testdata/pictures";
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.is_regular_file()) files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<uint8_t> Bytes(const std::string& path) {
  const std::vector<unsigned char> b = testfiles::ReadAll(path);
  return std::vector<uint8_t>(b.begin(), b.end());
}

std::string Name(const std::string& path) { return fs::path(path).filename().string(); }

// A metafile as a log embeds it: without the placeable header.
std::vector<uint8_t> WithoutPlaceableHeader(std::vector<uint8_t> data) {
  if (data.size() >= 22 && data[0] == 0xD7 && data[1] == 0xCD && data[2] == 0xC6 && data[3] == 0x9A)
    data.erase(data.begin(), data.begin() + 22);
  return data;
}

tfl::Header Section() {
  tfl::Header h = PixelHeader();
  h.first_header_height = 3.0;
  return h;
}

class PictureSamples : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = Pictures();
    if (dir_.empty()) GTEST_SKIP() << "shared test pictures are absent";
    SetTempDirectoryOverride(f_.dir.path());  // temporary files stay here
  }
  void TearDown() override { SetTempDirectoryOverride(""); }

  // The error of one page holding the records `body` writes ("" when it drew);
  // `ink` gets the number of pixels drawn.
  std::string Draw(const std::function<void(tfl::TflWriter&)>& body, int& ink) {
    const std::string log = f_.WriteLog(Section(), [&](tfl::TflWriter& w) {
      body(w);
      w.write(Vec(700, 500, 790, 500));  // row 788: drawn only when the page went on
    });
    std::string error;
    const QImage page = f_.RenderKeepingError(log, error);
    ink = InkCount(page, 0, 0, 690, page.height());
    const bool went_on = Pixel(page, 740, 788) != kWhite;
    EXPECT_EQ(went_on, error.empty()) << error;
    return error;
  }

  std::string PictureFile(const std::string& path, int& ink) {
    return Draw([&](tfl::TflWriter& w) {
      tfl::PictureFileRecord r{};
      r.rect = {50, 950, 650, 350};
      r.file_name.assign(path);
      r.stretch = 1;
      r.frame = 0;
      w.write(r);
    }, ink);
  }

  std::string Embedded(const std::vector<uint8_t>& data, uint8_t bitmap, int& ink) {
    return Draw([&](tfl::TflWriter& w) {
      tfl::PictureRecord p{};
      p.rect = {50, 0.5, 650, 2.5};
      p.bitmap = bitmap;
      p.section = 1;
      w.picture(p, data);
    }, ink);
  }

  std::string Bitmap(const std::vector<uint8_t>& data, int& ink) {
    return Draw([&](tfl::TflWriter& w) {
      tfl::BitmapRecord b{};
      b.rect = {50, 0.5, 650, 2.5};
      b.section = 1;
      w.bitmap(b, data);
    }, ink);
  }

  // A copy named ".jpg", so that a ".jpeg" sample is read as JPEG.
  std::string AsJpg(const std::string& path) {
    const std::string copy = f_.dir.file(fs::path(path).stem().string() + ".jpg");
    fs::copy_file(path, copy, fs::copy_options::overwrite_existing);
    return copy;
  }

  Fixture f_;
  std::string dir_;
};

}  // namespace

TEST_F(PictureSamples, BitmapsDrawAsFilesAsEmbeddedPicturesAndAsBitmaps) {
  int drawn = 0;
  for (const std::string& path : FilesIn(dir_ + "/bmp")) {
    SCOPED_TRACE(Name(path));
    const std::vector<uint8_t> bytes = Bytes(path);
    int a = 0, b = 0, c = 0;
    const std::string e1 = PictureFile(path, a);
    const std::string e2 = Embedded(bytes, 1, b);
    const std::string e3 = Bitmap(bytes, c);
    // The three roads read the same data the same way.
    EXPECT_EQ(e1.empty(), e2.empty()) << e1 << " / " << e2;
    EXPECT_EQ(e2, e3);
    if (e1.empty()) {
      ++drawn;
      EXPECT_GT(a + b + c, 0);
    }
  }
  // Some samples hold what GDI itself cannot show (PNG or JPEG inside a
  // bitmap, 2-bit colour, 64-bit pixels...): those are refused.
  EXPECT_GT(drawn, 90);
}

TEST_F(PictureSamples, JpegImagesDrawByTheirDotJpgName) {
  int drawn = 0, refused = 0;
  for (const std::string& path : FilesIn(dir_ + "/jpeg")) {
    SCOPED_TRACE(Name(path));
    int ink = 0;
    const std::string error = PictureFile(AsJpg(path), ink);
    if (error.empty()) {
      ++drawn;
      EXPECT_GT(ink, 1000);
    } else {
      ++refused;
      // 12-bit samples are beyond an 8-bit libjpeg.
      EXPECT_EQ(Name(path), "ljt-testorig12.jpg") << error;
    }
  }
  EXPECT_GT(drawn, 25);
  EXPECT_LE(refused, 1);
}

TEST_F(PictureSamples, MetafilesDrawAsEmbeddedPictures) {
  int drawn = 0;
  for (const std::string& path : FilesIn(dir_ + "/wmf")) {
    SCOPED_TRACE(Name(path));
    int ink = 0;
    const std::string error = Embedded(WithoutPlaceableHeader(Bytes(path)), 0, ink);
    EXPECT_EQ(error, "");
    if (error.empty()) ++drawn;
  }
  EXPECT_EQ(drawn, static_cast<int>(FilesIn(dir_ + "/wmf").size()));
}

TEST_F(PictureSamples, BrokenSamplesEndThePageWithAnErrorNeverACrash) {
  // Bitmaps whose only fault is in fields drawing does not use decode by the
  // bitmap rules; everything else in the broken folders must be refused.
  const std::vector<std::string> tolerated = {
      "bmpsuite-b-baddens1.bmp", "bmpsuite-b-baddens2.bmp", "bmpsuite-b-badfilesize.bmp",
      "bmpsuite-b-badbitssize.bmp", "bmpsuite-b-pal8badindex.bmp",
      "imagers-V5_A8_R8_G8_B8_Rgb_BadMask.bmp", "pillow-mmap_error.bmp"};
  int refused = 0;
  for (const std::string& path : FilesIn(dir_ + "/bmp-bad")) {
    SCOPED_TRACE(Name(path));
    int ink = 0;
    const std::string as_file = PictureFile(path, ink);
    const std::string as_bitmap = Bitmap(Bytes(path), ink);
    const bool tolerate = std::find(tolerated.begin(), tolerated.end(), Name(path)) != tolerated.end();
    EXPECT_EQ(as_file.empty(), tolerate) << as_file;
    EXPECT_EQ(as_bitmap.empty(), tolerate) << as_bitmap;
    if (!as_file.empty()) {
      ++refused;
      EXPECT_NE(as_file.find(Name(path)), std::string::npos) << as_file;
    }
  }
  EXPECT_GE(refused, 20);
  // Progressive images that stop between two scans are whole pictures to
  // libjpeg (coarser, without a warning), and stray bytes between segments
  // are skipped with a warning: they draw.
  const std::vector<std::string> whole = {"go-video-001.progressive.truncated.jpeg",
                                          "jpegdec-progressive-missing-ac.jpg",
                                          "pillow-jpeg_ff00_header.jpg",
                                          "pillow-junk_jpeg_header.jpg",
                                          "pillow-truncated_app14.jpg"};
  for (const std::string& path : FilesIn(dir_ + "/jpeg-bad")) {
    SCOPED_TRACE(Name(path));
    int ink = 0;
    const std::string jpg = AsJpg(path);
    const std::string error = PictureFile(jpg, ink);
    if (std::find(whole.begin(), whole.end(), Name(path)) != whole.end()) {
      EXPECT_EQ(error, "");
      // The photographs with stray bytes show (the 8 x 8 block is pale).
      if (Name(path).rfind("pillow-", 0) == 0) EXPECT_GT(ink, 100000);
      continue;
    }
    // Damaged JPEG data that libjpeg could only guess at (a cut scan would
    // show as a grey patch) is refused too.
    EXPECT_NE(error.find(Name(jpg)), std::string::npos) << error;
  }
  for (const std::string& path : FilesIn(dir_ + "/wmf-bad")) {
    SCOPED_TRACE(Name(path));
    int ink = 0;
    EXPECT_NE(Embedded(WithoutPlaceableHeader(Bytes(path)), 0, ink), "");
  }
  // No temporary picture file is left behind by any of them.
  for (const auto& e : fs::directory_iterator(f_.dir.path())) {
    const std::string name = e.path().filename().string();
    EXPECT_TRUE(name.rfind("~bmp", 0) != 0 && name.rfind("~wmf", 0) != 0) << name;
  }
}
