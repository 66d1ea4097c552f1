#pragma once
// A Qt slot must not let an exception through: Qt's event loop cannot carry
// one, and the program would end. Command handlers run through RunGuarded,
// or are connected through GuardedSlot: a failure that escapes the handler is
// shown in an error box, "<phrase> - <message>", as commands report their
// failures, and the program carries on.
#include <exception>
#include <string>
#include <utility>

// Shows "<phrase> - <message>" in an error box (on stderr when even the box
// fails).
void ReportEscapedFailure(const std::string& phrase, const char* message) noexcept;

// Runs handler; false when a failure escaped it (and was shown).
template <class Handler>
bool RunGuarded(const std::string& phrase, Handler&& handler) noexcept {
  try {
    std::forward<Handler>(handler)();
    return true;
  } catch (const std::exception& failure) {
    ReportEscapedFailure(phrase, failure.what());
  } catch (...) {
    ReportEscapedFailure(phrase, "unknown failure");
  }
  return false;
}

// A slot for QObject::connect that runs object->*handler guarded.
template <class Object, class... Args>
auto GuardedSlot(Object* object, void (Object::*handler)(Args...), std::string phrase) {
  return [object, handler, phrase = std::move(phrase)](Args... args) {
    RunGuarded(phrase, [&] { (object->*handler)(args...); });
  };
}
