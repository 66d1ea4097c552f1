#include "RenderSettings.h"

#include <cstring>
#include <fstream>

#include "support/Paths.h"
#include "support/Settings.h"

void LoadRenderSettings() {
  std::memset(&SystemSettings, 0, sizeof SystemSettings);
  std::ifstream in(SystemSettingsFileName(), std::ios::binary);
  TSystemSettings file_record;
  if (in && in.read(reinterpret_cast<char*>(&file_record), sizeof file_record)) {
    SystemSettings = file_record;
    return;
  }
  SetFixedFieldString(SystemSettings.PatternFile, sizeof SystemSettings.PatternFile,
                      UserDirectory() + "Zelmorth.Pat");
  SetFixedFieldString(SystemSettings.SymbolFile, sizeof SystemSettings.SymbolFile,
                      UserDirectory() + "Zelmorth.Sym");
  SystemSettings.DefaultVerticalScale = 50.0f;
  SystemSettings.HeaderGap = 0.25f;
  SystemSettings.PrintInBlack = 0;
  SystemSettings.RepeatPageHeader = 0;
  SystemSettings.PageLength = 10.5;
  SystemSettings.PageWidth = 8.0;
}
