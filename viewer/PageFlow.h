#pragma once
// Moving on through the log from the page view, as page viewers do: Space and
// Shift+Space scroll by a screenful and at the end of the page go on to the
// next page (shown from its top) or the previous one (shown from its bottom);
// the mouse wheel or a touchpad pushed on past the bottom of a page shows the
// next page from its top, past the top the previous page from its bottom.
#include <QObject>
#include <cstdint>
#include <functional>

class QAbstractScrollArea;

namespace viewer {

enum class PageTurn { None, Next, Previous };

// Space (or Shift+Space, backward) in a view scrolled to `value` of
// [minimum, maximum], a screenful being pageStep: the value to scroll to, or
// the page turn when the view already is at that end.
struct SpaceMove {
  PageTurn turn = PageTurn::None;
  int value = 0;
};
SpaceMove SpaceStep(int value, int minimum, int maximum, int pageStep, bool backward);

// Wheel pushes past an end of the page. The wheel turn that brings the view
// to the end only scrolls; what is pushed on beyond the end adds up, and one
// notch's worth turns the page. A touchpad sends many small pushes: they add
// up while they keep coming in one direction, so that a brush of the fingers
// at the end does not turn the page but a deliberate swipe does. A pause,
// a push the other way or a scroll away from the end starts afresh.
class WheelPush {
 public:
  static constexpr int kTurnAt = 120;         // one wheel notch, in eighths of a degree
  static constexpr uint64_t kPauseMs = 500;   // pushes further apart do not add up

  struct Outcome {
    bool used = false;  // the push was taken here: the view does not scroll
    PageTurn turn = PageTurn::None;
  };
  // delta: the push, positive towards the top of the page; atTop, atBottom:
  // where the view is before it; coasting: the momentum a touchpad adds after
  // the fingers have left, which never turns a page; timestampMs: the event's
  // time stamp.
  Outcome Feed(int delta, bool atTop, bool atBottom, bool coasting, uint64_t timestampMs);
  void Reset() { pushed_ = 0; }

 private:
  int pushed_ = 0;  // beyond the end so far, signed like delta
  uint64_t last_ = 0;
};

}  // namespace viewer

// The page view's Space keys and wheel: an event filter on a scroll area and
// its viewport. `turn` shows the next or previous page and says whether the
// page changed; the filter then puts the view at the new page's top or bottom.
class TPageFlow : public QObject {
  Q_OBJECT
 public:
  TPageFlow(QAbstractScrollArea* area, std::function<bool(viewer::PageTurn)> turn);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool KeyPressed(QEvent* event);
  bool WheelTurned(QEvent* event);
  void Turn(viewer::PageTurn turn);

  QAbstractScrollArea* area_;
  // Kept apart from area_: the filter still sees events while the area is
  // being destroyed, when it can no longer be asked for its viewport.
  QObject* viewport_;
  std::function<bool(viewer::PageTurn)> turn_;
  viewer::WheelPush wheel_;
};
