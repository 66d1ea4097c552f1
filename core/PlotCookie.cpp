#include "core/PlotCookie.h"

#include <utility>

void PlotCookie::status(const std::string& line) {
  if (observer_) observer_->status(line);
}

void PlotCookie::progress(double fraction) {
  last_progress_ = fraction;
  if (observer_) observer_->progress(fraction);
}

void PlotCookie::notice(Notice n) {
  ++notices_;
  if (observer_) observer_->notice(std::move(n));
}
