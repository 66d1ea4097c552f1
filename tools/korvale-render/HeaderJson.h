#pragma once
// The JSON answers of korvale-render. --info: one JSON object with the file name,
// the version word, the page count and every header field.
#include <cstdint>
#include <string>

#include "core/TflFormat.h"

std::string HeaderJson(const std::string& file, uint16_t version, int32_t pages,
                       const tfl::Header& header);

// A JSON string and number (null for NaN and infinities). The string is
// always valid UTF-8: UTF-8 sequences pass as they are, and every byte that
// is not part of one (a Latin-1 file name) is written as the escape
// \udc80 to \udcff of its value, the lone surrogates by which Python's
// "surrogateescape" gives back the original bytes; control characters are
// escaped.
std::string JsonString(const std::string& s);
std::string JsonNumber(double v);

// One line of --find: a hit on page `page` (1-based) at `depth`, its box in
// pixels and the whole text (UTF-8).
std::string FindHitJson(int32_t page, double depth, int32_t x, int32_t y, int32_t width,
                        int32_t height, const std::string& text);
