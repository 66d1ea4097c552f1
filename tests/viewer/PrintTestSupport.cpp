#include "PrintTestSupport.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>

#include "viewer/PrinterAccess.h"

namespace printtest {

void PrintToPdf(const std::string& pdfPath, int dpi, double paperWidth, double paperLength,
                double margin) {
  QPrinter& printer = viewer::CurrentPrinter();
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(pdfPath));
  printer.setResolution(dpi);
  printer.setFullPage(false);
  printer.setColorMode(QPrinter::Color);
  const QPageSize paper(QSizeF(paperWidth, paperLength), QPageSize::Inch, QString(),
                        QPageSize::ExactMatch);
  printer.setPageLayout(QPageLayout(paper, QPageLayout::Portrait,
                                    QMarginsF(margin, margin, margin, margin), QPageLayout::Inch));
}

bool PopplerAvailable() {
  return !QStandardPaths::findExecutable("pdfinfo").isEmpty() &&
         !QStandardPaths::findExecutable("pdftoppm").isEmpty();
}

int PdfPageCount(const std::string& pdfPath) {
  QProcess p;
  p.start("pdfinfo", {QString::fromStdString(pdfPath)});
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return -1;
  const auto match =
      QRegularExpression(R"(Pages:\s+(\d+))").match(QString::fromUtf8(p.readAllStandardOutput()));
  return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QImage PdfPage(const std::string& pdfPath, int page, int dpi) {
  QTemporaryDir dir;
  const QString prefix = dir.filePath("page");
  QProcess p;
  p.start("pdftoppm", {"-r", QString::number(dpi), "-f", QString::number(page), "-l",
                       QString::number(page), "-singlefile", "-png",
                       QString::fromStdString(pdfPath), prefix});
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
  return QImage(prefix + ".png").convertToFormat(QImage::Format_RGB32);
}

namespace {
bool Ink(QRgb c) { return qGray(c) < 128; }
}  // namespace

int InkCount(const QImage& image) { return InkIn(image, 0, 0, image.width() - 1, image.height() - 1); }

int InkIn(const QImage& image, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = std::max(0, y0); y <= std::min(y1, image.height() - 1); ++y)
    for (int x = std::max(0, x0); x <= std::min(x1, image.width() - 1); ++x)
      if (Ink(image.pixel(x, y))) ++n;
  return n;
}

double InkCovered(const QImage& a, const QImage& b, int radius) {
  int ink = 0, covered = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (!Ink(a.pixel(x, y))) continue;
      ++ink;
      if (InkIn(b, x - radius, y - radius, x + radius, y + radius) > 0) ++covered;
    }
  }
  return ink == 0 ? 0.0 : static_cast<double>(covered) / ink;
}

}  // namespace printtest
