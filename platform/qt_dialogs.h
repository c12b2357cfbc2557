#pragma once
// The seams of the window program: Qt's boxes, the keyboard state, and an
// error reporter that shows what escaped an event handler in a box.

#include "platform/seams.h"

class TQtDialogs : public TDialogs {
public:
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

class TQtKeyboard : public TKeyboard {
public:
  bool ShiftHeld() override;
};

class TDialogErrorReporter : public TErrorReporter {
public:
  void Report(const QString& message) override;
};

// Puts the Qt dialogs, keyboard and error box in place; call once a QApplication exists.
void InstallGuiSeams();
