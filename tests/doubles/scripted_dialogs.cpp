#include "doubles/scripted_dialogs.h"

#include <QDialog>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
const char* KindName(TScriptedDialogs::TKind kind) {
  using K = TScriptedDialogs::TKind;
  switch (kind) {
    case K::Message: return "message";
    case K::Information: return "information";
    case K::Confirm: return "confirmation";
    case K::Input: return "input box";
    case K::Folder: return "folder dialog";
    case K::OpenFile: return "open dialog";
    case K::SaveFile: return "save dialog";
    case K::Modal: return "modal window";
  }
  return "?";
}
}  // namespace

TScriptedDialogs::TExpectation TScriptedDialogs::Expectation(TKind kind, const QString& textPart) {
  TExpectation e;
  e.Kind = kind;
  e.TextPart = textPart;
  return e;
}

TScriptedDialogs& TScriptedDialogs::ExpectMessage(const QString& textPart) {
  Expected.push_back(Expectation(TKind::Message, textPart));
  return *this;
}
TScriptedDialogs& TScriptedDialogs::ExpectInformation(const QString& textPart) {
  Expected.push_back(Expectation(TKind::Information, textPart));
  return *this;
}
TScriptedDialogs& TScriptedDialogs::ExpectConfirm(const QString& textPart, bool yes) {
  Expected.push_back(Expectation(TKind::Confirm, textPart));
  Expected.back().Yes = yes;
  return *this;
}
TScriptedDialogs& TScriptedDialogs::ExpectInput(const QString& textPart,
                                                std::optional<QString> answer) {
  Expected.push_back(Expectation(TKind::Input, textPart));
  Expected.back().Answer = std::move(answer);
  return *this;
}
TScriptedDialogs& TScriptedDialogs::ExpectFolder(const QString& textPart, const QString& answer) {
  Expected.push_back(Expectation(TKind::Folder, textPart));
  Expected.back().Answer = answer;
  return *this;
}
TScriptedDialogs& TScriptedDialogs::ExpectOpenFile(const QString& textPart, const QString& answer) {
  Expected.push_back(Expectation(TKind::OpenFile, textPart));
  Expected.back().Answer = answer;
  return *this;
}
TScriptedDialogs& TScriptedDialogs::ExpectSaveFile(const QString& textPart, const QString& answer) {
  Expected.push_back(Expectation(TKind::SaveFile, textPart));
  Expected.back().Answer = answer;
  return *this;
}
TScriptedDialogs& TScriptedDialogs::ExpectModal(const QString& textPart,
                                                std::function<int(QDialog&)> handler) {
  Expected.push_back(Expectation(TKind::Modal, textPart));
  Expected.back().Handler = std::move(handler);
  return *this;
}

QStringList TScriptedDialogs::ShownTexts() const {
  QStringList texts;
  for (const auto& p : ShownPrompts) texts << p.Text;
  return texts;
}

void TScriptedDialogs::VerifyDone() {
  for (const auto& e : Expected)
    ADD_FAILURE() << "expected " << KindName(e.Kind) << " \"" << e.TextPart.toStdString()
                  << "\" was never shown";
  Expected.clear();
}

TScriptedDialogs::~TScriptedDialogs() { VerifyDone(); }

std::optional<TScriptedDialogs::TExpectation> TScriptedDialogs::Take(TKind kind,
                                                                     const QString& text) {
  ShownPrompts.push_back({kind, text});
  if (Expected.empty() || Expected.front().Kind != kind ||
      !text.contains(Expected.front().TextPart)) {
    ADD_FAILURE() << "unexpected " << KindName(kind) << ": \"" << text.toStdString() << "\""
                  << (Expected.empty() ? std::string(" (nothing expected)")
                                       : " (expected " + std::string(KindName(Expected.front().Kind)) +
                                             " \"" + Expected.front().TextPart.toStdString() + "\")");
    return std::nullopt;
  }
  TExpectation e = std::move(Expected.front());
  Expected.pop_front();
  return e;
}

void TScriptedDialogs::Message(const QString& text) { Take(TKind::Message, text); }

void TScriptedDialogs::Information(const QString& text, const QString&) {
  Take(TKind::Information, text);
}

bool TScriptedDialogs::Confirm(const QString& text) {
  auto e = Take(TKind::Confirm, text);
  return e && e->Yes;
}

std::optional<QString> TScriptedDialogs::Input(const QString& caption, const QString& prompt,
                                               const QString&) {
  auto e = Take(TKind::Input, caption + "\n" + prompt);
  return e ? e->Answer : std::nullopt;
}

QString TScriptedDialogs::SelectFolder(const QString& caption, const QString&) {
  auto e = Take(TKind::Folder, caption);
  return e ? e->Answer.value_or(QString()) : QString();
}

QString TScriptedDialogs::OpenFile(const QString& title, const QString& filter,
                                   const QString& folder, const QString& selectedFilter) {
  LastOpenFile = {filter, folder, selectedFilter};
  auto e = Take(TKind::OpenFile, title);
  return e ? e->Answer.value_or(QString()) : QString();
}

QString TScriptedDialogs::SaveFile(const QString& title, const QString&, const QString&,
                                   const QString&) {
  auto e = Take(TKind::SaveFile, title);
  return e ? e->Answer.value_or(QString()) : QString();
}

int TScriptedDialogs::RunModal(QDialog& dialog) {
  auto e = Take(TKind::Modal, dialog.windowTitle());
  if (!e || !e->Handler) return QDialog::Rejected;
  // The handler works on the window as the user would; a button that closes
  // the window sets its result, which wins over the handler's.
  dialog.setResult(-1);
  const int handled = e->Handler(dialog);
  return dialog.result() == -1 ? handled : dialog.result();
}
