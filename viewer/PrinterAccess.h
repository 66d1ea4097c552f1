#pragma once
// The program's current printer. Windows keeps one "current printer" per
// program, which the printer set-up dialog changes and printing uses; here it
// is one QPrinter that lives as long as the program.
#include <optional>

#include "support/Settings.h"

class QPrinter;

namespace viewer {

// The current printer (created on first use for the system's default
// printer, at the printer's own resolution, on its queue's default paper).
QPrinter& CurrentPrinter();
// Forgets the current printer: the next use makes it afresh, as a new run of
// the program would (tests).
void ResetCurrentPrinterForTests();

// Whether the system lists any printer. Tests may force the answer.
bool PrintersInstalled();
void SetPrintersInstalledForTests(std::optional<bool> installed);

// 0 portrait, 1 landscape.
int CurrentPrinterOrientation();

// The current printer's name, paper and printable area in inches, in its
// current orientation; nothing when no printer is installed. Page setup
// shows it; the page-size check and printing read the same printer.
std::optional<PrinterPageInfo> CurrentPrinterPage();

}  // namespace viewer
