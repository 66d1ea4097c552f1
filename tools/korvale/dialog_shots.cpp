// korvale-dialog-shots: starts the main window, opens the About box and the
// System Files dialog from their menu items and saves a picture of each
// (docs/screenshot-about.png, docs/screenshot-sysfiles.png).
//
//   korvale-dialog-shots ABOUT.png SYSFILES.png
#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

#include "platform/MessageBox.h"
#include "support/Paths.h"
#include "support/Settings.h"
#include "viewer/HelpWin.h"
#include "viewer/Tarnfelf.h"
#include "windows/DefaultPrinter.h"
#include "windows/FSysFilesDlg.h"
#include "windows/ProgInfo.h"
#include "windows/Startup.h"
#include "windows/StatusWin.h"

namespace {

// Saves the modal dialog that the next menu command opens, then closes it.
bool ShootModal(QAction* command, const char* file) {
  bool saved = false;
  QTimer::singleShot(500, [&] {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
      saved = dialog->grab().save(QString::fromLocal8Bit(file), "PNG");
      dialog->close();
    }
  });
  command->trigger();
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: korvale-dialog-shots ABOUT.png SYSFILES.png\n");
    return 2;
  }
  platform::SetMessageBoxMode(platform::BoxMode::Headless);
  InstallDefaultPrinterQuery();
  FixNumberFormats();
  // The pictures show the viewer's own version and date.
  SetProgramPath(QCoreApplication::applicationDirPath().toStdString() + "/korvale");
  LoadGeneralSettings();
  LoadSystemSettings();
  CreateStatusWindow();
  HideStatus();
  SetApplicationTitle();
  TKorvaleFrm::AboutBoxCommand = [](const std::string& base, const std::string& name) {
    ShowAboutBox(base, name);
  };
  TKorvaleFrm::SystemFilesCommand = [] { ShowSystemFilesDialog(); };
  TSysFilesDlg::HelpCommand = [](int context) { ShowHelpTopic(context); };

  TKorvaleFrm window;
  window.show();
  const bool about = ShootModal(window.AboutKorvale1, argv[1]);
  const bool sysFiles = ShootModal(window.SystemFiles1, argv[2]);
  if (!about) std::fprintf(stderr, "the About box did not open\n");
  if (!sysFiles) std::fprintf(stderr, "the System Files dialog did not open\n");
  return about && sysFiles ? 0 : 1;
}
