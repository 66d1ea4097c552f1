#include "DemoWell.h"

#include <algorithm>
#include <cmath>

#include "DemoLayout.h"

namespace demo {

uint64_t Noise::next() {
  // splitmix64
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Noise::uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

double Noise::gaussian() {
  double sum = 0;
  for (int i = 0; i < 12; ++i) sum += uniform();
  return sum - 6.0;
}

namespace {

// Indices into the lithology table (not pattern numbers).
namespace lith {
enum : int {
  kShale, kSilt, kSandFine, kShaleCalc, kLime, kMarl, kDolo, kCoal, kSandMedium, kClay,
  kAnhydrite, kHalite, kShaleBlack, kConglomerate, kSandCoarse, kChert, kTuff, kGranite
};
}  // namespace lith

std::vector<Lithology> Lithologies() {
  namespace p = pattern;
  // name, legend, pattern, coloured, line colour, background, GR, NPHI, DPHI, ROP, gas
  return {
      {"Shale", "Shale", p::kShale, false, kBlack, kWhite, 108, 0.34, 0.12, 28, 18},
      {"Siltstone", "Siltstone", p::kSiltstone, true, Rgb(90, 80, 40), Rgb(225, 220, 170), 82, 0.24, 0.13, 38, 14},
      {"Sandstone, fine", "Sst, fine", p::kSandstoneFine, true, Rgb(120, 90, 20), Rgb(255, 240, 150), 38, 0.19, 0.16, 72, 16},
      {"Shale, calcareous", "Sh, calc", p::kShale, false, kBlack, kWhite, 92, 0.27, 0.09, 24, 12},
      {"Limestone", "Limestone", p::kLimestone, true, Rgb(20, 60, 150), Rgb(190, 225, 255), 18, 0.07, 0.05, 16, 8},
      {"Marl", "Marl", p::kMarl, true, Rgb(40, 90, 110), Rgb(200, 235, 225), 62, 0.20, 0.08, 21, 9},
      {"Dolomite", "Dolomite", p::kDolomite, true, Rgb(110, 40, 120), Rgb(235, 205, 240), 22, 0.15, 0.11, 19, 12},
      {"Coal", "Coal", p::kCoal, false, kBlack, kWhite, 35, 0.48, 0.40, 105, 60},
      {"Sandstone, medium", "Sst, med", p::kSandstoneMedium, true, Rgb(120, 90, 20), Rgb(255, 225, 120), 34, 0.21, 0.18, 84, 20},
      {"Claystone", "Claystone", p::kClaystone, false, kBlack, kWhite, 118, 0.38, 0.14, 26, 10},
      {"Anhydrite", "Anhydrite", p::kAnhydrite, true, Rgb(150, 20, 120), Rgb(250, 215, 245), 9, 0.01, -0.01, 9, 4},
      {"Halite", "Halite", p::kHalite, true, Rgb(30, 110, 110), Rgb(215, 250, 250), 7, 0.0, -0.04, 45, 3},
      {"Shale, carbonaceous", "Sh, carb", p::kShaleCarbonaceous, false, kBlack, kWhite, 132, 0.36, 0.15, 30, 35},
      {"Conglomerate", "Conglom.", p::kConglomerate, true, Rgb(130, 70, 10), Rgb(250, 210, 160), 42, 0.14, 0.11, 55, 11},
      {"Sandstone, coarse", "Sst, coarse", p::kSandstoneCoarse, true, Rgb(120, 90, 20), Rgb(255, 210, 100), 30, 0.19, 0.16, 95, 13},
      {"Chert", "Chert", p::kChert, true, Rgb(60, 60, 60), Rgb(220, 220, 220), 14, 0.03, 0.02, 7, 5},
      {"Tuff", "Tuff", p::kTuff, true, Rgb(40, 120, 40), Rgb(210, 245, 200), 58, 0.30, 0.16, 33, 7},
      {"Granite", "Granite", p::kGranite, true, Rgb(170, 30, 30), Rgb(255, 210, 205), 142, 0.04, 0.01, 6, 3},
  };
}

std::vector<Bed> Beds() {
  using namespace lith;
  return {
      {4200, 4262, kShale, "HARLOW SHALE",
       "Sh: med-dk gy, frm, sbblky, non-calc, sl slty, tr pyr, rr mica."},
      {4262, 4298, kSilt, "",
       "Sltst: lt gy-buff, frm, arg, grdg to v f ss ip, calc cmt, tr glauc."},
      {4298, 4372, kSandFine, "BRENNA SANDSTONE",
       "Ss: wh-lt buff, v f-f, sbang-sbrnd, w srt, sl calc cmt, fri ip, fair-gd vis por. "
       "4,310-4,350 ft: even lt brn oil stn, bri yel flor, fast strmg blu-wh cut, gd odor."},
      {4372, 4396, kShaleCalc, "", "Sh: gy, frm, calc, fiss ip, tr fos frags."},
      {4396, 4452, kLime, "CORRAN LIMESTONE",
       "Ls: wh-cream, mudst-wackst, micr, hd, dns, tr crinoid & brach frags, stylolites, "
       "no vis por."},
      {4452, 4474, kMarl, "", "Marl: lt gy-grn, sft, v calc, arg."},
      {4474, 4538, kDolo, "",
       "Dol: lt brn-tan, f-med xln, sucr, hd, gd intxln & vug por, open fracs. "
       "4,490-4,520 ft: gas show, 320 u total gas, C1-C4."},
      {4538, 4550, kCoal, "", "Coal: blk, vit, brit, conch frac, plant rmns."},
      {4550, 4632, kSandMedium, "TAVISH SANDSTONE",
       "Ss: lt gy-wh, f-med, sbrnd, mod srt, qtzs, sl arg, x-bdd, gd por. Core 1 cut "
       "4,568-4,628 ft, rec 58 ft (97%). Spotty lt brn oil stn, dull yel flor."},
      {4632, 4680, kClay, "", "Clyst: red brn-gy grn, sft-frm, plas, non-calc, slty ip."},
      {4680, 4736, kAnhydrite, "MERE EVAPORITES",
       "Anhy: wh-lt gy, crpxln, hd, nod ip, intbdd w thin dol strgrs."},
      {4736, 4790, kHalite, "", "Salt: clr-wh, xln, translu, sol, washed out (cal 12 in)."},
      {4790, 4846, kShaleBlack, "", "Sh: dk gy-blk, carb, fiss, pyr, hi gas bkgd, org rich."},
      {4846, 4910, kConglomerate, "OSSARY CONGLOMERATE",
       "Cgl: vari-col chert & qtz pbls to 2 cm, sbrnd, in ss mtx, pr srt, fair por."},
      {4910, 4984, kSandCoarse, "",
       "Ss: wh-pk, med-crs, ang-sbang, pr srt, arkosic, fri, gd vis por, no shows, wet."},
      {4984, 5046, kChert, "", "Chert: gy-blk, hd, conch frac, nodular in dns ls, tr pyr."},
      {5046, 5098, kTuff, "", "Tuff: lt grn, sft-frm, bent, glassy shards, devit ip."},
      {5098, kTotalDepth, kGranite, "BASEMENT",
       "Granite: pk-wh, crs xln, fspr, qtz, bio, hd, wthrd top 5 ft, fracd."},
  };
}

// Smooth blend between neighbouring beds over a couple of feet so that the
// curves do not jump like a square wave.
double Response(const Well& well, double depth, double Lithology::*field) {
  constexpr double kRamp = 2.0;
  double sum = 0, weight = 0;
  for (const Bed& bed : well.beds) {
    const double inside = std::min(depth - bed.top, bed.base - depth);
    const double w = std::clamp(0.5 + inside / (2 * kRamp), 0.0, 1.0);
    if (w <= 0) continue;
    sum += w * well.lithologies[bed.lithology].*field;
    weight += w;
  }
  return weight > 0 ? sum / weight : 0;
}

bool In(double d, double top, double base) { return d >= top && d < base; }

void MakeCurves(Well& w) {
  Noise noise(0x4B4F5256414C45ull);  // fixed seed: the same log every run
  double n_gr = 0, n_phi = 0, n_rop = 0, n_gas = 0, n_cal = 0;
  for (double d = kLogTop; d <= kTotalDepth; d += 1.0) {
    const Bed& bed = BedAt(w, d);
    n_gr = 0.75 * n_gr + 0.25 * noise.gaussian() * 2.2;
    n_phi = 0.7 * n_phi + 0.3 * noise.gaussian() * 1.6;
    n_rop = 0.6 * n_rop + 0.4 * noise.gaussian() * 1.8;
    n_gas = 0.8 * n_gas + 0.2 * noise.gaussian() * 2.0;
    n_cal = 0.9 * n_cal + 0.1 * noise.gaussian() * 2.0;

    double gr = Response(w, d, &Lithology::gr) + (d - kLogTop) * 0.01 + 6 * n_gr;
    double nphi = Response(w, d, &Lithology::nphi) + 0.012 * n_phi;
    double dphi = Response(w, d, &Lithology::dphi) + 0.012 * noise.gaussian() * 0.8;
    double rop = Response(w, d, &Lithology::rop) * (1 + 0.15 * n_rop);
    double gas = Response(w, d, &Lithology::gas) * (1 + 0.2 * n_gas);
    double cal = 8.5 + 0.15 * std::abs(n_cal);
    const auto& lith = w.lithologies[bed.lithology];
    if (lith.gr > 80) cal += 1.2 + 0.6 * std::abs(n_cal);  // shale washouts
    if (bed.lithology == lith::kHalite) cal = 12.0 + 0.4 * n_cal;

    // Hydrocarbon zones: gas pushes neutron porosity down and density
    // porosity up (crossover); the mud logger sees the gas.
    if (In(d, 4490, 4520)) {
      nphi -= 0.06;
      dphi += 0.05;
      gas += 240 + 40 * n_gas;
    }
    // Oil: a slight crossover only.
    if (In(d, 4310, 4350)) {
      nphi -= 0.015;
      dphi += 0.035;
      gas += 110 + 25 * n_gas;
    }
    if (In(d, 4575, 4605)) {
      nphi -= 0.01;
      dphi += 0.03;
      gas += 70 + 15 * n_gas;
    }

    w.gamma.depth.push_back(d);
    w.gamma.value.push_back(std::clamp(gr, 2.0, 148.0));
    w.caliper.depth.push_back(d);
    w.caliper.value.push_back(std::clamp(cal, 6.2, 15.8));
    w.rop.depth.push_back(d);
    w.rop.value.push_back(std::clamp(rop, 1.0, 138.0));
    w.nphi.depth.push_back(d);
    w.nphi.value.push_back(std::clamp(nphi, -0.14, 0.44));
    w.dphi.depth.push_back(d);
    w.dphi.value.push_back(std::clamp(dphi, -0.14, 0.44));
    w.gas.depth.push_back(d);
    w.gas.value.push_back(std::clamp(gas, 1.0, 345.0));
  }
}

void MakeDips(Well& w) {
  Noise noise(77);
  // Regional dip of about 6 degrees to the south-east, steeper and scattered
  // in the cross-bedded sandstone, flat in the evaporites.
  for (double d = kLogTop + 12; d < kTotalDepth - 10; d += 23) {
    double dip = 6 + 1.5 * noise.gaussian() * 0.6;
    double az = 135 + 12 * noise.gaussian();
    if (In(d, 4550, 4632)) {
      dip = 14 + 6 * noise.uniform();
      az = 200 + 50 * noise.gaussian();
    }
    if (In(d, 4680, 4790)) dip = 0.05 + 0.03 * noise.uniform();
    if (In(d, 5098, kTotalDepth)) {
      dip = 35 + 15 * noise.uniform();  // fractures in the basement
      az = 60 + 30 * noise.gaussian();
    }
    az = std::fmod(az + 360.0, 360.0);
    const bool core = In(d, w.core.top, w.core.base);
    w.dips.push_back({d, std::max(dip, 0.0), az, core});
  }
}

void MakePlugs(Well& w) {
  Noise noise(2024);
  for (double d = w.core.top + 1; d < w.core.base; d += 2) {
    const double phi = std::clamp(17 + 5 * noise.gaussian() * 0.7, 4.0, 28.0);
    // Porosity-permeability trend of a clean sandstone, with scatter.
    const double k = std::exp(-4.2 + 0.42 * phi + 0.5 * noise.gaussian() * 0.7);
    w.plugs.push_back({d, phi, std::clamp(k, 0.1, 950.0)});
  }
}

}  // namespace

const Bed& BedAt(const Well& well, double depth) {
  for (const Bed& bed : well.beds)
    if (depth < bed.base) return bed;
  return well.beds.back();
}

Well MakeWell() {
  Well w;
  w.lithologies = Lithologies();
  w.beds = Beds();
  w.core = {4568, 4628, "CORE 1  4,568-4,628 FT"};
  w.dst = {4488, 4522, "DST 1"};
  w.shows = {
      {4316, symbol::kOilShow},      {4334, symbol::kOilShow},
      {4346, symbol::kFluorescence}, {4284, symbol::kGlauconite},
      {4412, symbol::kCrinoid},      {4430, symbol::kBrachiopod},
      {4442, symbol::kStylolite},    {4500, symbol::kGasShow},
      {4512, symbol::kGasShow},      {4530, symbol::kFractureOpen},
      {4544, symbol::kPlantRemains}, {4560, symbol::kCrossBedding},
      {4640, symbol::kSidewallCore}, {4812, symbol::kPyrite},
      {4700, symbol::kCuttings},     {4880, symbol::kCuttings},
      {5010, symbol::kChertNodule},  {5130, symbol::kFractureOpen},
  };
  MakeCurves(w);
  MakeDips(w);
  MakePlugs(w);
  return w;
}

}  // namespace demo
