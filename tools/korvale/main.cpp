// korvale: the viewer program. Takes an optional path of a compiled log and
// opens it as the Open command would after its dialog; without one the window
// starts empty. --help and --version are answered before anything starts
// (ViewerOptions.h); an unknown option prints the usage and exits with 2.
//
// KORVALE_EXIT_AFTER_STARTUP=1 ends the program right after start-up (see
// support/Startup.h).
#include <QApplication>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ViewerOptions.h"

#include "platform/MessageBox.h"
#include "platform/VersionStamp.h"
#include "support/FSysFilesDlg.h"
#include "support/Paths.h"
#include "support/ProgInfo.h"
#include "support/Settings.h"
#include "support/Startup.h"
#include "viewer/HelpWin.h"
#include "viewer/Tarnfelf.h"

// The version that the About box and the program log read back from this
// file (project(VERSION) in the top CMakeLists.txt).
KORVALE_VERSION_STAMP(KORVALE_VERSION_MAJOR, KORVALE_VERSION_MINOR, KORVALE_VERSION_PATCH,
                      KORVALE_VERSION_TWEAK)

int main(int argc, char** argv) {
  const ViewerOptions options = ParseViewerOptions(std::vector<std::string>(argv + 1, argv + argc));
  switch (options.action) {
    case ViewerOptions::Action::Help:
      std::fputs(kViewerUsage, stdout);
      return 0;
    case ViewerOptions::Action::Version:
      std::printf("korvale %d.%d.%d.%d\n", KORVALE_VERSION_MAJOR, KORVALE_VERSION_MINOR,
                  KORVALE_VERSION_PATCH, KORVALE_VERSION_TWEAK);
      return 0;
    case ViewerOptions::Action::UsageError:
      std::fprintf(stderr, "korvale: %s\n%s", options.error.c_str(), kViewerUsage);
      return 2;
    case ViewerOptions::Action::Run: break;
  }

  QApplication app(argc, argv);
  // The desktop entry korvale.desktop: Wayland compositors take the window's
  // icon and name from it.
  QGuiApplication::setDesktopFileName("korvale");
  const bool exitAfterStartup = ExitAfterStartupRequested();
  if (exitAfterStartup) platform::SetMessageBoxMode(platform::BoxMode::Headless);

  FixNumberFormats();
  CheckSingleInstance(std::filesystem::path(QCoreApplication::applicationFilePath().toStdString())
                          .filename()
                          .string());
  ReadDesignerVisible();
  try {
    if (!RunStartupSequence()) return 1;
  } catch (const std::exception& e) {
    platform::ShowMessageBox(platform::BoxKind::Error, e.what());
    return 1;
  }

  SetApplicationTitle();
  TKorvaleFrm::AboutBoxCommand = [](const std::string& revisionBase, const std::string& name) {
    ShowAboutBox(revisionBase, name);
  };
  TKorvaleFrm::SystemFilesCommand = [] { ShowSystemFilesDialog(); };
  TSysFilesDlg::HelpCommand = [](int context) { ShowHelpTopic(context); };

  auto window = std::make_unique<TKorvaleFrm>();
  if (exitAfterStartup) return 0;  // ~TKorvaleFrm closes everything it opened
  window->show();
  if (!options.log.empty()) window->OpenLog(options.log);
  const int result = app.exec();
  window.reset();  // FormDestroy: closes the log, removes a temporary log
  return result;
}
