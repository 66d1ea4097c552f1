#include "RecordSource.h"

#include <charconv>
#include <cmath>
#include <numbers>
#include <set>
#include <sstream>

namespace libgen {
namespace {

struct Point {
  int x, y;
};

class LineParser {
 public:
  LineParser(const std::string& origin, int line) : origin_(origin), line_(line) {}

  [[noreturn]] void Fail(const std::string& what) const {
    throw SourceError(origin_ + ":" + std::to_string(line_) + ": " + what);
  }

  int Integer(const std::string& token) const {
    int value = 0;
    const char* end = token.data() + token.size();
    auto [ptr, ec] = std::from_chars(token.data(), end, value);
    if (ec != std::errc() || ptr != end) Fail("not a whole number: '" + token + "'");
    return value;
  }

  Point PointToken(const std::string& token) const {
    auto comma = token.find(',');
    if (comma == std::string::npos) Fail("expected x,y but found '" + token + "'");
    return {Integer(token.substr(0, comma)), Integer(token.substr(comma + 1))};
  }

  std::vector<Point> Points(const std::vector<std::string>& tokens, size_t first) const {
    std::vector<Point> points;
    for (size_t i = first; i < tokens.size(); ++i) points.push_back(PointToken(tokens[i]));
    return points;
  }

 private:
  const std::string& origin_;
  int line_;
};

std::vector<std::string> Tokens(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> tokens;
  for (std::string t; in >> t;) tokens.push_back(t);
  return tokens;
}

// Text after the first two tokens (the record's name), trimmed.
std::string RestAfterTwoTokens(const std::string& line) {
  size_t pos = 0;
  for (int i = 0; i < 2; ++i) {
    pos = line.find_first_not_of(" \t", pos);
    if (pos == std::string::npos) return {};
    pos = line.find_first_of(" \t", pos);
    if (pos == std::string::npos) return {};
  }
  pos = line.find_first_not_of(" \t", pos);
  if (pos == std::string::npos) return {};
  auto last = line.find_last_not_of(" \t\r");
  return line.substr(pos, last - pos + 1);
}

void CheckRecord(const SourceRecord& r, LibraryKind kind, const LineParser& at) {
  if (r.strokes.size() > static_cast<size_t>(kMaxStrokes))
    at.Fail("record " + std::to_string(r.number) + " has " + std::to_string(r.strokes.size()) +
            " strokes; a record holds at most 50");
  for (const Stroke& s : r.strokes) {
    for (int v : {s.x1, s.y1, s.x2, s.y2})
      if (v < -128 || v > 127)
        at.Fail("record " + std::to_string(r.number) + ": coordinate " + std::to_string(v) +
                " does not fit a signed byte");
    if (kind == LibraryKind::Pattern) {
      bool inside = s.x1 >= 0 && s.x2 >= 0 && s.y1 >= 0 && s.y2 >= 0 && s.x1 <= r.tileWidth &&
                    s.x2 <= r.tileWidth && s.y1 <= r.tileHeight && s.y2 <= r.tileHeight;
      if (!inside)
        at.Fail("pattern " + std::to_string(r.number) + ": stroke " + std::to_string(s.x1) + "," +
                std::to_string(s.y1) + " " + std::to_string(s.x2) + "," + std::to_string(s.y2) +
                " leaves the tile");
    }
  }
  if (kind == LibraryKind::Pattern && (r.tileWidth <= 0 || r.tileHeight <= 0))
    at.Fail("pattern " + std::to_string(r.number) + " has no 'tile' line");
}

}  // namespace

std::vector<Stroke> RingStrokes(int cx, int cy, int r) {
  // Corners on the lattice: 4 for tiny rings, 8 for small, 12 from radius 5
  // (where the 12 corners fall exactly on the circle: 3-4-5 triangles).
  int n = r < 3 ? 4 : (r < 5 ? 8 : 12);
  // Halves round away from zero; the nudge keeps 2.4999999 (5 sin 30 in
  // floating point) from rounding the other way and bending the ring.
  auto lattice = [](double v) {
    return static_cast<int>(std::lround(v + std::copysign(1e-9, v)));
  };
  std::vector<Point> corners;
  for (int i = 0; i < n; ++i) {
    double a = 2 * std::numbers::pi * i / n;
    corners.push_back({cx + lattice(r * std::cos(a)), cy + lattice(r * std::sin(a))});
  }
  std::vector<Stroke> strokes;
  for (int i = 0; i < n; ++i) {
    const Point& a = corners[i];
    const Point& b = corners[(i + 1) % n];
    strokes.push_back({a.x, a.y, b.x, b.y});
  }
  return strokes;
}

std::vector<SourceRecord> ParseRecordSource(const std::string& text, LibraryKind kind,
                                            const std::string& origin) {
  const std::string header = kind == LibraryKind::Pattern ? "pattern" : "symbol";
  const int lowest = kind == LibraryKind::Pattern ? 0 : 1;
  const int highest = (kind == LibraryKind::Pattern ? kPatternRecords : kSymbolRecords) - 1;

  std::vector<SourceRecord> records;
  std::set<int> seen;
  std::istringstream in(text);
  std::string line;
  int lineNumber = 0;
  int recordLine = 0;
  auto finish = [&] {
    if (!records.empty()) CheckRecord(records.back(), kind, LineParser(origin, recordLine));
  };

  while (std::getline(in, line)) {
    ++lineNumber;
    LineParser at(origin, lineNumber);
    auto tokens = Tokens(line);
    if (tokens.empty() || tokens[0][0] == '#') continue;
    const std::string& word = tokens[0];

    if (word == header) {
      finish();
      if (tokens.size() < 2) at.Fail(header + " needs a number");
      SourceRecord r;
      r.number = at.Integer(tokens[1]);
      if (r.number < lowest || r.number > highest)
        at.Fail(header + " number " + tokens[1] + " is outside " + std::to_string(lowest) +
                " to " + std::to_string(highest));
      if (!seen.insert(r.number).second) at.Fail(header + " " + tokens[1] + " is defined twice");
      r.name = RestAfterTwoTokens(line);
      r.line = lineNumber;
      recordLine = lineNumber;
      records.push_back(std::move(r));
      continue;
    }
    if (records.empty()) at.Fail("'" + word + "' before the first " + header);
    SourceRecord& r = records.back();

    if (word == "tile") {
      if (kind != LibraryKind::Pattern) at.Fail("'tile' belongs to patterns only");
      if (tokens.size() != 3) at.Fail("tile needs a width and a height");
      r.tileWidth = at.Integer(tokens[1]);
      r.tileHeight = at.Integer(tokens[2]);
      if (r.tileWidth < 1 || r.tileWidth > 127 || r.tileHeight < 1 || r.tileHeight > 127)
        at.Fail("tile sides must lie between 1 and 127 units");
    } else if (word == "poly" || word == "loop") {
      auto points = at.Points(tokens, 1);
      size_t needed = word == "poly" ? 2 : 3;
      if (points.size() < needed)
        at.Fail(word + " needs at least " + std::to_string(needed) + " points");
      for (size_t i = 0; i + 1 < points.size(); ++i)
        r.strokes.push_back({points[i].x, points[i].y, points[i + 1].x, points[i + 1].y});
      if (word == "loop")
        r.strokes.push_back({points.back().x, points.back().y, points[0].x, points[0].y});
    } else if (word == "dots") {
      auto points = at.Points(tokens, 1);
      if (points.empty()) at.Fail("dots needs at least one point");
      for (const Point& p : points) r.strokes.push_back({p.x, p.y, p.x, p.y});
    } else if (word == "ring") {
      if (tokens.size() != 3) at.Fail("ring needs a centre x,y and a radius");
      Point c = at.PointToken(tokens[1]);
      int radius = at.Integer(tokens[2]);
      if (radius < 1 || radius > 60) at.Fail("ring radius must lie between 1 and 60");
      for (const Stroke& s : RingStrokes(c.x, c.y, radius)) r.strokes.push_back(s);
    } else {
      at.Fail("unknown word '" + word + "'");
    }
  }
  finish();
  return records;
}

}  // namespace libgen
