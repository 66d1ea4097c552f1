#pragma once
// Whether a Qt settings file (INI) may be handed to QSettings. Qt turns a
// value written "@Variant(...)" into an object read from a binary stream,
// whose claimed sizes it allocates before it reads them: a few damaged bytes
// in the user's settings file ask for gigabytes. The program's own values are
// never written that way, so a file that holds such a value (in any spelling
// Qt reads: escapes such as \x40 for "@" count), or that is far larger than the
// program's values could make it, is not the program's: it is neither read
// nor written, and the values in it are taken as missing.
#include <QString>
#include <cstdint>

// The largest settings file read: the recent and remembered logs with the
// longest paths stay far below it.
inline constexpr std::int64_t kPlainSettingsFileLimit = 4 * 1024 * 1024;

// True for a missing file (it is made afresh) and for a plain one.
bool IsPlainSettingsFile(const QString& path);
