#pragma once
// Dialogs for the headless mode: messages go to standard error, questions are
// answered by a policy the caller sets, windows and file dialogs are cancelled.

#include <functional>

#include "platform/seams.h"

class TConsoleDialogs : public TDialogs {
public:
  // Answers a Yes/No question; the default answers No.
  std::function<bool(const QString& question)> Answer;

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
};

// Box texts break lines with a single CR; the terminal and Qt want LF.
QString DisplayText(const QString& text);
