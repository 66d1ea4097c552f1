#include "JpegImage.h"

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace demo {

namespace {
struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

// libjpeg's default error_exit ends the process. Ours jumps back to
// WriteJpeg, which reports the error; every buffer is allocated before the
// jump point so that nothing is skipped by the jump.
struct JumpingErrors {
  jpeg_error_mgr mgr;
  std::jmp_buf back;
  char message[JMSG_LENGTH_MAX];
};

void JumpBack(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<JumpingErrors*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, errors->message);
  std::longjmp(errors->back, 1);
}
}  // namespace

void WriteJpeg(const RgbImage& image, const std::string& path, int quality) {
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) throw std::runtime_error("cannot create " + path);

  jpeg_compress_struct cinfo{};
  JumpingErrors errors{};
  cinfo.err = jpeg_std_error(&errors.mgr);
  errors.mgr.error_exit = JumpBack;
  std::vector<JSAMPLE> row(static_cast<size_t>(image.width()) * 3);
  if (setjmp(errors.back)) {
    jpeg_destroy_compress(&cinfo);
    throw std::runtime_error(std::string("JPEG: ") + errors.message);
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file.get());
  cinfo.image_width = static_cast<JDIMENSION>(image.width());
  cinfo.image_height = static_cast<JDIMENSION>(image.height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < image.width(); ++x) {
      const Pixel c = image.at(x, y);
      row[3 * x] = c.r;
      row[3 * x + 1] = c.g;
      row[3 * x + 2] = c.b;
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  if (std::fflush(file.get()) != 0 || std::ferror(file.get()))
    throw std::runtime_error("cannot write " + path);
}

}  // namespace demo
