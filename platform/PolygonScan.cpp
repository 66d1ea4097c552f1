// Polygon scan conversion into banded region rectangles.
#include "platform/PolygonScan.h"

#include <algorithm>
#include <utility>

namespace platform {
namespace {

using Wide = __int128;

// floor(n / d) for d > 0.
std::int64_t FloorDiv(Wide n, std::int64_t d) {
  Wide q = n / d;
  if (n % d != 0 && n < 0) --q;
  return static_cast<std::int64_t>(q);
}

// One non-horizontal edge, walked a row at a time. Its exact x on the
// current row is x + rem / dy with 0 <= rem < dy; the pixel column where it
// crosses is the ceiling of that.
struct Edge {
  std::int64_t first = 0;  // first row in the window
  std::int64_t end = 0;    // one past the last row in the window
  std::int64_t x = 0, rem = 0;
  std::int64_t step = 0, stepRem = 0;  // dx / dy = step + stepRem / dy
  std::int64_t dy = 1;
  std::int64_t column = 0;
  int dir = 0;  // +1 downwards, -1 upwards

  void UpdateColumn() { column = x + (rem > 0 ? 1 : 0); }
  void Advance() {
    x += step;
    rem += stepRem;
    if (rem >= dy) {
      rem -= dy;
      ++x;
    }
    UpdateColumn();
  }
};

// The edges that touch the window's rows, each set up at its first row there.
std::vector<Edge> WindowEdges(std::span<const Point> points, std::int64_t top, std::int64_t bottom) {
  std::vector<Edge> edges;
  edges.reserve(points.size());
  const Point* prev = &points.back();
  for (const Point& cur : points) {
    const Point* upper = prev;
    const Point* lower = &cur;
    int dir = 1;
    if (prev->y > cur.y) {
      std::swap(upper, lower);
      dir = -1;
    }
    prev = &cur;
    if (upper->y == lower->y) continue;  // horizontal edges cross no row
    Edge e;
    e.first = std::max<std::int64_t>(upper->y, top);
    e.end = std::min<std::int64_t>(lower->y, bottom);
    if (e.first >= e.end) continue;
    e.dir = dir;
    e.dy = std::int64_t{lower->y} - upper->y;
    const std::int64_t dx = std::int64_t{lower->x} - upper->x;
    e.step = FloorDiv(dx, e.dy);
    e.stepRem = dx - e.step * e.dy;
    const Wide numerator = Wide{upper->x} * e.dy + Wide{e.first - upper->y} * dx;
    e.x = FloorDiv(numerator, e.dy);
    e.rem = static_cast<std::int64_t>(numerator - Wide{e.x} * e.dy);
    e.UpdateColumn();
    edges.push_back(e);
  }
  std::sort(edges.begin(), edges.end(),
            [](const Edge& a, const Edge& b) { return a.first < b.first; });
  return edges;
}

struct Span {
  int left, right;  // columns left..right-1
  friend bool operator==(const Span&, const Span&) = default;
};

// Neighbouring rows with equal spans become one band of rectangles.
class BandBuilder {
 public:
  explicit BandBuilder(std::vector<QRect>& out) : out_(out) {}

  void Row(std::int64_t y, const std::vector<Span>& spans) {
    if (spans.empty()) {
      Flush();
      return;
    }
    if (!band_.empty() && y == bottom_ + 1 && spans == band_) {
      bottom_ = y;
      return;
    }
    Flush();
    band_ = spans;
    top_ = bottom_ = y;
  }

  void Flush() {
    for (const Span& s : band_)
      out_.emplace_back(QPoint(s.left, static_cast<int>(top_)),
                        QPoint(s.right - 1, static_cast<int>(bottom_)));
    band_.clear();
  }

 private:
  std::vector<QRect>& out_;
  std::vector<Span> band_;
  std::int64_t top_ = 0, bottom_ = 0;
};

}  // namespace

std::vector<QRect> ScanPolygon(std::span<const Point> points, bool winding, const Rect& window) {
  std::vector<QRect> rects;
  const std::int64_t left = std::min(window.left, window.right);
  const std::int64_t right = std::max(window.left, window.right);
  const std::int64_t top = std::min(window.top, window.bottom);
  const std::int64_t bottom = std::max(window.top, window.bottom);
  if (points.size() < 3 || left >= right || top >= bottom) return rects;

  std::vector<Edge> edges = WindowEdges(points, top, bottom);
  std::vector<Edge*> active;
  std::vector<Span> spans;
  BandBuilder bands(rects);
  auto addSpan = [&](std::int64_t from, std::int64_t to) {
    from = std::max(from, left);
    to = std::min(to, right);
    if (from < to) spans.push_back({static_cast<int>(from), static_cast<int>(to)});
  };

  std::size_t next = 0;
  std::int64_t y = top;
  while (next < edges.size() || !active.empty()) {
    if (active.empty()) y = edges[next].first;  // skip rows without edges
    while (next < edges.size() && edges[next].first == y) active.push_back(&edges[next++]);

    // Edges keep their order from row to row except where they cross, so an
    // insertion sort costs little.
    for (std::size_t i = 1; i < active.size(); ++i) {
      Edge* e = active[i];
      std::size_t j = i;
      for (; j > 0 && active[j - 1]->column > e->column; --j) active[j] = active[j - 1];
      active[j] = e;
    }

    // The pixel at column c is inside when the edges crossing at or left of
    // c wind around it (or are odd in number); edges at one column count
    // together, whatever their order.
    spans.clear();
    std::int64_t count = 0, start = 0;
    bool inside = false;
    for (std::size_t i = 0; i < active.size(); ++i) {
      count += winding ? active[i]->dir : 1;
      const std::int64_t column = active[i]->column;
      if (i + 1 < active.size() && active[i + 1]->column == column) continue;
      const bool now = winding ? count != 0 : (count & 1) != 0;
      if (now && !inside) start = column;
      if (!now && inside) addSpan(start, column);
      inside = now;
    }
    if (inside) addSpan(start, right);
    bands.Row(y, spans);

    std::erase_if(active, [y](const Edge* e) { return e->end == y + 1; });
    for (Edge* e : active) e->Advance();
    ++y;
  }
  bands.Flush();
  return rects;
}

}  // namespace platform
