#pragma once
// The words of one log: every text its pages draw, with the page, the depth
// and the box it is drawn in, in the order a reader meets them (page by page,
// top to bottom, left to right). Built once per open by replaying the log
// through the text device (TextDevice.h) once for the whole body; header and
// footer texts are placed on every page that shows them, page numbers
// substituted as there.
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "devices/LogDocument.h"
#include "platform/Canvas.h"

class Libraries;
class PlotCookie;

class TextIndex {
 public:
  struct Entry {
    int32_t page;
    double depth;         // at the top of the box (body texts), or of the body (sections)
    platform::Rect box;   // pixels of the page at the model's resolution
    QString text;         // the whole text of its record
    QString folded;       // text, case-folded for searching
  };

  TextIndex() = default;
  // Replays the log of `document` once for the pages of `model` (screen page
  // kinds). Throws what the replay throws (FileError, RangeError); a replay
  // aborted through `cookie` leaves an index that is not complete().
  static TextIndex Build(const LogDocument& document, const PageModel& model,
                         const DrawSettings& settings, Libraries& libraries, PlotCookie& cookie);

  const std::vector<Entry>& entries() const { return entries_; }
  bool complete() const { return complete_; }

  // The entries whose text holds `phrase`, ignoring case (accents count as
  // typed), in the index's order.
  std::vector<int32_t> find(const QString& phrase) const;

 private:
  std::vector<Entry> entries_;
  bool complete_ = false;
};
