#include "devices/TextIndex.h"

#include <algorithm>
#include <cmath>

#include "core/Interpreter.h"
#include "core/PlotCookie.h"
#include "devices/TextDevice.h"
#include "platform/CanvasFont.h"

namespace {

// The page whose body shows `depth`: before the first body the first page,
// after the last body the last one.
int32_t PageOfDepth(const PageModel& model, double depth, const DrawSettings& settings) {
  if (const auto at = model.locate(depth, false, settings)) return at->page;
  const double first = model.body_interval(0, model.screen_kind(0), settings).top;
  const bool before = model.scale_y() > 0 ? depth < first : depth > first;
  return before ? 0 : model.last_page();
}

}  // namespace

TextIndex TextIndex::Build(const LogDocument& document, const PageModel& model,
                           const DrawSettings& settings, Libraries& libraries,
                           PlotCookie& cookie) {
  TextIndex index;
  if (model.last_page() < 0) {
    index.complete_ = true;
    return index;
  }
  TextDevice device(libraries);
  device.set_up_strip(model, settings);
  Interpreter::Replay(document.path(), device, cookie);
  if (cookie.should_stop()) return index;

  // Body texts: from rows of the long first page to rows of their own page.
  const PageKind firstKind = model.screen_kind(0);
  const int32_t firstOrigin = model.layout(0, firstKind, settings).body_origin_y;
  for (const TextDevice::Text& t : device.body_texts()) {
    const double centre = model.depth_at(0, firstKind, (t.box.top + t.box.bottom) / 2, false,
                                         settings);
    if (!std::isfinite(centre)) continue;
    const int32_t page = PageOfDepth(model, centre, settings);
    const PageKind kind = model.screen_kind(page);
    const int64_t shift = int64_t{model.layout(page, kind, settings).body_origin_y} -
                          int64_t{page} * model.page_height_px() - firstOrigin;
    platform::Rect box = t.box;
    box.top = static_cast<int32_t>(box.top + shift);
    box.bottom = static_cast<int32_t>(box.bottom + shift);
    const QString text = platform::DecodeWindows1252(t.text);
    index.entries_.push_back(
        {page, model.depth_at(page, kind, box.top, false, settings), box, text,
         text.toCaseFolded()});
  }
  // Header and footer texts, on every page that shows them.
  for (int32_t page = 0; page <= model.last_page(); ++page) {
    if (cookie.should_stop()) return index;
    const PageKind kind = model.screen_kind(page);
    const std::vector<TextDevice::Text> placed =
        device.place_page_texts(model, page, kind, settings);
    if (placed.empty()) continue;
    const double bodyTop = model.body_interval(page, kind, settings).top;
    for (const TextDevice::Text& t : placed) {
      const QString text = platform::DecodeWindows1252(t.text);
      index.entries_.push_back({page, bodyTop, t.box, text, text.toCaseFolded()});
    }
  }
  std::stable_sort(index.entries_.begin(), index.entries_.end(),
                   [](const Entry& a, const Entry& b) {
                     if (a.page != b.page) return a.page < b.page;
                     if (a.box.top != b.box.top) return a.box.top < b.box.top;
                     return a.box.left < b.box.left;
                   });
  index.complete_ = true;
  return index;
}

std::vector<int32_t> TextIndex::find(const QString& phrase) const {
  std::vector<int32_t> hits;
  const QString wanted = phrase.trimmed().toCaseFolded();
  if (wanted.isEmpty()) return hits;
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].folded.contains(wanted)) hits.push_back(static_cast<int32_t>(i));
  return hits;
}
