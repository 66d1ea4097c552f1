// Page bitmap sizes and the figures of the resource warning, with hostile
// header values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "viewer/PageGeometry.h"
#include "viewer/Rerror.h"

#include <QPlainTextEdit>

using namespace viewer;

TEST(PageGeometry, SizesDifferOnlyBeyondAHundredthOfAnInch) {
  EXPECT_FALSE(PageSizesDiffer(11.0, 8.5, 11.0, 8.5));
  EXPECT_FALSE(PageSizesDiffer(11.0099, 8.4901, 11.0, 8.5));
  EXPECT_TRUE(PageSizesDiffer(11.02, 8.5, 11.0, 8.5));
  EXPECT_TRUE(PageSizesDiffer(11.0, 8.48, 11.0, 8.5));
  const double nan = std::nan("");
  EXPECT_TRUE(PageSizesDiffer(nan, 8.5, 11.0, 8.5));
  EXPECT_TRUE(PageSizesDiffer(11.0, 8.5, 11.0, nan));
  EXPECT_TRUE(PageSizesDiffer(INFINITY, 8.5, 11.0, 8.5));
}

TEST(PageGeometry, PixelsRoundToNearestAndRefuseWhatDoesNotFit) {
  EXPECT_EQ(InchesToPixels(96, 8.5), 816);
  EXPECT_EQ(InchesToPixels(96, 10.504), 1008);  // 1008.38
  EXPECT_EQ(InchesToPixels(96, 10.51), 1009);   // 1008.96
  EXPECT_EQ(InchesToPixels(96, -1.0), -96);
  EXPECT_FALSE(InchesToPixels(96, std::nan("")));
  EXPECT_FALSE(InchesToPixels(96, INFINITY));
  EXPECT_FALSE(InchesToPixels(96, 1e12));
  EXPECT_FALSE(InchesToPixels(96, -1e12));
}

TEST(PageGeometry, BitmapSizeIsLimitedAndInvalidSizesAreToldApart) {
  EXPECT_EQ(PageBitmapSize(96, 8.5, 11.0), (PixelSize{816, 1056}));
  EXPECT_FALSE(PageBitmapSize(96, 0.0, 11.0));
  EXPECT_FALSE(PageBitmapSize(96, 8.5, -11.0));
  EXPECT_FALSE(PageBitmapSize(96, std::nan(""), 11.0));
  EXPECT_FALSE(PageBitmapSize(96, 8.5, 400.0)) << "38400 rows is more than a side may have";
  // 20000 x 20000 pixels: allowed a side, but 1.6 GB at 32 bits a pixel.
  EXPECT_FALSE(PageBitmapSize(100, 200.0, 200.0));
  EXPECT_TRUE(PageBitmapSize(100, 200.0, 200.0, 2)) << "the reduced bitmap fits";

  EXPECT_EQ(CheckPageSize(96, 0.0, 11.0), PageSizeProblem::Invalid);
  EXPECT_EQ(CheckPageSize(96, 8.5, std::nan("")), PageSizeProblem::Invalid);
  EXPECT_EQ(CheckPageSize(96, 8.5, INFINITY), PageSizeProblem::Invalid);
  EXPECT_EQ(CheckPageSize(96, 0.001, 11.0), PageSizeProblem::Invalid) << "less than half a pixel";
  EXPECT_EQ(CheckPageSize(96, 8.5, 11.0), PageSizeProblem::None);
  // A side over the limit cannot be made with any amount of memory.
  EXPECT_EQ(CheckPageSize(96, 8.5, 1e12), PageSizeProblem::TooLarge);
  EXPECT_EQ(CheckPageSize(96, 8.5, 341.3), PageSizeProblem::None) << "32765 rows";
  EXPECT_EQ(CheckPageSize(96, 8.5, 341.33), PageSizeProblem::TooLarge) << "32768 rows";
}

TEST(PageGeometry, RequiredMemoryIsComputedIn64Bits) {
  // 816 x 1056 at 32 bits: 3,446,784 bytes = 3366 KB.
  EXPECT_EQ(RequiredMemoryKilobytes(816, 1056, 1, 32), 3366);
  // 40000 x 40000 at 32 bits is 6.4e9 bytes: beyond 32-bit arithmetic.
  EXPECT_EQ(RequiredMemoryKilobytes(40000, 40000, 1, 32), 6400000000LL / 1024);
  // The byte count is rounded before the division: 2047 pixels at 4 bits are
  // 1023.5 bytes, rounded to 1024 = 1 KB (truncating would give 0).
  EXPECT_EQ(RequiredMemoryKilobytes(2047, 1, 1, 4), 1);
  EXPECT_EQ(RequiredMemoryKilobytes(-5, 100, 1, 32), 0);
  // Beyond even 64 bits of bytes the figure saturates instead of wrapping.
  EXPECT_EQ(RequiredMemoryKilobytes(INT32_MAX, INT32_MAX, 1, 32),
            std::numeric_limits<int64_t>::max() / 1024);
}

TEST(PageGeometry, ColorCountOfADisplay) {
  EXPECT_EQ(ColorCount(32), 4294967296ULL);
  EXPECT_EQ(ColorCount(4), 16u);
  EXPECT_EQ(ColorCount(64), 0u);
  EXPECT_EQ(ColorCount(-1), 0u);
}

TEST(ResourceBox, CarriesTheAdviceLines) {
  TResourceBox box;
  const QString text = box.Memo1->toPlainText();
  EXPECT_TRUE(text.startsWith("There are insufficient resources to create a \nTarnfel display."));
  EXPECT_TRUE(text.contains("3) Decrease the default printer's page size."));
  EXPECT_TRUE(box.Memo1->isReadOnly());
}
