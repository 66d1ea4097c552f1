#pragma once
// The program's current printer. Windows keeps one "current printer" per
// program, which the printer set-up dialog changes and printing uses; here it
// is one QPrinter that lives as long as the program.
#include <optional>

class QPrinter;

namespace viewer {

// The current printer (created on first use for the system's default
// printer, at the printer's own resolution).
QPrinter& CurrentPrinter();

// Whether the system lists any printer. Tests may force the answer.
bool PrintersInstalled();
void SetPrintersInstalledForTests(std::optional<bool> installed);

// 0 portrait, 1 landscape.
int CurrentPrinterOrientation();

}  // namespace viewer
