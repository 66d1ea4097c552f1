// WalkLineWithin: the part of a line over the surface, with each pixel's
// step number, so that dashes keep their phase however far off the surface
// the line starts (a fuzzed log drew grids of lines billions of pixels long).
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

#include "platform/CanvasGeometry.h"

namespace {

using Pixel = std::tuple<std::int64_t, std::int64_t, std::int64_t>;  // step, x, y

std::vector<Pixel> Reference(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                             std::int64_t width, std::int64_t height) {
  std::vector<Pixel> out;
  std::int64_t step = 0;
  platform::geometry::WalkLine(x0, y0, x1, y1, [&](std::int64_t x, std::int64_t y) {
    const std::int64_t i = step++;
    if (x >= 0 && y >= 0 && x < width && y < height) out.emplace_back(i, x, y);
  });
  return out;
}

std::vector<Pixel> Within(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                          std::int64_t width, std::int64_t height) {
  std::vector<Pixel> out;
  platform::geometry::WalkLineWithin(
      x0, y0, x1, y1, width, height, [&](std::int64_t i, std::int64_t x, std::int64_t y) {
        if (x >= 0 && y >= 0 && x < width && y < height) out.emplace_back(i, x, y);
      });
  return out;
}

TEST(LineWalkWithin, SamePixelsAndStepsAsTheFullWalk) {
  const std::int64_t w = 40, h = 30;
  const std::int64_t lines[][4] = {
      {-50, 5, 90, 17},   {90, 17, -50, 5},   // shallow, both ways, crossing
      {7, -60, 19, 80},   {19, 80, 7, -60},   // steep, both ways
      {0, 0, 39, 29},     {39, 29, 0, 0},     // corner to corner
      {-10, -10, -1, 50}, {45, 3, 60, 3},     // wholly off the surface
      {5, 5, 5, 5},       {-3, 12, 44, 12},   // a point; horizontal across
      {20, -5, 20, 35},   {39, 0, 0, 29},
  };
  for (const auto& l : lines) {
    SCOPED_TRACE(::testing::Message() << l[0] << "," << l[1] << " -> " << l[2] << "," << l[3]);
    EXPECT_EQ(Within(l[0], l[1], l[2], l[3], w, h), Reference(l[0], l[1], l[2], l[3], w, h));
  }
}

TEST(LineWalkWithin, AFarReachingLineVisitsOnlyTheSurfacesWidth) {
  std::int64_t visits = 0, first_step = -1;
  platform::geometry::WalkLineWithin(-2000000000, 10, 2000000000, 12, 100, 50,
                                     [&](std::int64_t i, std::int64_t, std::int64_t) {
                                       if (first_step < 0) first_step = i;
                                       ++visits;
                                     });
  EXPECT_EQ(visits, 100);
  EXPECT_EQ(first_step, 2000000000);  // the dash phase counts the steps before
}

}  // namespace
