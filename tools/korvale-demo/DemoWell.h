#pragma once
// The borehole the demonstration log shows: a fictitious well in a clastic
// and carbonate basin above a granite basement. Beds, formation tops,
// shows, dips and wireline curves sampled every foot. The curves carry noise
// from a fixed seed, so every run gives the same log.
#include <cstdint>
#include <string>
#include <vector>

namespace demo {

// Pattern numbers of the pattern library (data/patterns.txt).
namespace pattern {
constexpr int32_t kSandstoneFine = 2, kSandstoneMedium = 3, kSandstoneCoarse = 4,
                  kConglomerate = 5, kSiltstone = 7, kShale = 8, kClaystone = 9, kMarl = 11,
                  kLimestone = 12, kLimestoneCherty = 17, kDolomite = 18, kChert = 22, kCoal = 23,
                  kAnhydrite = 25, kHalite = 27, kTuff = 28, kGranite = 30,
                  kShaleCarbonaceous = 55;
}

// Symbol numbers of the symbol library's well-log symbols (data/symbols.txt).
namespace symbol {
constexpr uint16_t kOilShow = 256, kOilSpotty = 257, kGasShow = 258, kFluorescence = 260,
                   kCore = 270, kSidewallCore = 272, kCuttings = 273, kDst = 275,
                   kBrachiopod = 281, kCrinoid = 286, kPlantRemains = 291, kPyrite = 302,
                   kGlauconite = 303, kChertNodule = 305, kFractureOpen = 310,
                   kStylolite = 312, kCrossBedding = 313;
}

struct Lithology {
  std::string name;
  std::string legend;  // short name for the header's legend
  int32_t pattern;
  bool coloured;       // drawn with its own colours (else black on white)
  int32_t line_color;  // 0x00BBGGRR
  int32_t background;
  // Typical log response. Density porosity is taken on the rock's own
  // matrix, so salt and coal do not cross over like gas.
  double gr, nphi, dphi, rop, gas;
};

struct Bed {
  double top, base;  // feet
  int lithology;     // index into Well::lithologies
  std::string formation;  // set on the first bed of a formation
  std::string description;
};

struct Show {
  double depth;
  uint16_t symbol;
};

struct Dip {
  double depth, dip, azimuth;  // degrees; azimuth of the dip direction
  bool from_core;              // measured on core: also a strike/dip symbol
};

struct Interval {
  double top, base;
  std::string label;
};

struct CorePlug {
  double depth, porosity_pct, permeability_md;
};

struct Curve {
  std::vector<double> depth, value;
};

struct Well {
  std::vector<Lithology> lithologies;
  std::vector<Bed> beds;
  std::vector<Show> shows;
  std::vector<Dip> dips;
  std::vector<CorePlug> plugs;
  Interval core;  // the cored interval
  Interval dst;   // drill stem test
  Curve gamma, caliper, rop, nphi, dphi, gas;
};

// Fixed-seed noise that is the same on every platform (the standard
// library's distributions are not).
class Noise {
 public:
  explicit Noise(uint64_t seed) : state_(seed) {}
  uint64_t next();
  double uniform();   // [0, 1)
  double gaussian();  // mean 0, deviation about 1 (sum of uniforms)

 private:
  uint64_t state_;
};

Well MakeWell();

// The bed at a depth (the last bed for depths at or below TD).
const Bed& BedAt(const Well& well, double depth);

}  // namespace demo
