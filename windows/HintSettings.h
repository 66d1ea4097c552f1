#pragma once
// The tool hints of every window, as the general settings set them.

// Shows hints only when GeneralSettings.HintPause is not 0, after HintPause
// milliseconds, on a HintColor background.
void ApplyHintSettings();
// Whether hints are currently shown (ApplyHintSettings).
bool HintsEnabled();
