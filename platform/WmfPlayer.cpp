#include "platform/WmfPlayer.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/BitmapFile.h"
#include "platform/WmfRecords.h"

namespace platform {
namespace {

using namespace wmf;

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableSize = 22;
constexpr std::size_t kHeaderSize = 18;
constexpr std::size_t kMaxObjects = 65535;  // object indices are 16-bit
constexpr std::size_t kMaxSavedStates = 1024;

// A record whose own fields do not fit its size: skipped.
struct BrokenRecord {};

// The parameters of one record, read as 16-bit words after the 6-byte record
// header, each read checked against the record's size.
class Params {
 public:
  Params(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t Size() const { return size_; }
  std::uint16_t U16(std::size_t word) const {
    const std::size_t at = word * 2;
    if (at + 2 > size_) throw BrokenRecord{};
    return std::uint16_t(data_[at] | (data_[at + 1] << 8));
  }
  std::int16_t S16(std::size_t word) const { return std::int16_t(U16(word)); }
  std::uint32_t U32(std::size_t word) const { return U16(word) | (std::uint32_t(U16(word + 1)) << 16); }
  // Bytes from word `word` on; at least `count` of them must be there.
  std::span<const std::uint8_t> Bytes(std::size_t word, std::size_t count) const {
    const std::size_t at = word * 2;
    if (at > size_ || count > size_ - at) throw BrokenRecord{};
    return {data_ + at, count};
  }
  std::span<const std::uint8_t> Rest(std::size_t word) const {
    const std::size_t at = word * 2;
    if (at > size_) throw BrokenRecord{};
    return {data_ + at, size_ - at};
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

std::int32_t ClampToInt(double v) {
  if (!(v == v)) return 0;  // NaN
  constexpr double kLimit = 1 << 30;
  return std::int32_t(std::lround(std::clamp(v, -kLimit, kLimit)));
}

struct WmfObject {
  enum class Kind { Empty, Pen, Brush, Font, Region, Other } kind = Kind::Empty;
  Pen pen;  // width in logical units
  Brush brush;
  LogFont font;  // height and width in logical units
  std::vector<Rect> rects;  // region, in logical units
};

// The part of the device context that lives in the player, not the canvas.
struct PlayerState {
  Point windowOrg;
  Size windowExt;
  Point viewportOrg;
  Size viewportExt{1, 1};
  int mapMode = 1;
  std::optional<Region> clip;  // the metafile's own clip, in device pixels
  int canvasLevel = 0;
};

class Player {
 public:
  Player(Canvas& canvas, const Rect& destination) : canvas_(canvas), dest_(destination) {}

  WmfPlayStats Play(std::span<const std::uint8_t> data);

 private:
  // Logical to device.
  double ScaleX() const { return state_.windowExt.cx ? double(dest_.right - dest_.left) / state_.windowExt.cx : 1.0; }
  double ScaleY() const { return state_.windowExt.cy ? double(dest_.bottom - dest_.top) / state_.windowExt.cy : 1.0; }
  std::int32_t X(int x) const { return ClampToInt(dest_.left + (double(x) - state_.windowOrg.x) * ScaleX()); }
  std::int32_t Y(int y) const { return ClampToInt(dest_.top + (double(y) - state_.windowOrg.y) * ScaleY()); }
  std::int32_t Width(int w) const { return ClampToInt(w * std::abs(ScaleX())); }
  std::int32_t Height(int h) const { return ClampToInt(h * std::abs(ScaleY())); }
  bool Mirrored() const { return (ScaleX() < 0) != (ScaleY() < 0); }
  Rect DeviceRect(int left, int top, int right, int bottom) const {
    Rect r{X(left), Y(top), X(right), Y(bottom)};
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    return r;
  }

  // What became of a record in a group's handler.
  enum class Outcome { Played, Skipped, NotInGroup };

  void Record(std::uint8_t type, const Params& p);
  Outcome StateRecord(std::uint8_t type, const Params& p);
  Outcome ObjectRecord(std::uint8_t type, const Params& p);
  Outcome ShapeRecord(std::uint8_t type, const Params& p);
  Outcome TextRecord(std::uint8_t type, const Params& p);
  Outcome BitmapRecord(std::uint8_t type, const Params& p);
  Outcome ClipRecord(std::uint8_t type, const Params& p);
  void ArcFamily(std::uint8_t type, const Params& p);
  void PatBlt(const Params& p, std::size_t xWord);
  void ApplyClip();
  void AddObject(WmfObject object);
  void SelectObject(std::uint16_t index);
  void CreatePen(const Params& p);
  void CreateBrush(const Params& p);
  void CreatePatternBrush(const Params& p);
  void CreateFont(const Params& p);
  void CreateRegion(const Params& p);
  void SaveDC();
  void RestoreDC(int level);
  const std::vector<Point>& ReadPoints(const Params& p, std::size_t firstWord, std::size_t count);
  void PolyPolygon(const Params& p);
  void TextOut(const Params& p);
  void ExtTextOut(const Params& p);
  Outcome DrawDib(std::span<const std::uint8_t> dib, int colorUsage, int x, int y, int w, int h,
                  int sx, int sy, int sw, int sh, std::uint32_t rop, bool sourceFromBottom);

  Canvas& canvas_;
  Rect dest_;
  Region baseClip_;
  PlayerState state_;
  std::vector<PlayerState> saved_;
  std::vector<WmfObject> objects_;
  std::vector<Point> points_;  // reused by every polygon record
  std::vector<int> counts_;
  std::vector<int> dx_;
  WmfPlayStats stats_;
};

void Player::ApplyClip() {
  const Region clip = state_.clip ? baseClip_.Intersected(*state_.clip) : baseClip_;
  canvas_.SelectClipRgn(&clip);
}

void Player::AddObject(WmfObject object) {
  // WMF puts each new object into the lowest free slot of its table.
  for (WmfObject& slot : objects_)
    if (slot.kind == WmfObject::Kind::Empty) {
      slot = std::move(object);
      return;
    }
  if (objects_.size() < kMaxObjects) objects_.push_back(std::move(object));
}

void Player::SelectObject(std::uint16_t index) {
  if (index >= objects_.size()) return;
  const WmfObject& o = objects_[index];
  switch (o.kind) {
    case WmfObject::Kind::Pen: {
      Pen pen = o.pen;
      pen.width = o.pen.width <= 1 ? o.pen.width : std::max(1, Width(o.pen.width));
      canvas_.SetPen(pen);
      break;
    }
    case WmfObject::Kind::Brush:
      canvas_.SetBrush(o.brush);
      break;
    case WmfObject::Kind::Font: {
      LogFont font = o.font;
      const int h = Height(std::abs(o.font.height));
      font.height = o.font.height == 0 ? 0 : (o.font.height < 0 ? -std::max(1, h) : std::max(1, h));
      font.width = Width(std::abs(o.font.width));
      canvas_.SelectFont(font);
      break;
    }
    case WmfObject::Kind::Region: {
      Region region;
      for (const Rect& r : o.rects) region = region.United(Region::FromRect(DeviceRect(r.left, r.top, r.right, r.bottom)));
      state_.clip = region;
      ApplyClip();
      break;
    }
    default:
      break;
  }
}

void Player::CreatePen(const Params& p) {
  WmfObject o;
  o.kind = WmfObject::Kind::Pen;
  const int style = p.U16(0) & 0x0F;
  o.pen.style = style <= PS_NULL ? style : PS_SOLID;  // inside-frame and others draw solid
  o.pen.width = p.S16(1);
  if (o.pen.width < 0) o.pen.width = 0;
  o.pen.color = p.U32(3) & 0xFFFFFF;
  AddObject(std::move(o));
}

void Player::CreateBrush(const Params& p) {
  WmfObject o;
  o.kind = WmfObject::Kind::Brush;
  const int style = p.U16(0);
  o.brush.color = p.U32(1) & 0xFFFFFF;
  const int hatch = p.Size() >= 8 ? p.U16(3) : 0;
  switch (style) {
    case 0:  // BS_SOLID
      o.brush.style = BS_SOLID;
      break;
    case 2:  // BS_HATCHED
      o.brush.style = hatch <= HS_DIAGCROSS ? BS_HATCHED : BS_SOLID;
      o.brush.hatch = hatch;
      break;
    default:  // BS_NULL, and patterns that this record cannot carry
      o.brush.style = BS_HOLLOW;
      break;
  }
  AddObject(std::move(o));
}

void Player::CreatePatternBrush(const Params& p) {
  WmfObject o;
  o.kind = WmfObject::Kind::Brush;
  o.brush.style = BS_HOLLOW;
  try {
    const int usage = p.U16(1);
    QImage tile = DecodePackedDib(p.Rest(2), usage == 1 ? DibColors::PaletteIndices : DibColors::Rgb);
    o.brush.style = BS_PATTERN;
    o.brush.pattern = std::make_shared<const QImage>(std::move(tile));
  } catch (const PictureError&) {
    // A pattern we cannot read leaves a hollow brush in its slot, so that
    // the later object indices stay right.
  }
  AddObject(std::move(o));
}

void Player::CreateFont(const Params& p) {
  WmfObject o;
  o.kind = WmfObject::Kind::Font;
  LogFont& f = o.font;
  f.height = p.S16(0);
  f.width = p.S16(1);
  f.escapement = p.S16(2);
  f.orientation = p.S16(3);
  f.weight = p.S16(4);
  const std::span<const std::uint8_t> flags = p.Bytes(5, 8);
  f.italic = flags[0] != 0;
  f.underline = flags[1] != 0;
  f.strikeOut = flags[2] != 0;
  f.charSet = flags[3];
  f.outPrecision = flags[4];
  f.clipPrecision = flags[5];
  f.quality = flags[6];
  f.pitchAndFamily = flags[7];
  const std::span<const std::uint8_t> face = p.Rest(9);
  const std::size_t length = std::min<std::size_t>(32, std::find(face.begin(), face.end(), 0) - face.begin());
  f.faceName.assign(reinterpret_cast<const char*>(face.data()), length);
  AddObject(std::move(o));
}

void Player::CreateRegion(const Params& p) {
  // Region object: next (2), type (2), object count (4), size (2), scan
  // count (2), largest scan (2), bounding box (8), then the scans: count,
  // top, bottom, count / 2 pairs of left and right, count again.
  WmfObject o;
  o.kind = WmfObject::Kind::Region;
  const int scans = p.S16(5);
  std::size_t word = 11;
  for (int s = 0; s < scans; ++s) {
    const std::size_t count = p.U16(word);
    const int top = p.S16(word + 1), bottom = p.S16(word + 2);
    if (count > p.Size() / 2) throw BrokenRecord{};
    for (std::size_t k = 0; k + 1 < count; k += 2)
      o.rects.push_back(Rect{p.S16(word + 3 + k), top, p.S16(word + 4 + k), bottom});
    word += 4 + count;
  }
  AddObject(std::move(o));
}

void Player::SaveDC() {
  if (saved_.size() >= kMaxSavedStates) return;
  PlayerState s = state_;
  s.canvasLevel = canvas_.SaveDC();
  saved_.push_back(std::move(s));
}

void Player::RestoreDC(int level) {
  // -n: n levels back; n > 0: back to the n-th saved level.
  std::size_t keep;
  if (level < 0) {
    if (std::size_t(-level) > saved_.size()) return;
    keep = saved_.size() - std::size_t(-level);
  } else {
    if (level == 0 || std::size_t(level) > saved_.size()) return;
    keep = std::size_t(level) - 1;
  }
  const PlayerState s = saved_[keep];
  saved_.resize(keep);
  canvas_.RestoreDC(s.canvasLevel);
  state_ = s;
  ApplyClip();
}

const std::vector<Point>& Player::ReadPoints(const Params& p, std::size_t firstWord, std::size_t count) {
  if (count > p.Size() / 4) throw BrokenRecord{};
  p.Bytes(firstWord, count * 4);  // all points within the record
  points_.resize(count);
  for (std::size_t i = 0; i < count; ++i)
    points_[i] = Point{X(p.S16(firstWord + 2 * i)), Y(p.S16(firstWord + 2 * i + 1))};
  return points_;
}

void Player::PolyPolygon(const Params& p) {
  const std::size_t polygons = p.U16(0);
  if (polygons > p.Size() / 2) throw BrokenRecord{};
  counts_.resize(polygons);
  std::size_t total = 0;
  for (std::size_t i = 0; i < polygons; ++i) {
    counts_[i] = p.U16(1 + i);
    total += std::size_t(counts_[i]);
  }
  const std::vector<Point>& points = ReadPoints(p, 1 + polygons, total);
  canvas_.PolyPolygon(points, counts_);
}

void Player::TextOut(const Params& p) {
  const std::size_t length = p.U16(0);
  const std::span<const std::uint8_t> text = p.Bytes(1, length);
  const std::size_t after = 1 + (length + 1) / 2;
  const int y = p.S16(after), x = p.S16(after + 1);
  canvas_.TextOut(X(x), Y(y), std::string_view(reinterpret_cast<const char*>(text.data()), length));
}

void Player::ExtTextOut(const Params& p) {
  const int y = p.S16(0), x = p.S16(1);
  const std::size_t length = p.U16(2);
  const unsigned options = p.U16(3);
  std::size_t word = 4;
  std::optional<Rect> rect;
  if (options & (ETO_OPAQUE | ETO_CLIPPED)) {
    rect = DeviceRect(p.S16(4), p.S16(5), p.S16(6), p.S16(7));
    word = 8;
  }
  const std::span<const std::uint8_t> text = p.Bytes(word, length);
  word += (length + 1) / 2;
  dx_.clear();
  if (p.Size() >= (word + length) * 2) {
    dx_.resize(length);
    for (std::size_t i = 0; i < length; ++i) dx_[i] = ClampToInt(p.S16(word + i) * std::abs(ScaleX()));
  }
  canvas_.ExtTextOut(X(x), Y(y), options, rect ? &*rect : nullptr,
                     std::string_view(reinterpret_cast<const char*>(text.data()), length), dx_);
}

Player::Outcome Player::DrawDib(std::span<const std::uint8_t> dib, int colorUsage, int x, int y,
                                int w, int h, int sx, int sy, int sw, int sh, std::uint32_t rop,
                                bool sourceFromBottom) {
  QImage image;
  try {
    image = DecodePackedDib(dib, colorUsage == 1 ? DibColors::PaletteIndices : DibColors::Rgb);
  } catch (const PictureError&) {
    return Outcome::Skipped;  // a bitmap we cannot read draws nothing
  }
  // StretchDIBits counts source rows from the bottom of a bottom-up DIB.
  const bool bottomUp = dib.size() < 12 || dib[0] == 12 || std::int32_t(dib[8] | (dib[9] << 8) | (dib[10] << 16) | (std::uint32_t(dib[11]) << 24)) > 0;
  if (sourceFromBottom && bottomUp) sy = image.height() - (sy + sh);
  const int left = X(x), top = Y(y), right = X(x + w), bottom = Y(y + h);
  canvas_.StretchDIBits(left, top, right - left, bottom - top, sx, sy, sw, sh, image, rop);
  return Outcome::Played;
}

void Player::Record(std::uint8_t type, const Params& p) {
  // Each group of records has its handler; a record no group knows is skipped.
  using Group = Outcome (Player::*)(std::uint8_t, const Params&);
  static constexpr Group kGroups[] = {&Player::StateRecord, &Player::ObjectRecord,
                                      &Player::ShapeRecord, &Player::TextRecord,
                                      &Player::BitmapRecord, &Player::ClipRecord};
  Outcome outcome = Outcome::NotInGroup;
  for (Group group : kGroups) {
    outcome = (this->*group)(type, p);
    if (outcome != Outcome::NotInGroup) break;
  }
  if (outcome == Outcome::Played)
    ++stats_.played;
  else
    ++stats_.skipped;
}

// Window and viewport, map mode, saved states, colours and modes.
Player::Outcome Player::StateRecord(std::uint8_t type, const Params& p) {
  switch (type) {
    case RecordKind(META_SETWINDOWORG):
      state_.windowOrg = Point{p.S16(1), p.S16(0)};
      break;
    case RecordKind(META_SETWINDOWEXT): {
      const Size ext{p.S16(1), p.S16(0)};
      if (ext.cx != 0 && ext.cy != 0) state_.windowExt = ext;
      break;
    }
    case RecordKind(META_SETVIEWPORTORG):
      state_.viewportOrg = Point{p.S16(1), p.S16(0)};
      break;
    case RecordKind(META_SETVIEWPORTEXT):
      state_.viewportExt = Size{p.S16(1), p.S16(0)};
      break;
    case RecordKind(META_SETMAPMODE):
      state_.mapMode = p.U16(0);
      break;
    case RecordKind(META_SAVEDC):
      SaveDC();
      break;
    case RecordKind(META_RESTOREDC):
      RestoreDC(p.S16(0));
      break;
    case RecordKind(META_SETBKCOLOR):
      canvas_.SetBkColor(p.U32(0) & 0xFFFFFF);
      break;
    case RecordKind(META_SETBKMODE):
      canvas_.SetBkMode(p.U16(0));
      break;
    case RecordKind(META_SETTEXTCOLOR):
      canvas_.SetTextColor(p.U32(0) & 0xFFFFFF);
      break;
    case RecordKind(META_SETTEXTALIGN):
      canvas_.SetTextAlign(p.U16(0));
      break;
    case RecordKind(META_SETPOLYFILLMODE):
      canvas_.SetPolyFillMode(p.U16(0) == WINDING ? WINDING : ALTERNATE);
      break;
    case RecordKind(META_SETROP2):
      canvas_.SetROP2(p.U16(0));
      break;
    case RecordKind(META_SETSTRETCHBLTMODE):
      canvas_.SetStretchBltMode(p.U16(0));
      break;
    default:
      return Outcome::NotInGroup;
  }
  return Outcome::Played;
}

// The object table: objects created, selected and deleted.
Player::Outcome Player::ObjectRecord(std::uint8_t type, const Params& p) {
  switch (type) {
    case RecordKind(META_CREATEPENINDIRECT):
      CreatePen(p);
      break;
    case RecordKind(META_CREATEBRUSHINDIRECT):
      CreateBrush(p);
      break;
    case RecordKind(META_DIBCREATEPATTERNBRUSH):
      CreatePatternBrush(p);
      break;
    case RecordKind(META_CREATEFONTINDIRECT):
      CreateFont(p);
      break;
    case RecordKind(META_CREATEREGION):
      CreateRegion(p);
      break;
    case RecordKind(META_CREATEPALETTE):
    case RecordKind(META_CREATEPATTERNBRUSH):
    case RecordKind(META_CREATEBITMAPINDIRECT):
    case RecordKind(META_CREATEBITMAP): {
      WmfObject placeholder;  // holds its slot in the table
      placeholder.kind = WmfObject::Kind::Other;
      AddObject(std::move(placeholder));
      break;
    }
    case RecordKind(META_SELECTOBJECT):
      SelectObject(p.U16(0));
      break;
    case RecordKind(META_DELETEOBJECT): {
      const std::uint16_t index = p.U16(0);
      if (index < objects_.size()) objects_[index] = WmfObject{};
      break;
    }
    default:
      return Outcome::NotInGroup;
  }
  return Outcome::Played;
}

// Lines, polygons, rectangles, ellipses, arcs, pixels and pattern blits.
Player::Outcome Player::ShapeRecord(std::uint8_t type, const Params& p) {
  switch (type) {
    case RecordKind(META_MOVETO):
      canvas_.MoveTo(X(p.S16(1)), Y(p.S16(0)));
      break;
    case RecordKind(META_LINETO):
      canvas_.LineTo(X(p.S16(1)), Y(p.S16(0)));
      break;
    case RecordKind(META_POLYLINE):
      canvas_.Polyline(ReadPoints(p, 1, p.U16(0)));
      break;
    case RecordKind(META_POLYGON):
      canvas_.Polygon(ReadPoints(p, 1, p.U16(0)));
      break;
    case RecordKind(META_POLYPOLYGON):
      PolyPolygon(p);
      break;
    case RecordKind(META_RECTANGLE): {
      const Rect r = DeviceRect(p.S16(3), p.S16(2), p.S16(1), p.S16(0));
      canvas_.Rectangle(r.left, r.top, r.right, r.bottom);
      break;
    }
    case RecordKind(META_ROUNDRECT): {
      const Rect r = DeviceRect(p.S16(5), p.S16(4), p.S16(3), p.S16(2));
      canvas_.RoundRect(r.left, r.top, r.right, r.bottom, Width(p.S16(1)), Height(p.S16(0)));
      break;
    }
    case RecordKind(META_ELLIPSE): {
      const Rect r = DeviceRect(p.S16(3), p.S16(2), p.S16(1), p.S16(0));
      canvas_.Ellipse(r.left, r.top, r.right, r.bottom);
      break;
    }
    case RecordKind(META_ARC):
    case RecordKind(META_PIE):
    case RecordKind(META_CHORD):
      ArcFamily(type, p);
      break;
    case RecordKind(META_SETPIXEL):
      canvas_.SetPixel(X(p.S16(3)), Y(p.S16(2)), p.U32(0) & 0xFFFFFF);
      break;
    case RecordKind(META_PATBLT):
      PatBlt(p, 5);
      break;
    default:
      return Outcome::NotInGroup;
  }
  return Outcome::Played;
}

// Arc, Pie and Chord share their box and their start and end points.
void Player::ArcFamily(std::uint8_t type, const Params& p) {
  const Rect r = DeviceRect(p.S16(7), p.S16(6), p.S16(5), p.S16(4));
  Point start{X(p.S16(3)), Y(p.S16(2))}, end{X(p.S16(1)), Y(p.S16(0))};
  // Counter-clockwise in logical space is clockwise on a mirrored device.
  if (Mirrored()) std::swap(start, end);
  if (type == RecordKind(META_ARC))
    canvas_.Arc(r.left, r.top, r.right, r.bottom, start.x, start.y, end.x, end.y);
  else if (type == RecordKind(META_PIE))
    canvas_.Pie(r.left, r.top, r.right, r.bottom, start.x, start.y, end.x, end.y);
  else
    canvas_.Chord(r.left, r.top, r.right, r.bottom, start.x, start.y, end.x, end.y);
}

// A pattern blit: the raster operation in words 0 and 1; x at word xWord,
// y, width and height in the three words before it.
void Player::PatBlt(const Params& p, std::size_t xWord) {
  const int x = p.S16(xWord), y = p.S16(xWord - 1);
  const Rect r = DeviceRect(x, y, x + p.S16(xWord - 2), y + p.S16(xWord - 3));
  canvas_.PatBlt(r.left, r.top, r.right - r.left, r.bottom - r.top, p.U32(0));
}

Player::Outcome Player::TextRecord(std::uint8_t type, const Params& p) {
  switch (type) {
    case RecordKind(META_TEXTOUT):
      TextOut(p);
      break;
    case RecordKind(META_EXTTEXTOUT):
      ExtTextOut(p);
      break;
    default:
      return Outcome::NotInGroup;
  }
  return Outcome::Played;
}

// Device-independent bitmaps; the blits without a bitmap are pattern blits.
Player::Outcome Player::BitmapRecord(std::uint8_t type, const Params& p) {
  switch (type) {
    case RecordKind(META_DIBBITBLT): {
      // Without a bitmap the record has a reserved word and is a pattern blit.
      if (p.Size() == 9 * 2) {
        PatBlt(p, 8);
        return Outcome::Played;
      }
      const int w = p.S16(5), h = p.S16(4);
      return DrawDib(p.Rest(8), 0, p.S16(7), p.S16(6), w, h, p.S16(3), p.S16(2), w, h, p.U32(0),
                     false);
    }
    case RecordKind(META_DIBSTRETCHBLT):
      if (p.Size() == 11 * 2) {
        PatBlt(p, 10);
        return Outcome::Played;
      }
      return DrawDib(p.Rest(10), 0, p.S16(9), p.S16(8), p.S16(7), p.S16(6), p.S16(5), p.S16(4),
                     p.S16(3), p.S16(2), p.U32(0), false);
    case RecordKind(META_STRETCHDIB):
      return DrawDib(p.Rest(11), p.U16(2), p.S16(10), p.S16(9), p.S16(8), p.S16(7), p.S16(6),
                     p.S16(5), p.S16(4), p.S16(3), p.U32(0), true);
    case RecordKind(META_SETDIBTODEV): {
      const int w = p.S16(6), h = p.S16(5);
      return DrawDib(p.Rest(9), p.U16(0), p.S16(8), p.S16(7), w, h, p.S16(4), p.S16(3), w, h,
                     SRCCOPY, true);
    }
    default:
      return Outcome::NotInGroup;
  }
}

// The metafile's own clip: rectangles intersected or excluded, a region
// selected.
Player::Outcome Player::ClipRecord(std::uint8_t type, const Params& p) {
  switch (type) {
    case RecordKind(META_INTERSECTCLIPRECT):
    case RecordKind(META_EXCLUDECLIPRECT): {
      const Region rect = Region::FromRect(DeviceRect(p.S16(3), p.S16(2), p.S16(1), p.S16(0)));
      const Region current = state_.clip ? *state_.clip : baseClip_;
      state_.clip = type == RecordKind(META_INTERSECTCLIPRECT) ? current.Intersected(rect)
                                                                : current.Subtracted(rect);
      ApplyClip();
      return Outcome::Played;
    }
    case RecordKind(META_SELECTCLIPREGION): {
      const std::uint16_t index = p.U16(0);
      if (index >= objects_.size() || objects_[index].kind != WmfObject::Kind::Region)
        return Outcome::Skipped;
      SelectObject(index);
      return Outcome::Played;
    }
    default:
      return Outcome::NotInGroup;
  }
}

std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}
std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

WmfPlayStats Player::Play(std::span<const std::uint8_t> data) {
  std::size_t at = 0;
  // The window: the placeable header's box, else one unit per pixel.
  state_.windowExt = Size{dest_.right - dest_.left, dest_.bottom - dest_.top};
  if (data.size() >= kPlaceableSize && Le32(data.data()) == kPlaceableKey) {
    const std::int16_t left = std::int16_t(Le16(data.data() + 6)), top = std::int16_t(Le16(data.data() + 8)),
                       right = std::int16_t(Le16(data.data() + 10)), bottom = std::int16_t(Le16(data.data() + 12));
    state_.windowOrg = Point{left, top};
    if (right != left && bottom != top) state_.windowExt = Size{right - left, bottom - top};
    at = kPlaceableSize;
  }
  if (state_.windowExt.cx == 0) state_.windowExt.cx = 1;
  if (state_.windowExt.cy == 0) state_.windowExt.cy = 1;
  if (data.size() - at < kHeaderSize) throw PictureError("Invalid metafile: the header is cut short");
  const std::uint8_t* header = data.data() + at;
  const std::uint16_t fileType = Le16(header), headerWords = Le16(header + 2);
  if ((fileType != 1 && fileType != 2) || headerWords != 9)
    throw PictureError("Invalid metafile: the data does not start with a metafile header");
  objects_.reserve(std::min<std::size_t>(Le16(header + 10), 256));
  at += kHeaderSize;

  const int canvasLevel = canvas_.SaveDC();
  Rect box = dest_;
  if (box.left > box.right) std::swap(box.left, box.right);
  if (box.top > box.bottom) std::swap(box.top, box.bottom);
  baseClip_ = Region::FromRect(box);
  if (canvas_.HasClip()) baseClip_ = baseClip_.Intersected(canvas_.ClipRegion());
  ApplyClip();

  try {
    while (at < data.size()) {
      if (data.size() - at < 6)
        throw PictureError("Invalid metafile: a record runs past the end of the data");
      const std::uint64_t bytes = std::uint64_t(Le32(data.data() + at)) * 2;
      if (bytes < 6 || bytes > data.size() - at)
        throw PictureError("Invalid metafile: a record runs past the end of the data");
      const std::uint8_t type = data[at + 4];
      ++stats_.records;
      if (type == RecordKind(META_EOF)) break;
      try {
        Record(type, Params(data.data() + at + 6, std::size_t(bytes) - 6));
      } catch (const BrokenRecord&) {
        ++stats_.skipped;
      }
      at += std::size_t(bytes);
    }
  } catch (...) {
    canvas_.RestoreDC(canvasLevel);
    throw;
  }
  canvas_.RestoreDC(canvasLevel);
  return stats_;
}

}  // namespace

WmfPlayStats PlayMetafile(Canvas& canvas, std::span<const std::uint8_t> data, const Rect& destination) {
  Player player(canvas, destination);
  return player.Play(data);
}

}  // namespace platform
