#include "DemoLog.h"

#include "DemoBody.h"
#include "DemoLayout.h"
#include "DemoPictures.h"
#include "DemoSections.h"
#include "DemoWell.h"
#include "Drawing.h"
#include "JpegImage.h"
#include "core/TflWriter.h"

namespace demo {

tfl::Header DemoHeader() {
  tfl::Header h = tfl::DefaultHeader();
  h.x_min = 0;
  h.x_max = kLogRight;
  h.y_min = Y(kLogBottom);
  h.y_max = Y(kLogTop);
  h.first_header_height = kFirstHeader;
  h.repeat_header_height = kRepeatHeader;
  h.footer_height = kFooter;
  h.section_gap = kSectionGap;
  h.paged = 1;
  h.page_height = kPageHeight;
  h.page_width = kPageWidth;
  h.x_units_per_inch = kUnitsPerInch;
  h.y_units_per_inch = kUnitsPerInch;
  h.datum = kKellyBushing;
  return h;
}

void WriteDemo(const DemoOptions& options) {
  const Well well = MakeWell();
  // The photograph: 1.2 x 2.8 inches of core box at about 200 dpi.
  WriteJpeg(MakeCorePhoto(240, 560), options.photo_path);

  tfl::TflWriter writer(options.log_path, DemoHeader());
  Drawing d(writer);
  SectionPictures pictures{EncodeBmp(MakeLogo()), MakeEmblemMetafile()};
  WriteFirstPageHeader(d, well, pictures);
  WriteRepeatedHeader(d);
  WriteFooter(d);
  WriteBody(d, well);
  WriteCorePhoto(d, well, options.photo_name);
  writer.close();
}

}  // namespace demo
