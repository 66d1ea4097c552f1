#pragma once
// Helpers of the print tests: the current printer turned into a PDF writer,
// and the poppler tools that read the PDF back (page count, page images).
#include <QImage>
#include <string>

namespace printtest {

// Points the program's current printer at a PDF file: 8.5 x 11 inch paper
// with `margin` inches on every side (none: printable = paper), portrait, in
// colour, at `dpi` pixels per inch.
void PrintToPdf(const std::string& pdfPath, int dpi, double paperWidth = 8.5,
                double paperLength = 11.0, double margin = 0.0);

// Whether pdfinfo and pdftoppm can be run.
bool PopplerAvailable();
// "Pages:" of pdfinfo, or -1 when the file is no readable PDF.
int PdfPageCount(const std::string& pdfPath);
// Page `page` (1-based) drawn by pdftoppm at `dpi` (grey levels kept).
QImage PdfPage(const std::string& pdfPath, int page, int dpi);

// Share of the ink (pixels darker than mid grey) of `a` that has ink of `b`
// within `radius` pixels; 0 when a has no ink. Both images the same size.
double InkCovered(const QImage& a, const QImage& b, int radius);
int InkCount(const QImage& image);
// Ink in the rectangle x0..x1, y0..y1 (inclusive, clipped to the image).
int InkIn(const QImage& image, int x0, int y0, int x1, int y1);

}  // namespace printtest
