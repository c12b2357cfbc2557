#include "platform/qt_dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "platform/console_dialogs.h"

namespace {
QWidget* Parent() { return QApplication::activeWindow(); }
QString Title() { return QApplication::applicationDisplayName(); }
}  // namespace

void TQtDialogs::Message(const QString& text) {
  QMessageBox::information(Parent(), Title(), DisplayText(text));
}

void TQtDialogs::Information(const QString& text, const QString& caption) {
  QMessageBox::information(Parent(), caption.isEmpty() ? Title() : caption, DisplayText(text));
}

bool TQtDialogs::Confirm(const QString& text) {
  return QMessageBox::question(Parent(), Title(), DisplayText(text),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<QString> TQtDialogs::Input(const QString& caption, const QString& prompt,
                                         const QString& initial) {
  bool ok = false;
  const QString text =
      QInputDialog::getText(Parent(), caption, DisplayText(prompt), QLineEdit::Normal, initial, &ok);
  if (!ok) return std::nullopt;
  return text;
}

QString TQtDialogs::SelectFolder(const QString& caption, const QString& start) {
  return QFileDialog::getExistingDirectory(Parent(), caption, start);
}

QString TQtDialogs::OpenFile(const QString& title, const QString& filter, const QString& folder,
                             const QString& selectedFilter) {
  QString selected = selectedFilter;
  return QFileDialog::getOpenFileName(Parent(), title, folder, filter,
                                      selected.isEmpty() ? nullptr : &selected);
}

QString TQtDialogs::SaveFile(const QString& title, const QString& filter, const QString& folder,
                             const QString& name) {
  const QString start = folder.isEmpty() ? name : QDir(folder).filePath(name);
  return QFileDialog::getSaveFileName(Parent(), title, start, filter);
}

int TQtDialogs::RunModal(QDialog& dialog) { return dialog.exec(); }

bool TQtKeyboard::ShiftHeld() {
  return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

void TDialogErrorReporter::Report(const QString& message) {
  QMessageBox::critical(Parent(), Title(), DisplayText(message));
}

void InstallGuiSeams() {
  static TQtDialogs dialogs;
  static TQtKeyboard keyboard;
  static TDialogErrorReporter errors;
  Seams().Dialogs = &dialogs;
  Seams().Keyboard = &keyboard;
  Seams().Errors = &errors;
}
