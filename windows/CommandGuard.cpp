#include "windows/CommandGuard.h"

#include <cstdio>

#include "platform/MessageBox.h"

void ReportEscapedFailure(const std::string& phrase, const char* message) noexcept {
  try {
    platform::ShowMessageBox(platform::BoxKind::Error, phrase + " - " + message);
  } catch (...) {
    std::fprintf(stderr, "korvale: %s - %s\n", phrase.c_str(), message);
  }
}
