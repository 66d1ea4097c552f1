#pragma once
// The --info answer of korvale-render: one JSON object with the file name,
// the version word, the page count and every header field.
#include <cstdint>
#include <string>

#include "core/TflFormat.h"

std::string HeaderJson(const std::string& file, uint16_t version, int32_t pages,
                       const tfl::Header& header);
