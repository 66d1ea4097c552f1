#include "support/Settings.h"

#include <QSettings>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/ReplaceFile.h"
#include "platform/ScreenMetrics.h"
#include "support/IoError.h"
#include "support/Paths.h"
#include "support/PlainSettingsFile.h"

TSystemSettings SystemSettings{};
TGeneralSettings GeneralSettings{};
bool DesignerVisible = true;

namespace {

PrinterQuery g_printerQuery = nullptr;

// Reads the first `size` bytes of path into dest. fileSize receives the file's
// length. False when the file cannot be opened or is shorter than size.
bool ReadRecord(const std::string& path, void* dest, std::size_t size, long long& fileSize) {
  fileSize = -1;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  bool ok = std::fread(dest, 1, size, file) == size;
  if (std::fseek(file, 0, SEEK_END) == 0) fileSize = std::ftell(file);
  std::fclose(file);
  return ok;
}

// Replaces the file whole (ReplaceFile.h): a failed write leaves the old
// settings as they were. The folder is made first in the installed layout.
void WriteRecord(const std::string& path, const void* data, std::size_t size) {
  int code = MakeUserDirectory();
  if (code != 0)
    throw InOutError(code, DescribeIoFailure("Cannot create the settings folder", UserDirectory(),
                                             code));
  code = platform::ReplaceFileContents(path, data, size);
  if (code != 0) throw InOutError(code, DescribeIoFailure("Cannot write settings file", path, code));
}

// The page the program assumes when it has no printer to ask.
void NoPrinterPage(std::string& name, double& paperWidth, double& paperHeight,
                   double& printableWidth, double& printableHeight) {
  name = "No Printer Selected";
  paperWidth = 8.5;
  paperHeight = 11.0;
  printableWidth = 8.0;
  printableHeight = 10.5;
}

void SetDefaultPath(char* field, const std::string& path) {
  std::memset(field, 0, kSettingsPathSize);
  // A path longer than the field would name another file: leave it empty.
  SetFixedFieldString(field, kSettingsPathSize, path);
}

}  // namespace

std::string FixedFieldString(const char* field, std::size_t size) {
  std::size_t length = 0;
  while (length < size && field[length] != '\0') ++length;
  return std::string(field, length);
}

bool SetFixedFieldString(char* field, std::size_t size, const std::string& text) {
  if (size == 0 || text.size() > size - 1) return false;
  std::memset(field, 0, size);
  std::memcpy(field, text.data(), text.size());
  return true;
}

std::string SystemSettingsFileName() { return UserDirectory() + ProgramBaseName() + ".Cn2"; }
std::string GeneralSettingsFileName() { return UserDirectory() + ProgramBaseName() + ".CN1"; }

void SetGeneralDefaults() {
  // Reserved bytes are zero: no other value is known for them.
  std::memset(&GeneralSettings, 0, sizeof GeneralSettings);
  GeneralSettings.BetaOptions = 0;
  GeneralSettings.DiagnosticMode = 0;
  GeneralSettings.HintPause = 500;
  GeneralSettings.HintColor = 16776960;  // red 0, green 255, blue 255
}

void LoadGeneralSettings() {
  std::string path = GeneralSettingsFileName();
  long long fileSize = -1;
  bool ok = ReadRecord(path, &GeneralSettings, sizeof GeneralSettings, fileSize);
  if (!ok || fileSize != static_cast<long long>(sizeof GeneralSettings)) {
    SetGeneralDefaults();
    WriteRecord(path, &GeneralSettings, sizeof GeneralSettings);
  }
}

void SetSystemDefaults() {
  TSystemSettings& s = SystemSettings;
  const platform::ScreenMetrics screen = platform::PrimaryScreenMetrics();
  const int ppi = screen.pixelsPerInch;
  const int wide = screen.width - 2 * ppi;
  const int high = screen.height - 2 * ppi;

  std::memset(s.ReservedPaths1, 0, sizeof s.ReservedPaths1);
  SetDefaultPath(s.DesignFile, ProgramDirectory() + "LogFiles/Log1.ldf");
  SetDefaultPath(s.KeywordFile, UserDirectory() + "ZU2001.Key");
  SetDefaultPath(s.PatternFile, DataDirectory() + "Zelmorth.Pat");
  SetDefaultPath(s.SymbolFile, DataDirectory() + "Zelmorth.Sym");
  SetFixedFieldString(s.TextFontName, sizeof s.TextFontName, "Courier New");
  s.TextFontSize = 10;

  std::string printerName;
  double paperWidth = 8.5, paperHeight = 11.0, printableWidth = 8.0, printableHeight = 10.5;
  int orientation = 0;
  bool havePrinter = GetPrinterPageSize(printerName, paperWidth, paperHeight, printableWidth,
                                        printableHeight, &orientation);
  s.PageLength = printableHeight;
  s.PageWidth = printableWidth;
  s.PageOrientation = havePrinter ? static_cast<uint8_t>(orientation) : 0;
  s.Reserved2177 = 0;

  s.Reserved2180 = wide;
  s.Reserved2184 = 0;
  s.Reserved2188 = -999;
  s.Reserved2192 = 0;
  s.Reserved2196 = wide;
  s.Reserved2200 = high;
  s.MainMaximized = 0;
  s.MainTop = -999;
  s.MainLeft = ppi / 2;
  s.MainWidth = wide;
  s.MainHeight = high;
  s.Reserved2224 = 0;
  s.Reserved2228 = ppi / 4;
  s.Reserved2232 = -999;
  s.Reserved2236 = wide;
  s.Reserved2240 = high;
  s.Reserved2244 = 10;
  s.Reserved2248[0] = 1;
  s.Reserved2248[1] = 1;
  std::memset(s.ReservedPaths2, 0, sizeof s.ReservedPaths2);
  s.UnitsInches = 1;
  s.Reserved3296 = 96;
  s.Reserved3300 = 192;
  s.Reserved3304 = -1;
  s.Reserved3308 = -1;
  s.RepeatPageHeader = 0;
  s.DefaultVerticalScale = 50.0f;
  s.Reserved3320 = 1;
  s.Reserved3321 = '^';
  s.Reserved3324 = 1.0f;
  s.HeaderGap = 0.25f;
  s.Reserved3332 = 1;
  s.Reserved3333 = 1;
  s.Reserved3336 = 10;
  s.Reserved3340[0] = 1;
  s.Reserved3340[1] = 0;
  s.Reserved3344[0] = 0.0f;
  s.Reserved3344[1] = -100.0f;
  s.Reserved3352[0] = 0;
  s.Reserved3352[1] = 1;
  s.Reserved3352[2] = 0;
  s.Reserved3352[3] = 1;
  s.Reserved3356[0] = s.Reserved3356[1] = 0;
  s.Reserved3364[0] = s.Reserved3364[1] = -1;
  s.Reserved3372[0] = s.Reserved2192;
  s.Reserved3372[1] = s.Reserved2188;
  s.Reserved3372[2] = s.Reserved2196;
  s.Reserved3372[3] = s.Reserved2200;
  s.Reserved3388 = 80;
  s.Reserved3392 = 0;
  s.Reserved3393 = 1;
  s.PrintInBlack = 0;
  s.Reserved3396 = 0;
  s.Reserved3400 = 1.0;
  s.Reserved3408 = 2;
  s.Reserved3412[0] = s.Reserved3412[1] = s.Reserved3412[2] = 0;
  s.Reserved3416 = 2;
  s.Reserved3424[0] = s.Reserved3424[1] = 0;
  s.Reserved3432 = -100.0;
  s.Reserved3440 = 0;
  s.Reserved3448 = 0.0;
  s.Reserved3456 = 1;
  s.Reserved3464 = 0.01;
  s.Reserved3472 = 0;
  s.Reserved3480 = 1000.0;
}

void LoadSystemSettings() {
  // Read into a copy so that a short file leaves the record as it was.
  std::vector<unsigned char> bytes(sizeof(TSystemSettings));
  long long fileSize = -1;
  if (ReadRecord(SystemSettingsFileName(), bytes.data(), bytes.size(), fileSize)) {
    std::memcpy(&SystemSettings, bytes.data(), bytes.size());
    return;
  }
  SetSystemDefaults();
  SaveSystemSettings();
}

void SaveSystemSettings() {
  WriteRecord(SystemSettingsFileName(), &SystemSettings, sizeof SystemSettings);
}

bool ReadDesignerVisible() {
  try {
    QSettings registry(QStringLiteral("Quelmark"), QStringLiteral("Tarnfel 2001"));
    if (!IsPlainSettingsFile(registry.fileName())) return DesignerVisible;  // not ours: missing
    const QString key = QStringLiteral("DesignerVisible");
    if (!registry.contains(key)) {
      registry.setValue(key, 1);
      registry.sync();
    }
    QVariant value = registry.value(key, 1);
    bool isNumber = false;
    int number = value.toInt(&isNumber);
    DesignerVisible = isNumber ? number != 0 : value.toBool();
  } catch (...) {
    // The value is a convenience only; start-up goes on without it.
  }
  return DesignerVisible;
}

void SetPrinterQuery(PrinterQuery query) { g_printerQuery = query; }

bool GetPrinterPageSize(std::string& name, double& paperWidth, double& paperHeight,
                        double& printableWidth, double& printableHeight, int* orientation) {
  if (!g_printerQuery) {
    NoPrinterPage(name, paperWidth, paperHeight, printableWidth, printableHeight);
    return false;
  }
  return DescribePrinterPage(g_printerQuery(), name, paperWidth, paperHeight, printableWidth,
                             printableHeight, orientation);
}

bool DescribePrinterPage(const std::optional<PrinterPageInfo>& printer, std::string& name,
                         double& paperWidth, double& paperHeight, double& printableWidth,
                         double& printableHeight, int* orientation) {
  if (!printer) {
    platform::ShowMessageBox(
        platform::BoxKind::Warning,
        "No default printer is selected or available.\rTarnfel will use a default page size.");
    NoPrinterPage(name, paperWidth, paperHeight, printableWidth, printableHeight);
    return false;
  }
  if (printer->queryFailed) return false;
  name = printer->name;
  paperWidth = printer->paperWidth;
  paperHeight = printer->paperHeight;
  printableWidth = printer->printableWidth;
  printableHeight = printer->printableHeight;
  if (orientation) *orientation = printer->orientation;
  return true;
}

std::string KeywordFilePath() {
  return FixedFieldString(SystemSettings.KeywordFile, kSettingsPathSize);
}
std::string PatternFilePath() {
  return FixedFieldString(SystemSettings.PatternFile, kSettingsPathSize);
}
std::string SymbolFilePath() {
  return FixedFieldString(SystemSettings.SymbolFile, kSettingsPathSize);
}
bool SetKeywordFilePath(const std::string& path) {
  return SetFixedFieldString(SystemSettings.KeywordFile, kSettingsPathSize, path);
}
bool SetPatternFilePath(const std::string& path) {
  return SetFixedFieldString(SystemSettings.PatternFile, kSettingsPathSize, path);
}
bool SetSymbolFilePath(const std::string& path) {
  return SetFixedFieldString(SystemSettings.SymbolFile, kSettingsPathSize, path);
}
