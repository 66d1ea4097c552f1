// Picture operations of the canvas device: picture files named in the log,
// and pictures and bitmaps embedded in it.
//
// For now these draw nothing; the picture drawing is filled in here.
#include "devices/logp_object.h"

void logp_object::plot_picture_file(std::string_view file_name, uint8_t frame, const Rect& r,
                                    uint8_t stretch) {}

void logp_object::plot_picture(const Rect& r, int32_t size, const MemoryBlock& block,
                               uint8_t bitmap, uint8_t section) {}

void logp_object::plot_bitmap(const Rect& r, MemoryStream& stream, uint8_t section) {}
