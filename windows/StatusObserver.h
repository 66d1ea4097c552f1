#pragma once
// The viewer's observer of a replay: status lines and progress in the status
// window (whose progress update lets the Cancel button's click through),
// cancelling after the user confirms it, and notices as message boxes.
#include "core/PlotCookie.h"

class StatusObserver : public PlotObserver {
 public:
  void status(const std::string& line) override;
  void progress(double fraction) override;
  bool cancel_requested() override;
  void notice(const Notice& n) override;
};
