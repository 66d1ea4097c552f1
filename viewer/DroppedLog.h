#pragma once
// Files dropped on the main window: the compiled log among them.
#include <string>

class QMimeData;

// The first local file of the drag whose name ends in ".tfl" (any case), or
// "" when there is none (remote addresses and other files are passed over).
std::string DroppedLogPath(const QMimeData* data);
