#pragma once
// Run view double: holds the inputs a test types and records what the run
// logic shows, in order.

#include <QList>
#include <QStringList>

#include "app/recorder.h"

class TRecordingRunView : public TRunView {
public:
  QString File = "test1";
  QString RecTime = "0.01";
  QString Comment2Text = "Comment 2";
  QString Comment3Text = "Comment 3";

  QStringList Statuses;
  QStringList Counts;
  QStringList Overruns;
  QStringList Devices;
  QStringList Comment1s;
  QList<TRunFields> RunFields;
  QStringList Progress;
  QList<bool> RunStates;
  int RunStarts = 0;
  struct TBlock {
    int First, Last;
    bool Advanced;
  };
  QList<TBlock> Blocks;
  QList<QStringList> SavedLogs;
  struct TConversion {
    int Channels;
    QString Path;
    QStringList Lines;
    double Rate;
  };
  QList<TConversion> Conversions;

  QString FileText() const override { return File; }
  QString RecTimeText() const override { return RecTime; }
  QString Comment2() const override { return Comment2Text; }
  QString Comment3() const override { return Comment3Text; }
  void ShowStatusText(const QString& text) override { Statuses << text; }
  void ShowCountText(const QString& text) override { Counts << text; }
  void ShowOverrunsText(const QString& text) override { Overruns << text; }
  void ShowDeviceText(const QString& text) override { Devices << text; }
  void SetComment1(const QString& line) override { Comment1s << line; }
  void SetRunFields(const TRunFields& fields) override { RunFields << fields; }
  void SetRecProgress(const QString& hms) override { Progress << hms; }
  void SetRunState(bool running) override { RunStates << running; }
  void SetBusyCursor(bool) override {}
  void RunStarting(double, double) override { ++RunStarts; }
  void BlockStored(int first, int last, bool advanced) override {
    Blocks << TBlock{first, last, advanced};
  }
  void ShowSavedLog(const QStringList& lines) override { SavedLogs << lines; }
  void ConvertRecording(int channels, const QString& path, const QStringList& lines,
                        double rate) override {
    Conversions << TConversion{channels, path, lines, rate};
  }
};
