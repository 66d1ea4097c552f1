#include "DemoSections.h"

#include <string>

#include "DemoLayout.h"

namespace demo {

using namespace tfl;

namespace {

constexpr const char* kFace = "Arial";
constexpr uint8_t kBold = 1, kItalic = 2;
constexpr int32_t kGreen = Rgb(0, 130, 0), kBlue = Rgb(0, 60, 200), kRed = Rgb(200, 0, 0),
                  kBrown = Rgb(130, 80, 20), kDarkGreen = Rgb(0, 100, 40);

// A small line in a curve's colour and style under its heading.
void CurveKey(Drawing& d, uint8_t s, const Track& t, double y, int32_t c, uint8_t style,
              int32_t width) {
  d.pen(c, style, width);
  d.section_line(s, t.left + 1, y, t.right - 1, y);
  d.pen(kBlack, 0, 1);
}

// Scale values at both ends of a track.
void Scale(Drawing& d, uint8_t s, const Track& t, double y, const char* lo, const char* hi) {
  d.page_text(s, t.left + 0.6, y, lo);
  // Right-hand value: its width at 6 pt is about 0.05 in per character.
  const double width = In(0.052) * std::string(hi).size();
  d.page_text(s, t.right - 0.6 - width, y, hi);
}

void Centred(Drawing& d, uint8_t s, const Track& t, double y, const std::string& text,
             double char_in = 0.055) {
  d.page_text(s, t.mid() - In(char_in) * text.size() / 2, y, text);
}

// The headings over the tracks, in a band `top` .. `top + 0.5` inches.
void TrackHeadings(Drawing& d, uint8_t s, double top) {
  const double bottom = top + 0.5;
  d.pen(kBlack, 0, 1);
  d.fill(s, kGammaTrack.left, top, kLogRight, bottom, Rgb(246, 246, 240));
  d.section_box(s, kGammaTrack.left, top, kLogRight, bottom);
  for (const Track* t : {&kRopTrack, &kDepthTrack, &kLithTrack, &kPorosityTrack, &kGasTrack,
                         &kShowTrack, &kDipTrack, &kDescTrack})
    d.section_line(s, t->left, top, t->left, bottom);

  d.font(kFace, 6, kBold, kGreen);
  Centred(d, s, kGammaTrack, top + 0.03, "GAMMA RAY (API)");
  d.font(kFace, 6, 0, kGreen);
  Scale(d, s, kGammaTrack, top + 0.13, "0", "150");
  CurveKey(d, s, kGammaTrack, top + 0.24, kGreen, 0, 2);
  d.font(kFace, 6, kBold, kBlack);
  Centred(d, s, kGammaTrack, top + 0.27, "CALIPER (in)");
  d.font(kFace, 6, 0, kBlack);
  Scale(d, s, kGammaTrack, top + 0.36, "6", "16");
  CurveKey(d, s, kGammaTrack, top + 0.47, kBlack, 1, 1);

  d.font(kFace, 6, kBold, kBrown);
  Centred(d, s, kRopTrack, top + 0.03, "ROP");
  Centred(d, s, kRopTrack, top + 0.13, "(ft/hr)");
  d.font(kFace, 6, 0, kBrown);
  Scale(d, s, kRopTrack, top + 0.30, "0", "140");
  CurveKey(d, s, kRopTrack, top + 0.43, kBrown, 0, 1);

  d.font(kFace, 6, kBold, kBlack);
  // Running up the narrow column: y names the upper end of the text, whose
  // letters lie to the right of x.
  d.page_text(s, kDepthTrack.mid() - In(0.05), top + 0.05, "DEPTH (ft)", 90);
  d.page_text(s, kLithTrack.left + In(0.08), top + 0.18, "LITHO-");
  d.page_text(s, kLithTrack.left + In(0.1), top + 0.28, "LOGY");

  d.font(kFace, 6, kBold, kBlue);
  Centred(d, s, kPorosityTrack, top + 0.03, "NEUTRON POROSITY (v/v)");
  d.font(kFace, 6, 0, kBlue);
  Scale(d, s, kPorosityTrack, top + 0.12, "0.45", "-0.15");
  CurveKey(d, s, kPorosityTrack, top + 0.23, kBlue, 1, 1);
  d.font(kFace, 6, kBold, kRed);
  Centred(d, s, kPorosityTrack, top + 0.26, "DENSITY POROSITY (v/v)");
  d.font(kFace, 6, 0, kRed);
  Scale(d, s, kPorosityTrack, top + 0.35, "0.45", "-0.15");
  CurveKey(d, s, kPorosityTrack, top + 0.46, kRed, 0, 1);

  d.font(kFace, 6, kBold, kDarkGreen);
  Centred(d, s, kGasTrack, top + 0.03, "TOTAL GAS");
  Centred(d, s, kGasTrack, top + 0.13, "(units)");
  d.font(kFace, 6, 0, kDarkGreen);
  Scale(d, s, kGasTrack, top + 0.30, "0", "350");
  CurveKey(d, s, kGasTrack, top + 0.43, kDarkGreen, 0, 1);

  d.font(kFace, 6, kBold, kBlack);
  Centred(d, s, kShowTrack, top + 0.13, "SHOWS");
  Centred(d, s, kShowTrack, top + 0.23, "CORES");
  Centred(d, s, kDipTrack, top + 0.03, "DIP (deg)");
  d.font(kFace, 6, 0, kBlack);
  Scale(d, s, kDipTrack, top + 0.30, "0", "60");
  d.font(kFace, 6, kBold, kBlack);
  Centred(d, s, kDescTrack, top + 0.13, "LITHOLOGY");
  Centred(d, s, kDescTrack, top + 0.23, "DESCRIPTION");
}

void WellData(Drawing& d) {
  struct Field {
    const char* name;
    const char* value;
  };
  const Field left[] = {
      {"OPERATOR", "Harrow Basin Exploration Ltd."},
      {"WELL", "Harrow Basin 14-22"},
      {"FIELD", "Tavish North (exploration)"},
      {"LOCATION", "1,980 ft FNL, 660 ft FWL, Sec. 22, T14N, R9W"},
      {"COUNTY", "Kessel County, Northland"},
      {"API NUMBER", "99-041-21187"},
      {"SPUD / TD", "12 Mar 2001 / 30 Mar 2001"},
  };
  const Field right[] = {
      {"ELEVATIONS", "KB 1,247 ft    GL 1,229 ft"},
      {"DEPTH DATUM", "Kelly bushing, 1,247 ft above sea level"},
      {"INTERVAL", "4,200 - 5,180 ft (TD 5,180 ft driller)"},
      {"DEPTH SCALE", "5 in = 100 ft (1:240)"},
      {"MUD", "Salt-saturated polymer, 10.1 lb/gal"},
      {"BIT SIZE", "8 1/2 in PDC from 4,120 ft"},
      {"GEOLOGIST", "M. Ardent, Ostrel Logging"},
  };
  constexpr double kTop = 0.95, kRow = 0.19;
  const double bottom = kTop + 7 * kRow;
  const double mid = In((kSheetLeft + kSheetRight) / 2);
  d.pen(kBlack, 0, 1);
  d.section_box(1, In(kSheetLeft), kTop, In(kSheetRight), bottom);
  d.section_line(1, mid, kTop, mid, bottom);
  d.pen(kGridGrey, 0, 1);
  for (int i = 1; i < 7; ++i) {
    d.section_line(1, In(kSheetLeft), kTop + i * kRow, In(kSheetRight), kTop + i * kRow);
  }
  d.pen(kBlack, 0, 1);
  for (int i = 0; i < 7; ++i) {
    const double y = kTop + i * kRow + 0.04;
    d.font(kFace, 6, kBold, kNavy);
    d.page_text(1, In(0.22), y, left[i].name);
    d.page_text(1, mid + In(0.07), y, right[i].name);
    d.font(kFace, 8, 0, kBlack);
    d.page_text(1, In(1.15), y - 0.01, left[i].value);
    d.page_text(1, mid + In(1.0), y - 0.01, right[i].value);
  }
}

void Legend(Drawing& d, const Well& well) {
  constexpr double kTop = 2.36, kSwatchH = 0.16, kRowGap = 0.2, kCell = 0.85;
  const size_t per_row = 9;
  for (size_t i = 0; i < well.lithologies.size(); ++i) {
    const Lithology& lith = well.lithologies[i];
    const double x = In(0.2 + kCell * static_cast<double>(i % per_row));
    const double y = kTop + kRowGap * static_cast<double>(i / per_row);
    const Rect r{x, y, x + In(0.24), y + kSwatchH};
    if (lith.coloured) {
      ColorPatternExRecord rec{};
      rec.rect = r;
      rec.pattern = lith.pattern;
      rec.x_scale = rec.y_scale = kPatternScale;
      rec.line_width = 1;
      rec.background = lith.background;
      rec.pattern_color = lith.line_color;
      rec.outline = 1;
      rec.section = 1;
      d.writer().write(rec);
    } else {
      d.pen(kBlack, 0, 1);
      PatternExRecord rec{};
      rec.rect = r;
      rec.pattern = lith.pattern;
      rec.x_scale = rec.y_scale = kPatternScale;
      rec.outline = 1;
      rec.section = 1;
      d.writer().write(rec);
    }
    d.font(kFace, 6, 0, kBlack);
    d.page_text(1, x + In(0.28), y + 0.02, lith.legend);
  }

  // Point symbols of the shows column.
  struct Key {
    uint16_t symbol;
    const char* text;
    int32_t color;
  };
  const Key keys[] = {
      {symbol::kOilShow, "Oil show", Rgb(120, 70, 0)},
      {symbol::kGasShow, "Gas show", Rgb(200, 0, 0)},
      {symbol::kFluorescence, "Fluorescence", Rgb(180, 140, 0)},
      {symbol::kCore, "Core", kBlack},
      {symbol::kSidewallCore, "Sidewall core", kBlack},
      {symbol::kCuttings, "Cuttings sample", kBlack},
      {symbol::kFractureOpen, "Open fracture", kBlack},
      {symbol::kCrinoid, "Fossils", kBlack},
  };
  const double y = kTop + 2 * kRowGap + 0.08;
  for (size_t i = 0; i < std::size(keys); ++i) {
    const double x = In(0.32 + 0.95 * static_cast<double>(i));
    d.pen(keys[i].color, 0, 1);
    SymbolExRecord rec{};
    rec.x = x;
    rec.y = y;
    rec.symbol = keys[i].symbol;
    rec.width = rec.height = 0.15;
    rec.section = 1;
    d.writer().write(rec);
    d.font(kFace, 6, 0, kBlack);
    d.page_text(1, x + In(0.12), y - 0.05, keys[i].text);
  }
  d.pen(kBlack, 0, 1);
}

}  // namespace

void WriteFirstPageHeader(Drawing& d, const Well& well, const SectionPictures& pictures) {
  // Title band with the operator's logo and the contractor's emblem.
  d.fill(1, In(kSheetLeft), 0.1, In(kSheetRight), 0.85, kNavy);
  d.writer().bitmap(BitmapRecord{{In(0.25), 0.125, In(0.95), 0.825}, 1}, pictures.logo_bmp);
  d.writer().picture(PictureRecord{{In(6.25), 0.125, In(7.75), 0.825}, 0, 0, 1},
                     pictures.emblem_wmf);
  d.font(kFace, 16, kBold, kWhite);
  d.page_text(1, In(1.15), 0.17, "FORMATION EVALUATION LOG");
  d.font(kFace, 9, kItalic, Rgb(210, 225, 255));
  d.page_text(1, In(1.17), 0.52, "Composite mud log, wireline curves and core description");

  WellData(d);
  Legend(d, well);
  TrackHeadings(d, 1, 3.0);
}

void WriteRepeatedHeader(Drawing& d) {
  d.fill(2, In(kSheetLeft), 0.04, In(kSheetRight), 0.24, kNavy);
  d.font(kFace, 8, kBold, kWhite);
  d.page_text(2, In(0.25), 0.07, "HARROW BASIN 14-22  -  FORMATION EVALUATION LOG (continued)");
  d.font(kFace, 7, 0, kWhite);
  d.page_text(2, In(6.05), 0.08, "KB 1,247 ft   1:240");
  TrackHeadings(d, 2, 0.28);
}

void WriteFooter(Drawing& d) {
  d.pen(kNavy, 0, 2);
  d.section_line(3, In(kSheetLeft), 0.03, In(kSheetRight), 0.03);
  d.pen(kBlack, 0, 1);
  d.font(kFace, 7, kBold, kNavy);
  d.page_text(3, In(kSheetLeft), 0.08, "Harrow Basin 14-22   |   Formation Evaluation Log");
  d.page_text(3, In(6.95), 0.08, "Page #p of #t");
  d.font(kFace, 6, kItalic, Rgb(90, 90, 90));
  d.page_text(3, In(kSheetLeft), 0.22,
              "Interpretations are opinions drawn from cuttings, cores and logs; "
              "no warranty is given as to their accuracy.");
  // A core symbol before the page number.
  SymbolExRecord rec{};
  rec.x = In(6.8);
  rec.y = 0.15;
  rec.symbol = symbol::kCore;
  rec.width = rec.height = 0.12;
  rec.section = 3;
  d.writer().write(rec);
}

}  // namespace demo
