#pragma once
// Dialogs double: a test states the prompts it expects, in order, with their
// answers; every prompt is recorded, and one nobody expected fails the test
// (and is answered No / Cancel so the code under test can go on).

#include <QStringList>
#include <deque>
#include <functional>

#include "platform/seams.h"

class TScriptedDialogs : public TDialogs {
public:
  enum class TKind { Message, Information, Confirm, Input, Folder, OpenFile, SaveFile, Modal };

  struct TPrompt {
    TKind Kind;
    QString Text;  // the message, question, prompt, title or window caption
  };

  // The next prompt must be of this kind and its text must contain textPart.
  TScriptedDialogs& ExpectMessage(const QString& textPart);
  TScriptedDialogs& ExpectInformation(const QString& textPart);
  TScriptedDialogs& ExpectConfirm(const QString& textPart, bool yes);
  TScriptedDialogs& ExpectInput(const QString& textPart, std::optional<QString> answer);
  TScriptedDialogs& ExpectFolder(const QString& textPart, const QString& answer);
  TScriptedDialogs& ExpectOpenFile(const QString& textPart, const QString& answer);
  TScriptedDialogs& ExpectSaveFile(const QString& textPart, const QString& answer);
  // A modal window whose caption contains textPart: the handler plays the user
  // (fills controls, clicks buttons) and returns the result when the window is still open.
  TScriptedDialogs& ExpectModal(const QString& textPart, std::function<int(QDialog&)> handler);

  // What the last open dialog was given besides its title.
  struct TOpenFileCall {
    QString Filter;
    QString Folder;
    QString SelectedFilter;
  };
  TOpenFileCall LastOpenFile;

  // Every prompt shown so far, in order.
  const QList<TPrompt>& Shown() const { return ShownPrompts; }
  QStringList ShownTexts() const;
  // True when every expected prompt was shown.
  bool Done() const { return Expected.empty(); }
  // Fails the test for expectations nobody met; called by the destructor too.
  void VerifyDone();
  ~TScriptedDialogs() override;

  void Message(const QString& text) override;
  void Information(const QString& text, const QString& caption) override;
  bool Confirm(const QString& text) override;
  std::optional<QString> Input(const QString& caption, const QString& prompt,
                               const QString& initial) override;
  QString SelectFolder(const QString& caption, const QString& start) override;
  QString OpenFile(const QString& title, const QString& filter, const QString& folder,
                   const QString& selectedFilter = {}) override;
  QString SaveFile(const QString& title, const QString& filter, const QString& folder,
                   const QString& name) override;
  int RunModal(QDialog& dialog) override;

private:
  struct TExpectation {
    TKind Kind = TKind::Message;
    QString TextPart;
    bool Yes = false;
    std::optional<QString> Answer;
    std::function<int(QDialog&)> Handler;
  };
  static TExpectation Expectation(TKind kind, const QString& textPart);
  // The matching expectation, removed from the queue; none when the prompt was unexpected.
  std::optional<TExpectation> Take(TKind kind, const QString& text);

  std::deque<TExpectation> Expected;
  QList<TPrompt> ShownPrompts;
};
