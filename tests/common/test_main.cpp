// Test main shared by every test program: a QApplication on the offscreen
// platform (so widgets, fonts and the clipboard work without a display) and
// message boxes answered from a queue.
#include <QApplication>
#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/MessageBox.h"
#include "platform/RuntimeDir.h"

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  platform::EnsureRuntimeDirectory();
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  platform::SetMessageBoxMode(platform::BoxMode::Scripted);
  return RUN_ALL_TESTS();
}
