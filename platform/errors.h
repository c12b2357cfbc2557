#pragma once
// The program's error type: where a routine must raise, it throws a TError
// carrying the sentence the user will read.

#include <QString>
#include <stdexcept>

class TError : public std::runtime_error {
public:
  explicit TError(const QString& message)
      : std::runtime_error(message.toStdString()), Text(message) {}
  const QString& Message() const { return Text; }

private:
  QString Text;
};

// The message of any exception, for "context: " + message texts.
inline QString ErrorMessage(const std::exception& e) {
  if (auto* t = dynamic_cast<const TError*>(&e)) return t->Message();
  return QString::fromLocal8Bit(e.what());
}
