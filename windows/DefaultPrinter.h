#pragma once
// The system's default printer as the settings defaults ask it for the page
// size (Settings.h, SetPrinterQuery).
#include <optional>

#include "support/Settings.h"

class QPrinter;

// The default printer's page; nothing when no printer is installed or none is
// the default.
std::optional<PrinterPageInfo> QueryDefaultPrinter();

// Gives a printer of the print system the paper its queue uses by default
// (Qt's printer starts on A4 whatever the queue's paper); a printer that
// writes a file keeps its page.
void UseQueuePaper(QPrinter& printer);

// Makes the settings defaults ask the system's default printer.
void InstallDefaultPrinterQuery();
