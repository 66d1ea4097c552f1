#pragma once
// Header and footer sections of the demonstration log: the first page's
// title block (logo, emblem, well data, legend, track headings), the short
// header repeated on later pages, and the footer with the page number.
#include <cstdint>
#include <vector>

#include "DemoWell.h"
#include "Drawing.h"

namespace demo {

struct SectionPictures {
  std::vector<uint8_t> logo_bmp;    // embedded bitmap (record 206)
  std::vector<uint8_t> emblem_wmf;  // embedded metafile (record 103)
};

void WriteFirstPageHeader(Drawing& d, const Well& well, const SectionPictures& pictures);
void WriteRepeatedHeader(Drawing& d);
void WriteFooter(Drawing& d);

}  // namespace demo
