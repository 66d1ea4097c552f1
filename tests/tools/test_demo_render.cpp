// Rendering regression: the first and the last page of the demonstration
// log, drawn by korvale-render at 96 dpi, must match the reference pictures
// in tests/reference/ (made by scripts/update-references). Font hinting may
// move a few pixels, so up to 0.5% of the pixels may differ by more than a
// small amount. A failing run leaves the page and a difference picture in
// the build's tests folder.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "TestFiles.h"

namespace {

namespace fs = std::filesystem;

constexpr int kChannelTolerance = 64;        // per colour channel, 0..255
constexpr double kMaxDifferingShare = 0.005;  // of all pixels

struct Comparison {
  bool same_size = false;
  long differing = 0;
  long total = 0;
  QImage difference;  // differing pixels red over a pale copy of the reference
};

// Compares two pictures pixel by pixel within the channel tolerance.
Comparison Compare(const QImage& actual, const QImage& reference) {
  Comparison c;
  c.same_size = actual.size() == reference.size();
  if (!c.same_size) return c;
  const QImage a = actual.convertToFormat(QImage::Format_RGB32);
  const QImage r = reference.convertToFormat(QImage::Format_RGB32);
  c.difference = QImage(r.size(), QImage::Format_RGB32);
  c.total = long(r.width()) * r.height();
  for (int y = 0; y < r.height(); ++y) {
    const QRgb* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const QRgb* pr = reinterpret_cast<const QRgb*>(r.constScanLine(y));
    QRgb* out = reinterpret_cast<QRgb*>(c.difference.scanLine(y));
    for (int x = 0; x < r.width(); ++x) {
      const int d = std::max({std::abs(qRed(pa[x]) - qRed(pr[x])),
                              std::abs(qGreen(pa[x]) - qGreen(pr[x])),
                              std::abs(qBlue(pa[x]) - qBlue(pr[x]))});
      if (d > kChannelTolerance) {
        ++c.differing;
        out[x] = qRgb(255, 0, 0);
      } else {
        const int g = 192 + qGray(pr[x]) / 4;
        out[x] = qRgb(g, g, g);
      }
    }
  }
  return c;
}

TEST(DemoRenderCompare, ToleratesSmallShiftsButNotMissingDrawing) {
  QImage reference(200, 100, QImage::Format_RGB32);
  reference.fill(Qt::white);
  QPainter(&reference).fillRect(20, 20, 60, 30, Qt::black);
  // A few pixels off (0.2%): accepted.
  QImage nudged = reference.copy();
  QPainter(&nudged).fillRect(80, 20, 1, 30, Qt::black);
  Comparison c = Compare(nudged, reference);
  EXPECT_TRUE(c.same_size);
  EXPECT_EQ(c.differing, 30);
  EXPECT_LE(double(c.differing) / c.total, kMaxDifferingShare);
  // A faint tint is within the channel tolerance.
  QImage tinted = reference.copy();
  tinted.fill(qRgb(240, 250, 230));
  QPainter(&tinted).fillRect(20, 20, 60, 30, qRgb(20, 10, 30));
  EXPECT_EQ(Compare(tinted, reference).differing, 0);
  // A missing block is not.
  QImage missing(200, 100, QImage::Format_RGB32);
  missing.fill(Qt::white);
  c = Compare(missing, reference);
  EXPECT_EQ(c.differing, 60 * 30);
  EXPECT_GT(double(c.differing) / c.total, kMaxDifferingShare);
  EXPECT_EQ(c.difference.pixel(25, 25), qRgb(255, 0, 0));
  EXPECT_NE(c.difference.pixel(5, 5), qRgb(255, 0, 0));
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
    const Comparison c = Compare(actual, reference);
    const bool ok = c.same_size && double(c.differing) / c.total <= kMaxDifferingShare;
    if (!ok) {
      // Artefacts for whoever looks at the failure.
      const fs::path artefacts = fs::path(testfiles::BinDir()).parent_path() / "tests";
      const std::string stem = (artefacts / ("demo-render-" + reference_name)).string();
      actual.save(QString::fromStdString(stem + ".actual.png"));
      if (c.same_size) c.difference.save(QString::fromStdString(stem + ".diff.png"));
      ADD_FAILURE() << "page " << page << " differs from " << reference_path << ": "
                    << (c.same_size ? std::to_string(c.differing) + " of " +
                                          std::to_string(c.total) + " pixels"
                                    : std::string("another size"))
                    << "; see " << stem << ".actual.png and .diff.png";
    }
  }

  testfiles::TempDir dir_;
  int pages_ = 0;
};

TEST_F(DemoRender, FirstPageMatchesReference) { CheckPage(1, "demo-p1.png"); }
TEST_F(DemoRender, LastPageMatchesReference) { CheckPage(pages_, "demo-last.png"); }

}  // namespace
