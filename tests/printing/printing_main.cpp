// Test main of the printing tests: the run's own CUPS scheduler starts
// before the QApplication, so that the process's print system (libcups
// reads CUPS_SERVER once, and Qt asks it for the printers) is the private
// one; then the shared set-up of the other test programs (the offscreen
// platform, message boxes answered from a queue). The scheduler is stopped
// and its folder removed when the tests have run.
#include <QApplication>
#include <cstdlib>

#include <gtest/gtest.h>

#include "PrivatePrintSystem.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeDir.h"

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  platform::EnsureRuntimeDirectory();
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests (ctest does so at build time) starts nothing.
  std::unique_ptr<printsystem::PrivatePrintSystem> system;
  if (!GTEST_FLAG_GET(list_tests)) system = printsystem::PrivatePrintSystem::Start();
  printsystem::SetCurrent(system.get());
  int result = 0;
  {
    QApplication app(argc, argv);
    platform::SetMessageBoxMode(platform::BoxMode::Scripted);
    result = RUN_ALL_TESTS();
  }
  printsystem::SetCurrent(nullptr);
  return result;
}
