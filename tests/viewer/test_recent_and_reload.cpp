// File > Open Recent, the page each log is opened at again, and the reload
// of the log shown when its file changes on disk.
#include <QAction>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "ViewerFixture.h"
#include "platform/MessageBox.h"
#include "support/Settings.h"
#include "viewer/LogMemory.h"
#include "viewer/LogWatcher.h"
#include "viewer/RecentLogs.h"

using namespace viewertest;
namespace fs = std::filesystem;

namespace {

// The entries of File > Open Recent as the File menu shows them.
std::vector<QAction*> RecentEntries(TKorvaleFrm& w) {
  w.File1Click();
  std::vector<QAction*> entries;
  for (QAction* a : w.OpenRecent1->actions())
    if (!a->isSeparator() && a->text() != "&Clear List") entries.push_back(a);
  return entries;
}

// Runs the event loop until the condition holds (true) or a generous time
// has passed (false): what a change on disk brings arrives after the window
// has let a burst of notices settle.
bool Eventually(const std::function<bool()>& condition) {
  return QTest::qWaitFor(condition, 20000);
}

LogSpec Pages(int pages) {
  LogSpec spec;
  spec.span = SpanForPages(pages);
  return spec;
}

}  // namespace

TEST_F(ViewerTest, OpenRecentListsTheLastTenLogsNewestFirstAcrossARestart) {
  std::vector<std::string> logs;
  for (int i = 1; i <= 12; ++i) {
    logs.push_back(Path("log" + std::to_string(i) + ".tfl"));
    WriteLog(logs.back(), LogSpec{});
  }
  fs::create_directory(Path("old"));
  const std::string twin = Path("old/log5.tfl");
  WriteLog(twin, LogSpec{});
  const std::string temporary = Path("~TFdraft1.tfl");
  WriteLog(temporary, LogSpec{});
  {
    TKorvaleFrm& w = Window();
    EXPECT_TRUE(RecentEntries(w).empty());
    EXPECT_FALSE(w.OpenRecent1->menuAction()->isEnabled());
    for (const std::string& log : logs) w.OpenLog(log);
    w.OpenLog(logs[2]);  // opened again: to the top
    w.OpenLog(twin);
    w.OpenLog(temporary);  // deleted when the window closes: not listed
    w.close();
    window_.reset();
  }
  EXPECT_TRUE(fs::exists(Path("config/Quelmark/Tarnfel 2001.conf")));

  TKorvaleFrm& w = Window();
  const std::vector<std::string> expected = {twin,     logs[2], logs[11], logs[10], logs[9],
                                             logs[8],  logs[7], logs[6],  logs[5],  logs[4]};
  auto entries = RecentEntries(w);
  ASSERT_EQ(entries.size(), expected.size());
  EXPECT_TRUE(w.OpenRecent1->menuAction()->isEnabled());
  for (size_t i = 0; i < entries.size(); ++i)
    EXPECT_EQ(entries[i]->toolTip().toStdString(), expected[i]) << i;
  // The file name after an accelerator number; two logs of one name show
  // their folders.
  EXPECT_EQ(entries[0]->text().toStdString(), "&1 log5.tfl (" + Path("old") + ")");
  EXPECT_EQ(entries[1]->text().toStdString(), "&2 log3.tfl");
  EXPECT_EQ(entries[9]->text().toStdString(), "1&0 log5.tfl (" + dir_.path() + ")");

  entries[2]->trigger();
  EXPECT_EQ(w.FileName, logs[11]);
  EXPECT_EQ(RecentEntries(w)[0]->toolTip().toStdString(), logs[11]);

  // A log that has gone: said so, dropped from the list, the log shown stays.
  fs::remove(logs[10]);
  platform::ClearShownBoxes();
  entries = RecentEntries(w);
  ASSERT_EQ(entries[3]->toolTip().toStdString(), logs[10]);
  entries[3]->trigger();
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_NE(platform::ShownBoxes()[0].text.find(logs[10] + " no longer exists"),
            std::string::npos);
  EXPECT_EQ(w.FileName, logs[11]);
  entries = RecentEntries(w);
  EXPECT_EQ(entries.size(), 9u);
  for (QAction* a : entries) EXPECT_NE(a->toolTip().toStdString(), logs[10]);

  // Clear List empties it for good.
  QAction* clear = nullptr;
  for (QAction* a : w.OpenRecent1->actions())
    if (a->text() == "&Clear List") clear = a;
  ASSERT_NE(clear, nullptr);
  clear->trigger();
  EXPECT_TRUE(RecentEntries(w).empty());
  EXPECT_FALSE(w.OpenRecent1->menuAction()->isEnabled());
}

TEST_F(ViewerTest, ALogOpensAgainAtThePageItWasLeftAt) {
  const std::string a = Path("a.tfl"), b = Path("b.tfl");
  WriteLog(a, Pages(5));
  WriteLog(b, Pages(3));
  {
    TKorvaleFrm& w = Window();
    w.OpenLog(a);
    for (int i = 0; i < 3; ++i) w.PageDownBTNClick();
    w.OpenLog(b);
    EXPECT_EQ(PagePanel(), "1 of 3");
    w.PageDownBTNClick();
    w.OpenLog(a);
    EXPECT_EQ(PagePanel(), "4 of 5");
    w.close();
    window_.reset();
  }
  TKorvaleFrm& w = Window();
  w.OpenLog(b);
  EXPECT_EQ(PagePanel(), "2 of 3") << "after a restart";
  ASSERT_TRUE(viewer::RememberedPlace(a).has_value());
  EXPECT_EQ(viewer::RememberedPlace(a)->zoom, 100);

  // A log that has fewer pages now opens at its last page.
  WriteLog(a, Pages(2));
  w.OpenLog(a);
  EXPECT_EQ(PagePanel(), "2 of 2");

  // Only the latest logs are remembered.
  for (int i = 0; i < viewer::kRememberedLogs; ++i)
    viewer::RememberPlace(Path("other" + std::to_string(i) + ".tfl"), {1, 100});
  EXPECT_FALSE(viewer::RememberedPlace(b).has_value());
  EXPECT_TRUE(viewer::RememberedPlace(Path("other1.tfl")).has_value());
  w.OpenLog(b);
  EXPECT_EQ(PagePanel(), "1 of 3");
}

// The settings file is the user's to edit and other programs' to damage:
// what the viewer reads from it is bounded, and entries that are no log of
// ours (relative, empty, overlong, twice) are skipped. A remembered array
// that claims two billion entries opens a log at once.
TEST_F(ViewerTest, RecentAndRememberedLogsReadFromDamagedSettings) {
  const std::string a = Path("a.tfl"), b = Path("b.tfl");
  WriteLog(a, Pages(5));
  WriteLog(b, Pages(5));
  const std::string overlong = "/" + std::string(5000, 'x') + ".tfl";
  std::string recent = "RecentLogs=relative.tfl, , " + a + ", " + overlong + ", " + a;
  for (int i = 0; i < 20; ++i) recent += ", /gone/log" + std::to_string(i) + ".tfl";
  fs::create_directories(Path("config/Quelmark"));
  std::ofstream(Path("config/Quelmark/Tarnfel 2001.conf"))
      << "[Korvale]\n" << recent << "\n"
      << "Logs\\size=2000000000\n"
      << "Logs\\1\\path=b.tfl\nLogs\\1\\page=2\n"                          // relative
      << "Logs\\2\\path=" << overlong << "\nLogs\\2\\page=2\n"               // overlong
      << "Logs\\3\\path=" << a << "\nLogs\\3\\page=0\n"                      // no page
      << "Logs\\4\\path=" << a << "\nLogs\\4\\page=3\nLogs\\4\\zoom=1e308\n"  // zoom beyond
      << "Logs\\5\\path=" << b << "\nLogs\\5\\page=4\nLogs\\5\\zoom=nan\n"
      << "Logs\\6\\path=" << a << "\nLogs\\6\\page=5\n";  // older: the first holds

  const std::vector<std::string> logs = viewer::RecentLogs();
  ASSERT_GE(logs.size(), 1u);
  EXPECT_EQ(logs[0], a);
  EXPECT_EQ(logs.size(), static_cast<size_t>(viewer::kRecentLogCount));
  for (const std::string& log : logs) EXPECT_EQ(log[0], '/') << log;
  EXPECT_EQ(std::count(logs.begin(), logs.end(), a), 1);

  ASSERT_TRUE(viewer::RememberedPlace(a).has_value());
  EXPECT_EQ(viewer::RememberedPlace(a)->page, 2);
  EXPECT_EQ(viewer::RememberedPlace(a)->zoom, 800) << "the largest zoom the view has";
  ASSERT_TRUE(viewer::RememberedPlace(b).has_value());
  EXPECT_EQ(viewer::RememberedPlace(b)->zoom, 100);
  EXPECT_FALSE(viewer::RememberedPlace("b.tfl").has_value());
  TKorvaleFrm& w = Window();
  w.OpenLog(b);
  EXPECT_EQ(PagePanel(), "4 of 5");
  w.PageDownBTNClick();  // written back: only the entries that are logs of ours
  EXPECT_EQ(viewer::RememberedPlace(b)->page, 4);
  EXPECT_EQ(viewer::RememberedPlace(a)->page, 2);
  EXPECT_EQ(viewer::RecentLogs()[0], b);

  // A value that Qt reads as a serialized object claims whatever size it
  // likes (this one, found by fuzzing, 592 MB in 162 bytes): such a file is
  // not the viewer's and is neither read nor rewritten.
  const std::string conf = Path("config/Quelmark/Tarnfel 2001.conf");
  fs::copy_file(testfiles::SourceDir() + "/tests/regression/settings-oom-variant-list-claims-592mb",
                conf, fs::copy_options::overwrite_existing);
  const auto damaged = testfiles::ReadAll(conf);
  EXPECT_TRUE(viewer::RecentLogs().empty());
  EXPECT_FALSE(viewer::RememberedPlace(a).has_value());
  w.OpenLog(a);
  w.PageDownBTNClick();
  EXPECT_EQ(testfiles::ReadAll(conf), damaged) << "the damaged file was rewritten";
}

// Rewritten in place, shortened, replaced by a rename and rewritten again:
// each time the log is shown again on its page, scrolled as it was, without
// the page-size question that was answered at the open.
TEST_F(ViewerTest, ALogChangedOnDiskIsShownAgainOnItsPage) {
  const std::string log = Path("changing.tfl");
  WriteLog(log, Pages(5));
  SystemSettings.PageLength = 10.0;  // the printer's page: the log's differs
  TKorvaleFrm& w = Window();
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  w.OpenLog(log);
  ASSERT_EQ(platform::ShownBoxes().size(), 1u) << "the page-size question (Cancel)";
  w.PageDownBTNClick();
  w.PageDownBTNClick();
  QScrollBar* bar = w.ScrollBox1->verticalScrollBar();
  bar->setValue(150);
  const QImage before = w.PageBitmap.copy();

  WriteLog(log, Pages(4));
  ASSERT_TRUE(Eventually([&] { return PagePanel() == "3 of 4"; })) << PagePanel();
  EXPECT_EQ(bar->value(), 150);
  EXPECT_NE(w.PageBitmap, before) << "the page drawn from the new log";
  EXPECT_EQ(w.windowTitle().toStdString(), "Quelmark Korvale - " + log);

  WriteLog(log, Pages(2));
  ASSERT_TRUE(Eventually([&] { return PagePanel() == "2 of 2"; })) << PagePanel();

  const std::string replacement = Path("replacement.tfl");
  WriteLog(replacement, Pages(5));
  fs::rename(replacement, log);
  ASSERT_TRUE(Eventually([&] { return PagePanel() == "2 of 5"; })) << PagePanel();
  WriteLog(log, Pages(3));  // the replaced file is watched too
  ASSERT_TRUE(Eventually([&] { return PagePanel() == "2 of 3"; })) << PagePanel();
  EXPECT_EQ(platform::ShownBoxes().size(), 1u) << "no question again, no error";
}

// A log caught while it is being written ends inside a record: one error,
// the page shown stays, and the log is shown once it is whole.
TEST_F(ViewerTest, AHalfWrittenLogShowsOneErrorAndIsShownWhenComplete) {
  const std::string log = Path("growing.tfl");
  WriteLog(log, Pages(3));
  TKorvaleFrm& w = Window();
  w.OpenLog(log);
  w.PageDownBTNClick();
  const QImage before = w.PageBitmap.copy();
  WriteLog(Path("whole.tfl"), Pages(5));
  const auto whole = testfiles::ReadAll(Path("whole.tfl"));

  testfiles::WriteAll(log, {whole.begin(), whole.end() - 5});
  ASSERT_TRUE(Eventually([] { return !platform::ShownBoxes().empty(); }));
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].kind, platform::BoxKind::Warning);
  EXPECT_NE(platform::ShownBoxes()[0].text.find(log + " has changed but ends inside a record"),
            std::string::npos);
  EXPECT_EQ(PagePanel(), "2 of 3");
  EXPECT_EQ(w.PageBitmap, before);

  const int checks = w.LogWatcher->Checks();
  testfiles::WriteAll(log, {whole.begin(), whole.end() - 2});
  ASSERT_TRUE(Eventually([&] { return w.LogWatcher->Checks() > checks; }));
  EXPECT_EQ(platform::ShownBoxes().size(), 1u) << "said once";
  EXPECT_EQ(PagePanel(), "2 of 3");

  testfiles::WriteAll(log, whole);
  ASSERT_TRUE(Eventually([&] { return PagePanel() == "2 of 5"; })) << PagePanel();
  EXPECT_EQ(platform::ShownBoxes().size(), 1u);
}
