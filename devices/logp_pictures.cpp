// Picture operations of the canvas device: picture files named in the log,
// and pictures and bitmaps embedded in it.
//
// Pictures named in a log are read only from regular files of limited size
// (PictureFile); embedded ones pass through temporary files created under
// free names and removed as soon as they are read back.
#include <QImage>

#include <algorithm>
#include <filesystem>
#include <span>

#include "core/FileError.h"
#include "devices/PlaceableMetafile.h"
#include "devices/TempPicture.h"
#include "devices/logp_object.h"
#include "platform/BitmapFile.h"
#include "platform/PictureFile.h"
#include "platform/PicturePath.h"
#include "platform/TempFiles.h"
#include "platform/WmfPlayer.h"

using device_math::AddChecked;

namespace {

// A picture named in a log. JPEG images whose data is damaged (libjpeg can
// only guess part of them) are refused as well: a log should not show a
// grey patch as if it were the picture.
QImage LoadNamedPicture(const std::string& name) {
  platform::LoadedPicture picture = platform::LoadPictureFile(name);
  if (!picture.warning.empty()) throw platform::PictureError(name + ": " + picture.warning);
  return std::move(picture.image);
}

// Writes `bytes` to a new temporary file, reads the file back and removes it.
std::vector<uint8_t> ThroughTempFile(const std::string& prefix, const std::string& extension,
                                     std::span<const uint8_t> bytes) {
  platform::TempFileRemover remover(temp_picture::CreateTempPictureFile(prefix, extension, bytes));
  return platform::ReadPictureFileBytes(remover.path());
}

// The data of an embedded picture: the block, or as much of it as the
// command's size names.
std::span<const uint8_t> BlockData(const MemoryBlock& block, int32_t size) {
  if (size < 0) throw RangeError();
  return std::span<const uint8_t>(block.data(),
                                  std::min<std::size_t>(block.size(), static_cast<std::size_t>(size)));
}

struct Box {
  int32_t left, top, right, bottom;
};

Box Ordered(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

int32_t Span(int32_t from, int32_t to) { return device_math::Narrow(int64_t{to} - from); }

// The whole picture stretched into the box.
void StretchInto(platform::Canvas& canvas, const Box& box, const QImage& picture) {
  canvas.StretchDIBits(box.left, box.top, Span(box.left, box.right), Span(box.top, box.bottom), 0,
                       0, picture.width(), picture.height(), picture);
}

}  // namespace

void logp_object::plot_picture_file(std::string_view file_name, uint8_t frame, Rect r,
                                    uint8_t stretch) {
  const Box mapped = Ordered(px(r.x1), row(r.y1), px(r.x2), row(r.y2));
  int32_t left = AddChecked(mapped.left, 1), right = AddChecked(mapped.right, 1);
  int32_t top = AddChecked(mapped.top, -1), bottom = AddChecked(mapped.bottom, -1);

  const QImage picture =
      LoadNamedPicture(platform::FindPictureFile(std::string(file_name), settings.picture_folder));
  const int32_t width = picture.width(), height = picture.height();

  if (stretch) {
    select_body_clip();
    canvas->StretchDIBits(left, top, AddChecked(Span(left, right), -1),
                          AddChecked(Span(top, bottom), -1), 0, 0, width, height, picture);
  } else {
    const platform::Region clip =
        platform::Region::FromRect(left, top, AddChecked(right, 1), AddChecked(bottom, 1))
            .Intersected(body_clip);
    if (clip.IsEmpty()) {
      select_body_clip();
      return;
    }
    canvas->SelectClipRgn(&clip);
    canvas->StretchDIBits(left, top, width - 1, height - 1, 0, 0, width, height, picture);
    // A small picture's frame fits the picture.
    if (width < int64_t{right} - left) right = left + width;
    if (height < int64_t{bottom} - top) bottom = top + height;
  }

  if (frame) {
    platform::Pen pen = canvas->GetPen();
    pen.style = platform::PS_SOLID;
    pen.width = 0;
    canvas->SetPen(pen);
    platform::Brush brush = canvas->GetBrush();
    brush.color = pen.color;
    canvas->SetBrush(brush);
    const platform::Point corners[] = {{left, top},
                                       {left, bottom},
                                       {right - 1, bottom},
                                       {right - 1, top},
                                       {left, top}};
    canvas->MoveTo(corners[0].x, corners[0].y);
    for (std::size_t i = 1; i < std::size(corners); ++i) canvas->LineTo(corners[i].x, corners[i].y);
  }
  select_body_clip();
}

void logp_object::plot_picture(Rect r, int32_t size, const MemoryBlock& block,
                               uint8_t bitmap, uint8_t section) {
  int32_t y1 = 0, y2 = 0;
  if (!section_row(section, r.y1, y1) || !section_row(section, r.y2, y2)) return;
  const int32_t left = px(r.x1), right = px(r.x2);
  select_section_clip();
  const std::span<const uint8_t> data = BlockData(block, size);

  if (bitmap) {
    const QImage picture = platform::DecodeBitmapFile(ThroughTempFile("~bmp", "", data));
    StretchInto(*canvas, Ordered(left, y1, right, y2), picture);
    return;
  }

  // A metafile without placeable header: framed to the target rectangle.
  const int64_t width = std::abs(int64_t{right} - left);
  const int64_t height = std::abs(int64_t{y2} - y1);
  if (width > 32767 || height > 32767) throw RangeError();
  const std::vector<uint8_t> placeable = placeable_metafile::WithPlaceableHeader(
      data, static_cast<uint32_t>(data.size()), static_cast<uint16_t>(width),
      static_cast<uint16_t>(height), static_cast<uint16_t>(std::clamp(settings.screen_ppi, 1, 65535)));
  // The temporary metafile is gone again once it is read back.
  const std::vector<uint8_t> metafile = ThroughTempFile("~wmf", ".wmf", placeable);
  const Box frame = Ordered(left, y1, right, y2);
  platform::PlayMetafile(*canvas, metafile,
                         platform::Rect{frame.left, frame.top, frame.right, frame.bottom});
}

void logp_object::plot_bitmap(Rect r, MemoryStream& stream, uint8_t section) {
  int32_t y1 = 0, y2 = 0;
  if (!section_row(section, r.y1, y1) || !section_row(section, r.y2, y2)) return;
  const int32_t left = px(r.x1), right = px(r.x2);
  const std::span<const uint8_t> data(stream.data() + stream.position(),
                                      stream.size() - stream.position());
  const QImage picture = platform::DecodeBitmapFile(data);
  stream.seek(stream.size());
  select_section_clip();
  StretchInto(*canvas, Ordered(left, y1, right, y2), picture);
}
