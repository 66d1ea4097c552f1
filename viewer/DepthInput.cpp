#include "viewer/DepthInput.h"

#include <cmath>

namespace viewer {

std::optional<double> ParseDepthInput(const QString& text, const QLocale& locale) {
  QString typed = text.trimmed();
  if (typed.isEmpty()) return std::nullopt;
  // Locales that group with a (narrow, no-break) space: a plain space typed
  // by the user groups as well.
  const QString group = locale.groupSeparator();
  if (group.size() == 1 && group.at(0).isSpace()) typed.replace(' ', group);
  QLocale own = locale;
  own.setNumberOptions(QLocale::DefaultNumberOptions);
  // Where the locale's decimal point is not ".", a single "." that does not
  // stand before a group of three digits is a decimal point ("4512.5"), as
  // is any "." when the locale groups with something else.
  bool point = false;
  const QString decimal = own.decimalPoint();
  if (decimal != "." && !typed.contains(decimal) && typed.count('.') == 1) {
    const qsizetype after = typed.size() - typed.indexOf('.') - 1;
    point = group != "." || after != 3;
  }
  bool ok = false;
  double value = point ? 0 : own.toDouble(typed, &ok);
  if (!ok) {
    // "4512.5" where the locale writes "4512,5".
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::DefaultNumberOptions);
    value = c.toDouble(group == "." ? typed : QString(typed).remove(group), &ok);
  }
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

QString FormatDepth(double value, const QLocale& locale) {
  QLocale own = locale;
  own.setNumberOptions(QLocale::DefaultNumberOptions);
  return own.toString(value, 'f', 2);
}

QString OutsideLogMessage(double value, bool elevation, double top, double bottom,
                          const QLocale& locale) {
  return QString("%1 %2 is outside this log (%3 to %4).")
      .arg(elevation ? "Elevation" : "Depth", FormatDepth(value, locale),
           FormatDepth(top, locale), FormatDepth(bottom, locale));
}

}  // namespace viewer
