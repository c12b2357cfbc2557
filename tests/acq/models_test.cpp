#include "acq/models.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ModelIdFromName, DerivesTheIdFromTheModelWord) {
  struct TCase {
    const char* Name;
    const char* Id;
  };
  const std::vector<TCase> cases = {
      {"DI-158-USB", "158"},
      {"DI158", "158"},
      {"DI155", "155"},
      {"DI-155U", "155"},
      {"DI-148U", "148"},
      {"DI149", "149"},
      {"DI-710-USB", "710"},
      {"DI710-UHS", "710"},
      {"ORCA8X", "ORCA8X"},
      {"Demo", "Demo"},
      {"USB", ""},
      {"", ""},
      {"di-158", ""},
      {"orca8x", ""},
      {"demo", ""},
      {"DI 158", ""},
      // First match wins.
      {"DI-158 DI-710", "158"},
      {"Demo DI-149", "149"},
  };
  for (const TCase& c : cases) EXPECT_EQ(ModelIdFromName(c.Name), QString(c.Id)) << c.Name;
}

TEST(ModelTables, ClassTestsChannelsAndDefaultRanges) {
  struct TCase {
    const char* Id;
    int MaxChannels;
    int RangeCode;     // without IsPGL
    int RangeCodePGL;  // with IsPGL
    bool HasVariant;
    bool Dataq;
  };
  const std::vector<TCase> cases = {
      {"158", 4, 1, 1, true, true},    {"155", 4, 104, 104, false, true},
      {"148", 8, 0, 0, true, true},    {"149", 8, 0, 0, false, true},
      {"710", 8, 1, 0, true, true},    {"ORCA8X", 8, 0, 0, true, false},
      {"Demo", 4, 1, 1, false, false}, {"", 0, 0, 0, true, true},
  };
  for (const TCase& c : cases) {
    const QString id = c.Id;
    EXPECT_EQ(MaxChannels(id), c.MaxChannels) << c.Id;
    EXPECT_EQ(DefaultRangeCode(id, false), c.RangeCode) << c.Id;
    EXPECT_EQ(DefaultRangeCode(id, true), c.RangeCodePGL) << c.Id;
    EXPECT_EQ(HasModelVariant(id), c.HasVariant) << c.Id;
    EXPECT_EQ(IsDataqModel(id), c.Dataq) << c.Id;
  }
  EXPECT_TRUE(IsDI158("158"));
  EXPECT_TRUE(IsDI710("710"));
  EXPECT_FALSE(IsDI710("158"));
  EXPECT_TRUE(IsOrca8xModel("ORCA8X"));
  EXPECT_TRUE(IsDemoModel("Demo"));
  EXPECT_FALSE(IsDemoModel("demo"));
}

TEST(RangeHigh, CoversEveryCodeFamily) {
  struct TCase {
    int Code;
    bool PGL;
    double High;
  };
  const std::vector<TCase> cases = {
      {0, false, 10},
      {0, true, 10},
      {1, false, 5},
      {1, true, 1},
      {2, false, 2.5},
      {2, true, 0.1},
      {3, false, 1.25},
      {3, true, 0.01},
      {4, false, 0},
      {4, true, 0},
      {9, false, 0},
      {10, false, 64},
      {11, false, 32},
      {12, false, 16},
      {12, true, 16},
      {16, false, 1},
      {99, false, 1.0339757656912846e-25 /* 2^-83 */},
      {100, false, 50},
      {101, false, 25},
      {102, false, 12.5},
      {103, false, 10},
      {104, false, 6.25},
      {105, false, 3.125},
      {106, false, 2.5},
      {107, false, 0},
      {-1, false, 0},
      {-1000, true, 0},
  };
  for (const TCase& c : cases) {
    EXPECT_DOUBLE_EQ(RangeHigh(c.Code, c.PGL), c.High) << c.Code << " " << c.PGL;
    EXPECT_DOUBLE_EQ(RangeLow(c.Code, c.PGL), -c.High) << c.Code << " " << c.PGL;
  }
}

TEST(CountsToVolts, SpansTheRange) {
  struct TCase {
    int Counts;
    double High, Low, Volts;
  };
  const std::vector<TCase> cases = {
      {16384, 5, -5, 2.5},
      {0, 6.25, -6.25, 0},
      {-32768, 5, -5, -5},
      {32767, 5, -5, 4.99984741211},
      {32768, 10, -10, 10},
      {-16384, 10, -10, -5},
      // An asymmetric span is centred on its middle.
      {0, 10, 0, 5},
      {-32768, 10, 0, 0},
  };
  for (const TCase& c : cases)
    EXPECT_NEAR(CountsToVolts(c.Counts, c.High, c.Low), c.Volts, 1e-9) << c.Counts;
}

TEST(DataqErrorText, KnownAndUnknownCodes) {
  struct TCase {
    int Code;
    const char* Text;
  };
  const std::vector<TCase> cases = {
      {0, "No Error"},
      {2, "Communication Error"},
      {4, "Error closing data acquisition device, or unable to claim parallel port"},
      {14, "Scan List Length Error"},
      {15, "Unknown error: 15"},
      {17, "Unknown error: 17"},
      {18, "Unknown error: 18"},
      {19, "Device not opened for function requiring it"},
      {21, "Device already open error"},
      {22, "Unknown error: 22"},
      {888, "Failed to allocate array for return variant."},
      {3000, "Failed to set up the monitoring process (stream feature only)."},
      {8000, "Failed to allocate minimum data buffer for the device."},
      {8001, "Failed to allocate maximum data buffer for the device."},
      {-1, "Failed/uninitialized link to specified device driver."},
      {-2, "Unknown error: -2"},
  };
  for (const TCase& c : cases) EXPECT_EQ(DataqErrorText(c.Code), QString(c.Text)) << c.Code;
}

TEST(IsSevereControlError, OnlyDeviceNotOpenedAndBrokenLink) {
  for (int code : {-2, 0, 1, 2, 18, 20, 21, 888}) EXPECT_FALSE(IsSevereControlError(code)) << code;
  EXPECT_TRUE(IsSevereControlError(19));
  EXPECT_TRUE(IsSevereControlError(-1));
}

TEST(DataqProcessName, PadsToTwoDigits) {
  struct TCase {
    int Com;
    const char* Name;
  };
  const std::vector<TCase> cases = {
      {3, "DISCN103.EXE"}, {12, "DISCN112.EXE"}, {0, "DISCN100.EXE"}, {100, "DISCN1100.EXE"}};
  for (const TCase& c : cases) EXPECT_EQ(DataqProcessName(c.Com), QString(c.Name)) << c.Com;
}

TEST(ModelVariantFromReply, ReadsTheSerialNumberTail) {
  struct TCase {
    const char* Model;
    const char* Reply;
    const char* Variant;
  };
  const std::vector<TCase> cases = {
      {"158", "123456700", "U"},
      {"158", "123456701", "UP"},
      {"158", "123456702", "Undefined"},
      {"158", "0", "Undefined"},
      {"158", "", "Undefined"},
      {"148", "5550000", "U"},
      {"148", "5550001", "Undefined"},
      {"148", "", "Undefined"},
      {"710", "12345678901", "Undefined"},  // 11 characters, odd digit
      {"710", "12345678902", "Undefined"},  // 11 characters, even digit
      {"710", "123456789011", "PGH"},
      {"710", "123456789012", "PGL"},
      {"710", "123456789010", "PGL"},
      {"710", "12345678901X", "Undefined"},
      {"710", "", "Undefined"},
      {"155", "123456701", "Std"},
      {"149", "", "Std"},
      {"ORCA8X", "", "Std"},
      {"Demo", "", "Demo"},
      {"", "123456700", "Unknown device"},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(ModelVariantFromReply(c.Model, c.Reply), QString(c.Variant))
        << c.Model << " / " << c.Reply;
}

TEST(ComNumberFromText, TakesTheNumberAfterCom) {
  struct TCase {
    const char* Text;
    int Fallback;
    int Number;
  };
  const std::vector<TCase> cases = {
      {"COM3", -1, 3},   {"COM12", 1, 12},   {"Demo port", -1, -1}, {"Demo port", 1, 1},
      {"COM??", -1, -1}, {"COM", 1, 1},      {"", -1, -1},          {"COM-1", 1, -1},
      {"com3", -1, -1},  {"USBCOM7", -1, 7}, {"COM3x", 1, 1},
  };
  for (const TCase& c : cases) EXPECT_EQ(ComNumberFromText(c.Text, c.Fallback), c.Number) << c.Text;
}

}  // namespace
