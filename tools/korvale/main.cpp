// korvale: the viewer program. Takes an optional path of a compiled log and
// opens it as the Open command would after its dialog; without one the window
// starts empty.
#include <QApplication>

#include <exception>
#include <memory>
#include <string>

#include "platform/MessageBox.h"
#include "support/Paths.h"
#include "support/Settings.h"
#include "support/StatusWin.h"
#include "viewer/Tarnfelf.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  SetProgramPaths();
  try {
    LoadGeneralSettings();
    LoadSystemSettings();
  } catch (const std::exception& e) {
    platform::ShowMessageBox(platform::BoxKind::Error, e.what());
    return 1;
  }
  CreateStatusWindow();
  HideStatus();
  ApplyHintSettings();

  auto window = std::make_unique<TKorvaleFrm>();
  window->show();
  if (argc > 1) window->OpenLog(argv[1]);
  const int result = app.exec();
  window.reset();  // FormDestroy: closes the log, removes a temporary log
  return result;
}
