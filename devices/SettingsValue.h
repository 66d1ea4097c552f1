#pragma once
// The drawing settings and the library paths as values, taken from the
// viewer's settings record once, before drawing.
#include "core/DrawSettings.h"
#include "core/Libraries.h"

struct TSystemSettings;

// HeaderGap, PrintInBlack and RepeatPageHeader of the record; the other
// members keep their defaults (the caller sets the picture folder and the
// screen's pixels per inch).
DrawSettings DrawSettingsFrom(const TSystemSettings& settings);

// The pattern and symbol library paths the settings name.
LibraryPaths LibraryPathsFromSettings();
