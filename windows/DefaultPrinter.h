#pragma once
// The system's default printer as the settings defaults ask it for the page
// size (Settings.h, SetPrinterQuery).
#include <optional>

#include "support/Settings.h"

// The default printer's page; nothing when no printer is installed or none is
// the default.
std::optional<PrinterPageInfo> QueryDefaultPrinter();

// Makes the settings defaults ask the system's default printer.
void InstallDefaultPrinterQuery();
