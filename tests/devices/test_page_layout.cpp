// Page layout of the canvas device: blank logs, the row clamp, repeated
// headers, footers, and agreement between the page count and the layout.
#include <gtest/gtest.h>

#include "DeviceTestSupport.h"
#include "devices/PageCount.h"

using namespace devtest;

namespace {

tfl::SectionLineRecord SectionLine(uint8_t section, double x1, double y1, double x2, double y2) {
  tfl::SectionLineRecord r{};
  r.line = {x1, y1, x2, y2};
  r.section = section;
  return r;
}

// Lays out page `index` of the log and leaves the device for inspection.
std::unique_ptr<TestDevice> LaidOut(Fixture& f, const std::string& log, int index, int last,
                                    int dpi = 96) {
  auto d = f.Device(log, dpi);
  d->page_index = index;
  d->last_page = last;
  d->page_kind = index == 0 ? PageKind::First : (d->header.paged ? PageKind::RepeatedHeader : PageKind::Later);
  d->lay_out_page();
  return d;
}

}  // namespace

TEST(PageLayout, LogWithoutWidthGivesABlankPage) {
  Fixture f;
  auto body = [](tfl::TflWriter& w) {
    w.write(PenWidth(8));
    w.write(Vec(100, 500, 600, 500));
  };
  tfl::Header h = PixelHeader();
  EXPECT_GT(InkCount(f.Render(f.WriteLog(h, body))), 0);  // the same log with a width draws
  h.x_max = 0;
  EXPECT_EQ(InkCount(f.Render(f.WriteLog(h, body))), 0);
  h.x_max = -5;
  EXPECT_EQ(InkCount(f.Render(f.WriteLog(h, body))), 0);
}

TEST(PageLayout, RowsClampToTheOldLimitAndTallPagesDoubleIt) {
  Fixture f;
  const std::string log = f.WriteLog(PixelHeader(), {});
  // One unit is one pixel: y = -100000 lies 101000 rows down.
  auto nt = LaidOut(f, log, 0, 0);
  EXPECT_EQ(nt->row(-100000), 101000);

  f.settings.pixel_limit = DrawSettings::kPixelLimit95;
  auto old = LaidOut(f, log, 0, 0);
  EXPECT_EQ(old->row(-100000), 16382);
  EXPECT_EQ(old->row(200000), -16382);
  EXPECT_EQ(old->row(500), 500);  // ordinary rows are untouched

  // A page taller than the limit doubles it before drawing.
  auto tall = f.Device(log);
  tall->page_height_px = 40000;
  tall->last_page = 0;
  tall->lay_out_page();
  EXPECT_EQ(tall->pixel_limit, 4 * 16382);
  EXPECT_EQ(tall->row(-100000), 4 * 16382);
}

TEST(PageLayout, PagedLogWithoutRepeatHeaderRepeatsTheFirstHeader) {
  Fixture f;
  tfl::Header h = PixelHeader();
  h.paged = 1;
  h.y_max = 3000;
  h.first_header_height = 1.0;
  h.repeat_header_height = 0;
  const std::string log = f.WriteLog(h, [](tfl::TflWriter& w) {
    w.write(SectionLine(1, 100, 0.5, 300, 0.5));   // first-page header item, row 48
    w.write(SectionLine(2, 100, 0.25, 300, 0.25)); // repeated header item, row 24
    w.write(Vec(400, 0, 400, 3000));               // the body, top to bottom
  });
  for (int page : {0, 1, 2}) {
    SCOPED_TRACE(page);
    const QImage img = f.Render(log, page);
    EXPECT_EQ(Pixel(img, 200, 48), kBlack);
    EXPECT_EQ(Pixel(img, 200, 24), kWhite);
    if (page > 0) {
      // The body starts below the first header and the header gap.
      EXPECT_EQ(f.last_device->body_clip_top, 120);  // (1 + 0.25) * 96
      EXPECT_EQ(Pixel(img, 400, 119), kWhite);
      EXPECT_EQ(Pixel(img, 400, 121), kBlack);
    }
  }
}

TEST(PageLayout, UnpagedFooterOnlyOnLastPageHeaderGapBelowTheBody) {
  Fixture f;
  tfl::Header h = PixelHeader();
  h.y_max = 1500;
  h.footer_height = 0.5;
  const std::string log = f.WriteLog(h, [](tfl::TflWriter& w) {
    w.write(SectionLine(3, 100, 0.1, 300, 0.1));
  });
  const PageCount count = CountPages(h, 96, 1.0);
  ASSERT_EQ(count.last_page, 1);
  EXPECT_EQ(InkCount(f.Render(log, 0)), 0);  // not the last page: no footer
  const QImage last = f.Render(log, 1, 96, false, [](TestDevice& d, platform::Canvas&) {
    d.last_page = 1;
  });
  // Body ends at row 1500 - 1056 = 444 on this page; footer 24 rows below.
  EXPECT_EQ(f.last_device->footer_top, 444 + 24);
  EXPECT_EQ(Pixel(last, 200, 468 + 10), kBlack);
  EXPECT_EQ(InkCount(last), 200);
}

TEST(PageLayout, PagedPagesContinueTheLogWithoutGapOrOverlap) {
  Fixture f;
  tfl::Header h = PixelHeader();
  h.paged = 1;
  h.y_max = 9000;
  h.first_header_height = 1.0;
  h.repeat_header_height = 0.5;
  h.section_gap = 0.125;  // (0.5 + 0.125) * 96 = 60 rows: whole pixels
  h.footer_height = 0.5;
  const std::string log = f.WriteLog(h, {});
  for (int n = 0; n < 5; ++n) {
    SCOPED_TRACE(n);
    auto here = LaidOut(f, log, n, 9);
    auto next = LaidOut(f, log, n + 1, 9);
    const int bottom = here->body_clip.Box().bottom;
    EXPECT_DOUBLE_EQ(here->pixel_to_depth(bottom, false),
                     next->pixel_to_depth(next->body_clip_top, false));
  }
}

TEST(PageLayout, PageCountAgreesWithWhereTheLogEnds) {
  Fixture f;
  struct Case {
    double repeat, gap, footer, y_max;
  };
  f.settings.header_gap = 0.25;
  for (const Case c : {Case{0.5, 0.125, 0.5, 5000}, Case{0.75, 0.25, -1, 7777},
                       Case{0, 0.25, 0.5, 6000}, Case{-1, 0.25, 0.25, 4321}}) {
    tfl::Header h = PixelHeader();
    h.paged = 1;
    h.y_max = c.y_max;
    h.first_header_height = 1.0;
    h.repeat_header_height = c.repeat;
    h.section_gap = c.gap;
    h.footer_height = c.footer;
    const std::string log = f.WriteLog(h, {});
    const PageCount count = CountPages(h, 96, 1.0);
    SCOPED_TRACE(c.y_max);
    ASSERT_EQ(count.problem, PageCountProblem::None);
    ASSERT_GT(count.last_page, 0);
    auto last = LaidOut(f, log, count.last_page, count.last_page);
    const int end_row = last->row(h.y_min);
    EXPECT_GE(end_row, last->body_clip_top);
    EXPECT_LE(end_row, last->body_clip.Box().bottom);
    auto before = LaidOut(f, log, count.last_page - 1, count.last_page);
    EXPECT_GT(before->row(h.y_min), before->body_clip.Box().bottom);
  }
}

TEST(PageCount, BranchesAndProblems) {
  tfl::Header h = PixelHeader();
  h.paged = 1;
  h.y_max = 2000;
  h.first_header_height = 1.0;
  h.repeat_header_height = 0.5;
  h.footer_height = 0.5;
  // First page holds 1056 - 96 - 48 = 912 rows, later pages 960: 2000 rows
  // need three pages.
  EXPECT_EQ(CountPages(h, 96, 1.0).last_page, 2);
  h.y_max = 900;  // fits on the first page
  EXPECT_EQ(CountPages(h, 96, 1.0).last_page, 0);
  h.repeat_header_height = 0;  // 2000 / 912
  h.y_max = 2000;
  EXPECT_EQ(CountPages(h, 96, 1.0).last_page, 2);
  h.paged = 0;  // (96 + 2000 + 48) / 1056
  EXPECT_EQ(CountPages(h, 96, 1.0).last_page, 2);
  EXPECT_EQ(CountPages(h, 96, 1.0).page_width_px, 816);

  h.paged = 1;
  h.page_height = 1.2;  // headers and footer fill the page
  const PageCount no_room = CountPages(h, 96, 1.0);
  EXPECT_EQ(no_room.problem, PageCountProblem::NoRoomForLog);
  EXPECT_EQ(no_room.last_page, 0);

  h.page_height = 11;
  h.y_max = std::nan("");
  EXPECT_EQ(CountPages(h, 96, 1.0).problem, PageCountProblem::OutOfRange);
  h.y_max = 1e300;
  EXPECT_EQ(CountPages(h, 96, 1.0).problem, PageCountProblem::OutOfRange);
}
