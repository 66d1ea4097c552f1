#pragma once
// What a replay reports while it runs, and how its caller stops it: the
// progress, the status line, the notices the user should see, and a cancel
// request. Core code reports here and never opens a window; the caller
// attaches an observer that shows what it wants (the viewer's status window
// and message boxes, korvale-render's lines on stderr, nothing at all).
#include <atomic>
#include <string>

struct Notice {  // something the replay wants the user to know
  enum Kind { Error, Warning } kind = Error;
  int number = 0;    // error-table number (1033, 1034, 1035, 1037), or 0
  std::string text;  // the context line of a numbered error, or the whole message
};

class PlotObserver {  // attached by the caller; every method may do nothing
 public:
  virtual ~PlotObserver() = default;
  virtual void status(const std::string& line) {}
  virtual void progress(double fraction) {}
  // Polled after every record; true ends the replay quietly.
  virtual bool cancel_requested() { return false; }
  virtual void notice(const Notice& n) {}
};

class PlotCookie {
 public:
  explicit PlotCookie(PlotObserver* observer = nullptr) : observer_(observer) {}
  PlotCookie(const PlotCookie&) = delete;
  PlotCookie& operator=(const PlotCookie&) = delete;

  // Any thread may set it; the replay stops at the next record.
  std::atomic<bool> abort{false};

  void status(const std::string& line);
  void progress(double fraction);
  // True when the replay should end now: abort is set or the observer asks.
  bool should_stop() {
    return abort.load(std::memory_order_relaxed) || (observer_ && observer_->cancel_requested());
  }
  void notice(Notice n);

  int notices() const { return notices_; }
  double last_progress() const { return last_progress_; }

 private:
  PlotObserver* observer_;
  int notices_ = 0;
  double last_progress_ = 0;
};
