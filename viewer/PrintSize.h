#pragma once
// The printer's printable page against the log page, for the Print command.
#include <optional>
#include <string>

class QPrinter;

namespace viewer {

struct PrintableSize {
  double width = 0;   // inches
  double length = 0;  // inches
};

// Printable width and length in inches: the printer's pixels divided by its
// pixels per inch. nullopt when the printer reports no resolution or size.
std::optional<PrintableSize> PrintablePage(QPrinter& printer);

// A log page more than 0.01 inch longer or wider than the printable page.
bool LargerThanPrintable(double pageLength, double pageWidth, const PrintableSize& printable);

// The question asked before a clipped printout.
std::string ClippedPrintQuestion(double pageLength, double pageWidth,
                                 const PrintableSize& printable);

}  // namespace viewer
