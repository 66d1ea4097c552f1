#pragma once
// The settings korvale-render draws with are the viewer's for the same user:
// the viewer's system settings file (user directory + "korvale.Cn2": beside
// the executable in the portable layout, in the user's configuration folder
// in the installed one) when it holds a whole record, read only (the tool
// never writes settings); otherwise the defaults that matter to drawing. A
// library the record does not name, or no record at all, means the bundled
// one in the data directory ("Zelmorth.Pat", "Zelmorth.Sym").
void LoadRenderSettings();
