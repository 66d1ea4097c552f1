#include "viewer/PageFlow.h"

#include <QAbstractScrollArea>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

namespace viewer {

SpaceMove SpaceStep(int value, int minimum, int maximum, int pageStep, bool backward) {
  if (backward) {
    if (value <= minimum) return {PageTurn::Previous, value};
    return {PageTurn::None, std::max(minimum, value - pageStep)};
  }
  if (value >= maximum) return {PageTurn::Next, value};
  return {PageTurn::None, std::min(maximum, value + pageStep)};
}

WheelPush::Outcome WheelPush::Feed(int delta, bool atTop, bool atBottom, bool coasting,
                                   uint64_t timestampMs) {
  if (delta == 0) return {};
  const bool down = delta < 0;
  if (!(down ? atBottom : atTop)) {
    pushed_ = 0;
    return {};
  }
  if (coasting) return {true, PageTurn::None};
  const bool sameWay = (pushed_ < 0) == down;
  const bool paused = timestampMs < last_ || timestampMs - last_ > kPauseMs;
  if (pushed_ != 0 && (!sameWay || paused)) pushed_ = 0;
  pushed_ += delta;
  last_ = timestampMs;
  if (std::abs(pushed_) < kTurnAt) return {true, PageTurn::None};
  pushed_ = 0;
  return {true, down ? PageTurn::Next : PageTurn::Previous};
}

}  // namespace viewer

TPageFlow::TPageFlow(QAbstractScrollArea* area, std::function<bool(viewer::PageTurn)> turn)
    : QObject(area), area_(area), viewport_(area->viewport()), turn_(std::move(turn)) {
  area->installEventFilter(this);
  viewport_->installEventFilter(this);
}

bool TPageFlow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched == area_) return KeyPressed(event);
  if (event->type() == QEvent::Wheel && watched == viewport_) return WheelTurned(event);
  return false;
}

bool TPageFlow::KeyPressed(QEvent* event) {
  auto* key = static_cast<QKeyEvent*>(event);
  const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
  if (key->key() != Qt::Key_Space || (mods != Qt::NoModifier && mods != Qt::ShiftModifier))
    return false;
  QScrollBar* bar = area_->verticalScrollBar();
  const auto move = viewer::SpaceStep(bar->value(), bar->minimum(), bar->maximum(),
                                      bar->pageStep(), mods == Qt::ShiftModifier);
  if (move.turn != viewer::PageTurn::None)
    Turn(move.turn);
  else
    bar->setValue(move.value);
  return true;
}

bool TPageFlow::WheelTurned(QEvent* event) {
  auto* wheel = static_cast<QWheelEvent*>(event);
  // Ctrl+wheel and sideways scrolling are not page turns.
  if (wheel->modifiers() != Qt::NoModifier) return false;
  const QPoint angle = wheel->angleDelta();
  const QPoint delta = angle.isNull() ? wheel->pixelDelta() : angle;
  if (std::abs(delta.x()) > std::abs(delta.y())) return false;
  if (wheel->phase() == Qt::ScrollBegin) wheel_.Reset();
  const QScrollBar* bar = area_->verticalScrollBar();
  const auto outcome = wheel_.Feed(delta.y(), bar->value() <= bar->minimum(),
                                   bar->value() >= bar->maximum(),
                                   wheel->phase() == Qt::ScrollMomentum, wheel->timestamp());
  if (!outcome.used) return false;
  wheel->accept();
  if (outcome.turn != viewer::PageTurn::None) Turn(outcome.turn);
  return true;
}

void TPageFlow::Turn(viewer::PageTurn turn) {
  wheel_.Reset();
  if (!turn_ || !turn_(turn)) return;
  QScrollBar* bar = area_->verticalScrollBar();
  bar->setValue(turn == viewer::PageTurn::Next ? bar->minimum() : bar->maximum());
}
