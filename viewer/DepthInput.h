#pragma once
// Depths as the user types and reads them. The program keeps numbers in the
// C locale for its own formats; depths typed into Go to Depth and the depth
// box follow the user's own decimal point and thousands separator (the
// system locale), and "." is taken as a decimal point too.
#include <QLocale>
#include <QString>
#include <optional>

namespace viewer {

// The value typed, or nothing when the text is not a number.
std::optional<double> ParseDepthInput(const QString& text,
                                      const QLocale& locale = QLocale::system());

// A depth with two decimals and thousands separators in `locale`:
// "9,000.00" in English.
QString FormatDepth(double value, const QLocale& locale = QLocale::system());

// The message for a depth (or elevation) that no page shows, with the log's
// range from its top to its bottom.
QString OutsideLogMessage(double value, bool elevation, double top, double bottom,
                          const QLocale& locale = QLocale::system());

inline const char* kNotADepthMessage = "Please type a depth, for example 4512.5.";

}  // namespace viewer
