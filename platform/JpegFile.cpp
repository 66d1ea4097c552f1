#include "platform/JpegFile.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

namespace platform {
namespace {

// libjpeg's error manager extended with a jump back into DecodeJpeg and the
// texts of the first error, the first warning and the first warning about
// image data that could not be decoded.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char error[JMSG_LENGTH_MAX];
  char warning[JMSG_LENGTH_MAX];
  char damage[JMSG_LENGTH_MAX];
};

ErrorManager* Manager(j_common_ptr cinfo) { return reinterpret_cast<ErrorManager*>(cinfo->err); }

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  ErrorManager* m = Manager(cinfo);
  (*cinfo->err->format_message)(cinfo, m->error);
  std::longjmp(m->jump, 1);
}

// Warnings after which the whole picture has still been decoded: stray bytes
// skipped between segments, and header details that do not touch the image
// data. Every other warning (data cut off or corrupt in the scan, a broken
// progression) leaves part of the picture guessed.
bool LeavesPictureWhole(int code) {
  switch (code) {
    case JWRN_EXTRANEOUS_DATA:
    case JWRN_JFIF_MAJOR:
    case JWRN_ADOBE_XFORM:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_ICC:
      return true;
    default:
      return false;
  }
}

void EmitMessage(j_common_ptr cinfo, int level) {
  // Level -1 is a warning (corrupt or missing data); higher levels are trace
  // messages that we do not want.
  if (level >= 0) return;
  ErrorManager* m = Manager(cinfo);
  if (m->warning[0] == '\0') (*cinfo->err->format_message)(cinfo, m->warning);
  if (m->damage[0] == '\0' && !LeavesPictureWhole(cinfo->err->msg_code))
    (*cinfo->err->format_message)(cinfo, m->damage);
  ++cinfo->err->num_warnings;
}

// Everything the decoder touches lives here, outside the frame that calls
// setjmp, so that a jump out of libjpeg skips no destructor and reads no
// clobbered local.
struct JpegJob {
  jpeg_decompress_struct cinfo;
  ErrorManager errors;
  QImage image;
  bool tooLarge = false;
  bool outOfMemory = false;
};

int Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

void StoreRow(JpegJob& job, const JSAMPLE* row, int y) {
  const jpeg_decompress_struct& c = job.cinfo;
  auto* out = reinterpret_cast<QRgb*>(job.image.scanLine(y));
  const int width = int(c.output_width);
  switch (c.out_color_space) {
    case JCS_GRAYSCALE:
      for (int x = 0; x < width; ++x) out[x] = qRgb(row[x], row[x], row[x]);
      break;
    case JCS_CMYK: {
      // Adobe writes CMYK inverted (0 = full ink); others write plain ink.
      const bool inverted = c.saw_Adobe_marker;
      for (int x = 0; x < width; ++x) {
        int cyan = row[4 * x], magenta = row[4 * x + 1], yellow = row[4 * x + 2],
            black = row[4 * x + 3];
        if (!inverted) {
          cyan = 255 - cyan;
          magenta = 255 - magenta;
          yellow = 255 - yellow;
          black = 255 - black;
        }
        out[x] = qRgb(Clamp255(cyan * black / 255), Clamp255(magenta * black / 255),
                      Clamp255(yellow * black / 255));
      }
      break;
    }
    default:
      for (int x = 0; x < width; ++x) out[x] = qRgb(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
      break;
  }
}

// Runs libjpeg; returns false when it gave up (the reason is in the job).
bool RunDecoder(JpegJob& job, const std::uint8_t* data, std::size_t size) {
  if (setjmp(job.errors.jump)) return false;
  jpeg_create_decompress(&job.cinfo);
  jpeg_mem_src(&job.cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&job.cinfo, TRUE);
  jpeg_decompress_struct& c = job.cinfo;
  switch (c.jpeg_color_space) {
    case JCS_GRAYSCALE:
      c.out_color_space = JCS_GRAYSCALE;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      c.out_color_space = JCS_CMYK;
      break;
    default:
      c.out_color_space = JCS_RGB;
      break;
  }
  if (!PictureSizeAllowed(c.image_width, c.image_height)) {
    job.tooLarge = true;
    return false;
  }
  jpeg_start_decompress(&c);
  job.image = QImage(int(c.output_width), int(c.output_height), QImage::Format_RGB32);
  if (job.image.isNull()) {
    job.outOfMemory = true;
    return false;
  }
  // The row buffer comes from libjpeg's own pool, freed by jpeg_destroy.
  JSAMPARRAY row = (*c.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&c), JPOOL_IMAGE,
                                          c.output_width * JDIMENSION(c.output_components), 1);
  while (c.output_scanline < c.output_height) {
    const int y = int(c.output_scanline);
    if (jpeg_read_scanlines(&c, row, 1) != 1) break;
    StoreRow(job, row[0], y);
  }
  jpeg_finish_decompress(&c);
  return true;
}

}  // namespace

DecodedJpeg DecodeJpeg(std::span<const std::uint8_t> data) {
  if (data.empty()) throw PictureError("Invalid JPEG image: the data is empty");
  JpegJob job{};
  job.cinfo.err = jpeg_std_error(&job.errors.pub);
  job.errors.pub.error_exit = ErrorExit;
  job.errors.pub.emit_message = EmitMessage;
  job.errors.error[0] = '\0';
  job.errors.warning[0] = '\0';
  job.errors.damage[0] = '\0';
  const bool ok = RunDecoder(job, data.data(), data.size());
  const unsigned width = job.cinfo.image_width, height = job.cinfo.image_height;
  jpeg_destroy_decompress(&job.cinfo);
  if (job.tooLarge)
    throw PictureError("Invalid JPEG image: the picture is too large (" + std::to_string(width) +
                       " x " + std::to_string(height) + " pixels)");
  if (job.outOfMemory) throw PictureError("Invalid JPEG image: not enough memory for the picture");
  if (!ok) throw PictureError(std::string("Invalid JPEG image: ") + job.errors.error);
  return DecodedJpeg{std::move(job.image), job.errors.warning, job.errors.damage};
}

}  // namespace platform
