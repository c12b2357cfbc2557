#include "acq/simulated_devices.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/temp_dir.h"

namespace {

TEST(ParseSimulatedDevices, ReadsEveryKeyWithInlineComments) {
  const QString text = QStringLiteral(
      "; simulated hardware\n"
      "[COM3]\n"
      "Model=DI-158          ; a DATAQ model\n"
      "SerialReply=123456700 ; its answer\n"
      "Signal=sine\n"
      "RateError=0.011       ; 1.1 % fast\n"
      "ControlError=19@30,2@45.5\n"
      "ControlError=-1@60    ; a second line adds to the first\n"
      "Overrun=@10\n"
      "\n"
      "[COM7]\n"
      "Model=ORCA8X\n");
  const TSimulatedDevicesLoad load = ParseSimulatedDevices(text, "sim.ini");
  EXPECT_EQ(load.Error, QString());
  ASSERT_EQ(load.Devices.size(), 2);

  const TSimulatedDevice& d = load.Devices[0];
  EXPECT_EQ(d.ComNumber, 3);
  EXPECT_EQ(d.Port(), QString("COM3"));
  EXPECT_EQ(d.Model, QString("DI-158"));
  EXPECT_EQ(d.ModelId, QString("158"));
  EXPECT_EQ(d.SerialReply, QString("123456700"));
  EXPECT_EQ(d.Signal, TSimulatedSignal::Sine);
  EXPECT_DOUBLE_EQ(d.RateError, 0.011);
  ASSERT_EQ(d.ControlErrors.size(), 3);
  EXPECT_EQ(d.ControlErrors[0].Code, 19);
  EXPECT_DOUBLE_EQ(d.ControlErrors[0].Seconds, 30);
  EXPECT_EQ(d.ControlErrors[1].Code, 2);
  EXPECT_DOUBLE_EQ(d.ControlErrors[1].Seconds, 45.5);
  EXPECT_EQ(d.ControlErrors[2].Code, -1);
  EXPECT_EQ(d.Overruns, QList<double>({10.0}));

  const TSimulatedDevice& amp = load.Devices[1];
  EXPECT_EQ(amp.Port(), QString("COM7"));
  EXPECT_EQ(amp.ModelId, QString("ORCA8X"));
  EXPECT_EQ(amp.SerialReply, QString());
  EXPECT_EQ(amp.Signal, TSimulatedSignal::Ramp);
  EXPECT_EQ(amp.RateError, 0);
  EXPECT_TRUE(amp.ControlErrors.isEmpty());
  EXPECT_TRUE(amp.Overruns.isEmpty());
}

TEST(ParseSimulatedDevices, SectionsAndKeysMatchWithoutRegardToCase) {
  const TSimulatedDevicesLoad load = ParseSimulatedDevices(
      "[com12]\r\nMODEL=DI-710-USB\r\nsignal=SINE\r\n[ Com5 ]\r\nmodel=DI-148\r\n", "x");
  EXPECT_EQ(load.Error, QString());
  ASSERT_EQ(load.Devices.size(), 2);
  EXPECT_EQ(load.Devices[0].Port(), QString("COM12"));
  EXPECT_EQ(load.Devices[0].ModelId, QString("710"));
  EXPECT_EQ(load.Devices[0].Signal, TSimulatedSignal::Sine);
  EXPECT_EQ(load.Devices[1].Port(), QString("COM5"));
  // A port section is the same whatever its case: the second spelling is a duplicate.
  const TSimulatedDevicesLoad twice =
      ParseSimulatedDevices("[COM3]\nModel=DI-158\n[com3]\nModel=DI-148\n", "x");
  ASSERT_EQ(twice.Devices.size(), 1);
  EXPECT_EQ(twice.Devices[0].ModelId, QString("158"));
  EXPECT_TRUE(twice.Error.contains("COM3 appears twice")) << twice.Error.toStdString();
}

TEST(ParseSimulatedDevices, BadEntriesAreReportedAndLeftOut) {
  struct TCase {
    const char* Name;
    QByteArray Text;
    int Devices;          // devices kept
    const char* Problem;  // part of the error text
  };
  const std::vector<TCase> cases = {
      {"not a port", "[LPT1]\nModel=DI-158\n", 0, "\"[LPT1]\" is not a port section"},
      {"port zero", "[COM0]\nModel=DI-158\n", 0, "is not a port section"},
      {"no bracket", "[COM3\nModel=DI-158\n", 0, "is not a port section"},
      {"trailing text", "[COM3] x\nModel=DI-158\n", 0, "is not a port section"},
      {"outside a section", "Model=DI-158\n[COM3]\nModel=DI-158\n", 1, "line 1: entry outside"},
      {"no model", "[COM3]\nSerialReply=12\n", 0, "COM3 has no Model"},
      {"unknown model", "[COM3]\nModel=XYZ\n", 0, "COM3: unknown model \"XYZ\""},
      {"model case matters", "[COM3]\nModel=di-158\n", 0, "unknown model"},
      {"demo is no hardware", "[COM3]\nModel=Demo\n", 0, "unknown model"},
      {"no equals sign", "[COM3]\nModel=DI-158\nsine\n", 1, "\"sine\" is not a key=value"},
      {"unknown key", "[COM3]\nModel=DI-158\nColour=red\n", 1, "unknown key \"Colour\""},
      {"bad signal", "[COM3]\nModel=DI-158\nSignal=square\n", 1, "Signal \"square\""},
      {"bad rate error", "[COM3]\nModel=DI-158\nRateError=fast\n", 1, "RateError \"fast\""},
      {"rate error -1", "[COM3]\nModel=DI-158\nRateError=-1\n", 1, "RateError \"-1\""},
      {"rate error nan", "[COM3]\nModel=DI-158\nRateError=nan\n", 1, "RateError \"nan\""},
      {"bad control error", "[COM3]\nModel=DI-158\nControlError=19\n", 1, "\"19\" is not code@"},
      {"negative time", "[COM3]\nModel=DI-158\nControlError=2@-1\n", 1, "\"2@-1\""},
      {"overrun without @", "[COM3]\nModel=DI-158\nOverrun=10\n", 1, "Overrun \"10\""},
      {"binary", QByteArray("[COM3]\nModel=DI-158\n") + QByteArray("\x00\xff\xfe\x01garbage\n", 12),
       1, "is not a key=value"},
  };
  for (const TCase& c : cases) {
    const TSimulatedDevicesLoad load = ParseSimulatedDevices(QString::fromUtf8(c.Text), "f.ini");
    EXPECT_EQ(load.Devices.size(), c.Devices) << c.Name;
    EXPECT_TRUE(load.Error.contains(c.Problem)) << c.Name << ": " << load.Error.toStdString();
    EXPECT_TRUE(load.Error.startsWith("f.ini, line ")) << c.Name;
    for (const TSimulatedDevice& d : load.Devices) {  // a rejected value leaves the default
      EXPECT_EQ(d.Signal, TSimulatedSignal::Ramp) << c.Name;
      EXPECT_EQ(d.RateError, 0) << c.Name;
    }
  }
}

TEST(ParseSimulatedDevices, KeepsTheGoodItemsOfAListAndNamesEachBadLine) {
  const TSimulatedDevicesLoad load = ParseSimulatedDevices(
      "[COM3]\nModel=DI-158\nControlError=19@30, x@5 ,,3@45\nOverrun=@1,@x,@2\nFoo\n", "f.ini");
  ASSERT_EQ(load.Devices.size(), 1);
  const TSimulatedDevice& d = load.Devices[0];
  ASSERT_EQ(d.ControlErrors.size(), 2);
  EXPECT_EQ(d.ControlErrors[1].Code, 3);
  EXPECT_EQ(d.Overruns, QList<double>({1.0, 2.0}));
  EXPECT_EQ(load.Error.split('\n'), QStringList({
                                        "f.ini, line 3: ControlError \"x@5\" is not code@seconds; "
                                        "ignored",
                                        "f.ini, line 4: Overrun \"@x\" is not @seconds; ignored",
                                        "f.ini, line 5: \"Foo\" is not a key=value entry; ignored",
                                    }));
}

TEST(ParseSimulatedDevices, EmptyOrCommentOnlyTextHasNoDevicesAndNoError) {
  for (const char* text : {"", "\n\n", "; nothing here\n   ; indented\n# hash comment\n"}) {
    const TSimulatedDevicesLoad load = ParseSimulatedDevices(text, "x");
    EXPECT_TRUE(load.Devices.isEmpty()) << text;
    EXPECT_EQ(load.Error, QString()) << text;
  }
}

TEST(ParseSimulatedDevices, HostileTextIsShownShortAndPrintable) {
  const QString longKey = QString(5000, 'k') + "\x01";
  const TSimulatedDevicesLoad load =
      ParseSimulatedDevices("[COM3]\nModel=DI-158\n" + longKey + "=1\n", "x");
  EXPECT_EQ(load.Devices.size(), 1);
  EXPECT_LT(load.Error.size(), 200);
  EXPECT_FALSE(load.Error.contains(QChar(1)));
}

class LoadSimulatedDevicesTest : public TTempDirTest {
protected:
  void TearDown() override {
    qunsetenv("TAVRIN_SIMULATE");
    ResetSimulatedDevices();
  }
};

TEST_F(LoadSimulatedDevicesTest, ReadsAFileWithByteOrderMarkAndNamesItInErrors) {
  const QString path = WriteFile("sim.ini", "\xEF\xBB\xBF[COM4]\r\nModel=DI-155\r\nBad\r\n");
  const TSimulatedDevicesLoad load = LoadSimulatedDevices(path);
  ASSERT_EQ(load.Devices.size(), 1);
  EXPECT_EQ(load.Devices[0].ModelId, QString("155"));
  EXPECT_EQ(load.Error, path + ", line 3: \"Bad\" is not a key=value entry; ignored");
}

TEST_F(LoadSimulatedDevicesTest, MissingOrOversizedFilesGiveNoDevicesAndSaySo) {
  const QString missing = PathOf("none.ini");
  TSimulatedDevicesLoad load = LoadSimulatedDevices(missing);
  EXPECT_TRUE(load.Devices.isEmpty());
  EXPECT_TRUE(load.Error.startsWith("Cannot open the simulated devices file \"" + missing + "\""))
      << load.Error.toStdString();

  QByteArray big = "[COM3]\nModel=DI-158\n";
  big += QByteArray(SimulatedDevicesMaxFileBytes, ';');
  load = LoadSimulatedDevices(WriteFile("big.ini", big));
  EXPECT_TRUE(load.Devices.isEmpty());
  EXPECT_TRUE(load.Error.contains("is too large")) << load.Error.toStdString();
}

TEST_F(LoadSimulatedDevicesTest, TheCurrentSetComesFromTheEnvironmentUntilAFileIsChosen) {
  const QString fromEnv = WriteFile("env.ini", "[COM3]\nModel=DI-158\n");
  const QString chosen = WriteFile("chosen.ini", "[COM8]\nModel=DI-149\nOops\n");

  ResetSimulatedDevices();
  qputenv("TAVRIN_SIMULATE", fromEnv.toLocal8Bit());
  ASSERT_EQ(SimulatedDevices().size(), 1);
  EXPECT_EQ(SimulatedDevicesError(), QString());
  EXPECT_EQ(FindSimulatedDevice("com3")->ModelId, QString("158"));
  EXPECT_FALSE(FindSimulatedDevice("COM8"));

  const QString error = SetSimulatedDevicesFile(chosen);
  EXPECT_TRUE(error.contains("line 3")) << error.toStdString();
  EXPECT_EQ(SimulatedDevicesError(), error);
  EXPECT_FALSE(FindSimulatedDevice("COM3"));
  EXPECT_EQ(FindSimulatedDevice("COM8")->ModelId, QString("149"));

  // An empty path chooses no devices, even with the variable set.
  EXPECT_EQ(SetSimulatedDevicesFile(QString()), QString());
  EXPECT_TRUE(SimulatedDevices().isEmpty());

  ResetSimulatedDevices();
  qunsetenv("TAVRIN_SIMULATE");
  EXPECT_TRUE(SimulatedDevices().isEmpty());
  EXPECT_EQ(SimulatedDevicesError(), QString());
}

}  // namespace
