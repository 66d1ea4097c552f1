// Settings files: defaults written at their byte offsets, rejected sizes,
// the printer's page size and library path fields.
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestFiles.h"
#include "platform/MessageBox.h"
#include "support/IoError.h"
#include "support/Paths.h"
#include "support/PlainSettingsFile.h"
#include "support/Settings.h"

namespace {

template <typename T>
T At(const std::vector<unsigned char>& bytes, std::size_t offset) {
  T value{};
  if (offset + sizeof(T) > bytes.size()) ADD_FAILURE() << "offset " << offset << " beyond file";
  else std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return value;
}

std::string CString(const std::vector<unsigned char>& bytes, std::size_t offset) {
  return std::string(reinterpret_cast<const char*>(bytes.data() + offset));
}

std::optional<PrinterPageInfo> NoPrinter() { return std::nullopt; }

std::optional<PrinterPageInfo> LandscapeLetterPrinter() {
  PrinterPageInfo info;
  info.name = "Test Printer";
  info.paperWidth = 11.0;
  info.paperHeight = 8.5;
  info.printableWidth = 10.6;
  info.printableHeight = 8.1;
  info.orientation = 1;
  return info;
}

std::optional<PrinterPageInfo> BrokenPrinter() {
  PrinterPageInfo info;
  info.queryFailed = true;
  return info;
}

class SettingsFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProgramPath(dir.path() + "/korvale");
    SetPrinterQuery(&NoPrinter);
    std::memset(&SystemSettings, 0, sizeof SystemSettings);
    std::memset(&GeneralSettings, 0, sizeof GeneralSettings);
    platform::ClearShownBoxes();
  }
  void TearDown() override {
    SetPrinterQuery(nullptr);
    SetProgramPaths();
  }
  testfiles::TempDir dir;
};

TEST_F(SettingsFiles, FileNamesFollowTheExecutablesBaseName) {
  EXPECT_EQ(SystemSettingsFileName(), dir.path() + "/korvale.Cn2");
  EXPECT_EQ(GeneralSettingsFileName(), dir.path() + "/korvale.CN1");
  SetProgramPath(dir.path() + "/renamed.bin");
  EXPECT_EQ(SystemSettingsFileName(), dir.path() + "/renamed.Cn2");
  EXPECT_EQ(GeneralSettingsFileName(), dir.path() + "/renamed.CN1");
}

TEST_F(SettingsFiles, MissingGeneralFileIsCreatedWithDefaults) {
  LoadGeneralSettings();
  auto bytes = testfiles::ReadAll(GeneralSettingsFileName());
  ASSERT_EQ(bytes.size(), 10104u);
  EXPECT_EQ(bytes[0], 0);    // BetaOptions
  EXPECT_EQ(bytes[100], 0);  // DiagnosticMode
  EXPECT_EQ(At<int32_t>(bytes, 184), 500);
  EXPECT_EQ(At<int32_t>(bytes, 192), 16776960);
  EXPECT_EQ(GeneralSettings.HintPause, 500);
  EXPECT_EQ(GeneralSettings.HintColor, 0x00FFFF00);
}

TEST_F(SettingsFiles, GeneralFileOfExactSizeIsKeptAsItIs) {
  std::vector<unsigned char> bytes(10104, 0x11);
  bytes[100] = 1;
  int32_t pause = 1234;
  std::memcpy(bytes.data() + 184, &pause, 4);
  testfiles::WriteAll(GeneralSettingsFileName(), bytes);
  LoadGeneralSettings();
  EXPECT_EQ(GeneralSettings.DiagnosticMode, 1);
  EXPECT_EQ(GeneralSettings.HintPause, 1234);
  EXPECT_EQ(GeneralSettings.BetaOptions, 0x11);
  EXPECT_EQ(testfiles::ReadAll(GeneralSettingsFileName()), bytes);
}

TEST_F(SettingsFiles, GeneralFileOfWrongSizeIsReplacedByDefaults) {
  for (std::size_t size : {std::size_t{10103}, std::size_t{10105}, std::size_t{0}}) {
    SCOPED_TRACE(size);
    std::vector<unsigned char> bytes(size, 0x22);
    testfiles::WriteAll(GeneralSettingsFileName(), bytes);
    LoadGeneralSettings();
    auto written = testfiles::ReadAll(GeneralSettingsFileName());
    ASSERT_EQ(written.size(), 10104u);
    EXPECT_EQ(At<int32_t>(written, 184), 500);
    EXPECT_EQ(At<int32_t>(written, 192), 16776960);
    EXPECT_EQ(written[1], 0);  // reserved bytes of the defaults are zero
    EXPECT_EQ(GeneralSettings.DiagnosticMode, 0);
  }
}

TEST_F(SettingsFiles, UnwritableGeneralDefaultsRaiseAnIoError) {
  SetProgramPath(dir.path() + "/no-such-folder/korvale");
  EXPECT_THROW(LoadGeneralSettings(), InOutError);
}

TEST_F(SettingsFiles, MissingSystemFileGetsDefaultsAtTheirOffsets) {
  LoadSystemSettings();
  auto b = testfiles::ReadAll(SystemSettingsFileName());
  ASSERT_EQ(b.size(), 3488u);
  const std::string d = dir.path() + "/";
  EXPECT_EQ(CString(b, 0), "");
  EXPECT_EQ(CString(b, 1044), d + "LogFiles/Log1.ldf");
  EXPECT_EQ(CString(b, 1305), d + "ZU2001.Key");
  EXPECT_EQ(CString(b, 1566), d + "Zelmorth.Pat");
  EXPECT_EQ(CString(b, 1827), d + "Zelmorth.Sym");
  EXPECT_EQ(CString(b, 2088), "Courier New");
  EXPECT_EQ(At<int32_t>(b, 2152), 10);
  EXPECT_EQ(At<double>(b, 2160), 10.5);
  EXPECT_EQ(At<double>(b, 2168), 8.0);
  EXPECT_EQ(b[2176], 0);
  EXPECT_EQ(At<int32_t>(b, 2188), -999);
  EXPECT_EQ(b[2204], 0);
  EXPECT_EQ(At<int32_t>(b, 2208), -999);
  EXPECT_EQ(At<int32_t>(b, 2244), 10);
  EXPECT_EQ(b[2248], 1);
  EXPECT_EQ(b[2249], 1);
  EXPECT_EQ(CString(b, 2250), "");
  EXPECT_EQ(b[3294], 1);
  EXPECT_EQ(At<int32_t>(b, 3296), 96);
  EXPECT_EQ(At<int32_t>(b, 3300), 192);
  EXPECT_EQ(At<int32_t>(b, 3304), -1);
  EXPECT_EQ(b[3312], 0);
  EXPECT_EQ(At<float>(b, 3316), 50.0f);
  EXPECT_EQ(b[3320], 1);
  EXPECT_EQ(b[3321], '^');
  EXPECT_EQ(At<float>(b, 3324), 1.0f);
  EXPECT_EQ(At<float>(b, 3328), 0.25f);
  EXPECT_EQ(At<int32_t>(b, 3336), 10);
  EXPECT_EQ(At<float>(b, 3348), -100.0f);
  EXPECT_EQ(b[3353], 1);
  EXPECT_EQ(b[3355], 1);
  EXPECT_EQ(At<int32_t>(b, 3364), -1);
  EXPECT_EQ(At<int32_t>(b, 3388), 80);
  EXPECT_EQ(b[3393], 1);
  EXPECT_EQ(b[3394], 0);
  EXPECT_EQ(At<double>(b, 3400), 1.0);
  EXPECT_EQ(At<int32_t>(b, 3408), 2);
  EXPECT_EQ(At<int32_t>(b, 3416), 2);
  EXPECT_EQ(At<double>(b, 3432), -100.0);
  EXPECT_EQ(b[3456], 1);
  EXPECT_EQ(At<double>(b, 3464), 0.01);
  EXPECT_EQ(At<double>(b, 3480), 1000.0);
  // The screen-dependent group, and its copies at 3372.
  const int32_t wide = At<int32_t>(b, 2216);
  const int32_t high = At<int32_t>(b, 2220);
  EXPECT_GT(wide, 0);
  EXPECT_EQ(At<int32_t>(b, 2180), wide);
  EXPECT_EQ(At<int32_t>(b, 2196), wide);
  EXPECT_EQ(At<int32_t>(b, 2200), high);
  EXPECT_EQ(At<int32_t>(b, 2236), wide);
  EXPECT_EQ(At<int32_t>(b, 2240), high);
  EXPECT_EQ(At<int32_t>(b, 3372), At<int32_t>(b, 2192));
  EXPECT_EQ(At<int32_t>(b, 3376), -999);
  EXPECT_EQ(At<int32_t>(b, 3380), wide);
  EXPECT_EQ(At<int32_t>(b, 3384), high);
  // Sizes from the screen and its resolution; halves and quarters truncate.
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  const int ppi = static_cast<int>(std::lround(screen->logicalDotsPerInch()));
  EXPECT_EQ(wide, screen->geometry().width() - 2 * ppi);
  EXPECT_EQ(high, screen->geometry().height() - 2 * ppi);
  EXPECT_EQ(At<int32_t>(b, 2212), ppi / 2);
  EXPECT_EQ(At<int32_t>(b, 2228), ppi / 4);
}

TEST_F(SettingsFiles, NoPrinterWarnsOnceAndUsesTheLetterPage) {
  LoadSystemSettings();
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  const auto& box = platform::ShownBoxes()[0];
  EXPECT_EQ(box.kind, platform::BoxKind::Warning);
  EXPECT_EQ(box.buttons, platform::BoxButtons::Ok);
  EXPECT_EQ(box.text,
            "No default printer is selected or available.\rTarnfel will use a default page size.");
  EXPECT_EQ(SystemSettings.PageWidth, 8.0);
  EXPECT_EQ(SystemSettings.PageLength, 10.5);
  EXPECT_EQ(SystemSettings.PageOrientation, 0);

  // A program that installs no printer query (a command-line tool) gets the
  // same page without a warning about a printer it never asked.
  for (PrinterQuery query : {&NoPrinter, PrinterQuery{nullptr}}) {
    SetPrinterQuery(query);
    platform::ClearShownBoxes();
    std::string name;
    double pw = 0, ph = 0, w = 0, h = 0;
    EXPECT_FALSE(GetPrinterPageSize(name, pw, ph, w, h));
    EXPECT_EQ(name, "No Printer Selected");
    EXPECT_EQ(pw, 8.5);
    EXPECT_EQ(ph, 11.0);
    EXPECT_EQ(w, 8.0);
    EXPECT_EQ(h, 10.5);
    EXPECT_EQ(platform::ShownBoxes().size(), query ? 1u : 0u);
  }
}

TEST_F(SettingsFiles, DefaultPageComesFromThePrinter) {
  SetPrinterQuery(&LandscapeLetterPrinter);
  LoadSystemSettings();
  EXPECT_TRUE(platform::ShownBoxes().empty());
  EXPECT_EQ(SystemSettings.PageLength, 8.1);
  EXPECT_EQ(SystemSettings.PageWidth, 10.6);
  EXPECT_EQ(SystemSettings.PageOrientation, 1);
}

TEST_F(SettingsFiles, FailedPrinterQueryKeepsTheCallersValues) {
  SetPrinterQuery(&BrokenPrinter);
  std::string name = "before";
  double pw = 1, ph = 2, w = 3, h = 4;
  EXPECT_FALSE(GetPrinterPageSize(name, pw, ph, w, h));
  EXPECT_EQ(name, "before");
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 4);
  EXPECT_TRUE(platform::ShownBoxes().empty());
}

TEST_F(SettingsFiles, LongerSystemFileIsAcceptedAndSavedAtItsSize) {
  std::vector<unsigned char> bytes(3500, 0);
  const std::string pattern = "/data/custom.pat";
  std::memcpy(bytes.data() + 1566, pattern.c_str(), pattern.size() + 1);
  double length = 14.0;
  std::memcpy(bytes.data() + 2160, &length, 8);
  testfiles::WriteAll(SystemSettingsFileName(), bytes);

  LoadSystemSettings();
  EXPECT_EQ(PatternFilePath(), pattern);
  EXPECT_EQ(SystemSettings.PageLength, 14.0);
  EXPECT_TRUE(platform::ShownBoxes().empty());  // no defaults were made
  EXPECT_EQ(testfiles::ReadAll(SystemSettingsFileName()).size(), 3500u);

  SaveSystemSettings();
  auto saved = testfiles::ReadAll(SystemSettingsFileName());
  ASSERT_EQ(saved.size(), 3488u);
  EXPECT_TRUE(std::equal(saved.begin(), saved.end(), bytes.begin()));
}

TEST_F(SettingsFiles, ShortSystemFileIsReplacedAndRewritten) {
  testfiles::WriteAll(SystemSettingsFileName(), std::vector<unsigned char>(3487, 0x33));
  LoadSystemSettings();
  auto saved = testfiles::ReadAll(SystemSettingsFileName());
  ASSERT_EQ(saved.size(), 3488u);
  EXPECT_EQ(CString(saved, 1827), dir.path() + "/Zelmorth.Sym");
  EXPECT_EQ(SymbolFilePath(), dir.path() + "/Zelmorth.Sym");
  // Bytes the defaults do not set keep the record's earlier (zero) content,
  // not the rejected file's.
  EXPECT_EQ(saved[2156], 0);
}

// A save that cannot be completed raises the error and leaves the settings
// file as it was: whole, never cut short by a write that failed half-way (a
// full disk, here a file size limit), with no partial file left beside it.
TEST_F(SettingsFiles, FailedSavesRaiseAnIoErrorAndKeepTheOldFile) {
  SetProgramPath(dir.path() + "/gone/korvale");
  EXPECT_THROW(SaveSystemSettings(), InOutError);

  SetProgramPath(dir.path() + "/korvale");
  const std::vector<unsigned char> old(3488, 0x5A);
  testfiles::WriteAll(SystemSettingsFileName(), old);
  std::memset(&SystemSettings, 0x11, sizeof SystemSettings);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 1000;  // a write of the 3488-byte record stops after 1000 bytes
  void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  int code = 0;
  try {
    SaveSystemSettings();
  } catch (const InOutError& e) {
    code = e.code();
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, handler);
  EXPECT_EQ(code, EFBIG);
  EXPECT_EQ(testfiles::ReadAll(SystemSettingsFileName()), old);
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"korvale.Cn2"});

  // The next save replaces it whole, keeping the file's permissions.
  chmod(SystemSettingsFileName().c_str(), 0640);
  SaveSystemSettings();
  EXPECT_EQ(testfiles::ReadAll(SystemSettingsFileName()), std::vector<unsigned char>(3488, 0x11));
  struct stat st {};
  ASSERT_EQ(stat(SystemSettingsFileName().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(SettingsPaths, LibraryPathSettersRespectTheFieldSize) {
  std::memset(&SystemSettings, 0, sizeof SystemSettings);
  EXPECT_TRUE(SetPatternFilePath("/a/b.pat"));
  EXPECT_TRUE(SetSymbolFilePath("/a/b.sym"));
  EXPECT_TRUE(SetKeywordFilePath("/a/b.key"));
  EXPECT_EQ(PatternFilePath(), "/a/b.pat");
  EXPECT_EQ(SymbolFilePath(), "/a/b.sym");
  EXPECT_EQ(KeywordFilePath(), "/a/b.key");

  std::string longest(260, 'x');
  EXPECT_TRUE(SetPatternFilePath(longest));
  EXPECT_EQ(PatternFilePath(), longest);
  EXPECT_FALSE(SetPatternFilePath(longest + "y"));
  EXPECT_EQ(PatternFilePath(), longest);
  // The neighbouring field is untouched by a full-length path.
  EXPECT_EQ(SymbolFilePath(), "/a/b.sym");

  // A field without its zero (from a damaged file) ends at the field's end.
  std::memset(SystemSettings.KeywordFile, 'k', kSettingsPathSize);
  EXPECT_EQ(KeywordFilePath(), std::string(kSettingsPathSize, 'k'));
}

TEST(DesignerVisibleValue, CreatedAsTrueAndReadBack) {
  testfiles::TempDir dir;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(dir.path()));
  {
    QSettings registry("Quelmark", "Tarnfel 2001");
    registry.remove("DesignerVisible");
  }
  EXPECT_TRUE(ReadDesignerVisible());
  {
    QSettings registry("Quelmark", "Tarnfel 2001");
    EXPECT_EQ(registry.value("DesignerVisible").toInt(), 1);
    registry.setValue("DesignerVisible", 0);
  }
  EXPECT_FALSE(ReadDesignerVisible());
  EXPECT_FALSE(DesignerVisible);
}

// Every spelling in which Qt reads a value as a serialized object (a QVariant
// holding the number 5 here) makes the file not plain; what the program
// writes itself (strings with escapes, lists, numbers) is plain.
TEST(PlainSettingsFiles, EverySpellingQtReadsAsAnObjectIsFound) {
  testfiles::TempDir dir;
  const std::string variant = "Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)";
  const std::vector<std::string> spellings = {
      "@" + variant, "\\x40" + variant, "\\x10040" + variant, "\\100" + variant,
      "\\x" + ("@" + variant), "@Vari\\\nant" + variant.substr(7), "/a.tfl, \"@" + variant + "\""};
  int i = 0;
  for (const std::string& value : spellings) {
    SCOPED_TRACE(value);
    const std::string file = dir.file("damaged" + std::to_string(++i) + ".conf");
    std::ofstream(file) << "[Korvale]\nkey=" << value << "\n";
    const QString path = QString::fromStdString(file);
    QVariant read = QSettings(path, QSettings::IniFormat).value("Korvale/key");
    if (read.typeId() == QMetaType::QVariantList) read = read.toList().back();
    ASSERT_EQ(read.typeId(), QMetaType::Int) << "Qt reads no object here: " << read.toString().toStdString();
    EXPECT_FALSE(IsPlainSettingsFile(path));
  }

  const std::string own = dir.file("own.conf");
  {
    QSettings settings(QString::fromStdString(own), QSettings::IniFormat);
    settings.setValue("Korvale/RecentLogs", QStringList{"/a b/c,d.tfl", "/x\"q\\\x01\xc3\xa9.tfl", "@home.tfl"});
    settings.setValue("Korvale/Logs/1/zoom", 150.5);
    settings.setValue("General/DesignerVisible", 1);
  }
  EXPECT_TRUE(IsPlainSettingsFile(QString::fromStdString(own)));
  EXPECT_TRUE(IsPlainSettingsFile(QString::fromStdString(dir.file("missing.conf"))));
  std::ofstream(dir.file("huge.conf")) << std::string(kPlainSettingsFileLimit + 1, ';');
  EXPECT_FALSE(IsPlainSettingsFile(QString::fromStdString(dir.file("huge.conf"))));
}

}  // namespace
