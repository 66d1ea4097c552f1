// Page layout of the canvas device: blank logs, the row clamp, repeated
// headers, footers, and agreement between the page count and the layout.
#include <gtest/gtest.h>

#include "DeviceTestSupport.h"
#include "devices/LogDocument.h"
#include "devices/PageCount.h"

using namespace devtest;

namespace {

tfl::SectionLineRecord SectionLine(uint8_t section, double x1, double y1, double x2, double y2) {
  tfl::SectionLineRecord r{};
  r.line = {x1, y1, x2, y2};
  r.section = section;
  return r;
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
  auto nt = f.Probe(log);
  EXPECT_EQ(nt->row(-100000), 101000);

  f.settings.pixel_limit = DrawSettings::kPixelLimit95;
  auto old = f.Probe(log);
  EXPECT_EQ(old->row(-100000), 16382);
  EXPECT_EQ(old->row(200000), -16382);
  EXPECT_EQ(old->row(500), 500);  // ordinary rows are untouched

  // A page taller than the limit doubles it before drawing.
  auto tall = f.Probe(log);
  tall->page_height_px = 40000;
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
      EXPECT_EQ(f.last_layout.body_clip_top, 120);  // (1 + 0.25) * 96
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
  const QImage last = f.Render(log, 1);
  // Body ends at row 1500 - 1056 = 444 on this page; footer 24 rows below.
  EXPECT_EQ(f.last_layout.footer_top, 444 + 24);
  EXPECT_EQ(Pixel(last, 200, 468 + 10), kBlack);
  EXPECT_EQ(InkCount(last), 200);
}

// The page model's read-out on every page kind: page bodies continue the
// log without gap or overlap, the read-out of a drawn line's row is the
// line's depth, and locating the read-out of any body row gives that page
// and row back (depths and elevations); nothing outside the pages' bodies.
TEST(PageModel, DepthAndRowAgreeBothWaysOnEveryPageKind) {
  struct Case {
    const char* name;
    uint8_t paged;
    double repeat;
  };
  for (const Case c : {Case{"paged, repeated header", 1, 0.5}, Case{"paged, first header again", 1, -1},
                       Case{"unpaged", 0, 0.5}}) {
    SCOPED_TRACE(c.name);
    Fixture f;
    tfl::Header h = PixelHeader();
    h.paged = c.paged;
    h.y_min = -300;
    h.y_max = 4000;
    h.first_header_height = 1.0;
    h.repeat_header_height = c.repeat;
    h.section_gap = 0.125;
    h.footer_height = 0.5;
    h.y_units_per_inch = 80;  // 1.2 rows a unit: read-outs between whole units
    h.datum = 250.5;
    const double line_y = 1000;  // drawn on the page whose body shows it
    const std::string log = f.WriteLog(h, [&](tfl::TflWriter& w) { w.write(Vec(0, line_y, 800, line_y)); });
    const PageModel pages = f.Open(log)->pages(96);
    ASSERT_GE(pages.last_page(), 3);
    const DrawSettings& s = f.settings;
    for (int32_t p = 0; p <= pages.last_page(); ++p) {
      SCOPED_TRACE(p);
      const PageKind kind = pages.screen_kind(p);
      EXPECT_EQ(kind, p == 0 ? PageKind::First : c.paged ? PageKind::RepeatedHeader : PageKind::Later);
      const PageLayout l = pages.layout(p, kind, s);
      const PageModel::Interval iv = pages.body_interval(p, kind, s);
      EXPECT_DOUBLE_EQ(iv.top, pages.depth_at(p, kind, l.body_clip_top, false, s));
      // Bodies follow on; with the first header on every page they overlap
      // by what that header is taller than the page header would be.
      bool overlaps_previous = false;
      if (p > 0) {
        const PageModel::Interval before = pages.body_interval(p - 1, pages.screen_kind(p - 1), s);
        if (c.repeat < 0)
          overlaps_previous = before.bottom > iv.top;
        else
          EXPECT_DOUBLE_EQ(before.bottom, iv.top);
      }
      for (int32_t row : {l.body_clip_top, l.body_clip_top + 1, (l.body_clip_top + l.body_clip_bottom) / 2,
                          l.body_clip_bottom - 1}) {
        SCOPED_TRACE(row);
        const double depth = pages.depth_at(p, kind, row, false, s);
        // A depth shown twice is found on the first page that shows it.
        const bool earlier = overlaps_previous && depth < iv.top + (iv.bottom - iv.top) / 2 &&
                             depth < pages.body_interval(p - 1, pages.screen_kind(p - 1), s).bottom;
        for (bool elevation : {false, true}) {
          const auto at = pages.locate(pages.depth_at(p, kind, row, elevation, s), elevation, s);
          ASSERT_TRUE(at.has_value());
          EXPECT_EQ(at->page, earlier ? p - 1 : p);
          if (!earlier) EXPECT_EQ(at->row, row);
          EXPECT_DOUBLE_EQ(pages.depth_at(at->page, pages.screen_kind(at->page), at->row, false, s),
                           depth);
        }
      }
    }
    // The drawn line lies on the row the model locates for its depth.
    const auto line = pages.locate(-line_y, false, s);
    ASSERT_TRUE(line.has_value());
    const QImage page = f.Render(log, line->page);
    EXPECT_EQ(Pixel(page, 400, line->row), kBlack);
    EXPECT_EQ(Pixel(page, 400, line->row - 2), kWhite);
    EXPECT_EQ(Pixel(page, 400, line->row + 2), kWhite);
    // Above the first page's body, and beyond the last page's.
    const double top = pages.body_interval(0, PageKind::First, s).top;
    const double bottom = pages.body_interval(pages.last_page(), pages.screen_kind(pages.last_page()), s).bottom;
    EXPECT_FALSE(pages.locate(top - 1, false, s).has_value());
    EXPECT_FALSE(pages.locate(bottom, false, s).has_value());
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
    auto last = f.Probe(log, count.last_page);
    const int end_row = last->row(h.y_min);
    EXPECT_GE(end_row, last->body_clip_top);
    EXPECT_LE(end_row, last->body_clip.Box().bottom);
    auto before = f.Probe(log, count.last_page - 1);
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
