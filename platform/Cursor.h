#pragma once
// The application's mouse cursor.
namespace platform {

// Takes back every override cursor (the hourglass of a running operation),
// so the default cursor shows again. Nothing without a GUI application.
void RestoreDefaultCursor();

}  // namespace platform
