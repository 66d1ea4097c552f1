#pragma once
// A replay's notices as the message boxes the program has always shown for
// them: a numbered error as the error table explains it (a plain box titled
// "Error"), any other notice as an error or warning box. In headless mode
// (korvale-render) each box is one "korvale: <kind>: <text>" line on stderr.
#include "core/PlotCookie.h"

void ShowNotice(const Notice& notice);

// An observer that shows notices and nothing else (no status, no progress,
// never cancels).
class NoticeBoxObserver : public PlotObserver {
 public:
  void notice(const Notice& n) override { ShowNotice(n); }
};
