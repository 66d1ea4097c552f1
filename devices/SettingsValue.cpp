#include "devices/SettingsValue.h"

#include "support/Settings.h"

DrawSettings DrawSettingsFrom(const TSystemSettings& settings) {
  DrawSettings d;
  d.header_gap = settings.HeaderGap;
  d.print_in_black = settings.PrintInBlack != 0;
  d.repeat_page_header = settings.RepeatPageHeader != 0;
  return d;
}

LibraryPaths LibraryPathsFromSettings() { return {PatternFilePath(), SymbolFilePath()}; }
