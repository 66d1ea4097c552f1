#include "viewer/PrinterAccess.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

namespace viewer {
namespace {
std::optional<bool> g_installedOverride;
}

QPrinter& CurrentPrinter() {
  static std::unique_ptr<QPrinter> printer;
  if (!printer) printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer;
}

bool PrintersInstalled() {
  if (g_installedOverride) return *g_installedOverride;
  return !QPrinterInfo::availablePrinters().isEmpty();
}

void SetPrintersInstalledForTests(std::optional<bool> installed) { g_installedOverride = installed; }

int CurrentPrinterOrientation() {
  return CurrentPrinter().pageLayout().orientation() == QPageLayout::Landscape ? 1 : 0;
}

}  // namespace viewer
