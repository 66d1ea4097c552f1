#pragma once
// Pixel helpers for the Canvas tests: a white page, ink detection and the
// bounding box of what was drawn.
#include <QImage>

#include <vector>

#include "platform/Canvas.h"

namespace canvastest {

inline QImage WhitePage(int width = 100, int height = 100) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

inline platform::COLORREF At(const QImage& image, int x, int y) {
  return platform::ColorRefFromQRgb(image.pixel(x, y));
}

inline bool Ink(const QImage& image, int x, int y, platform::COLORREF paper = platform::kWhite) {
  return At(image, x, y) != paper;
}

struct InkBox {
  int left = 0, top = 0, right = -1, bottom = -1;  // inclusive; empty when right < left
  int count = 0;
  bool empty() const { return count == 0; }
};

inline InkBox FindInk(const QImage& image, platform::COLORREF paper = platform::kWhite) {
  InkBox box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      if (!Ink(image, x, y, paper)) continue;
      if (box.count == 0) {
        box.left = box.right = x;
        box.top = box.bottom = y;
      }
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
      ++box.count;
    }
  return box;
}

// Run lengths of ink / no ink along a row from x0 (exclusive end x1).
inline std::vector<int> RowRuns(const QImage& image, int y, int x0, int x1) {
  std::vector<int> runs;
  bool current = Ink(image, x0, y);
  int length = 0;
  for (int x = x0; x < x1; ++x) {
    const bool ink = Ink(image, x, y);
    if (ink == current) {
      ++length;
    } else {
      runs.push_back(length);
      current = ink;
      length = 1;
    }
  }
  runs.push_back(length);
  return runs;
}

}  // namespace canvastest
