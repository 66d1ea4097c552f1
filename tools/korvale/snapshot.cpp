// korvale-snapshot: starts the viewer window as the program does, opens a
// compiled log and saves a picture of the whole window (for the README and
// for checking the window by eye on a machine without a screen grabber).
//
//   korvale-snapshot OUT.png LOG.tfl [PAGE]
//
// The README's picture is made with fresh settings on a screen tall enough
// for the whole page:
//   xvfb-run -a -s "-screen 0 1152x1300x24" korvale-snapshot OUT.png sample.tfl
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/MessageBox.h"
#include "support/Paths.h"
#include "support/Settings.h"
#include "viewer/Tarnfelf.h"
#include "windows/DefaultPrinter.h"
#include "windows/StatusWin.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: korvale-snapshot OUT.png LOG.tfl [PAGE]\n");
    return 2;
  }
  // Questions get their "change nothing" answer and are printed, so that the
  // snapshot never waits for a hand on the mouse.
  platform::SetMessageBoxMode(platform::BoxMode::Headless);
  InstallDefaultPrinterQuery();
  SetProgramPaths();
  LoadGeneralSettings();
  LoadSystemSettings();
  CreateStatusWindow();
  HideStatus();

  TKorvaleFrm window;
  window.show();
  window.OpenLog(argv[2]);
  const int page = argc > 3 ? std::atoi(argv[3]) : 1;
  for (int i = 1; i < page; ++i) window.PageDownBTNClick();
  window.Image1MouseMove(0, 200);  // fill the depth read-out

  int result = 1;
  QTimer::singleShot(300, [&] {
    const QPixmap shot = window.grab();
    result = shot.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
    window.close();
  });
  app.exec();
  return result;
}
