// The interpreter's own record handlers: shapes that reach the device as
// plot_vector (and plot_arc, plot_circle, stroke text) calls.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "core/gd_object.h"
#include "support/NumUtils.h"

namespace {

// Grid lines and ticks beyond this many steps along one axis within the page
// are not drawn: they would be far denser than the pixels, and a tiny step
// would otherwise take hours.
constexpr double kMaxSteps = 100000;

// Graph-frame labels beyond this many along one axis are not drawn: as many
// as a frame of kMaxSteps minor ticks has, each label costing a few dozen
// strokes.
constexpr double kMaxLabels = kMaxSteps / 10;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// What a device without a page shows: everything.
constexpr gd_object::Window kEverywhere{-kInfinity, kInfinity, -kInfinity, kInfinity};

// A step that can be walked: positive and finite.
bool WalkableStep(double step) { return std::isfinite(step) && step > 0; }

bool Finite(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// The largest k >= 0 with start + k * step <= end, or -1 when even start
// lies beyond end. The quotient is checked against its neighbours so that
// rounding cannot add or lose a step; the checks are bounded because a step
// below the resolution of start never moves it.
//
// An end that is a whole number of steps away counts as reached even when
// binary rounding puts the last step a hair beyond it (0 to 0.3 by 0.1 has
// three whole steps although 3 * 0.1 > 0.3 in doubles).
double LastWholeStep(double start, double end, double step) {
  const double reach = end + step * 1e-9;
  double k = std::floor((reach - start) / step);
  if (!(k >= 0)) return -1;
  for (int i = 0; i < 2 && k >= 0 && start + k * step > reach; ++i) k -= 1;
  for (int i = 0; i < 2 && start + (k + 1) * step <= reach; ++i) k += 1;
  return k;
}

// A run of steps k = first, first + 1, ..., last (none when last < first).
struct StepSpan {
  double first = 0, last = -1;
  double steps() const { return last < first ? 0 : last - first; }
  // Calls fn(k) for each step. A count runs the loop, not k: far out, k + 1
  // may round back to k. Callers check steps() against their bound first.
  template <class Fn>
  void for_each(Fn fn) const {
    if (last < first) return;
    const int64_t n = static_cast<int64_t>(last - first);
    for (int64_t i = 0; i <= n; ++i) fn(first + static_cast<double>(i));
  }
};

// The steps k of start + k * step, 0 <= k <= k_last, whose values can lie in
// [low, high], with one step to spare at either end against rounding (the
// caller tests the values it must be exact about). A window that cannot be
// computed (NaN) keeps every step.
StepSpan StepsWithin(double start, double step, double k_last, double low, double high) {
  StepSpan span;
  if (!(k_last >= 0)) return span;
  const double first = std::ceil((low - start) / step) - 1;
  const double last = std::floor((high - start) / step) + 1;
  span.first = std::isnan(first) ? 0 : std::max(0.0, first);
  span.last = std::isnan(last) ? k_last : std::min(k_last, last);
  return span;
}

}  // namespace

// --- Grid (opcode 8) --------------------------------------------------------

// The grid covers whole cells only: each axis stops at the last whole step
// from its start that does not pass its end. Only the lines that can fall on
// the page are drawn, so a grid of any length costs what its page shows.
void gd_object::plot_grid(double x_start, double y_start, double x_end, double y_end,
                          double x_step, double y_step) {
  const struct {
    double x_start, y_start, x_end, y_end, x_step, y_step;
  } g{x_start, y_start, x_end, y_end, x_step, y_step};
  if (!WalkableStep(g.x_step) || !WalkableStep(g.y_step)) return;
  if (!Finite({g.x_start, g.y_start, g.x_end, g.y_end})) return;
  const double kx = LastWholeStep(g.x_start, g.x_end, g.x_step);
  const double ky = LastWholeStep(g.y_start, g.y_end, g.y_step);
  // With the end before the start, the last step is the one before the
  // start: no line along that axis, and the others run backwards to it.
  const double x_last = g.x_start + kx * g.x_step;
  const double y_last = g.y_start + ky * g.y_step;

  const Window view = visible_window().value_or(kEverywhere);
  const StepSpan columns = StepsWithin(g.x_start, g.x_step, kx, view.x_low, view.x_high);
  const StepSpan rows = StepsWithin(g.y_start, g.y_step, ky, view.y_low, view.y_high);
  if (columns.steps() > kMaxSteps || rows.steps() > kMaxSteps) return;
  columns.for_each([&](double i) {
    const double x = g.x_start + i * g.x_step;
    plot_vector(x, g.y_start, x, y_last);
  });
  rows.for_each([&](double j) {
    const double y = g.y_start + j * g.y_step;
    plot_vector(g.x_start, y, x_last, y);
  });
}

// --- Lines, rectangles and sectors -------------------------------------------

void gd_object::plot_polar_line(double x, double y, double length, double azimuth) {
  double x2, y2;
  PolarPoint(x2, y2, x, y, azimuth, length);
  plot_vector(x, y, x2, y2);
}

void gd_object::plot_vector_rectangle(Rect r) {
  plot_vector(r.x1, r.y1, r.x1, r.y2);
  plot_vector(r.x1, r.y2, r.x2, r.y2);
  plot_vector(r.x2, r.y1, r.x2, r.y2);
  plot_vector(r.x2, r.y1, r.x1, r.y1);
}

void gd_object::plot_sector(double x, double y, double radius, double start_azimuth,
                            double end_azimuth) {
  plot_polar_line(x, y, radius, start_azimuth);
  plot_arc(x, y, radius, start_azimuth, end_azimuth);
  plot_polar_line(x, y, radius, end_azimuth);
}

// --- Orientation symbol (opcode 5) --------------------------------------------

namespace {
// Dips below this are drawn as horizontal bedding: a cross in a circle.
constexpr double kFlatDipLimit = 0.1;
}  // namespace

void gd_object::plot_orientation(double x, double y, double strike_azimuth, double dip) {
  const double s = (header.x_max - header.x_min) * orientation_size;
  if (dip < kFlatDipLimit) {
    const double h = s / 2;
    plot_vector(x - h, y, x + h, y);
    plot_vector(x, y - h, x, y + h);
    plot_circle(x, y, h);
    return;
  }
  double p1x, p1y, p2x, p2y, p3x, p3y;
  PolarPoint(p1x, p1y, x, y, strike_azimuth, s);
  const double opposite = strike_azimuth > 180 ? strike_azimuth - 180 : strike_azimuth + 180;
  PolarPoint(p2x, p2y, x, y, opposite, s);
  plot_vector(p1x, p1y, p2x, p2y);  // strike line
  double dip_azimuth = strike_azimuth + 90;
  if (dip_azimuth > 360) dip_azimuth -= 360;
  PolarPoint(p3x, p3y, x, y, dip_azimuth, s);
  plot_vector(x, y, p3x, p3y);  // dip tick

  if (!std::isfinite(dip)) return;  // nothing sensible to write
  const std::string label = FormatDecimal(dip < 1 ? 1 : 0, dip);
  const double cx = (x + p1x + p3x) / 3;
  const double cy = (y + p1y + p3y) / 3;
  const double t = s / 3;
  plot_vector_text(90, label, cx - 0.6 * t, cy - 0.45 * t, 0, t, t, true);
}

// --- Graph frame (opcode 1) -----------------------------------------------------

namespace {

constexpr int kAutomaticDivisions = 20;
constexpr double kMinorPerMajor = 10;

// One axis of a graph frame: its tick intervals, its extended range and how
// data values map onto the page.
struct FrameAxis {
  double minor = 0, major = 0;
  double low = 0, high = 0;  // extended range
  int32_t decimals = 0;
  double data_start = 0, scale = 0, page_start = 0;
  double page_low = 0, page_high = 0, tolerance = 0;
  double view_low = -kInfinity, view_high = kInfinity;  // positions the page shows

  double page(double v) const { return (v - data_start) * scale + page_start; }
  bool inside(double p) const { return p >= page_low - tolerance && p <= page_high + tolerance; }
  // The steps of the ticks every `step` from the extended low whose position
  // can lie in the frame and within `reach` of what the page shows.
  StepSpan ticks(double step, double reach) const {
    const double lo = std::max(page_low - tolerance, view_low - reach);
    const double hi = std::min(page_high + tolerance, view_high + reach);
    return StepsWithin(low, step, LastWholeStep(low, high, step), (lo - page_start) / scale + data_start,
                       (hi - page_start) / scale + data_start);
  }
  // Calls fn(value, page position) for every value from the extended low in
  // steps of `step` up to the extended high whose position is in the frame,
  // leaving out those further than `reach` from what the page shows.
  template <class Fn>
  void for_each_tick(double step, double reach, Fn fn) const {
    ticks(step, reach).for_each([&](double k) {
      const double v = low + k * step;
      const double p = page(v);
      if (inside(p)) fn(v, p);
    });
  }
};

// False when the axis cannot be walked (bad interval, non-finite range).
bool SetUpAxis(FrameAxis& a, bool automatic, double interval, double data_start, double data_end,
               double page_start, double page_end) {
  if (automatic) {
    ChooseTickSteps(kAutomaticDivisions, a.minor, a.major, data_start, data_end);
  } else {
    a.major = interval;
    a.minor = interval / kMinorPerMajor;
  }
  if (!WalkableStep(a.major) || !WalkableStep(a.minor)) return false;
  if (!Finite({data_start, data_end, page_start, page_end})) return false;
  a.low = data_start;
  a.high = data_end;
  SnapRangeToStep(a.low, a.high, a.major);
  a.low -= a.major;
  a.high += a.major;
  if (!Finite({a.low, a.high})) return false;
  a.decimals = SpanDigits(a.low, a.high);
  a.data_start = data_start;
  a.page_start = page_start;
  a.scale = std::fabs(page_end - page_start) / std::fabs(data_end - data_start);
  a.page_low = std::min(page_start, page_end);
  a.page_high = std::max(page_start, page_end);
  // Values that land on the frame's edge count as inside despite rounding.
  a.tolerance = 1e-9 * (a.page_high - a.page_low);
  return std::isfinite(a.scale);
}

// One side of a frame: its line, where its ticks lie across it, and how its
// labels are placed. A vertical side (left, right) has its ticks along the y
// axis at x = edge; a horizontal one (bottom, top) along the x axis at
// y = edge. Ticks run across from `edge` into the frame: from the edge when
// `from_edge`, else ending at it.
struct FrameSide {
  bool vertical;
  double edge;
  double line_from, line_to;  // the side's line along it
  bool from_edge;
  double minor, major;  // tick lengths
};

// Draws a side: its line, its minor ticks, its major ticks, then the label
// of every major tick (label(text, tick position)) when `labels` is set.
template <class Label>
void PlotFrameSide(gd_object& d, const FrameSide& side, const FrameAxis& axis, bool labels,
                   double label_reach, Label label) {
  auto line = [&](double across_from, double across_to, double along_from, double along_to) {
    if (side.vertical)
      d.plot_vector(across_from, along_from, across_to, along_to);
    else
      d.plot_vector(along_from, across_from, along_to, across_to);
  };
  auto tick = [&](double length) {
    return [&, length](double, double p) {
      if (side.from_edge)
        line(side.edge, side.edge + length, p, p);
      else
        line(side.edge - length, side.edge, p, p);
    };
  };
  line(side.edge, side.edge, side.line_from, side.line_to);
  axis.for_each_tick(axis.minor, 0, tick(side.minor));
  axis.for_each_tick(axis.major, 0, tick(side.major));
  if (labels)
    axis.for_each_tick(axis.major, label_reach, [&](double v, double p) {
      label(FormatDecimal(axis.decimals, v), p);
    });
}

}  // namespace

void gd_object::plot_graph_frame(const gd::GraphFrame& g) {
  const Rect f = g.frame;
  FrameAxis ax, ay;
  const bool automatic = g.automatic_intervals;
  if (!SetUpAxis(ax, automatic, g.x_tick_interval, g.data_x_start, g.data_x_end, f.x1, f.x2) ||
      !SetUpAxis(ay, automatic, g.y_tick_interval, g.data_y_start, g.data_y_end, f.y1, f.y2))
    return;
  frame_scale = {ax.scale, ay.scale};

  const double w = std::fabs(f.x2 - f.x1);
  const double h = std::fabs(f.y2 - f.y1);
  const double cw = 0.02 * w;
  const double ch = 0.04 * h;
  const bool centred = g.centred_labels;

  // Only the ticks that can fall on the page are walked; a frame with more
  // minor ticks than kMaxSteps there is not drawn. A label reaches further
  // from its tick than the tick does: along its text at most 60 characters
  // of 1.2 cw plus glyph strokes up to 25.6 cw outside their cells, across it
  // glyphs up to 10.3 ch either way moved by up to their own height. More
  // than kMaxLabels labels are left out: they would cover one another.
  const Window view = visible_window().value_or(kEverywhere);
  ax.view_low = view.x_low;
  ax.view_high = view.x_high;
  ay.view_low = view.y_low;
  ay.view_high = view.y_high;
  if (ax.ticks(ax.minor, 0).steps() > kMaxSteps || ay.ticks(ay.minor, 0).steps() > kMaxSteps)
    return;
  const double label_reach = 125 * cw + 22 * ch;
  const bool x_labels = ax.ticks(ax.major, label_reach).steps() <= kMaxLabels;
  const bool y_labels = ay.ticks(ay.major, label_reach).steps() <= kMaxLabels;

  // The label offsets below are the frame's own and deliberate, odd as some
  // look (a right-side label is not measured; an upright bottom or top label
  // starts half its width right of its tick): logs were laid out around them.
  // Ticks across the frame are as long on the right as on the left (from its
  // width), and on the top as on the bottom (from its height).

  // Left side: ticks run across from x1; labels to its left.
  PlotFrameSide(*this, {true, f.x1, f.y1, f.y2, true, 0.005 * w, 0.02 * w}, ay, y_labels,
                label_reach, [&](const std::string& label, double py) {
                  if (centred) {
                    const Extent m = measure_vector_text(0, label, cw, ch);
                    plot_vector_text(0, label, f.x1 - 0.3 * ch - m.width / 2, py - m.height / 2,
                                     0, cw, ch, true);
                  } else {
                    const Extent m = measure_vector_text(90, label, cw, ch);
                    plot_vector_text(90, label, f.x1 - m.width - 0.5 * cw, py - 0.5 * m.height,
                                     0, cw, ch, true);
                  }
                });
  // Right side: ticks end at x2; labels to its right.
  PlotFrameSide(*this, {true, f.x2, f.y1, f.y2, false, 0.005 * w, 0.02 * w}, ay, y_labels,
                label_reach, [&](const std::string& label, double py) {
                  if (centred) {
                    const Extent m = measure_vector_text(0, label, cw, ch);
                    plot_vector_text(0, label, f.x2 + 1.3 * ch - m.width / 2, py - m.height / 2,
                                     0, cw, ch, true);
                  } else {
                    plot_vector_text(90, label, f.x2 + 0.5 * cw, py - 0.3 * ch, 0, cw, ch, true);
                  }
                });
  // Bottom: ticks rise from y1; labels below it.
  PlotFrameSide(*this, {false, f.y1, f.x1, f.x2, true, 0.005 * h, 0.02 * h}, ax, x_labels,
                label_reach, [&](const std::string& label, double px) {
                  if (centred) {
                    const Extent m = measure_vector_text(90, label, cw, ch);
                    plot_vector_text(90, label, px - m.width / 2, f.y1 - 1.2 * ch - m.height / 2,
                                     0, cw, ch, true);
                  } else {
                    const Extent m = measure_vector_text(0, label, cw, ch);
                    plot_vector_text(0, label, px + 0.5 * m.width, f.y1 - m.height - 0.5 * cw, 0,
                                     cw, ch, true);
                  }
                });
  // Top: ticks hang from y2; labels above it.
  PlotFrameSide(*this, {false, f.y2, f.x1, f.x2, false, 0.005 * h, 0.02 * h}, ax, x_labels,
                label_reach, [&](const std::string& label, double px) {
                  if (centred) {
                    const Extent m = measure_vector_text(90, label, cw, ch);
                    plot_vector_text(90, label, px - m.width / 2, f.y2 + 0.5 * ch - m.height / 2,
                                     0, cw, ch, true);
                  } else {
                    const Extent m = measure_vector_text(0, label, cw, ch);
                    plot_vector_text(0, label, px + 0.5 * m.width, f.y2 + 0.5 * cw, 0, cw, ch,
                                     true);
                  }
                });
}
