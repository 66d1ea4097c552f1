#pragma once
// The two settings records. Each settings file is the raw little-endian byte
// image of its record:
//   system settings:  user directory + base name + ".Cn2", 3488 bytes
//   general settings: user directory + base name + ".CN1", 10104 bytes
// Both records are process-wide and read and changed directly by the rest of
// the program. Character fields are zero-terminated 8-bit strings.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

constexpr std::size_t kSettingsPathSize = 261;  // 260 characters + zero
using SettingsPath = char[kSettingsPathSize];

#pragma pack(push, 1)
struct TSystemSettings {
  char ReservedPaths1[4][kSettingsPathSize];  // 0
  SettingsPath DesignFile;                    // 1044
  SettingsPath KeywordFile;                   // 1305
  SettingsPath PatternFile;                   // 1566
  SettingsPath SymbolFile;                    // 1827
  char TextFontName[64];                      // 2088
  int32_t TextFontSize;                       // 2152
  uint8_t Reserved2156[4];
  double PageLength;        // 2160, inches
  double PageWidth;         // 2168, inches
  uint8_t PageOrientation;  // 2176, 0 portrait, 1 landscape
  uint8_t Reserved2177;
  uint8_t Reserved2178[2];
  int32_t Reserved2180;
  uint8_t Reserved2184;
  uint8_t Reserved2185[3];
  int32_t Reserved2188;
  int32_t Reserved2192;
  int32_t Reserved2196;
  int32_t Reserved2200;
  uint8_t MainMaximized;  // 2204
  uint8_t Reserved2205[3];
  int32_t MainTop;     // 2208
  int32_t MainLeft;    // 2212
  int32_t MainWidth;   // 2216
  int32_t MainHeight;  // 2220
  uint8_t Reserved2224;
  uint8_t Reserved2225[3];
  int32_t Reserved2228;
  int32_t Reserved2232;
  int32_t Reserved2236;
  int32_t Reserved2240;
  int32_t Reserved2244;
  uint8_t Reserved2248[2];
  char ReservedPaths2[4][kSettingsPathSize];  // 2250
  uint8_t UnitsInches;                        // 3294
  uint8_t Reserved3295;
  int32_t Reserved3296;
  int32_t Reserved3300;
  int32_t Reserved3304;
  int32_t Reserved3308;
  uint8_t RepeatPageHeader;  // 3312
  uint8_t Reserved3313[3];
  float DefaultVerticalScale;  // 3316
  uint8_t Reserved3320;
  char Reserved3321;
  uint8_t Reserved3322[2];
  float Reserved3324;
  float HeaderGap;  // 3328, inches
  uint8_t Reserved3332;
  uint8_t Reserved3333;
  uint8_t Reserved3334[2];
  int32_t Reserved3336;
  uint8_t Reserved3340[2];
  uint8_t Reserved3342[2];
  float Reserved3344[2];
  uint8_t Reserved3352[4];
  int32_t Reserved3356[2];
  int32_t Reserved3364[2];
  int32_t Reserved3372[4];
  int32_t Reserved3388;
  uint8_t Reserved3392;
  uint8_t Reserved3393;
  uint8_t PrintInBlack;  // 3394
  uint8_t Reserved3395;
  int32_t Reserved3396;
  double Reserved3400;
  int32_t Reserved3408;
  uint8_t Reserved3412[3];
  uint8_t Reserved3415;
  int32_t Reserved3416;
  uint8_t Reserved3420[4];
  int32_t Reserved3424[2];
  double Reserved3432;
  uint8_t Reserved3440;
  uint8_t Reserved3441[7];
  double Reserved3448;
  uint8_t Reserved3456;
  uint8_t Reserved3457[7];
  double Reserved3464;
  uint8_t Reserved3472;
  uint8_t Reserved3473[7];
  double Reserved3480;
};

struct TGeneralSettings {
  uint8_t BetaOptions;  // 0
  uint8_t Reserved1[99];
  uint8_t DiagnosticMode;  // 100
  uint8_t Reserved101[83];
  int32_t HintPause;  // 184, milliseconds; 0 = no hints
  uint8_t Reserved188[4];
  int32_t HintColor;  // 192, 0x00BBGGRR
  uint8_t Reserved196[10104 - 196];
};
#pragma pack(pop)

static_assert(sizeof(TSystemSettings) == 3488);
static_assert(offsetof(TSystemSettings, DesignFile) == 1044);
static_assert(offsetof(TSystemSettings, KeywordFile) == 1305);
static_assert(offsetof(TSystemSettings, PatternFile) == 1566);
static_assert(offsetof(TSystemSettings, SymbolFile) == 1827);
static_assert(offsetof(TSystemSettings, TextFontName) == 2088);
static_assert(offsetof(TSystemSettings, TextFontSize) == 2152);
static_assert(offsetof(TSystemSettings, PageLength) == 2160);
static_assert(offsetof(TSystemSettings, PageWidth) == 2168);
static_assert(offsetof(TSystemSettings, PageOrientation) == 2176);
static_assert(offsetof(TSystemSettings, Reserved2180) == 2180);
static_assert(offsetof(TSystemSettings, MainMaximized) == 2204);
static_assert(offsetof(TSystemSettings, MainTop) == 2208);
static_assert(offsetof(TSystemSettings, MainLeft) == 2212);
static_assert(offsetof(TSystemSettings, MainWidth) == 2216);
static_assert(offsetof(TSystemSettings, MainHeight) == 2220);
static_assert(offsetof(TSystemSettings, Reserved2248) == 2248);
static_assert(offsetof(TSystemSettings, ReservedPaths2) == 2250);
static_assert(offsetof(TSystemSettings, UnitsInches) == 3294);
static_assert(offsetof(TSystemSettings, Reserved3296) == 3296);
static_assert(offsetof(TSystemSettings, RepeatPageHeader) == 3312);
static_assert(offsetof(TSystemSettings, DefaultVerticalScale) == 3316);
static_assert(offsetof(TSystemSettings, Reserved3321) == 3321);
static_assert(offsetof(TSystemSettings, HeaderGap) == 3328);
static_assert(offsetof(TSystemSettings, Reserved3336) == 3336);
static_assert(offsetof(TSystemSettings, Reserved3344) == 3344);
static_assert(offsetof(TSystemSettings, Reserved3372) == 3372);
static_assert(offsetof(TSystemSettings, Reserved3388) == 3388);
static_assert(offsetof(TSystemSettings, PrintInBlack) == 3394);
static_assert(offsetof(TSystemSettings, Reserved3400) == 3400);
static_assert(offsetof(TSystemSettings, Reserved3412) == 3412);
static_assert(offsetof(TSystemSettings, Reserved3424) == 3424);
static_assert(offsetof(TSystemSettings, Reserved3432) == 3432);
static_assert(offsetof(TSystemSettings, Reserved3448) == 3448);
static_assert(offsetof(TSystemSettings, Reserved3464) == 3464);
static_assert(offsetof(TSystemSettings, Reserved3480) == 3480);
static_assert(sizeof(TGeneralSettings) == 10104);
static_assert(offsetof(TGeneralSettings, DiagnosticMode) == 100);
static_assert(offsetof(TGeneralSettings, HintPause) == 184);
static_assert(offsetof(TGeneralSettings, HintColor) == 192);

extern TSystemSettings SystemSettings;
extern TGeneralSettings GeneralSettings;

// Settings file names: UserDirectory() + ProgramBaseName() + ".Cn2" / ".CN1".
std::string SystemSettingsFileName();
std::string GeneralSettingsFileName();

// Loads the general settings; a missing, short, long or unreadable file is
// replaced by defaults written back. Throws InOutError if the defaults cannot
// be written.
void LoadGeneralSettings();
// Loads the system settings; a missing, short or unreadable file is replaced
// by defaults (page size from the default printer) written back; a longer
// file is accepted (its first 3488 bytes).
void LoadSystemSettings();
// Writes SystemSettings to its file. Throws InOutError on failure.
void SaveSystemSettings();
// Fills GeneralSettings / SystemSettings with their defaults (no file I/O;
// the system defaults ask the default printer for the page size and size the
// window from the primary screen).
void SetGeneralDefaults();
void SetSystemDefaults();

// Ensures the per-user value "DesignerVisible" (organisation "Quelmark",
// application "Tarnfel 2001") exists, creating it as 1, and reads it
// (default true). Failures are ignored. The result is kept in DesignerVisible.
bool ReadDesignerVisible();
extern bool DesignerVisible;

// The default printer's page, inches, from the installed printer query. When
// the query finds no printer: the warning box "No default printer is selected
// or available.\rTarnfel will use a default page size.", name "No Printer
// Selected", paper 8.5 x 11, printable 8 x 10.5, result false. Without a
// query (a program that asks no printer) the same page and result without
// the warning. orientation (optional) receives 0 portrait, 1 landscape.
bool GetPrinterPageSize(std::string& name, double& paperWidth, double& paperHeight,
                        double& printableWidth, double& printableHeight,
                        int* orientation = nullptr);

// What the default printer reports.
struct PrinterPageInfo {
  std::string name;
  double paperWidth = 0, paperHeight = 0;
  double printableWidth = 0, printableHeight = 0;
  int orientation = 0;
  bool queryFailed = false;  // a printer exists but could not be queried
};

// GetPrinterPageSize for a printer already asked (nothing: no printer), such
// as the program's current printer: the same warning, defaults and result.
bool DescribePrinterPage(const std::optional<PrinterPageInfo>& printer, std::string& name,
                         double& paperWidth, double& paperHeight, double& printableWidth,
                         double& printableHeight, int* orientation = nullptr);
// Asks the system's default printer (nothing: none is installed or chosen).
using PrinterQuery = std::optional<PrinterPageInfo> (*)();
// Installs the query GetPrinterPageSize uses: the windows layer installs the
// system's (DefaultPrinter.h), tests their own; nullptr removes it.
void SetPrinterQuery(PrinterQuery query);

// The library paths of SystemSettings as strings, and setters that store a
// path into its fixed field (at most 260 characters; longer paths are
// rejected with false and leave the field unchanged).
std::string KeywordFilePath();
std::string PatternFilePath();
std::string SymbolFilePath();
bool SetKeywordFilePath(const std::string& path);
bool SetPatternFilePath(const std::string& path);
bool SetSymbolFilePath(const std::string& path);

// A zero-terminated fixed character field as a string (stops at the end of
// the field when the zero is missing).
std::string FixedFieldString(const char* field, std::size_t size);
// Stores text with its zero into field; false (field unchanged) if too long.
bool SetFixedFieldString(char* field, std::size_t size, const std::string& text);
