#pragma once
// The JSON answers of korvale-render. --info: one JSON object with the file name,
// the version word, the page count and every header field.
#include <cstdint>
#include <string>

#include "core/TflFormat.h"

std::string HeaderJson(const std::string& file, uint16_t version, int32_t pages,
                       const tfl::Header& header);

// A JSON string (bytes above 127 pass as they are) and number (null for NaN
// and infinities).
std::string JsonString(const std::string& s);
std::string JsonNumber(double v);

// One line of --find: a hit on page `page` (1-based) at `depth`, its box in
// pixels and the whole text (UTF-8).
std::string FindHitJson(int32_t page, double depth, int32_t x, int32_t y, int32_t width,
                        int32_t height, const std::string& text);
