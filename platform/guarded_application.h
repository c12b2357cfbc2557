#pragma once
// An application object that catches what escapes an event handler and hands
// it to the error reporter, so a failed file write becomes a box, not a crash.

#include <QEvent>
#include <exception>

#include "platform/errors.h"
#include "platform/seams.h"

template <typename Application>
class TGuardedApplication : public Application {
public:
  using Application::Application;

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return Application::notify(receiver, event);
    } catch (const std::exception& e) {
      Seams().Errors->Report(ErrorMessage(e));
    } catch (...) {
      Seams().Errors->Report(QStringLiteral("Unknown error"));
    }
    return false;
  }
};
