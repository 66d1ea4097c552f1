#include "support/PlainSettingsFile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <cctype>
#include <string>

namespace {

// The file's text with backslash escapes read as Qt's INI reader reads them
// (\xHH... and \ooo... keep the low 16 bits of their value); other bytes pass.
// Only ASCII results matter here, so a character above 0x7F stands as 0x80.
std::string Unescaped(const QByteArray& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\\' || i + 1 >= text.size()) {
      out += c;
      continue;
    }
    const char kind = text[i + 1];
    qsizetype k = i + 2;  // after the escape's letter or first digit
    std::uint32_t value = 0;
    if (kind == 'x' || kind == 'X') {
      const qsizetype digits = k;
      while (k < text.size() && std::isxdigit(static_cast<unsigned char>(text[k]))) {
        const char d = text[k++];
        value = (value << 4) +
                (std::isdigit(static_cast<unsigned char>(d)) ? d - '0' : (d | 0x20) - 'a' + 10);
      }
      i = k - 1;
      if (k == digits) continue;  // "\x" without digits stands for nothing
    } else if (kind >= '0' && kind <= '7') {
      value = kind - '0';
      while (k < text.size() && text[k] >= '0' && text[k] <= '7') value = (value << 3) + (text[k++] - '0');
      i = k - 1;
    } else if (kind == '\n' || kind == '\r') {
      // A line continued on the next: Qt joins the two.
      i += kind == '\r' && i + 2 < text.size() && text[i + 2] == '\n' ? 2 : 1;
      continue;
    } else {
      out += kind;  // \\, \", \n and the others: never more than their own letter
      ++i;
      continue;
    }
    value &= 0xFFFF;
    out += value < 0x80 ? static_cast<char>(value) : static_cast<char>(0x80);
  }
  return out;
}

}  // namespace

bool IsPlainSettingsFile(const QString& path) {
  QFile file(path);
  if (!QFileInfo(path).exists()) return true;
  if (!file.open(QIODevice::ReadOnly)) return true;  // QSettings cannot read it either
  if (file.size() > kPlainSettingsFileLimit) return false;
  const QByteArray text = file.read(kPlainSettingsFileLimit + 1);
  if (text.size() > kPlainSettingsFileLimit) return false;
  return Unescaped(text).find("@Variant(") == std::string::npos;
}
