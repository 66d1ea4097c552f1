#include "RenderSettings.h"

#include <cstring>
#include <fstream>
#include <string>

#include "support/Paths.h"
#include "support/Settings.h"

namespace {

// The viewer's system settings file: it is named after the viewer, not after
// this tool.
std::string ViewerSettingsFileName() { return UserDirectory() + kOwnProgramName + ".Cn2"; }

}  // namespace

void LoadRenderSettings() {
  std::memset(&SystemSettings, 0, sizeof SystemSettings);
  std::ifstream in(ViewerSettingsFileName(), std::ios::binary);
  TSystemSettings file_record;
  if (in && in.read(reinterpret_cast<char*>(&file_record), sizeof file_record)) {
    SystemSettings = file_record;
  } else {
    SystemSettings.DefaultVerticalScale = 50.0f;
    SystemSettings.HeaderGap = 0.25f;
    SystemSettings.PrintInBlack = 0;
    SystemSettings.RepeatPageHeader = 0;
    SystemSettings.PageLength = 10.5;
    SystemSettings.PageWidth = 8.0;
  }
  if (PatternFilePath().empty()) SetPatternFilePath(DataDirectory() + "Zelmorth.Pat");
  if (SymbolFilePath().empty()) SetSymbolFilePath(DataDirectory() + "Zelmorth.Sym");
}
