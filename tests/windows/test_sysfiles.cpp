// The System Files dialog: the three library names of the system settings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QListView>
#include <QTest>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <functional>
#include <set>
#include <stdexcept>

#include "TestFiles.h"
#include "platform/MessageBox.h"
#include "support/Settings.h"
#include "windows/FSysFilesDlg.h"
#include "windows/SysFileSettings.h"

namespace fs = std::filesystem;

namespace {

// Runs action on the System Files dialog once it is shown modally.
void WhenDialogShows(std::function<void(TSysFilesDlg&)> action) {
  QTimer::singleShot(0, [action] {
    auto* dialog = qobject_cast<TSysFilesDlg*>(QApplication::activeModalWidget());
    if (!dialog) {
      ADD_FAILURE() << "the System Files dialog is not shown";
      for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QDialog*>(widget)) d->reject();
      return;
    }
    action(*dialog);
  });
}

}  // namespace

class SysFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ClearShownBoxes();
    for (const char* name : {"old.key", "old.pat", "old.sym", "new.key", "new.pat", "new.sym"})
      testfiles::WriteAll(dir_.file(name), {1});
    ASSERT_TRUE(SetKeywordFilePath(dir_.file("old.key")));
    ASSERT_TRUE(SetPatternFilePath(dir_.file("old.pat")));
    ASSERT_TRUE(SetSymbolFilePath(dir_.file("old.sym")));
    TSysFilesFra::BrowseDialog = [this](const std::string& filter, const std::string& current) {
      filters_.push_back(filter);
      currents_.push_back(current);
      return choice_(filter);
    };
  }
  void TearDown() override { TSysFilesFra::BrowseDialog = nullptr; }

  // Chooses new.key, new.pat or new.sym by the filter asked for.
  std::string NewFileFor(const std::string& filter) {
    if (filter.find("*.key") != std::string::npos) return dir_.file("new.key");
    if (filter.find("*.pat") != std::string::npos) return dir_.file("new.pat");
    return dir_.file("new.sym");
  }
  void ChooseAll(TSysFilesDlg& dialog) {
    dialog.SysFilesFra->KeywordBtn->click();
    dialog.SysFilesFra->PatternBtn->click();
    dialog.SysFilesFra->SymbolBtn->click();
  }

  testfiles::TempDir dir_;
  std::vector<std::string> filters_, currents_;
  std::function<std::string(const std::string&)> choice_ = [this](const std::string& f) {
    return NewFileFor(f);
  };
};

TEST_F(SysFiles, CancelLeavesAllThreeNames) {
  std::string shownPattern;
  WhenDialogShows([&](TSysFilesDlg& dialog) {
    shownPattern = dialog.SysFilesFra->PatternEd->text().toStdString();
    ChooseAll(dialog);
    EXPECT_EQ(dialog.SysFilesFra->PatternFile(), dir_.file("new.pat"));
    dialog.CancelBtn->click();
  });
  ShowSystemFilesDialog();
  EXPECT_EQ(shownPattern, dir_.file("old.pat"));
  EXPECT_EQ(KeywordFilePath(), dir_.file("old.key"));
  EXPECT_EQ(PatternFilePath(), dir_.file("old.pat"));
  EXPECT_EQ(SymbolFilePath(), dir_.file("old.sym"));
  EXPECT_TRUE(platform::ShownBoxes().empty());
}

TEST_F(SysFiles, OkStoresTheChosenNames) {
  WhenDialogShows([&](TSysFilesDlg& dialog) {
    ChooseAll(dialog);
    dialog.OkBtn->click();
  });
  ShowSystemFilesDialog();
  EXPECT_EQ(KeywordFilePath(), dir_.file("new.key"));
  EXPECT_EQ(PatternFilePath(), dir_.file("new.pat"));
  EXPECT_EQ(SymbolFilePath(), dir_.file("new.sym"));
  EXPECT_EQ(filters_, (std::vector<std::string>{TSysFilesFra::kKeywordFilter,
                                                TSysFilesFra::kPatternFilter,
                                                TSysFilesFra::kSymbolFilter}));
  EXPECT_EQ(currents_, (std::vector<std::string>{dir_.file("old.key"), dir_.file("old.pat"),
                                                 dir_.file("old.sym")}));
}

TEST_F(SysFiles, ANameThatDoesNotExistIsNotTaken) {
  choice_ = [this](const std::string&) { return dir_.file("missing.pat"); };
  WhenDialogShows([&](TSysFilesDlg& dialog) {
    dialog.SysFilesFra->PatternBtn->click();
    EXPECT_EQ(dialog.SysFilesFra->PatternFile(), dir_.file("old.pat"));
    dialog.OkBtn->click();
  });
  ShowSystemFilesDialog();
  EXPECT_EQ(PatternFilePath(), dir_.file("old.pat"));
}

TEST_F(SysFiles, BrowseCancelOrFailureKeepsTheBox) {
  choice_ = [](const std::string&) { return std::string(); };
  WhenDialogShows([&](TSysFilesDlg& dialog) {
    dialog.SysFilesFra->SymbolBtn->click();
    EXPECT_EQ(dialog.SysFilesFra->SymbolFile(), dir_.file("old.sym"));
    // A browse dialog that fails: the failure is shown, the dialog goes on.
    choice_ = [](const std::string&) -> std::string { throw std::runtime_error("no browser"); };
    dialog.SysFilesFra->PatternBtn->click();
    EXPECT_EQ(dialog.SysFilesFra->PatternFile(), dir_.file("old.pat"));
    EXPECT_TRUE(dialog.isVisible());
    choice_ = [this](const std::string& filter) { return NewFileFor(filter); };
    dialog.SysFilesFra->KeywordBtn->click();
    dialog.OkBtn->click();
  });
  ShowSystemFilesDialog();
  EXPECT_EQ(SymbolFilePath(), dir_.file("old.sym"));
  EXPECT_EQ(PatternFilePath(), dir_.file("old.pat"));
  EXPECT_EQ(KeywordFilePath(), dir_.file("new.key"));
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].text, "Error in the System Files Dialog - no browser");
}

TEST_F(SysFiles, NameTooLongForTheSettingsChangesNothing) {
  // A real file whose path does not fit the 260 characters of a settings field.
  std::string folder = dir_.path();
  while (folder.size() < 280) folder += "/" + std::string(60, 'd');
  fs::create_directories(folder);
  const std::string longName = folder + "/long.sym";
  testfiles::WriteAll(longName, {1});
  choice_ = [&](const std::string& filter) {
    return filter.find("*.sym") != std::string::npos ? longName : NewFileFor(filter);
  };
  WhenDialogShows([&](TSysFilesDlg& dialog) {
    ChooseAll(dialog);
    dialog.OkBtn->click();
  });
  ShowSystemFilesDialog();
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].text.rfind("Error in the System Files Dialog - ", 0), 0u);
  EXPECT_EQ(KeywordFilePath(), dir_.file("old.key")) << "no name is stored when one cannot be";
  EXPECT_EQ(PatternFilePath(), dir_.file("old.pat"));
  EXPECT_EQ(SymbolFilePath(), dir_.file("old.sym"));
}

// The real browse dialog: the library filter lists names of any case and
// read-only (installed) libraries; "All files" lists every file, also one
// without a dot.
TEST_F(SysFiles, BrowseDialogListsLibrariesOfAnyCaseAndAllFiles) {
  TSysFilesFra::BrowseDialog = nullptr;
  const std::string folder = dir_.file("libs");
  fs::create_directory(folder);
  const std::set<std::string> libraries = {"Zelmorth.Pat", "lower.pat", "UPPER.PAT"};
  std::set<std::string> all = {"notes.txt", "noext"};
  for (const std::string& name : libraries) all.insert(name);
  for (const std::string& name : all) testfiles::WriteAll(folder + "/" + name, {1});
  fs::permissions(folder + "/UPPER.PAT", fs::perms::owner_read | fs::perms::group_read);
  ASSERT_TRUE(SetPatternFilePath(folder + "/Zelmorth.Pat"));

  // The names the dialog's file list shows once it has read the folder.
  auto listed = [](QFileDialog& browse, const std::set<std::string>& expected) {
    std::set<std::string> names;
    for (int i = 0; i < 100 && names != expected; ++i) {
      QTest::qWait(20);
      names.clear();
      if (auto* view = browse.findChild<QListView*>("listView")) {
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
          names.insert(view->model()->index(row, 0, view->rootIndex()).data().toString().toStdString());
      }
    }
    return names;
  };
  std::set<std::string> shownForPatterns, shownForAll;
  WhenDialogShows([&](TSysFilesDlg& dialog) {
    QTimer::singleShot(0, [&] {
      auto* browse = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!browse) return;
      shownForPatterns = listed(*browse, libraries);
      browse->selectNameFilter(browse->nameFilters().value(1));
      shownForAll = listed(*browse, all);
      browse->reject();
    });
    dialog.SysFilesFra->PatternBtn->click();
    dialog.CancelBtn->click();
  });
  ShowSystemFilesDialog();
  EXPECT_EQ(shownForPatterns, libraries);
  EXPECT_EQ(shownForAll, all);
}

TEST_F(SysFiles, BoxesCannotBeTypedIn) {
  TSysFilesDlg dialog;
  EXPECT_EQ(dialog.windowTitle(), "System Files");
  EXPECT_TRUE(dialog.SysFilesFra->KeywordEd->isReadOnly());
  EXPECT_TRUE(dialog.SysFilesFra->PatternEd->isReadOnly());
  EXPECT_TRUE(dialog.SysFilesFra->SymbolEd->isReadOnly());
  EXPECT_EQ(dialog.SysFilesFra->KeywordGroup->title(), "&Keyword File");
  EXPECT_EQ(dialog.SysFilesFra->PatternGroup->title(), "&Pattern File");
  EXPECT_EQ(dialog.SysFilesFra->SymbolGroup->title(), "S&ymbol File");
}
