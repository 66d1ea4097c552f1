#pragma once
// The log body of the demonstration log: grids, lithology column, curves
// with their shadings, depth track, shows, cores, dips, descriptions and
// the summary below TD.
#include <string>
#include <string_view>
#include <vector>

#include "DemoWell.h"
#include "Drawing.h"

namespace demo {

void WriteBody(Drawing& d, const Well& well);
// The core photograph (record 28). Written last: a picture file that cannot
// be read ends the drawing of a page, and then only the photograph is lost.
void WriteCorePhoto(Drawing& d, const Well& well, std::string_view photo_name);

// Breaks `text` into lines of at most `max_chars` characters at spaces (a
// longer word gets a line of its own), each line ended by a carriage return
// as paragraph records require.
std::string WrapText(std::string_view text, size_t max_chars);

// Depths at which the pages of the log break (approximately; the exact
// rows depend on the resolution).
std::vector<double> PageBreakDepths();

}  // namespace demo
