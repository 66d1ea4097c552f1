// korvale-render writing PDF: one document of the chosen pages, printed as
// the viewer prints them, read back with poppler's pdfinfo and pdftoppm.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <fstream>

#include "TestFiles.h"
#include "core/TflWriter.h"

namespace {

class RenderPdf : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = testfiles::BinDir() + "/korvale-render";
    if (!QFileInfo::exists(QString::fromStdString(program_)))
      GTEST_SKIP() << "korvale-render is not built in " << testfiles::BinDir();
    if (QStandardPaths::findExecutable("pdfinfo").isEmpty() ||
        QStandardPaths::findExecutable("pdftoppm").isEmpty())
      GTEST_SKIP() << "pdfinfo and pdftoppm are not installed";
    std::ofstream(dir_.file("p.pat"), std::ios::binary).write(std::string(206, '\0').data(), 206);
    std::ofstream(dir_.file("s.sym"), std::ios::binary).write(std::string(404, '\0').data(), 404);
  }

  // Exit code of korvale-render with our empty libraries.
  int Render(QStringList args) {
    args << "--patterns" << QString::fromStdString(dir_.file("p.pat")) << "--symbols"
         << QString::fromStdString(dir_.file("s.sym"));
    QProcess p;
    p.setWorkingDirectory(QString::fromStdString(dir_.path()));
    p.start(QString::fromStdString(program_), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    err_ = p.readAllStandardError().toStdString();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }

  // pdfinfo's "Pages" and "Page size" (points); pages -1 for no readable PDF.
  struct PdfInfo {
    int pages = -1;
    double width = 0, height = 0;
  };
  PdfInfo Info(const std::string& name) {
    QProcess p;
    p.start("pdfinfo", {QString::fromStdString(dir_.file(name))});
    PdfInfo info;
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return info;
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    const auto pages = QRegularExpression(R"(Pages:\s+(\d+))").match(text);
    const auto size = QRegularExpression(R"(Page size:\s+([\d.]+) x ([\d.]+))").match(text);
    if (pages.hasMatch()) info.pages = pages.captured(1).toInt();
    if (size.hasMatch()) info.width = size.captured(1).toDouble(), info.height = size.captured(2).toDouble();
    return info;
  }

  QImage PdfPage(const std::string& name, int page, int dpi) {
    QProcess p;
    const QString prefix = QString::fromStdString(dir_.file("ppm"));
    p.start("pdftoppm", {"-r", QString::number(dpi), "-f", QString::number(page), "-l",
                         QString::number(page), "-singlefile", "-png",
                         QString::fromStdString(dir_.file(name)), prefix});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
    return QImage(prefix + ".png").convertToFormat(QImage::Format_RGB32);
  }

  // An unpaged log of 8 inches across, `pages` pages of page x width inches
  // at 96 dpi, with rules of changing length every 0.3 inch and a diagonal.
  QString Log(const std::string& name, int pages, double page = 11, double width = 8.5) {
    tfl::Header h = tfl::DefaultHeader();
    h.x_min = 0;
    h.x_max = 8;
    h.y_min = 0;
    h.y_max = (pages - 0.5) * page * 100;
    h.first_header_height = h.repeat_header_height = h.footer_height = -1;
    h.section_gap = 0;
    h.paged = 0;
    h.page_height = page;
    h.page_width = width;
    h.x_units_per_inch = 1;
    h.y_units_per_inch = 100;
    const std::string path = dir_.file(name);
    tfl::TflWriter w(path, h);
    w.write(tfl::VectorRecord{.x1 = 0, .y1 = h.y_max, .z1 = 0, .x2 = 8, .y2 = 0, .z2 = 0});
    for (int k = 0; k * 30 < h.y_max; ++k) {
      const double y = k * 30.0;
      w.write(tfl::VectorRecord{.x1 = 0, .y1 = y, .z1 = 0, .x2 = 1.0 + (k * 3) % 7, .y2 = y, .z2 = 0});
    }
    w.close();
    return QString::fromStdString(path);
  }

  std::string program_, err_;
  testfiles::TempDir dir_;
};

bool Ink(QRgb c) { return qGray(c) < 128; }

// Share of a's ink with ink of b within two pixels.
double InkCovered(const QImage& a, const QImage& b) {
  int ink = 0, covered = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      if (!Ink(a.pixel(x, y))) continue;
      ++ink;
      bool near = false;
      for (int v = std::max(0, y - 2); v <= std::min(b.height() - 1, y + 2) && !near; ++v)
        for (int u = std::max(0, x - 2); u <= std::min(b.width() - 1, x + 2) && !near; ++u)
          near = Ink(b.pixel(u, v));
      if (near) ++covered;
    }
  return ink < 200 ? 0.0 : static_cast<double>(covered) / ink;
}

}  // namespace

TEST_F(RenderPdf, AllPagesMakeOneDocumentOfTheLogsPageSize) {
  const QString log = Log("well.tfl", 4);
  ASSERT_EQ(Render({"--all", "-o", "well.pdf", log}), 0) << err_;
  const PdfInfo info = Info("well.pdf");
  EXPECT_EQ(info.pages, 4);
  EXPECT_NEAR(info.width, 612, 0.5);
  EXPECT_NEAR(info.height, 792, 0.5);

  ASSERT_EQ(Render({"--pages", "2-3", "-o", "two.pdf", log}), 0) << err_;
  EXPECT_EQ(Info("two.pdf").pages, 2);
  ASSERT_EQ(Render({"-o", "first.pdf", log}), 0) << err_;
  EXPECT_EQ(Info("first.pdf").pages, 1);
  EXPECT_EQ(Render({"--pages", "4-5", "-o", "beyond.pdf", log}), 2);
}

TEST_F(RenderPdf, PrintedPagesMatchTheDrawnPngs) {
  const QString log = Log("well.tfl", 3);
  ASSERT_EQ(Render({"--pages", "2-3", "-o", "png%d.png", log}), 0) << err_;
  ASSERT_EQ(Render({"--pages", "2-3", "--dpi", "300", "-o", "pages.pdf", log}), 0) << err_;
  for (int page = 2; page <= 3; ++page) {
    const QImage png(QString::fromStdString(dir_.file("png" + std::to_string(page) + ".png")));
    const QImage paper = PdfPage("pages.pdf", page - 1, 96);
    ASSERT_EQ(paper.size(), png.size());
    EXPECT_GT(InkCovered(png.convertToFormat(QImage::Format_RGB32), paper), 0.97) << page;
    EXPECT_GT(InkCovered(paper, png.convertToFormat(QImage::Format_RGB32)), 0.97) << page;
  }
  // Pages in the right order: PDF page 1 is not PNG page 3.
  const QImage third(QString::fromStdString(dir_.file("png3.png")));
  EXPECT_LT(InkCovered(third.convertToFormat(QImage::Format_RGB32), PdfPage("pages.pdf", 1, 96)),
            0.9);
}

TEST_F(RenderPdf, WideLogPagesPrintLandscapeAndUnusablePagesFail) {
  const QString wide = Log("wide.tfl", 2, 8.5, 11);
  ASSERT_EQ(Render({"--all", "-o", "wide.pdf", wide}), 0) << err_;
  const PdfInfo info = Info("wide.pdf");
  EXPECT_EQ(info.pages, 2);
  EXPECT_NEAR(info.width, 792, 0.5);
  EXPECT_NEAR(info.height, 612, 0.5);

  const QString huge = Log("huge.tfl", 1, 500, 8.5);  // beyond the largest PDF page
  EXPECT_EQ(Render({"-o", "huge.pdf", huge}), 1);
  EXPECT_NE(err_.find("cannot be printed"), std::string::npos) << err_;
}

TEST_F(RenderPdf, TheSampleLogPrintsAllItsPages) {
  const std::string bin = testfiles::BinDir();
  const QString sample = QString::fromStdString(bin + "/sample.tfl");
  if (!QFileInfo::exists(sample)) GTEST_SKIP() << "no sample.tfl in " << bin;
  QProcess info;
  info.setWorkingDirectory(QString::fromStdString(bin));
  info.start(QString::fromStdString(program_), {"--info", sample});
  ASSERT_TRUE(info.waitForFinished(60000));
  const auto pages = QRegularExpression(R"("pages": (\d+))")
                         .match(QString::fromUtf8(info.readAllStandardOutput()));
  ASSERT_TRUE(pages.hasMatch());

  // From a folder of its own: the log's core photograph is found beside the
  // log, and a page that could not draw it would fail the run.
  QProcess p;
  p.setWorkingDirectory(QString::fromStdString(dir_.path()));
  p.start(QString::fromStdString(program_),
          {"--all", "--dpi", "150", "-o", QString::fromStdString(dir_.file("sample.pdf")), sample});
  ASSERT_TRUE(p.waitForFinished(120000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_EQ(Info("sample.pdf").pages, pages.captured(1).toInt());
}
