#pragma once
// The pattern and symbol libraries that pages are drawn with, opened together
// from their paths. Whoever draws opens them once (the viewer at start-up,
// korvale-render before it reads the log) and hands them to the device; their
// contents are read whole when they are opened.
#include <string>

#include "core/PatternLibrary.h"
#include "core/SymbolLibrary.h"

class PlotCookie;

struct LibraryPaths {
  std::string pattern;
  std::string symbol;
};

class Libraries {
 public:
  // Opens the pattern library, then the symbol library. A missing one is
  // reported through `cookie` (1034, 1035) and stays unopened: a lookup in it
  // ends the page being drawn. Throws FileError for a library that exists
  // but cannot be read.
  Libraries(const LibraryPaths& paths, PlotCookie& cookie)
      : pattern(paths.pattern, cookie), symbol(paths.symbol, cookie) {}
  Libraries(const Libraries&) = delete;
  Libraries& operator=(const Libraries&) = delete;

  // A new page: numbers beyond a library are reported again.
  void begin_page() {
    pattern.begin_page();
    symbol.begin_page();
  }

  PatternLibrary pattern;
  SymbolLibrary symbol;
};
