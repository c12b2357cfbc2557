#include "platform/console_dialogs.h"

#include <cstdio>

namespace {
void Print(const QString& text) {
  std::fprintf(stderr, "%s\n", DisplayText(text).toLocal8Bit().constData());
  std::fflush(stderr);
}
}  // namespace

QString DisplayText(const QString& text) {
  QString s = text;
  s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

void TConsoleDialogs::Message(const QString& text) { Print(text); }

void TConsoleDialogs::Information(const QString& text, const QString& caption) {
  Print(caption.isEmpty() ? text : caption + ": " + text);
}

bool TConsoleDialogs::Confirm(const QString& text) {
  const bool yes = Answer ? Answer(text) : false;
  Print(text + (yes ? " -> Yes" : " -> No"));
  return yes;
}

std::optional<QString> TConsoleDialogs::Input(const QString&, const QString&, const QString&) {
  return std::nullopt;
}

QString TConsoleDialogs::SelectFolder(const QString&, const QString&) { return {}; }

QString TConsoleDialogs::OpenFile(const QString&, const QString&, const QString&, const QString&) {
  return {};
}

QString TConsoleDialogs::SaveFile(const QString&, const QString&, const QString&,
                                  const QString&) {
  return {};
}

int TConsoleDialogs::RunModal(QDialog&) { return 0; /* QDialog::Rejected */ }
