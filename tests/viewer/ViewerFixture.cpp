#include "ViewerFixture.h"

#include <QLabel>
#include <QSettings>
#include <QTest>
#include <cmath>
#include <deque>

#include "platform/MessageBox.h"
#include "support/Paths.h"
#include "support/Settings.h"
#include "viewer/Gotofrm.h"
#include "viewer/HelpWin.h"
#include "viewer/PageGeometry.h"
#include "viewer/PageImage.h"
#include "viewer/PrinterAccess.h"
#include "windows/StatusWin.h"

namespace viewertest {
namespace {
std::deque<std::function<int(QDialog&)>> g_dialogs;
int g_dialogsRun = 0;

int RunQueued(QDialog& dialog) {
  ++g_dialogsRun;
  if (g_dialogs.empty()) return QDialog::Rejected;
  auto run = std::move(g_dialogs.front());
  g_dialogs.pop_front();
  return run(dialog);
}

std::optional<PrinterPageInfo> NoPrinter() { return std::nullopt; }
}  // namespace

void QueueDialog(std::function<int(QDialog&)> run) { g_dialogs.push_back(std::move(run)); }
void ClearDialogQueue() {
  g_dialogs.clear();
  g_dialogsRun = 0;
}
int DialogsRun() { return g_dialogsRun; }

tfl::Header HeaderFor(const LogSpec& spec) {
  tfl::Header h = tfl::DefaultHeader();
  h.x_min = 0;
  h.x_max = 8;
  h.y_min = 0;
  h.y_max = spec.span;
  h.first_header_height = spec.firstHeader;
  h.repeat_header_height = spec.repeatHeader;
  h.footer_height = spec.footer;
  h.section_gap = 0;
  h.paged = spec.paged;
  h.page_height = spec.pageLength;
  h.page_width = spec.pageWidth;
  h.x_units_per_inch = 1;
  h.y_units_per_inch = 100;
  h.datum = 1000;
  return h;
}

void WriteLog(const std::string& path, const LogSpec& spec) {
  tfl::TflWriter writer(path, HeaderFor(spec));
  tfl::ColorRecord color{};
  color.color = 0;
  writer.write(color);
  tfl::VectorRecord line{};
  line.x1 = 0;
  line.y1 = spec.span;
  line.x2 = 8;
  line.y2 = 0;
  writer.write(line);
  writer.close();
}

double SpanForPages(int pages) {
  // last_page = trunc(L / page px) with L = span * dpi / 100: aim at the
  // middle of the wanted page.
  const double dpi = ScreenPixelsPerInch();
  const double pagePx = std::nearbyint(dpi * 11.0);
  return (pages - 0.5) * pagePx * 100.0 / dpi;
}

void ViewerTest::SetUp() {
  SetProgramPath(dir_.file("korvale"));
  // The user's settings (recent logs, pages left at) of this test only.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromStdString(dir_.file("config")));
  SetPrinterQuery(&NoPrinter);
  SetSystemDefaults();
  SystemSettings.PageLength = 11.0;
  SystemSettings.PageWidth = 8.5;
  SystemSettings.PageOrientation = 0;
  SystemSettings.MainTop = 50;
  SystemSettings.MainLeft = 40;
  SystemSettings.MainWidth = 700;
  SystemSettings.MainHeight = 500;
  SystemSettings.MainMaximized = 0;
  SystemSettings.UnitsInches = 1;
  // Later pages of a paged log without a repeated header start below a gap;
  // without it each page is exactly one page length further down the log.
  SystemSettings.HeaderGap = 0;
  viewer::SetPrintersInstalledForTests(false);
  ClearDialogQueue();
  SetDialogRunnerForTests(&RunQueued);
  platform::ClearShownBoxes();
}

void ViewerTest::TearDown() {
  window_.reset();
  CloseHelpWindowForTests();
  SetDialogRunnerForTests(nullptr);
  viewer::SetPrintersInstalledForTests(std::nullopt);
  viewer::SetBitmapByteLimitForTests(std::nullopt);
  SetPrinterQuery(nullptr);
  ClearDialogQueue();
  platform::ClearShownBoxes();
  ResetStatusForTests();
}


TKorvaleFrm& ViewerTest::Window() {
  if (!window_) {
    window_ = std::make_unique<TKorvaleFrm>();
    // The libraries of a fresh settings record are missing here; their boxes
    // are not what these tests look at.
    platform::ClearShownBoxes();
  }
  return *window_;
}

TKorvaleFrm& ViewerTest::ShowNewLog(const std::string& name, int pages) {
  LogSpec spec;
  spec.span = SpanForPages(pages);
  WriteLog(Path(name), spec);
  TKorvaleFrm& w = Window();
  w.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
  w.OpenLog(Path(name));
  return w;
}

std::string ViewerTest::PagePanel() const { return window_->PagePNL->text().toStdString(); }

}  // namespace viewertest
