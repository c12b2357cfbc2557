// The converter window in its two uses: right after a run and after loading a file.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <vector>

#include "doubles/scripted_dialogs.h"
#include "files/data_file.h"
#include "files/hour_converter.h"
#include "files/kvconvert.h"
#include "platform/seams.h"

namespace {

const QStringList Comments = {"ZQR: 05-07-2010 14:12:54/rec.time= 2.50/smpl.frq=   1.000Hz",
                              "bean aphid 3", ""};
const char* const QuitQuestion = "Conversion not yet done. You want to quit anyway?";

class ConvertWindowTest : public ::testing::Test {
protected:
  TScriptedDialogs Dialogs;
  TSeamOverride<TDialogs> UseDialogs{&TSeamSet::Dialogs, Dialogs};
  QTemporaryDir Dir;

  // A recording of frames at 1 Hz, values frame * 10 + channel.
  QString WriteRecording(const QString& name, int frames, int channels) {
    const QString path = Dir.filePath(name);
    TDataFileWriter writer;
    writer.Create(path, Comments);
    std::vector<float> values;
    for (int f = 0; f < frames; ++f)
      for (int k = 0; k < channels; ++k) values.push_back(float(f * 10 + k));
    writer.AppendBlock(values.data(), int(values.size()));
    return path;
  }

  static QByteArray HeaderOf(const QString& path, qsizetype bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.read(bytes);
  }

  static QStringList LogOf(const TfrmConvert& form) {
    return form.Memo1->toPlainText().split('\n');
  }
};

TEST_F(ConvertWindowTest, ControlsAndPreparation) {
  TfrmConvert form;
  EXPECT_EQ(form.windowTitle(), "File Format Converter");
  EXPECT_TRUE(form.pnRecDone->isHidden());
  EXPECT_EQ(form.pnRecDone->text(), "Recording Done");
  EXPECT_EQ(form.bnConvert->text(), "Convert");
  EXPECT_EQ(form.bnClose->text(), "Cancel");
  EXPECT_TRUE(form.edInterFile->isReadOnly());
  EXPECT_TRUE(form.edComment1->isReadOnly());
  EXPECT_FALSE(form.edComment2->isReadOnly());
  EXPECT_FALSE(form.edComment3->isReadOnly());
  EXPECT_TRUE(form.Memo1->isReadOnly());
  for (const char* name :
       {"pnRecDone", "edInterFile", "labInfo", "pnEditComm", "edComment1", "edComment2",
        "edComment3", "bnConvert", "bnClose", "Memo1", "pbSamplesPerChan"})
    EXPECT_NE(form.findChild<QWidget*>(name), nullptr) << name;

  const QString path = Dir.filePath("bean12.aq4");
  const QString longLine(120, 'w');
  form.PrepareConversion(4, path, true, {Comments[0], "second", longLine}, 100.0);
  EXPECT_EQ(form.edInterFile->text(), path);
  EXPECT_EQ(form.labInfo->text(), "Sample rate: 100.0 Hz - Number of channels: 4");
  EXPECT_EQ(form.edComment1->text(), Comments[0]);
  EXPECT_EQ(form.edComment2->text(), "second");
  EXPECT_EQ(form.edComment2->maxLength(), 80);
  EXPECT_EQ(form.edComment3->text(), longLine) << "a longer loaded line is kept whole";
  EXPECT_EQ(form.pbSamplesPerChan->value(), 0);
  EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowCloseButtonHint));

  form.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "fixed size";
  const int withEditors = form.height();
  const int panel = form.pnEditComm->height();

  TfrmConvert hidden;
  hidden.PrepareConversion(4, path, false, Comments, 100.0);
  hidden.show();
  QCoreApplication::processEvents();
  EXPECT_TRUE(hidden.pnEditComm->isHidden());
  EXPECT_GE(withEditors - hidden.height(), panel);
  EXPECT_LE(withEditors - hidden.height(), panel + 20);
}

TEST_F(ConvertWindowTest, InformationLineUsesTheLocaleDecimalSeparator) {
  const QLocale previous;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  TfrmConvert form;
  form.PrepareConversion(2, Dir.filePath("x.aq2"), false, Comments, 1234.56);
  QLocale::setDefault(previous);
  EXPECT_EQ(form.labInfo->text(), "Sample rate: 1234,6 Hz - Number of channels: 2");
}

TEST_F(ConvertWindowTest, AfterRecordingConvertsAndThenOffersOnlyClose) {
  const QString path = WriteRecording("run.aq4", 5000, 4);
  TfrmConvert form;
  form.PrepareConversion(4, path, false, Comments, 1.0);
  form.SetRecordingDone(true);
  EXPECT_FALSE(form.pnRecDone->isHidden());
  form.show();
  QCoreApplication::processEvents();

  // Sampled whenever the window lets messages through during the conversion.
  struct TState {
    bool Convert, Close;
    int Value, Maximum;
  };
  std::vector<TState> states;
  QTimer probe;
  probe.setInterval(0);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    states.push_back({form.bnConvert->isEnabled(), form.bnClose->isEnabled(),
                      form.pbSamplesPerChan->value(), form.pbSamplesPerChan->maximum()});
  });
  probe.start();
  form.ConvertFile();
  probe.stop();
  form.hide();

  ASSERT_GE(states.size(), 3u) << "messages are let through after each block";
  for (const TState& s : states) {
    EXPECT_FALSE(s.Convert);
    EXPECT_FALSE(s.Close);
  }
  EXPECT_EQ(states.back().Maximum, 5000);
  EXPECT_GT(states.back().Value, 0);
  EXPECT_EQ(form.pbSamplesPerChan->value(), 5000);

  EXPECT_TRUE(form.ConversionDone());
  EXPECT_EQ(LogOf(form).first(), "-- Hour 1");
  EXPECT_EQ(LogOf(form).last(), "Conversion done");
  for (int k = 0; k < 4; ++k)
    for (int h = 1; h <= 2; ++h) EXPECT_TRUE(QFile::exists(HourFileName(path, k, h)));
  EXPECT_FALSE(form.bnConvert->isEnabled());
  EXPECT_TRUE(form.bnClose->isEnabled());
  EXPECT_EQ(form.bnClose->text(), "Close");

  // Shown modal: Close leaves at once, without a question.
  Dialogs.ExpectModal("File Format Converter", [](QDialog& dialog) {
    auto& f = static_cast<TfrmConvert&>(dialog);
    EXPECT_FALSE(f.bnConvert->isEnabled());
    f.bnClose->click();
    return -1;
  });
  EXPECT_EQ(Seams().Dialogs->RunModal(form), QDialog::Accepted);
}

TEST_F(ConvertWindowTest, LoaderUseWritesTheEditedCommentsIntoEveryHourFile) {
  const QString path = WriteRecording("loaded.aq2", 4000, 2);
  TfrmConvert form;
  form.PrepareConversion(2, path, true, {Comments[0], "old 2", "-"}, 1.0);
  Dialogs.ExpectModal("File Format Converter", [](QDialog& dialog) {
    auto& f = static_cast<TfrmConvert&>(dialog);
    f.edComment2->setText("edited comment two");
    f.edComment3->setText("and three");
    f.bnConvert->click();
    EXPECT_TRUE(f.ConversionDone());
    EXPECT_TRUE(f.bnConvert->isEnabled()) << "the loaded file may be converted again";
    EXPECT_TRUE(f.pnEditComm->isEnabled());
    f.bnClose->click();
    return -1;
  });
  EXPECT_EQ(Seams().Dialogs->RunModal(form), QDialog::Accepted);

  const QByteArray header = ThreeLineHeader({Comments[0], "edited comment two", "and three"});
  for (int k = 0; k < 2; ++k)
    for (int h = 1; h <= 2; ++h)
      EXPECT_EQ(HeaderOf(HourFileName(path, k, h), header.size()), header) << k << " " << h;
  EXPECT_EQ(form.GetComment(2), "edited comment two");
  EXPECT_EQ(form.GetComment(3), "and three");
  EXPECT_EQ(form.GetComment(1), "");
  EXPECT_EQ(form.GetComment(4), "");
  EXPECT_EQ(form.HeaderLines().value(0), Comments[0]);
}

TEST_F(ConvertWindowTest, CancelBeforeConvertingAsks) {
  TfrmConvert form;
  form.PrepareConversion(4, Dir.filePath("never.aq4"), true, Comments, 1.0);
  form.show();
  Dialogs.ExpectConfirm(QuitQuestion, false);
  form.bnClose->click();
  EXPECT_TRUE(form.isVisible());

  Dialogs.ExpectConfirm(QuitQuestion, true);
  form.setResult(-1);
  form.bnClose->click();
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_FALSE(QFile::exists(Dir.filePath("never-ch1.D01")));
}

TEST_F(ConvertWindowTest, EscapeAndCloseCommandAreRefused) {
  TfrmConvert form;
  form.PrepareConversion(4, Dir.filePath("x.aq4"), true, Comments, 1.0);
  form.show();
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(&form, &escape);
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.close());
  EXPECT_TRUE(form.isVisible());
  QCloseEvent closeEvent;
  QCoreApplication::sendEvent(&form, &closeEvent);
  EXPECT_FALSE(closeEvent.isAccepted());
  EXPECT_TRUE(form.isVisible());
}

TEST_F(ConvertWindowTest, FailedConversionEnablesTheButtonsAndStillAsks) {
  TfrmConvert form;
  form.PrepareConversion(4, Dir.filePath("missing.aq4"), false, Comments, 1.0);
  form.SetRecordingDone(true);
  form.show();
  Dialogs.ExpectMessage("Error during conversion: ");
  form.ConvertFile();
  EXPECT_FALSE(form.ConversionDone());
  EXPECT_TRUE(form.bnConvert->isEnabled());
  EXPECT_TRUE(form.bnClose->isEnabled());
  EXPECT_EQ(form.bnClose->text(), "Cancel");
  Dialogs.ExpectConfirm(QuitQuestion, true);
  form.bnClose->click();
  EXPECT_FALSE(form.isVisible());
}

}  // namespace
