#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <vector>

#include "acq/kvoptions.h"
#include "doubles/scripted_dialogs.h"
#include "platform/seams.h"

namespace {

std::vector<int> Fields(const TOptions& o) {
  return {o.ReqTime2Chan,    o.ReqTime4Chan,  o.ReqTime8Chan, o.NumChanDI148,  o.NumChanDI155,
          o.NumChanDI158,    o.NumChanDI710,  o.NumChanDemo,  o.NumChanOrca8x, o.SampleFrequency,
          o.ProcessPriority, o.AlwaysDI710UL, o.InvertSignal};
}

const char* const HelpText =
    "The values given here determine how often the DATAQ device driver\r"
    "will send data (display and hard disk).\r"
    " \r"
    "The default value is 500 milliseconds for both 4 and 8 channels.\r"
    " \r"
    "Lower update time:\r"
    "  Advantages: faster screen update, less points to process\r"
    "  Disadvantages: less time for processing, more chance of overrun\r"
    " \r"
    "Higher update time:\r"
    "  Advantages: more time for processing, less chance of overrun\r"
    "  Disadvantages: slower screen update, more points to process\r"
    " \r"
    "Update time range:\r"
    "  Minimum = 50 milliseconds\r"
    "  Maximum = depends on sample frequency and the number of channels\r"
    " \r"
    "For the default sample frequency 100 Hz:\r"
    " \r"
    "  For 4 channels: maximum=4000 milliseconds\r"
    "  For 8 channels: maximum=2000 milliseconds \r"
    " \r"
    "Fewer channels:\r"
    "  Advantage: Less chance on overrun.";

class OptionsDialogTest : public ::testing::Test {
protected:
  TScriptedDialogs Dialogs;
  TSeamOverride<TDialogs> UseDialogs{&TSeamSet::Dialogs, Dialogs};
  TOptions Options;

  template <typename T>
  static T* Find(const QWidget& form, const char* name) {
    T* widget = form.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  static bool Checked(const QWidget& form, const char* name) {
    auto* button = Find<QAbstractButton>(form, name);
    return button && button->isChecked();
  }
};

TEST_F(OptionsDialogTest, EveryControlCarriesItsNameAndCaption) {
  TfrmOptions form(Options);
  EXPECT_EQ(form.windowTitle(), "Settings");
  struct TCase {
    const char* Name;
    const char* Caption;
  };
  const std::vector<TCase> buttons = {
      {"cbInvertSignal", "Invert the measured signal (when using switched electrodes)"},
      {"bnReset", "Reset"},
      {"bnDATAQ_Help", "Help"},
      {"rbDI148_2", "2 channels"},
      {"rbDI148_4", "4 channels"},
      {"rbDI148_8", "8 channels"},
      {"rbDI155_2", "2 channels"},
      {"rbDI155_4", "4 channels"},
      {"rbDI158_2", "2 channels"},
      {"rbDI158_4", "4channels"},
      {"rbDI710_2", "2 channels"},
      {"rbDI710_4", "4 channels"},
      {"rbDI710_8", "8 channels"},
      {"rbDemo_2", "2 channels"},
      {"rbDemo_4", "4 channels"},
      {"rbDemo_8", "8 channels"},
      {"rbOrca8x_2", "2 channels"},
      {"rbOrca8x_4", "4 channels"},
      {"rbOrca8x_8", "8 channels"},
      {"rbStdSampleFreq", "Standard sample frequency 100 Hz"},
      {"rbOtherSampleFreq", "Other sample frequency"},
      {"cbAlwaysDI710UL", "Always treat DI-710 as model DI-710-UL"},
      {"bnOK", "OK"},
      {"bnCancel", "Cancel"},
  };
  for (const TCase& c : buttons)
    if (auto* b = Find<QAbstractButton>(form, c.Name)) {
      EXPECT_EQ(b->text(), c.Caption) << c.Name;
    }
  EXPECT_EQ(form.findChild<QRadioButton*>("rbDI155_8"), nullptr);
  EXPECT_EQ(form.findChild<QRadioButton*>("rbDI158_8"), nullptr);

  const std::vector<TCase> groups = {
      {"gbAcquisition", "Acquisition settings"},
      {"gbDI148", "DI-148"},
      {"gbDI155", "DI-155"},
      {"gbDI158", "DI-158"},
      {"gbDI710", "DI-710"},
      {"gbDemo", "Demo"},
      {"gbOrca8x", "Orca8x"},
      {"rgProcessPriority", "Process priority during measurement"},
      {"gbSampling", "Sampling"},
  };
  for (const TCase& c : groups)
    if (auto* g = Find<QGroupBox>(form, c.Name)) {
      EXPECT_EQ(g->title(), c.Caption) << c.Name;
    }

  QStringList priorities;
  for (QAbstractButton* b : form.rgProcessPriorityButtons->buttons()) priorities << b->text();
  EXPECT_EQ(priorities, QStringList({"Normal", "High", "Real time"}));
  QStringList labels;
  for (QLabel* l : form.findChildren<QLabel*>()) labels << l->text();
  for (const char* text :
       {"Update interval for 2 and 4 channels", "Update interval for 8 channels", "milliseconds",
        "Hz",
        "NB: Only for measurements shorter than 1 hour. Longer measurements will always use 500 "
        "millisecs."})
    EXPECT_TRUE(labels.contains(text)) << text;
  for (const char* name : {"edDATAQ_4chan_request", "edDATAQ_8chan_request", "edOtherSampleFreq"})
    Find<QLineEdit>(form, name);
  for (const char* name : {"pnDevices", "pnSampling"}) Find<QWidget>(form, name);
}

TEST_F(OptionsDialogTest, FormCreateShowsTheOptions) {
  Options.InvertSignal = true;
  Options.ReqTime4Chan = 300;
  Options.ReqTime8Chan = 600;
  Options.NumChanDI148 = 4;
  Options.NumChanDI155 = 2;
  Options.NumChanDI158 = 4;
  Options.NumChanDI710 = 2;
  Options.NumChanDemo = 8;
  Options.NumChanOrca8x = 4;
  Options.ProcessPriority = 2;
  Options.AlwaysDI710UL = true;
  TfrmOptions form(Options);

  EXPECT_TRUE(form.DeviceModel().isEmpty());
  EXPECT_TRUE(form.cbInvertSignal->isChecked());
  EXPECT_EQ(form.edDATAQ_4chan_request->text(), "300");
  EXPECT_EQ(form.edDATAQ_8chan_request->text(), "600");
  const char* checked[] = {"rbDI148_4", "rbDI155_2",  "rbDI158_4",          "rbDI710_2",
                           "rbDemo_8",  "rbOrca8x_4", "rbPriorityRealTime", "rbStdSampleFreq"};
  for (const char* name : checked) EXPECT_TRUE(Checked(form, name)) << name;
  const char* unchecked[] = {"rbDI148_2", "rbDI148_8", "rbDI155_4",  "rbDI158_2",
                             "rbDI710_8", "rbDemo_4",  "rbOrca8x_8", "rbOtherSampleFreq"};
  for (const char* name : unchecked) EXPECT_FALSE(Checked(form, name)) << name;
  EXPECT_EQ(form.rgProcessPriorityButtons->checkedId(), 2);
  EXPECT_EQ(form.edOtherSampleFreq->text(), "100");
  EXPECT_TRUE(form.cbAlwaysDI710UL->isChecked());
  EXPECT_EQ(form.labMaxSampleFreqInfo->text(),
            "Range is 10-300 - NB: DI-148, 8 channels max = 150 Hz");
}

TEST_F(OptionsDialogTest, AnotherSampleFrequencySelectsTheOtherButton) {
  Options.SampleFrequency = 200;
  TfrmOptions form(Options);
  EXPECT_TRUE(form.rbOtherSampleFreq->isChecked());
  EXPECT_FALSE(form.rbStdSampleFreq->isChecked());
  EXPECT_EQ(form.edOtherSampleFreq->text(), "200");
}

TEST_F(OptionsDialogTest, OkStoresTheControls) {
  Options.ReqTime2Chan = 77;
  TfrmOptions form(Options);
  form.show();
  form.cbInvertSignal->setChecked(true);
  form.edDATAQ_4chan_request->setText("120");
  form.edDATAQ_8chan_request->setText("3000");
  for (const char* name : {"rbDI148_2", "rbDI155_2", "rbDI158_2", "rbDI710_4", "rbDemo_2",
                           "rbOrca8x_4", "rbPriorityNormal", "rbOtherSampleFreq"})
    Find<QAbstractButton>(form, name)->setChecked(true);
  form.edOtherSampleFreq->setText("250");
  form.cbAlwaysDI710UL->setChecked(true);
  form.bnOK->click();

  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_FALSE(form.isVisible());
  TOptions expected;
  expected.ReqTime2Chan = 77;  // the dialog has no control for it
  expected.InvertSignal = true;
  expected.ReqTime4Chan = 120;
  expected.ReqTime8Chan = 3000;
  expected.NumChanDI148 = 2;
  expected.NumChanDI155 = 2;
  expected.NumChanDI158 = 2;
  expected.NumChanDI710 = 4;
  expected.NumChanDemo = 2;
  expected.NumChanOrca8x = 4;
  expected.ProcessPriority = 0;
  expected.SampleFrequency = 250;
  expected.AlwaysDI710UL = true;
  EXPECT_EQ(Fields(Options), Fields(expected));
}

TEST_F(OptionsDialogTest, TheUpdateIntervalBoundFollowsTheSampleFrequencyChoice) {
  struct TCase {
    const char* Interval;
    bool Other;
    const char* Refusal;  // empty: accepted
  };
  const std::vector<TCase> cases = {
      {"5000", false, "Bad value for \"4 channel request data time\" (range is 10-4000)"},
      {"4000", false, ""},
      {"10", false, ""},
      {"9", false, "Bad value for \"4 channel request data time\" (range is 10-4000)"},
      {"5000", true, ""},
      {"30000", true, ""},
      {"30001", true, "Bad value for \"4 channel request data time\" (range is 10-30000)"},
      {"abc", true, "Bad value for \"4 channel request data time\" (range is 10-30000)"},
      {"", false, "Bad value for \"4 channel request data time\" (range is 10-4000)"},
  };
  for (const TCase& c : cases) {
    TOptions options;
    TfrmOptions form(options);
    form.show();
    form.edDATAQ_4chan_request->setText(c.Interval);
    (c.Other ? form.rbOtherSampleFreq : form.rbStdSampleFreq)->setChecked(true);
    form.edOtherSampleFreq->setText("200");
    const bool refused = *c.Refusal != '\0';
    if (refused) Dialogs.ExpectInformation(c.Refusal);
    form.bnOK->click();
    Dialogs.VerifyDone();
    EXPECT_EQ(form.isVisible(), refused) << c.Interval;
    if (refused) {
      EXPECT_EQ(Fields(options), Fields(TOptions())) << c.Interval;
    } else {
      EXPECT_EQ(options.ReqTime4Chan, QString(c.Interval).toInt()) << c.Interval;
    }
  }
}

TEST_F(OptionsDialogTest, AllRefusalsShareOneBox) {
  TfrmOptions form(Options);
  form.show();
  form.edDATAQ_4chan_request->setText("5");
  form.edDATAQ_8chan_request->setText("50000");
  form.rbOtherSampleFreq->setChecked(true);
  form.edOtherSampleFreq->setText("301");
  Dialogs.ExpectInformation("");
  EXPECT_FALSE(form.ValidateInput());
  ASSERT_EQ(Dialogs.ShownTexts().size(), 1);
  EXPECT_EQ(Dialogs.ShownTexts()[0],
            "Bad value for \"4 channel request data time\" (range is 10-30000)\r \r"
            "Bad value for \"8 channel request data time\" (range is 10-30000)\r \r"
            "Bad value for \"Other sample frequency\" (range is 10-300)");
}

TEST_F(OptionsDialogTest, ANonNumericOtherFrequencyKeepsTheDialogOpen) {
  TfrmOptions form(Options);
  form.show();
  form.rbOtherSampleFreq->setChecked(true);
  form.edOtherSampleFreq->setText("abc");
  Dialogs.ExpectInformation("Bad value for \"Other sample frequency\" (range is 10-300)");
  form.bnOK->click();
  ASSERT_EQ(Dialogs.ShownTexts().size(), 1);
  EXPECT_TRUE(Dialogs.ShownTexts()[0].endsWith("range is 10-300)"));
  EXPECT_TRUE(form.isVisible());
  EXPECT_NE(form.result(), QDialog::Accepted);
  EXPECT_EQ(form.edOtherSampleFreq->text(), "abc");  // the user's input stays
  EXPECT_EQ(Fields(Options), Fields(TOptions()));
}

TEST_F(OptionsDialogTest, TheStandardFrequencyIgnoresTheOtherFrequencyEdit) {
  TfrmOptions form(Options);
  form.edOtherSampleFreq->setText("abc");
  form.bnOK->click();
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_EQ(Options.SampleFrequency, 100);
}

TEST_F(OptionsDialogTest, TheAmplifierAlwaysSamplesAt100Hz) {
  Options.SampleFrequency = 200;
  TfrmOptions form(Options);
  form.SetDeviceModel("ORCA8X");
  form.show();
  EXPECT_EQ(form.DeviceModel(), "ORCA8X");
  EXPECT_FALSE(form.pnSampling->isVisible());
  ASSERT_TRUE(form.rbOtherSampleFreq->isChecked());
  form.bnOK->click();
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_EQ(Options.SampleFrequency, 100);

  TfrmOptions dataq(Options);
  dataq.SetDeviceModel("158");
  dataq.show();
  EXPECT_TRUE(dataq.pnSampling->isVisible());
}

TEST_F(OptionsDialogTest, CancelChangesNothing) {
  TfrmOptions form(Options);
  form.show();
  form.cbInvertSignal->setChecked(true);
  form.edDATAQ_4chan_request->setText("1000");
  form.rbDemo.Two->setChecked(true);
  form.rbOtherSampleFreq->setChecked(true);
  form.edOtherSampleFreq->setText("abc");
  form.bnCancel->click();
  EXPECT_EQ(form.result(), QDialog::Rejected);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(Fields(Options), Fields(TOptions()));
}

TEST_F(OptionsDialogTest, ResetPutsBothIntervalsTo500) {
  Options.ReqTime4Chan = 100;
  Options.ReqTime8Chan = 2000;
  TfrmOptions form(Options);
  form.bnReset->click();
  EXPECT_EQ(form.edDATAQ_4chan_request->text(), "500");
  EXPECT_EQ(form.edDATAQ_8chan_request->text(), "500");
  EXPECT_EQ(Options.ReqTime4Chan, 100);  // only OK stores
}

TEST_F(OptionsDialogTest, HelpShowsTheHelpText) {
  TfrmOptions form(Options);
  Dialogs.ExpectInformation("The values given here");
  form.bnDATAQ_Help->click();
  ASSERT_EQ(Dialogs.ShownTexts().size(), 1);
  EXPECT_EQ(Dialogs.ShownTexts()[0], HelpText);
  EXPECT_EQ(TfrmOptions::HelpText(), HelpText);
}

}  // namespace
