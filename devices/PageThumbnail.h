#pragma once
// A small picture of one page: drawn at about twice `size` pixels on its
// longer side, then scaled down smoothly to fit size x size. What was drawn
// stays when the page ends with an error, as on the page itself. Throws
// RangeError for a page that cannot be laid out at that size.
#include <QImage>
#include <cstdint>

#include "devices/LogDocument.h"

QImage DrawPageThumbnail(const LogDocument& document, const PageModel& model, int32_t page,
                         const DrawSettings& settings, Libraries& libraries, PlotCookie& cookie,
                         int size);
