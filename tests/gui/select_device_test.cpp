#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <algorithm>

#include "acq/kvseldev.h"
#include "common/temp_dir.h"
#include "doubles/fake_serial_ports.h"
#include "doubles/manual_clock.h"
#include "platform/registry.h"

namespace {

// A DATAQ device on COM3 and an amplifier on COM12.
const char* const Registry = R"(
[SYSTEM\CurrentControlSet\Services\FTSER2K\ENUM]
Count=dword:1
0=FTDIBUS\VID_0403+PID_6001+A1\0000
[SYSTEM\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6001+A1\0000]
FriendlyName=USB Serial Port (COM12)
[SYSTEM\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6001+A1\0000\Device Parameters]
PortName=COM12
[System\CurrentControlSet\Services\usbser\Enum]
Count=dword:1
0=USB\VID_0683&PID_1580\1
[System\CurrentControlSet\Enum\USB\VID_0683&PID_1580\1]
FriendlyName=DATAQ DI-158 (COM3)
[System\CurrentControlSet\Enum\USB\VID_0683&PID_1580\1\Device Parameters]
PortName=COM3
)";

class SelectDeviceTest : public TTempDirTest {
protected:
  void SetUp() override {
    // The dialog's scan writes its trace into the current folder.
    SavedCurrent = QDir::currentPath();
    QDir::setCurrent(Dir.path());
    QDir().mkpath(PathOf("ports"));
    qputenv("TAVRIN_PORTS_DIR", PathOf("ports").toLocal8Bit());
    for (const char* port : {"COM3", "COM12", "COM99"}) AddPort(port);
    Form = std::make_unique<TfrmSelDev>(
        [](int com) { return com == 12 ? QStringLiteral("ORCA8X") : QString(); });
  }
  void TearDown() override {
    Form.reset();
    qunsetenv("TAVRIN_PORTS_DIR");
    QDir::setCurrent(SavedCurrent);
  }
  void AddPort(const QString& name) {
    QFile file(PathOf("ports/" + name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  QStringList Connections() const {
    QStringList texts;
    for (int i = 0; i < Form->lbConnection->count(); ++i)
      texts << Form->lbConnection->item(i)->text();
    return texts;
  }
  QString CurrentConnection() const {
    QListWidgetItem* item = Form->lbConnection->currentItem();
    return item ? item->text() : QString();
  }

  TFixtureRegistry FixtureRegistry = TFixtureRegistry::FromText(Registry);
  TManualClock Clock;
  TFakeSerialPorts Serial;
  TSeamOverride<TDeviceRegistry> RegistryOverride{&TSeamSet::Registry, FixtureRegistry};
  TSeamOverride<TClock> ClockOverride{&TSeamSet::Clock, Clock};
  TSeamOverride<TSerialPorts> SerialOverride{&TSeamSet::Serial, Serial};
  QString SavedCurrent;
  std::unique_ptr<TfrmSelDev> Form;
};

TEST_F(SelectDeviceTest, ListsTheDevicesAndThePorts) {
  EXPECT_EQ(Form->windowTitle(), "Select recording device");
  EXPECT_EQ(Form->size(), QSize(450, 388));
  EXPECT_EQ(Form->cbShowPortDetails->text(), "Show details");
  EXPECT_FALSE(Form->cbShowPortDetails->isChecked());

  QStringList devices;
  for (int i = 0; i < Form->lbDevice->count(); ++i) devices << Form->lbDevice->item(i)->text();
  EXPECT_EQ(devices, (QStringList{"Demo device", "OXD ORCA8X (COM12)", "DATAQ DI-158 (COM3)"}));
  EXPECT_EQ(Form->SelectedDevice(), 0);
  EXPECT_TRUE(QFile::exists(PathOf("trace.txt")));

  const QStringList connections = Connections();
  ASSERT_GE(connections.size(), 4);
  EXPECT_EQ(connections.first(), "Demo port");
  QStringList ports = connections.mid(1);
  EXPECT_TRUE(std::is_sorted(ports.begin(), ports.end(), [](const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
  }));
  // Sorted as text, not by number.
  EXPECT_LT(ports.indexOf("COM12"), ports.indexOf("COM3"));
  EXPECT_EQ(ports.last(), "COM99");
}

TEST_F(SelectDeviceTest, TheConnectionFollowsTheDevice) {
  // The demo device: its "Demo port", and the list is locked.
  EXPECT_EQ(CurrentConnection(), "Demo port");
  EXPECT_FALSE(Form->lbConnection->isEnabled());
  EXPECT_EQ(Form->SelectedComNumber(), -1);

  Form->lbDevice->setCurrentRow(2);  // the DI-158 on COM3
  EXPECT_EQ(CurrentConnection(), "COM3");
  EXPECT_TRUE(Form->lbConnection->isEnabled());
  EXPECT_EQ(Form->SelectedComNumber(), 3);

  Form->lbDevice->setCurrentRow(1);  // the amplifier on COM12
  EXPECT_EQ(CurrentConnection(), "COM12");
  EXPECT_EQ(Form->SelectedComNumber(), 12);

  // The user may connect the device elsewhere.
  Form->lbConnection->setCurrentRow(Form->FindConnection(99));
  EXPECT_EQ(Form->SelectedComNumber(), 99);
  EXPECT_EQ(Form->SelectedDevice(), 1);

  Form->lbDevice->setCurrentRow(0);
  EXPECT_EQ(CurrentConnection(), "Demo port");
  EXPECT_FALSE(Form->lbConnection->isEnabled());
}

TEST_F(SelectDeviceTest, ConnectionNumbers) {
  EXPECT_EQ(Form->ConnectionComNumber(0), -1);
  EXPECT_EQ(Form->ConnectionComNumber(-1), -1);
  EXPECT_EQ(Form->ConnectionComNumber(Form->lbConnection->count()), -1);
  EXPECT_EQ(Form->FindConnection(-1), 0);
  EXPECT_EQ(Form->FindConnection(98), -1);
  const int at = Form->FindConnection(12);
  ASSERT_GT(at, 0);
  EXPECT_EQ(Form->lbConnection->item(at)->text(), "COM12");
}

TEST_F(SelectDeviceTest, ShowDetailsRefillsAndKeepsTheChoice) {
  Form->lbDevice->setCurrentRow(2);
  const int com3 = Form->lbConnection->currentRow();
  const int count = Form->lbConnection->count();

  Form->cbShowPortDetails->click();
  EXPECT_EQ(Form->lbConnection->count(), count);
  EXPECT_EQ(Form->lbConnection->currentRow(), com3);
  EXPECT_TRUE(CurrentConnection().startsWith("COM3=")) << CurrentConnection().toStdString();
  EXPECT_EQ(Form->SelectedComNumber(), 3);
  EXPECT_EQ(Connections().first(), "Demo port");
  EXPECT_EQ(Form->FindConnection(12), Connections().indexOf(QRegularExpression("^COM12=.*")));

  // The last port vanished meanwhile: the choice falls back to the first entry.
  Form->lbConnection->setCurrentRow(count - 1);
  ASSERT_TRUE(QFile::remove(PathOf("ports/COM99")));
  Form->cbShowPortDetails->click();
  EXPECT_EQ(Form->lbConnection->count(), count - 1);
  EXPECT_EQ(Form->lbConnection->currentRow(), 0);
  EXPECT_FALSE(Connections().join(' ').contains("="));
}

TEST_F(SelectDeviceTest, OkAndCancelCloseTheDialog) {
  Form->show();
  Form->bnOK->click();
  EXPECT_EQ(Form->result(), QDialog::Accepted);
  Form->show();
  Form->bnCancel->click();
  EXPECT_EQ(Form->result(), QDialog::Rejected);
}

}  // namespace
