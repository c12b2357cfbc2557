// The registry view synthesized from a fake sysfs tree built in a temporary folder,
// laid out as the kernel does: class/tty links into devices/, "device" and
// "driver" links, attribute files on the USB device.
#include "platform/sysfs_registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <map>

#include "common/temp_dir.h"

namespace {

using TAttributes = std::map<std::string, std::string>;

const QString Ftdi = FtdiServiceKey;
const QString UsbSer = UsbSerialServiceKey;
const QString Root = DeviceEnumRoot;

class SysfsRegistryTest : public TTempDirTest {
protected:
  QString Sys() const { return PathOf("sys"); }

  void MakeDir(const QString& rel) const { ASSERT_TRUE(QDir().mkpath(Sys() + '/' + rel)); }
  void Attribute(const QString& rel, const std::string& text) const {
    MakeDir(QFileInfo(rel).path());
    QFile f(Sys() + '/' + rel);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::fromStdString(text + "\n"));
  }
  // A relative link, as sysfs has them; the target need not exist.
  void Link(const QString& rel, const QString& targetRel) const {
    const QString dir = QFileInfo(Sys() + '/' + rel).path();
    QDir().mkpath(dir);
    const QString target = QDir(dir).relativeFilePath(Sys() + '/' + targetRel);
    std::filesystem::create_symlink(target.toStdString(), (Sys() + '/' + rel).toStdString());
  }
  void LoadDrivers() const {
    MakeDir("bus/usb/drivers/ftdi_sio");
    MakeDir("bus/usb/drivers/cdc_acm");
    MakeDir("bus/usb/drivers/pl2303");
    MakeDir("bus/usb-serial/drivers/ftdi_sio");
    MakeDir("bus/usb-serial/drivers/pl2303");
    MakeDir("bus/platform/drivers/serial8250");
  }
  void UsbDevice(const QString& usb, const TAttributes& attributes) const {
    MakeDir(usb);
    for (const auto& [name, text] : attributes)
      Attribute(usb + '/' + QString::fromStdString(name), text);
  }
  // A usb-serial port (ftdi_sio, pl2303): tty -> port device -> interface -> USB device.
  void UsbSerialTty(const QString& tty, const QString& usb, const QString& driver,
                    int interface = 0) const {
    const QString iface =
        QStringLiteral("%1/%2:1.%3").arg(usb, QFileInfo(usb).fileName()).arg(interface);
    const QString port = iface + '/' + tty;
    MakeDir("bus/usb/drivers/" + driver);  // a bound driver is loaded
    MakeDir("bus/usb-serial/drivers/" + driver);
    Link(iface + "/driver", "bus/usb/drivers/" + driver);
    Link(port + "/driver", "bus/usb-serial/drivers/" + driver);
    Link(port + "/tty/" + tty + "/device", port);
    Link("class/tty/" + tty, port + "/tty/" + tty);
  }
  // A CDC port: tty -> interface (bound to cdc_acm) -> USB device.
  void AcmTty(const QString& tty, const QString& usb) const {
    const QString iface = usb + '/' + QFileInfo(usb).fileName() + ":1.0";
    MakeDir("bus/usb/drivers/cdc_acm");
    Link(iface + "/driver", "bus/usb/drivers/cdc_acm");
    Link(iface + "/tty/" + tty + "/device", iface);
    Link("class/tty/" + tty, iface + "/tty/" + tty);
  }
  void FtdiAmplifier(const QString& tty = "ttyUSB0",
                     const QString& usb = "devices/usb1/1-1") const {
    UsbDevice(usb, {{"idVendor", "0403"},
                    {"idProduct", "6001"},
                    {"serial", "a1b2c3"},
                    {"product", "FT232R USB UART"},
                    {"manufacturer", "FTDI"}});
    UsbSerialTty(tty, usb, "ftdi_sio");
  }
  void DataqDevice(const std::string& product, const QString& tty = "ttyACM0",
                   const std::string& vid = "0683") const {
    UsbDevice("devices/usb1/1-2", {{"idVendor", vid},
                                   {"idProduct", "1580"},
                                   {"serial", "5e7a"},
                                   {"product", product},
                                   {"manufacturer", "DATAQ Instruments"}});
    AcmTty(tty, "devices/usb1/1-2");
  }

  TFixtureRegistry Tree() const { return SysfsRegistryTree(Sys()); }

  static std::optional<QString> String(TFixtureRegistry& tree, const QString& key,
                                       const QString& name) {
    const auto k = tree.OpenKey(key);
    return k ? k->ReadString(name) : std::nullopt;
  }
  static std::optional<qint64> Count(TFixtureRegistry& tree, const QString& key) {
    const auto k = tree.OpenKey(key);
    return k ? k->ReadInteger("Count") : std::nullopt;
  }
};

TEST_F(SysfsRegistryTest, FtdiAmplifierAppearsUnderTheFtdiDriver) {
  LoadDrivers();
  FtdiAmplifier();
  TFixtureRegistry tree = Tree();

  EXPECT_EQ(Count(tree, Ftdi), 1);
  const QString path = "FTDIBUS\\VID_0403+PID_6001+A1B2C3\\0000";
  EXPECT_EQ(String(tree, Ftdi, "0"), path);
  EXPECT_EQ(String(tree, Root + path.toUpper(), "FriendlyName"), "FT232R USB UART (COM33)");
  EXPECT_EQ(String(tree, Root + path, "Mfg"), "FTDI");
  EXPECT_EQ(String(tree, Root + path + "\\Device Parameters", "PortName"), "COM33");
  // The other driver is loaded but serves nothing.
  EXPECT_EQ(Count(tree, UsbSer), 0);
}

TEST_F(SysfsRegistryTest, DataqCdcDeviceAppearsUnderTheUsbSerialDriver) {
  LoadDrivers();
  DataqDevice("DATAQ DI-158");
  TFixtureRegistry tree = Tree();

  EXPECT_EQ(Count(tree, UsbSer), 1);
  const QString path = "USB\\VID_0683&PID_1580\\5E7A";
  EXPECT_EQ(String(tree, UsbSer, "0"), path);
  EXPECT_EQ(String(tree, Root + path, "FriendlyName"), "DATAQ DI-158 (COM65)");
  EXPECT_EQ(String(tree, Root + path, "Mfg"), "DATAQ Instruments");
  EXPECT_EQ(String(tree, Root + path + "\\Device Parameters", "PortName"), "COM65");
  EXPECT_EQ(Count(tree, Ftdi), 0);
}

TEST_F(SysfsRegistryTest, FriendlyNamesPutTheModelWhereDiscoveryLooks) {
  struct TCase {
    std::string Vid, Product;
    QString Expected;
  };
  const std::vector<TCase> cases = {
      {"0683", "DATAQ DI-710-USB", "DATAQ DI-710-USB (COM65)"},
      {"0683", "DI-158 Device", "DATAQ DI-158 Device (COM65)"},  // maker added
      {"0683", "DI148", "DATAQ DI148 (COM65)"},
      {"0683", "Data logger", "Data logger (COM65)"},      // no model word: as reported
      {"1234", "DI-158 Device", "DI-158 Device (COM65)"},  // not a DATAQ device
      {"0683", "", "USB Serial Device (COM65)"},           // Windows' default name
      {"0683", "bad\tname\x01", "bad name (COM65)"},       // control characters
  };
  for (const TCase& c : cases) {
    QDir(Sys()).removeRecursively();
    DataqDevice(c.Product, "ttyACM0", c.Vid);
    TFixtureRegistry tree = Tree();
    const std::optional<QString> path = String(tree, UsbSer, "0");
    ASSERT_TRUE(path) << c.Product;
    EXPECT_EQ(String(tree, Root + *path, "FriendlyName"), c.Expected) << c.Product;
  }
}

TEST_F(SysfsRegistryTest, TtysOfOtherDriversAreIgnored) {
  LoadDrivers();
  FtdiAmplifier("ttyUSB1", "devices/usb1/1-1");
  UsbDevice("devices/usb1/1-3", {{"idVendor", "067b"}, {"idProduct", "2303"}, {"serial", "X"}});
  UsbSerialTty("ttyUSB0", "devices/usb1/1-3", "pl2303");
  MakeDir("devices/platform/serial8250/tty/ttyS0");
  Link("devices/platform/serial8250/driver", "bus/platform/drivers/serial8250");
  Link("devices/platform/serial8250/tty/ttyS0/device", "devices/platform/serial8250");
  Link("class/tty/ttyS0", "devices/platform/serial8250/tty/ttyS0");
  MakeDir("devices/virtual/tty/tty0");  // a console: no device at all
  Link("class/tty/tty0", "devices/virtual/tty/tty0");
  TFixtureRegistry tree = Tree();

  EXPECT_EQ(Count(tree, Ftdi), 1);
  EXPECT_EQ(String(tree, Ftdi, "0"), "FTDIBUS\\VID_0403+PID_6001+A1B2C3\\0000");
  EXPECT_EQ(Count(tree, UsbSer), 0);
}

TEST_F(SysfsRegistryTest, PortsWithoutOrSharingASerialNumberGetDistinctPaths) {
  LoadDrivers();
  UsbDevice("devices/usb1/1-1", {{"idVendor", "0403"}, {"idProduct", "6001"}});
  UsbSerialTty("ttyUSB0", "devices/usb1/1-1", "ftdi_sio");
  // A dual-port chip: two ttys under one USB device and one serial number.
  UsbDevice("devices/usb1/1-4", {{"idVendor", "0403"}, {"idProduct", "6010"}, {"serial", "FT9"}});
  UsbSerialTty("ttyUSB1", "devices/usb1/1-4", "ftdi_sio", 0);
  UsbSerialTty("ttyUSB2", "devices/usb1/1-4", "ftdi_sio", 1);
  TFixtureRegistry tree = Tree();

  EXPECT_EQ(Count(tree, Ftdi), 3);
  EXPECT_EQ(String(tree, Ftdi, "0"), "FTDIBUS\\VID_0403+PID_6001+TTYUSB0\\0000");
  EXPECT_EQ(String(tree, Ftdi, "1"), "FTDIBUS\\VID_0403+PID_6010+FT9\\0000");
  EXPECT_EQ(String(tree, Ftdi, "2"), "FTDIBUS\\VID_0403+PID_6010+FT9_TTYUSB2\\0000");
  const QString path = "FTDIBUS\\VID_0403+PID_6001+TTYUSB0\\0000";
  EXPECT_EQ(String(tree, Root + path, "FriendlyName"), "USB Serial Port (COM33)");
  EXPECT_EQ(String(tree, Root + path, "Mfg"), "");
  EXPECT_EQ(String(tree, Root + "FTDIBUS\\VID_0403+PID_6010+FT9_TTYUSB2\\0000\\Device Parameters",
                   "PortName"),
            "COM35");
}

TEST_F(SysfsRegistryTest, TtysAreListedInNumericOrder) {
  FtdiAmplifier("ttyUSB10", "devices/usb1/1-1");
  UsbDevice("devices/usb1/1-5", {{"idVendor", "0403"}, {"idProduct", "6001"}, {"serial", "B"}});
  UsbSerialTty("ttyUSB2", "devices/usb1/1-5", "ftdi_sio");
  TFixtureRegistry tree = Tree();
  EXPECT_EQ(String(tree, Ftdi, "0"), "FTDIBUS\\VID_0403+PID_6001+B\\0000");
  EXPECT_EQ(String(tree, Ftdi, "1"), "FTDIBUS\\VID_0403+PID_6001+A1B2C3\\0000");
}

TEST_F(SysfsRegistryTest, ATtyOutsideTheComTableHasNoPortName) {
  FtdiAmplifier("ttyUSB40");
  TFixtureRegistry tree = Tree();
  const QString path = "FTDIBUS\\VID_0403+PID_6001+A1B2C3\\0000";
  EXPECT_EQ(String(tree, Ftdi, "0"), path);
  EXPECT_EQ(String(tree, Root + path, "FriendlyName"), "FT232R USB UART");
  EXPECT_FALSE(tree.OpenKey(Root + path + "\\Device Parameters"));
}

TEST_F(SysfsRegistryTest, ServiceKeysExistWhileTheirDriverIsLoaded) {
  MakeDir("class/tty");
  TFixtureRegistry bare = Tree();
  EXPECT_FALSE(bare.OpenKey(Ftdi));
  EXPECT_FALSE(bare.OpenKey(UsbSer));

  LoadDrivers();
  TFixtureRegistry loaded = Tree();
  EXPECT_EQ(Count(loaded, Ftdi), 0);
  EXPECT_EQ(Count(loaded, UsbSer), 0);

  EXPECT_TRUE(SysfsRegistryTree(PathOf("no such folder")).IsEmpty());
}

TEST_F(SysfsRegistryTest, OddTreesAreSkippedWithoutHarm) {
  LoadDrivers();
  Link("class/tty/ttyUSB5", "devices/gone/ttyUSB5");  // dangling class link
  MakeDir("devices/x/tty/ttyUSB6");
  Link("devices/x/tty/ttyUSB6/device", "devices/gone");  // dangling device link
  Link("class/tty/ttyUSB6", "devices/x/tty/ttyUSB6");
  // Bound to ftdi_sio, but nothing above carries idVendor.
  MakeDir("devices/y");
  UsbSerialTty("ttyUSB7", "devices/y", "ftdi_sio");
  // Vendor id that is not one.
  UsbDevice("devices/usb2/2-1", {{"idVendor", "zz"}, {"idProduct", "6001"}});
  UsbSerialTty("ttyUSB8", "devices/usb2/2-1", "ftdi_sio");
  // The good one, with a serial number that tries to leave its key, a
  // product that is a folder, a manufacturer that is a FIFO and an
  // unreadable id file on its sibling.
  UsbDevice("devices/usb1/1-1",
            {{"idVendor", "0403"}, {"idProduct", "6001"}, {"serial", "..\\..\\Services/usbser"}});
  MakeDir("devices/usb1/1-1/product");
  ASSERT_EQ(::mkfifo((Sys() + "/devices/usb1/1-1/manufacturer").toLocal8Bit().constData(), 0600),
            0);
  UsbSerialTty("ttyUSB0", "devices/usb1/1-1", "ftdi_sio");
  UsbDevice("devices/usb1/1-9", {{"idVendor", "0403"}, {"idProduct", "6001"}});
  QFile::setPermissions(Sys() + "/devices/usb1/1-9/idProduct", QFileDevice::Permissions());
  UsbSerialTty("ttyUSB9", "devices/usb1/1-9", "ftdi_sio");

  TFixtureRegistry tree = Tree();
  const QString path = "FTDIBUS\\VID_0403+PID_6001+.._.._SERVICES_USBSER\\0000";
  EXPECT_EQ(String(tree, Ftdi, "0"), path);
  EXPECT_EQ(String(tree, Root + path, "FriendlyName"), "USB Serial Port (COM33)");
  EXPECT_EQ(String(tree, Root + path, "Mfg"), "");
  // Run as root the unreadable file is read after all; either way nothing breaks.
  const qint64 count = Count(tree, Ftdi).value_or(-1);
  EXPECT_TRUE(count == 1 || count == 2) << count;
  EXPECT_EQ(Count(tree, UsbSer), 0);
}

TEST(DeviceTreeMergeTest, InstancesOfBothTreesAreNumberedWithoutGaps) {
  TFixtureRegistry mine;
  mine.SetInteger(UsbSer, "Count", 0);
  AddDeviceInstance(mine, Ftdi, {"FTDIBUS\\A", "Mine A", "M", 33});
  TFixtureRegistry theirs;
  AddDeviceInstance(theirs, Ftdi, {"FTDIBUS\\B", "Theirs B", "T", 7});
  AddDeviceInstance(theirs, Ftdi, {"FTDIBUS\\C", "Theirs C", "T", -1});

  MergeDeviceTree(mine, theirs);
  EXPECT_EQ(ServiceInstances(mine, Ftdi), QStringList({"FTDIBUS\\A", "FTDIBUS\\B", "FTDIBUS\\C"}));
  EXPECT_EQ(mine.OpenKey(Ftdi)->ReadInteger("Count"), 3);
  EXPECT_EQ(mine.OpenKey(Root + "FTDIBUS\\A\\Device Parameters")->ReadString("PortName"), "COM33");
  EXPECT_EQ(mine.OpenKey(Root + "FTDIBUS\\B")->ReadString("FriendlyName"), "Theirs B");
  EXPECT_FALSE(mine.OpenKey(Root + "FTDIBUS\\C\\Device Parameters"));
  // A key only one tree has stays as it was; one neither has stays missing.
  EXPECT_EQ(mine.OpenKey(UsbSer)->ReadInteger("Count"), 0);

  TFixtureRegistry empty;
  MergeDeviceTree(empty, TFixtureRegistry());
  EXPECT_TRUE(empty.IsEmpty());
}

}  // namespace
