// korvale: the viewer program. Takes an optional path of a compiled log and
// opens it as the Open command would after its dialog; without one the window
// starts empty. --help and --version are answered before anything starts
// (ViewerOptions.h); an unknown option prints the usage and exits with 2.
//
// KORVALE_EXIT_AFTER_STARTUP=1 ends the program right after start-up;
// KORVALE_START_COMMANDS runs commands of the main window (see
// windows/Startup.h).
#include <QApplication>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ViewerOptions.h"

#include "platform/MessageBox.h"
#include "platform/VersionStamp.h"
#include "platform/XdgFolders.h"
#include "support/Paths.h"
#include "support/Settings.h"
#include "viewer/HelpWin.h"
#include "viewer/Tarnfelf.h"
#include "windows/DefaultPrinter.h"
#include "windows/FSysFilesDlg.h"
#include "windows/HelpContext.h"
#include "windows/MessageBoxPresenter.h"
#include "windows/ProgInfo.h"
#include "windows/Startup.h"
#include "windows/StatusWin.h"
#include "windows/TextView.h"
#include "windows/WindowRequests.h"

// The version that the About box and the program log read back from this
// file (project(VERSION) in the top CMakeLists.txt).
KORVALE_VERSION_STAMP(KORVALE_VERSION_MAJOR, KORVALE_VERSION_MINOR, KORVALE_VERSION_PATCH,
                      KORVALE_VERSION_TWEAK)

namespace {

// Carries out the start commands one at a time from the event loop, so that
// each window has shown before the next command. A command whose window
// does not show is reported on stderr.
void RunStartCommands(TKorvaleFrm& window, std::vector<std::string> commands) {
  if (commands.empty()) return;
  QTimer::singleShot(0, &window, [&window, commands = std::move(commands)]() mutable {
    const std::string command = commands.front();
    commands.erase(commands.begin());
    bool shown = true;
    if (command == "help") {
      window.HelpBtnClick();
      shown = HelpWindow() && HelpWindow()->isVisible();
    } else if (command == "revisions") {
      const std::string base = std::filesystem::path(ProgramPath()).replace_extension().string();
      shown = ShowTextView("Program Revisions", base + ".INF")->isVisible();
    } else if (command == "status") {
      ShowStatus("Left showing");
      shown = StatusForm && StatusForm->isVisible();
    } else if (command == "close") {
      window.close();
    } else {
      shown = false;
    }
    if (!shown) std::fprintf(stderr, "korvale: start command %s failed\n", command.c_str());
    RunStartCommands(window, std::move(commands));
  });
}

// Lets the window system map and expose `window`, for at most half a second.
// Nothing else runs yet: no log is open, no command can come in.
void WaitUntilExposed(QWidget& window) {
  QTimer limit;  // its time-out also wakes the wait below
  limit.setSingleShot(true);
  limit.start(500);
  while (window.windowHandle() && !window.windowHandle()->isExposed() && limit.isActive())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents |
                                    QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

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

  // Qt's own settings and folders follow the XDG rules as the program does.
  platform::DropRelativeXdgFolders();
  QApplication app(argc, argv);
  // Boxes show as dialogs, and the settings defaults ask the system's printer.
  InstallMessageBoxPresenter();
  InstallDefaultPrinterQuery();
  // The desktop entry korvale.desktop: Wayland compositors take the window's
  // icon and name from it.
  QGuiApplication::setDesktopFileName("korvale");
  const bool exitAfterStartup = ExitAfterStartupRequested();
  const auto startCommands = StartCommandsRequested();
  if (exitAfterStartup || startCommands) platform::SetMessageBoxMode(platform::BoxMode::Headless);

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
  InstallHelpKey([](int context) { ShowHelpTopic(context); });

  auto window = std::make_unique<TKorvaleFrm>();
  if (exitAfterStartup) return 0;  // ~TKorvaleFrm closes everything it opened
  window->show();
  // Another start of the program, under another name, may ask for this window
  // ("Switch to running program?").
  platform::PublishMainWindow(window.get(), [] {
    try {
      WriteLog("Brought to the front at the request of another program.");
    } catch (const std::exception&) {
      // Only a note in the log: the window is in front all the same.
    }
  });
  if (!options.log.empty()) {
    // The window on the screen first (briefly waited for), so that the first
    // page goes to the screen as soon as it is drawn.
    WaitUntilExposed(*window);
    window->OpenLog(options.log);
  }
  if (startCommands) RunStartCommands(*window, *startCommands);
  const int result = app.exec();
  window.reset();  // FormDestroy: closes the log, removes a temporary log
  return result;
}
