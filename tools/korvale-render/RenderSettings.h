#pragma once
// The settings korvale-render draws with: the system settings file of the
// program folder when there is one (read only; the tool never writes it),
// otherwise the defaults that matter to drawing, with the pattern and symbol
// libraries beside the executable.
void LoadRenderSettings();
