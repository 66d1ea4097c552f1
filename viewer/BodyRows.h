#pragma once
// The rows of a shown page that belong to its log body, not to a header or a
// footer: where the depth cursor may stand. Rows are page pixels of the page
// as it was drawn, so the model is the one it was drawn with (at its zoom and
// device pixel ratio), never the 100% model of the page count.
#include <cstdint>
#include <optional>

#include "core/DrawSettings.h"
#include "devices/LogDocument.h"

namespace viewer {

struct RowSpan {
  int32_t top = 0;     // the first body row
  int32_t bottom = 0;  // the row below the last one
  bool Contains(int32_t row) const { return row >= top && row < bottom; }
};

// The body rows of page `page` (its screen kind) as `drawn` lays it out;
// nothing when the page cannot be laid out or has no body rows.
std::optional<RowSpan> BodyRows(const PageModel& drawn, int32_t page, const DrawSettings& settings);

}  // namespace viewer
