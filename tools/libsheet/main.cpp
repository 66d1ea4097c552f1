// korvale-libsheet: writes PNG sheets of a pattern and symbol library.
//
//   korvale-libsheet Zelmorth.Pat Zelmorth.Sym OUTPUT-FOLDER
//
// writes glyphs.png (the stroke font at 10, 12 and 14 pixels and large on
// its cell), glyphs-zoom.png (the small sizes magnified three times), symbols.png (the well-log symbols), patterns-96.png and
// patterns-300.png (every pattern at scale 1 at screen and print density).
#include <QImage>
#include <cstdio>
#include <exception>
#include <string>

#include "SheetDrawing.h"

namespace {

bool Save(const QImage& image, const std::string& folder, const char* name) {
  std::string path = folder + "/" + name;
  if (!image.save(QString::fromStdString(path), "PNG")) {
    std::fprintf(stderr, "korvale-libsheet: cannot write %s\n", path.c_str());
    return false;
  }
  std::printf("%s\n", path.c_str());
  return true;
}

// The small-size lines of the glyph sheet magnified three times, pixel for
// pixel, so single pixels can be judged.
QImage SmallTextZoom(const QImage& glyphs) {
  QImage part = glyphs.copy(0, 40, 560, 300);
  return part.scaled(part.width() * 3, part.height() * 3, Qt::IgnoreAspectRatio,
                     Qt::FastTransformation);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: korvale-libsheet PATTERN-LIBRARY SYMBOL-LIBRARY OUTPUT-FOLDER\n");
    return 2;
  }
  try {
    libsheet::Libraries lib{libsheet::ReadPatternLibrary(argv[1]),
                            libsheet::ReadSymbolLibrary(argv[2])};
    if (lib.symbols.size() < 256) {
      std::fprintf(stderr, "korvale-libsheet: %s holds too few symbols for a font\n", argv[2]);
      return 1;
    }
    bool ok = Save(libsheet::GlyphSheet(lib), argv[3], "glyphs.png") &&
              Save(SmallTextZoom(libsheet::GlyphSheet(lib)), argv[3], "glyphs-zoom.png") &&
              Save(libsheet::SymbolSheet(lib), argv[3], "symbols.png") &&
              Save(libsheet::PatternSheet(lib, 96), argv[3], "patterns-96.png") &&
              Save(libsheet::PatternSheet(lib, 300), argv[3], "patterns-300.png");
    return ok ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvale-libsheet: %s\n", e.what());
    return 1;
  }
}
