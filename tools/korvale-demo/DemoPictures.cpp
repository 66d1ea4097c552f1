#include "DemoPictures.h"

#include <algorithm>
#include <cmath>

#include "DemoWell.h"
#include "WmfBuilder.h"

namespace demo {

namespace {
Pixel Mix(Pixel a, Pixel b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  auto m = [t](uint8_t x, uint8_t y) {
    return static_cast<uint8_t>(std::lround(x + (y - x) * t));
  };
  return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

// Distance from point p to the segment a-b.
double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}
}  // namespace

RgbImage MakeLogo() {
  constexpr int kSize = 64;
  const Pixel white{255, 255, 255}, blue{24, 60, 140}, light{70, 120, 200}, orange{240, 140, 20};
  RgbImage img(kSize, kSize, white);
  const double c = (kSize - 1) / 2.0;
  // Derrick: two legs, cross braces, crown block.
  const double legs[][4] = {{22, 54, 31, 10}, {42, 54, 33, 10}, {24, 44, 40, 44},
                            {26, 34, 38, 34}, {28, 24, 36, 24}, {24, 44, 38, 34},
                            {40, 44, 26, 34}, {26, 34, 36, 24}, {38, 34, 28, 24},
                            {29, 10, 35, 10}, {16, 54, 48, 54}};
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const double r = std::hypot(x - c, y - c);
      if (r > 31.5) continue;
      Pixel px = Mix(light, blue, (y + 0.5 * x) / 90.0);  // shaded disc
      if (r > 29.5) px = white;                         // ring
      for (const auto& s : legs)
        if (SegmentDistance(x, y, s[0], s[1], s[2], s[3]) < 1.3) px = white;
      if (std::hypot(x - 46.0, y - 48.0) < 4.5) px = orange;  // flare
      img.set(x, y, px);
    }
  }
  return img;
}

std::vector<uint8_t> MakeEmblemMetafile() {
  WmfBuilder wmf;
  wmf.set_window(0, 0, 1000, 500);
  const uint32_t kOutline = 0x00503010;
  const uint16_t pen = wmf.create_pen(0, 6, kOutline);
  wmf.select(pen);
  const uint16_t sky = wmf.create_brush(0, 0x00F8ECD8);  // pale blue (BGR)
  wmf.select(sky);
  wmf.rectangle(0, 0, 1000, 500);
  // Strata dipping gently to the right, youngest on top.
  const uint32_t layers[] = {0x0070D0F0, 0x00A0C8A0, 0x0060A0E0, 0x00B0B0B0, 0x004080C0};
  for (int i = 0; i < 5; ++i) {
    const int16_t top_l = static_cast<int16_t>(200 + i * 60), top_r = static_cast<int16_t>(250 + i * 60);
    const uint16_t b = wmf.create_brush(0, layers[i]);
    wmf.select(b);
    wmf.polygon({{0, top_l}, {500, static_cast<int16_t>(top_l + 30)}, {1000, top_r},
                 {1000, 500}, {0, 500}});
    wmf.select(sky);
    wmf.remove(b);
  }
  // Sun and the well.
  const uint16_t sun = wmf.create_brush(0, 0x0030C0FF);
  wmf.select(sun);
  wmf.ellipse(820, 40, 920, 140);
  wmf.select(sky);
  wmf.remove(sun);
  const uint16_t well_pen = wmf.create_pen(0, 10, 0x00000000);
  wmf.select(well_pen);
  wmf.polyline({{430, 120}, {430, 470}});
  wmf.polyline({{400, 200}, {430, 120}, {460, 200}});
  wmf.move_to(380, 200);
  wmf.line_to(480, 200);
  wmf.select(pen);
  wmf.remove(well_pen);
  // The contractor's name across the sky.
  const uint16_t font = wmf.create_font(-80, 700, false, "Arial");
  wmf.select(font);
  wmf.set_bk_mode_transparent();
  wmf.set_text_align(0);
  wmf.set_text_color(0x00402010);
  wmf.text_out(30, 30, "Ostrel Logging");
  const uint16_t small = wmf.create_font(-44, 400, true, "Arial");
  wmf.select(small);
  wmf.text_out(34, 120, "wellsite geology");
  wmf.select(pen);
  wmf.remove(font);
  wmf.remove(small);
  return wmf.finish();
}

RgbImage MakeCorePhoto(int width, int height) {
  const Pixel wood{120, 78, 40}, wood_dark{86, 52, 24}, tag{240, 240, 235};
  const Pixel sand{212, 190, 150}, stained{150, 110, 70}, shale{90, 90, 95};
  RgbImage img(width, height, wood);
  Noise noise(4568);
  // Wood grain.
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (((x * 7 + y / 9) % 23) == 0) img.set(x, y, wood_dark);

  constexpr int kColumns = 5;
  const int margin = std::max(2, width / 30);
  const int slot = (width - 2 * margin) / kColumns;
  for (int col = 0; col < kColumns; ++col) {
    const int x0 = margin + col * slot + slot / 10, x1 = margin + (col + 1) * slot - slot / 10;
    int y = margin;
    while (y < height - margin) {
      // One piece of core: a cylinder with lighting across it, laminae, and
      // an oil-stained part in the upper columns.
      const int length = static_cast<int>(height * (0.12 + 0.18 * noise.uniform()));
      const int end = std::min(y + length, height - margin);
      const bool is_shale = noise.uniform() < 0.18;
      const double stain = col < 3 ? 0.35 + 0.5 * noise.uniform() : 0.05;
      for (int yy = y; yy < end; ++yy) {
        const double lamina = 0.08 * std::sin(yy * 0.9 + col) + 0.05 * noise.gaussian() * 0.3;
        for (int xx = x0; xx < x1; ++xx) {
          const double u = (xx - x0 + 0.5) / (x1 - x0) * 2 - 1;  // -1..1 across
          const double light = 0.55 + 0.45 * std::sqrt(std::max(0.0, 1 - u * u));
          Pixel base = is_shale ? shale : Mix(sand, stained, stain + lamina);
          img.set(xx, yy, Mix({0, 0, 0}, base, light));
        }
      }
      y = end + std::max(2, height / 120);  // a break between pieces
      if (noise.uniform() < 0.25 && y < height - margin - 8) {
        // A depth block.
        for (int yy = y; yy < y + height / 60 + 2; ++yy)
          for (int xx = x0; xx < x1; ++xx) img.set(xx, yy, tag);
        y += height / 60 + 4;
      }
    }
  }
  return img;
}

}  // namespace demo
