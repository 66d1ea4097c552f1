#include "DemoBody.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "DemoLayout.h"

namespace demo {

using namespace tfl;

namespace {

constexpr const char* kFace = "Arial";
constexpr int32_t kGreen = Rgb(0, 130, 0), kBlue = Rgb(0, 60, 200), kRed = Rgb(200, 0, 0),
                  kBrown = Rgb(130, 80, 20), kDarkGreen = Rgb(0, 100, 40),
                  kTopColor = Rgb(160, 0, 60);
// GDI text alignment flags.
constexpr int32_t kAlignLeft = 0, kAlignRight = 2, kAlignCenter = 6, kAlignTop = 0,
                  kAlignBottom = 8;

std::string Thousands(double value) {
  const long v = std::lround(value);
  char buf[32];
  if (v >= 1000)
    std::snprintf(buf, sizeof buf, "%ld,%03ld", v / 1000, v % 1000);
  else
    std::snprintf(buf, sizeof buf, "%ld", v);
  return buf;
}

std::vector<Pt> CurvePoints(const Curve& c, const Track& t, double lo, double hi) {
  std::vector<Pt> pts;
  pts.reserve(c.depth.size());
  for (size_t i = 0; i < c.depth.size(); ++i) pts.push_back({t.at(c.value[i], lo, hi), Y(c.depth[i])});
  return pts;
}

// A curve closed against a vertical baseline at x, in the order the
// two-polygon shading wants it: baseline corner at the top, the curve,
// then the two baseline corners (which are not outlined).
std::vector<Pt> AgainstBaseline(const std::vector<Pt>& curve, double x) {
  std::vector<Pt> poly;
  poly.reserve(curve.size() + 3);
  poly.push_back({x, curve.front().y});
  poly.insert(poly.end(), curve.begin(), curve.end());
  poly.push_back({x, curve.back().y});
  poly.push_back({x, curve.front().y});
  return poly;
}

void TwoPolygons(Drawing& d, const FilledPolygonRecord& rec, const std::vector<Pt>& a,
                 const std::vector<Pt>& b) {
  d.writer().write(rec);
  d.writer().points(PointGroup(a));
  d.writer().points(PointGroup(b));
}

void Grids(Drawing& d) {
  d.pen(kGridGrey, 0, 1);
  const double top = Y(kLogTop), td = Y(kTotalDepth);
  const Track* tracks[] = {&kGammaTrack, &kRopTrack, &kPorosityTrack, &kGasTrack, &kDipTrack};
  const double steps[] = {3, 2, 3, 2, 3.5};
  for (size_t i = 0; i < std::size(tracks); ++i)
    d.writer().write(GridRecord{tracks[i]->left, td, tracks[i]->right, top, steps[i], 10});
  // Heavier lines every 50 ft.
  d.pen(Rgb(140, 140, 140), 0, 1);
  for (double depth = kLogTop + 50; depth < kTotalDepth; depth += 50)
    for (const Track* t : tracks) d.line(t->left, Y(depth), t->right, Y(depth));
}

void LithologyColumn(Drawing& d, const Well& w) {
  for (const Bed& bed : w.beds) {
    const Lithology& lith = w.lithologies[bed.lithology];
    const Rect r{kLithTrack.left, Y(bed.base), kLithTrack.right, Y(bed.top)};
    if (lith.coloured) {
      ColorPatternRecord rec{};
      rec.rect = r;
      rec.pattern = lith.pattern;
      rec.x_scale = rec.y_scale = kPatternScale;
      rec.line_width = 1;
      rec.background = lith.background;
      rec.pattern_color = lith.line_color;
      rec.outline = 1;
      d.writer().write(rec);
    } else {
      d.pen(kBlack, 0, 1);
      d.writer().write(PatternRecord{r, lith.pattern, kPatternScale, kPatternScale, 1});
    }
  }
}

void GammaRay(Drawing& d, const Well& w) {
  const auto curve = CurvePoints(w.gamma, kGammaTrack, kGrLeft, kGrRight);
  const double cutoff = kGammaTrack.at(kGrCutoff, kGrLeft, kGrRight);
  const double top = Y(kLogTop), bottom = Y(kTotalDepth);
  // A: the curve against the zero line; B: the clean-sand cutoff. A alone is
  // shale (grey), B alone is clean rock (yellow), the overlap is left white.
  const std::vector<Pt> a = AgainstBaseline(curve, kGammaTrack.left);
  const std::vector<Pt> b = {{kGammaTrack.left, top}, {cutoff, top}, {cutoff, bottom},
                             {kGammaTrack.left, bottom}, {kGammaTrack.left, top}};
  FilledPolygonRecord rec{};
  rec.outline_a = kGreen;
  rec.pen_style_a = 0;
  rec.width_a = 2;
  rec.fill_a = Rgb(185, 190, 170);
  rec.brush_a = 0;
  rec.outline_b = Rgb(100, 100, 100);
  rec.pen_style_b = 2;
  rec.width_b = 1;
  rec.fill_b = Rgb(255, 235, 120);
  rec.brush_b = 0;
  rec.overlap_fill = kWhite;
  rec.overlap_brush = 1;
  TwoPolygons(d, rec, a, b);

  // Caliper, dashed, with the bit size dash-dotted.
  d.pen(kBlack, 1, 1);
  d.polyline(CurvePoints(w.caliper, kGammaTrack, kCaliperLeft, kCaliperRight));
  d.pen(Rgb(90, 90, 90), 3, 1);
  const double bit = kGammaTrack.at(8.5, kCaliperLeft, kCaliperRight);
  d.line(bit, top, bit, bottom);
  d.pen(kBlack, 0, 1);
}

void RateOfPenetration(Drawing& d, const Well& w) {
  const auto curve = CurvePoints(w.rop, kRopTrack, kRopLeft, kRopRight);
  std::vector<Pt> poly;
  poly.reserve(curve.size() + 1);
  poly.push_back({kRopTrack.left, curve.front().y});
  poly.insert(poly.end(), curve.begin(), curve.end());
  d.pen(Rgb(235, 215, 175), 0, 1);
  d.writer().write(PolyfillRecord{0, 1, 1, 0});
  d.writer().points(PointGroup(poly));
  d.styled_polyline(curve, 1, kBrown, 0);
}

void Porosity(Drawing& d, const Well& w) {
  const auto nphi = CurvePoints(w.nphi, kPorosityTrack, kPhiLeft, kPhiRight);
  const auto dphi = CurvePoints(w.dphi, kPorosityTrack, kPhiLeft, kPhiRight);
  // Both against the right edge: where density porosity reads higher than
  // neutron porosity (crossover) the rock holds gas.
  FilledPolygonRecord rec{};
  rec.pen_style_a = rec.pen_style_b = 5;  // curves drawn below, styled
  rec.width_a = rec.width_b = 1;
  rec.fill_a = Rgb(150, 150, 150);
  rec.brush_a = 4;  // shale separation: grey diagonal hatch
  rec.fill_b = Rgb(255, 120, 40);
  rec.brush_b = 0;  // gas crossover: solid orange
  rec.overlap_fill = kWhite;
  rec.overlap_brush = 1;
  TwoPolygons(d, rec, AgainstBaseline(nphi, kPorosityTrack.right),
              AgainstBaseline(dphi, kPorosityTrack.right));
  d.styled_polyline(nphi, 1, kBlue, 1);
  d.styled_polyline(dphi, 1, kRed, 0);
}

void Gas(Drawing& d, const Well& w) {
  const auto curve = CurvePoints(w.gas, kGasTrack, kGasLeft, kGasRight);
  std::vector<Pt> poly;
  poly.reserve(curve.size() + 1);
  poly.push_back({kGasTrack.left, curve.front().y});
  poly.insert(poly.end(), curve.begin(), curve.end());
  d.pen(kDarkGreen, 0, 1);
  d.writer().write(ColorPolygonRecord{0, 1, 1, 0, Rgb(170, 225, 170)});
  d.writer().points(PointGroup(poly));
  d.styled_polyline(curve, 1, kDarkGreen, 0);
  // The peak of the gas show, labelled in drawing units (size mode 0).
  const auto peak = std::max_element(w.gas.value.begin(), w.gas.value.end());
  const size_t i = static_cast<size_t>(peak - w.gas.value.begin());
  char text[32];
  std::snprintf(text, sizeof text, "%.0f u", *peak);
  d.color(kDarkGreen);
  d.label(kGasTrack.left + 1, Y(w.gas.depth[i]) - 1.0, 2.6, 0, text);
}

void DepthTrack(Drawing& d) {
  const Track& t = kDepthTrack;
  d.pen(kBlack, 0, 1);
  for (double depth = kLogTop + 10; depth < kTotalDepth; depth += 10) {
    const double len = std::fmod(depth, 50.0) == 0 ? 2.5 : 1.2;
    d.line(t.left, Y(depth), t.left + len, Y(depth));
    d.line(t.right - len, Y(depth), t.right, Y(depth));
  }
  // Stroke-font depth figures, centred, every 50 ft.
  constexpr double kCharW = 1.0, kCharH = 2.0;
  for (double depth = kLogTop + 50; depth < kTotalDepth; depth += 50) {
    char text[16];
    std::snprintf(text, sizeof text, "%.0f", depth);
    const double width = (1.2 * std::strlen(text) - 0.2) * kCharW;
    d.vector_text(t.mid() - width / 2, Y(depth) - kCharH / 2, kCharW, kCharH, text);
  }
}

void TrackBorders(Drawing& d) {
  d.pen(kBlack, 0, 1);
  // The outer frame runs down every page; the inner borders stop at TD.
  d.writer().write(VerticalLineRecord{kGammaTrack.left});
  d.writer().write(VerticalLineRecord{kLogRight});
  for (double x : {kRopTrack.left, kDepthTrack.left, kLithTrack.left, kLithTrack.right,
                   kGasTrack.left, kShowTrack.left, kDipTrack.left, kDescTrack.left})
    d.line(x, Y(kLogTop), x, Y(kTotalDepth));
  d.pen(kBlack, 0, 3);
  d.line(kGammaTrack.left, Y(kTotalDepth), kLogRight, Y(kTotalDepth));
  d.pen(kBlack, 0, 1);
}

void ShowsAndCores(Drawing& d, const Well& w) {
  for (const Show& s : w.shows) {
    const bool oil = s.symbol == symbol::kOilShow || s.symbol == symbol::kFluorescence;
    d.pen(oil ? Rgb(120, 70, 0) : s.symbol == symbol::kGasShow ? kRed : kBlack, 0, 1);
    d.writer().write(SymbolRecord{kShowTrack.mid() + 1, Y(s.depth), 0, s.symbol, 0.2, 0.2, 0});
  }
  d.pen(kBlack, 0, 1);
  // Cored interval: a cross-hatched bar with the core's depths between
  // arrows; the drill stem test: a hatched bar and a turned label.
  const double bar_l = kShowTrack.left + 0.6, bar_r = kShowTrack.left + 3.2;
  d.writer().write(BrushRectangleRecord{{bar_l, Y(w.core.top), bar_r, Y(w.core.base)}, 6, kBlack, 0});
  d.font(kFace, 7, 1);
  DimensionTextRecord dim{};
  dim.rect = {bar_r + 0.4, Y(w.core.top), kShowTrack.right - 0.4, Y(w.core.base)};
  dim.downward = 1;
  dim.arrows = 1;
  dim.text.assign(w.core.label);
  d.writer().write(dim);
  d.writer().write(BrushRectangleRecord{{bar_l, Y(w.dst.top), bar_r, Y(w.dst.base)}, 4, kBlue, 0});
  // Turned a quarter left, the label runs up from just above the test; its
  // letters lie to the right of the anchor.
  d.color(kBlue);
  d.label(bar_r + 0.5, Y(w.dst.top) + 1, 6, 3, w.dst.label + " (gas to surface)", 90);
  d.color(kBlack);
}

void Dips(Drawing& d, const Well& w) {
  d.writer().write(OrientationSizeRecord{0.012});
  for (const Dip& dip : w.dips) {
    const double x = kDipTrack.at(std::min(dip.dip, kDipRight - 2), kDipLeft, kDipRight) + 0.8;
    const double y = Y(dip.depth);
    constexpr double kRadius = 0.6, kTail = 2.2;
    // Tadpole: the head at the dip, the tail pointing down-dip.
    d.pen(dip.from_core ? kRed : kBlack, 0, 1);
    d.writer().write(CircleRecord{x, y, kRadius});
    const double a = dip.azimuth * M_PI / 180;
    d.writer().write(PolarLineRecord{x + kRadius * std::sin(a), y + kRadius * std::cos(a), kTail,
                                     dip.azimuth});
    // Core measurements and flat bedding also as a strike-and-dip symbol.
    if (dip.from_core || dip.dip < 0.1) {
      d.writer().write(
          OrientationRecord{kDipTrack.right - 3.2, y, std::fmod(dip.azimuth + 270, 360), dip.dip});
    }
  }
  d.pen(kBlack, 0, 1);
}

void FormationTops(Drawing& d, const Well& w) {
  for (const Bed& bed : w.beds) {
    if (bed.formation.empty()) continue;
    d.pen(kTopColor, 1, 1);
    d.line(kGammaTrack.left, Y(bed.top), kLogRight, Y(bed.top));
    d.font(kFace, 6, 1, kTopColor);
    d.text(kDescTrack.left + 0.8, Y(bed.top) - 0.4, bed.formation, kAlignLeft | kAlignTop);
    d.font(kFace, 6, 0, kTopColor);
    d.text(kDescTrack.right - 0.6, Y(bed.top) - 0.4, Thousands(bed.top), kAlignRight | kAlignTop);
  }
  d.pen(kBlack, 0, 1);
}

// Where a bed's description goes: below its name, clear of the page
// breaks and of the core photograph.
struct Box {
  double top, base;
};

Box DescriptionBox(const Well& w, const Bed& bed, double needed_ft) {
  double top = bed.top + (bed.formation.empty() ? 0.5 : 3.2);
  double base = bed.base - 0.5;
  if (bed.top < w.core.top && bed.base > w.core.top) base = std::min(base, w.core.top - 1);
  for (double brk : PageBreakDepths()) {
    if (brk <= top || brk >= base) continue;
    // Take the larger side of the break, unless the text fits above it.
    if (brk - top >= needed_ft || brk - top >= base - brk)
      base = brk - 0.5;
    else
      top = brk + 0.8;
  }
  return {top, base};
}

void Descriptions(Drawing& d, const Well& w) {
  // 6-point Arial averages about 0.042 in a character; the box is the
  // column less the paragraph margins (0.1 in each side).
  constexpr double kCharIn = 0.042, kLineFt = 0.1 * kUnitsPerInch;
  const double text_width_in = kDescTrack.width() / kUnitsPerInch - 0.2;
  const size_t max_chars = static_cast<size_t>(text_width_in / kCharIn);
  d.font(kFace, 6, 0);
  for (const Bed& bed : w.beds) {
    const std::string text = WrapText(bed.description, max_chars);
    const double lines = static_cast<double>(std::count(text.begin(), text.end(), '\r'));
    const Box box = DescriptionBox(w, bed, (lines + 1) * kLineFt);
    const double base = std::min(box.base, box.top + (lines + 1) * kLineFt);
    d.paragraph(kDescTrack.left, Y(box.top), kDescTrack.right, Y(base), text);
  }
}

void Annotations(Drawing& d, const Well& w) {
  d.font(kFace, 7, 1);
  d.color(kBlack);
  // "TD" in the depth track, sized in points and centred (size mode 4).
  d.label(kDepthTrack.mid(), Y(kTotalDepth) - 0.6, 7, 4, "TD");
  d.writer().write(NoteRecord{kDepthTrack.mid(), Y(kTotalDepth), {}});
  NoteRecord note{};
  note.x = kDescTrack.left;
  note.y = Y(w.core.top);
  note.text.assign("Core photograph: core-photo.jpg (box 1 of 6)");
  d.writer().write(note);
}

// Below TD: a crossplot of the core plugs and a rose of the dip directions.
void Summary(Drawing& d, const Well& w) {
  const double top = kTotalDepth + 4, bottom = kLogBottom - 2;
  d.pen(kBlack, 0, 1);
  d.writer().write(VectorRectangleRecord{{kGammaTrack.left + 1, Y(bottom), kLogRight - 1, Y(top)}});
  d.font(kFace, 9, 1);
  d.text(kGammaTrack.left + 3, Y(top) - 1, "SUMMARY BELOW TOTAL DEPTH", kAlignLeft | kAlignTop);
  d.font(kFace, 7, 0);
  d.text(kGammaTrack.left + 3, Y(top) - 4.2,
         "TD 5,180 ft (driller), 5,176 ft (logger); bottom-hole temperature 168 F.",
         kAlignLeft | kAlignTop);

  // Crossplot frame: porosity 0-30 % across, log10 of permeability -1..3
  // (0.1 to 1000 mD) up.
  const Rect frame{20, Y(5226), 70, Y(5196)};
  GraphFrameRecord g{};
  g.frame = frame;
  g.data_x_start = 0;
  g.data_x_end = 30;
  g.data_y_start = -1;
  g.data_y_end = 3;
  g.frame_options = 0;
  g.automatic_intervals = 0;
  g.x_tick_interval = 5;
  g.y_tick_interval = 1;
  d.writer().write(g);
  const double sx = (frame.x2 - frame.x1) / 30, sy = (frame.y2 - frame.y1) / 4;
  auto at = [&](double phi, double k) {
    return Pt{frame.x1 + phi * sx, frame.y1 + (std::log10(k) + 1) * sy};
  };
  d.color(kRed);
  for (const CorePlug& p : w.plugs) {
    const Pt c = at(p.porosity_pct, p.permeability_md);
    d.writer().write(CircleRecord{c.x, c.y, 0.5});
  }
  // The porosity-permeability trend, as a run of short vectors.
  d.pen(kBlue, 0, 1);
  Pt last = at(4, std::exp(-4.2 + 0.42 * 4));
  for (double phi = 4.5; phi <= 26.01; phi += 0.5) {  // up to 1000 mD, the frame's top
    const Pt next = at(phi, std::exp(-4.2 + 0.42 * phi));
    d.line(last.x, last.y, next.x, next.y);
    last = next;
  }
  d.color(kBlack);
  d.font(kFace, 7, 1);
  d.text((frame.x1 + frame.x2) / 2, frame.y1 - 3.2, "Core porosity (%)", kAlignCenter | kAlignTop);
  d.text(frame.x1 - 7, (frame.y1 + frame.y2) / 2, "log10 permeability (mD)",
         kAlignCenter | kAlignTop, true);
  d.font(kFace, 7, 0);
  const double note_x = frame.x2 + 8;
  d.text(note_x + 0.5, frame.y2 - 0.3, "Core 1 plugs,", kAlignLeft | kAlignTop);
  d.text(note_x + 0.5, frame.y2 - 2.5, "4,569-4,627 ft", kAlignLeft | kAlignTop);
  d.writer().write(RectangleRecord{{note_x, frame.y2 + 0.3, note_x + 14, frame.y2 - 5.0}});

  // Rose of dip directions in 30-degree sectors, with range rings.
  const double cx = 106, cy = Y(5212), r = 12;
  d.pen(kGridGrey, 0, 1);
  for (double ring : {r / 3, 2 * r / 3}) d.writer().write(ArcRecord{cx, cy, ring, 0, 360});
  d.pen(kBlack, 0, 1);
  d.writer().write(CircleRecord{cx, cy, r});
  for (double az = 0; az < 360; az += 90) d.writer().write(PolarLineRecord{cx, cy, r + 1.2, az});
  int counts[12] = {};
  int most = 1;
  for (const Dip& dip : w.dips) {
    if (dip.dip < 0.1) continue;
    most = std::max(most, ++counts[static_cast<int>(dip.azimuth / 30) % 12]);
  }
  d.color(Rgb(0, 90, 170));
  for (int i = 0; i < 12; ++i)
    if (counts[i] > 0) d.writer().write(SectorRecord{cx, cy, r * counts[i] / most, i * 30.0, i * 30.0 + 30});
  d.color(kBlack);
  d.vector_text(cx - 0.5, cy + r + 1.6, 1.0, 1.6, "N");
  d.font(kFace, 7, 1);
  d.text(cx + r + 3, cy + 6, "Dip directions", kAlignLeft | kAlignTop);
  d.font(kFace, 7, 0);
  d.text(cx + r + 3, cy + 3.6, "all picks, 30 deg sectors", kAlignLeft | kAlignTop);
  d.text(cx + r + 3, cy + 1.4, "rings: 1/3, 2/3 of the", kAlignLeft | kAlignTop);
  d.text(cx + r + 3, cy - 0.8, "largest count", kAlignLeft | kAlignTop);
}

}  // namespace

std::vector<double> PageBreakDepths() {
  std::vector<double> breaks;
  for (double d = kLogTop + kFirstPageLog * kUnitsPerInch; d < kLogBottom;
       d += kLaterPageLog * kUnitsPerInch)
    breaks.push_back(d);
  return breaks;
}

std::string WrapText(std::string_view text, size_t max_chars) {
  std::string out, line;
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    size_t end = text.find(' ', pos);
    if (end == std::string_view::npos) end = text.size();
    if (end == pos) break;
    const std::string_view word = text.substr(pos, end - pos);
    if (!line.empty() && line.size() + 1 + word.size() > max_chars) {
      out += line + '\r';
      line.clear();
    }
    if (!line.empty()) line += ' ';
    line += word;
    pos = end;
  }
  if (!line.empty()) out += line + '\r';
  return out;
}

void WriteBody(Drawing& d, const Well& well) {
  d.font(kFace, 7, 0);
  d.pen(kBlack, 0, 1);
  Grids(d);
  LithologyColumn(d, well);
  GammaRay(d, well);
  RateOfPenetration(d, well);
  Porosity(d, well);
  Gas(d, well);
  TrackBorders(d);
  DepthTrack(d);
  FormationTops(d, well);
  ShowsAndCores(d, well);
  Dips(d, well);
  Descriptions(d, well);
  Annotations(d, well);
  Summary(d, well);
}

void WriteCorePhoto(Drawing& d, const Well& well, std::string_view photo_name) {
  PictureFileRecord rec{};
  rec.rect = {kDescTrack.left + 2, Y(well.core.top + 1), kDescTrack.right - 2, Y(well.core.base - 1)};
  rec.file_name.assign(photo_name);
  rec.frame = 1;
  rec.stretch = 1;
  d.writer().write(rec);
}

}  // namespace demo
