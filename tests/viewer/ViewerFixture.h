#pragma once
// Shared set-up of the main-window tests: a program folder of our own in a
// temporary directory (the settings files and the user's settings are saved
// there), no printer, a default page of 8.5 x 11 inches, and compiled logs
// written with TflWriter.
#include <gtest/gtest.h>

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "core/TflWriter.h"
#include "viewer/Tarnfelf.h"

namespace viewertest {

// A log of 8 x-units across whose body spans `span` y-units at 100 units an
// inch, on a page of pageLength x pageWidth inches, with a diagonal line from
// the top left to the bottom right of the body and datum 1000.
struct LogSpec {
  double span = 500;  // 500 units = 5 inches: one page of 11 inches
  double pageLength = 11.0;
  double pageWidth = 8.5;
  double firstHeader = -1;
  double repeatHeader = -1;
  double footer = -1;
  uint8_t paged = 1;
};
tfl::Header HeaderFor(const LogSpec& spec);
void WriteLog(const std::string& path, const LogSpec& spec);
// The span that gives `pages` pages at the screen's resolution (no sections).
double SpanForPages(int pages);

// Runs a function instead of the modal loop of the next dialogs; each returns
// the dialog's result. The runner list is consumed in order.
void QueueDialog(std::function<int(QDialog&)> run);
void ClearDialogQueue();
int DialogsRun();

class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the window (after the test adjusted the settings).
  TKorvaleFrm& Window();
  std::string Path(const std::string& name) const { return dir_.file(name); }
  std::string PagePanel() const;
  // Writes a log of `pages` pages (no sections) and opens it in the window,
  // which is on the screen.
  TKorvaleFrm& ShowNewLog(const std::string& name, int pages);

  testfiles::TempDir dir_;
  std::unique_ptr<TKorvaleFrm> window_;
};

}  // namespace viewertest
