// Rendering regression: the first and the last page of the demonstration
// log, drawn by korvale-render at 96 dpi, must match the reference pictures
// in tests/reference/ (made by scripts/update-references) pixel for pixel.
// Everything is drawn without antialiasing, text included, in the fonts the
// setup installs, so the same build draws the same pixels; any difference,
// down to one missing pixel of a thin line, is a change in drawing. A
// failing run leaves the page drawn and a difference picture beside the
// test program (the build's tests folder) and says where.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "TestFiles.h"

namespace {

namespace fs = std::filesystem;

struct Comparison {
  bool same_size = false;
  long differing = 0;
  QRect where;        // the smallest rectangle holding every differing pixel
  QImage difference;  // differing pixels red over a pale copy of the reference
};

// Compares two pictures pixel by pixel (colour only).
Comparison Compare(const QImage& actual, const QImage& reference) {
  Comparison c;
  c.same_size = actual.size() == reference.size();
  if (!c.same_size) return c;
  const QImage a = actual.convertToFormat(QImage::Format_RGB32);
  const QImage r = reference.convertToFormat(QImage::Format_RGB32);
  c.difference = QImage(r.size(), QImage::Format_RGB32);
  for (int y = 0; y < r.height(); ++y) {
    const QRgb* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const QRgb* pr = reinterpret_cast<const QRgb*>(r.constScanLine(y));
    QRgb* out = reinterpret_cast<QRgb*>(c.difference.scanLine(y));
    for (int x = 0; x < r.width(); ++x) {
      if ((pa[x] & 0xFFFFFF) != (pr[x] & 0xFFFFFF)) {
        ++c.differing;
        c.where |= QRect(x, y, 1, 1);
        out[x] = qRgb(255, 0, 0);
      } else {
        const int g = 192 + qGray(pr[x]) / 4;
        out[x] = qRgb(g, g, g);
      }
    }
  }
  return c;
}

TEST(DemoRenderCompare, OneMissingPixelOfAThinLineIsADifferenceAndIsMarked) {
  QImage reference(200, 100, QImage::Format_RGB32);
  reference.fill(Qt::white);
  QPainter(&reference).fillRect(20, 40, 60, 1, Qt::black);  // a one-pixel line
  EXPECT_EQ(Compare(reference.copy(), reference).differing, 0);
  QImage broken = reference.copy();
  broken.setPixel(79, 40, qRgb(255, 255, 255));  // its last pixel gone
  broken.setPixel(30, 40, qRgb(8, 0, 0));        // another one nearly black
  const Comparison c = Compare(broken, reference);
  EXPECT_TRUE(c.same_size);
  EXPECT_EQ(c.differing, 2);
  EXPECT_EQ(c.where, QRect(30, 40, 50, 1));
  EXPECT_EQ(c.difference.pixel(79, 40), qRgb(255, 0, 0));
  EXPECT_EQ(c.difference.pixel(30, 40), qRgb(255, 0, 0));
  EXPECT_NE(c.difference.pixel(50, 40), qRgb(255, 0, 0));
  // Another page size never matches.
  EXPECT_FALSE(Compare(QImage(100, 100, QImage::Format_RGB32), reference).same_size);
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class DemoRender : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* program : {"korvale-demo", "korvale-render"})
      ASSERT_TRUE(fs::exists(testfiles::BinDir() + "/" + program)) << "build " << program;
    ASSERT_EQ(Shell("'" + testfiles::BinDir() + "/korvale-demo' demo.tfl"), 0);
    ASSERT_EQ(Shell("'" + testfiles::BinDir() + "/korvale-render' --info --dpi 96 demo.tfl > info.json"), 0);
    std::smatch m;
    const std::string info = ReadText(dir_.file("info.json"));
    ASSERT_TRUE(std::regex_search(info, m, std::regex("\"pages\": *([0-9]+)"))) << info;
    pages_ = std::stoi(m[1]);
  }
  // Runs in the log's folder, where the log's core photograph is.
  int Shell(const std::string& command) {
    const std::string line = "cd '" + dir_.path() + "' && " + command + " 2> /dev/null";
    return std::system(line.c_str());
  }
  void CheckPage(int page, const std::string& reference_name) {
    const std::string reference_path =
        testfiles::SourceDir() + "/tests/reference/" + reference_name;
    const QImage reference(QString::fromStdString(reference_path));
    ASSERT_FALSE(reference.isNull())
        << reference_path << " is missing: run scripts/update-references";
    const std::string out = "page" + std::to_string(page) + ".png";
    ASSERT_EQ(Shell("'" + testfiles::BinDir() + "/korvale-render' --dpi 96 --page " +
                    std::to_string(page) + " -o " + out + " demo.tfl"),
              0);
    const QImage actual(QString::fromStdString(dir_.file(out)));
    ASSERT_FALSE(actual.isNull());
    // Beside the test program, out of the source tree; a passing run
    // leaves none from an earlier failure.
    const std::string stem = (fs::path(QCoreApplication::applicationDirPath().toStdString()) /
                              fs::path(reference_name).stem())
                                 .string();
    fs::remove(stem + ".actual.png");
    fs::remove(stem + ".diff.png");
    const Comparison c = Compare(actual, reference);
    if (c.same_size && c.differing == 0) return;
    actual.save(QString::fromStdString(stem + ".actual.png"));
    if (c.same_size) c.difference.save(QString::fromStdString(stem + ".diff.png"));
    const QRect& w = c.where;
    ADD_FAILURE() << "page " << page << " differs from " << reference_path << ": "
                  << (c.same_size ? std::to_string(c.differing) + " pixels, within columns " +
                                        std::to_string(w.left()) + " to " +
                                        std::to_string(w.right()) + ", rows " +
                                        std::to_string(w.top()) + " to " +
                                        std::to_string(w.bottom())
                                  : "another size")
                  << "; the page drawn is " << stem << ".actual.png"
                  << (c.same_size ? ", the differences are red in " + stem + ".diff.png" : "")
                  << ". After a deliberate change to drawing, run scripts/update-references.";
  }

  testfiles::TempDir dir_;
  int pages_ = 0;
};

TEST_F(DemoRender, FirstPageMatchesReference) { CheckPage(1, "demo-p1.png"); }
TEST_F(DemoRender, LastPageMatchesReference) { CheckPage(pages_, "demo-last.png"); }

}  // namespace
