#include "platform/sysfs_registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

#include "platform/paths.h"

namespace {

// Sysfs attributes are short; a fake or hostile tree must not make us read much.
constexpr qint64 MaxAttributeBytes = 256;
// More instances than any machine has: bounds the work a corrupt Count causes.
constexpr qint64 MaxInstances = 10000;

QString Canonical(const QString& path) {
  return QFileInfo(path).canonicalFilePath();
}

QString ParentOf(const QString& path) {
  return QFileInfo(path).path();
}

// An attribute's text, trimmed; empty when it is missing or not a plain file
// (a FIFO or device node would block or stream).
QString ReadAttribute(const QString& dir, const char* name) {
  const QString path = dir + u'/' + QLatin1String(name);
  if (!QFileInfo(path).isFile()) return {};
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QString text = QString::fromUtf8(file.read(MaxAttributeBytes));
  for (QChar& c : text)
    if (!c.isPrint()) c = u' ';
  return text.trimmed();
}

// The driver bound to a device folder: the name its "driver" link leads to.
QString DriverOf(const QString& deviceDir) {
  const QString driver = Canonical(deviceDir + QStringLiteral("/driver"));
  return driver.isEmpty() ? QString() : QFileInfo(driver).fileName();
}

// The USB device above a tty's device: the nearest folder holding idVendor.
QString UsbDeviceOf(QString dir, const QString& root) {
  for (int depth = 0; depth < 32 && dir.startsWith(root + u'/'); ++depth) {
    if (QFileInfo(dir + QStringLiteral("/idVendor")).isFile()) return dir;
    dir = ParentOf(dir);
  }
  return {};
}

// A part of an instance path: printable ASCII without path separators.
QString InstancePart(const QString& text) {
  QString part = text.left(64);
  for (QChar& c : part)
    if (c.unicode() <= 0x20 || c.unicode() >= 0x7F || c == u'\\' || c == u'/') c = u'_';
  return part.toUpper();
}

bool IsUsbId(const QString& id) {
  static const QRegularExpression form(QStringLiteral("^[0-9A-F]{4}$"));
  return form.match(id).hasMatch();
}

// The device's name before " (COMn)": the product text as the device reports
// it, with Windows' default names when it reports none. A DATAQ product that
// names its model but not its maker gets "DATAQ " in front, so the model is
// the name's second word, where discovery looks for it.
QString DisplayName(const QString& vid, const QString& product, bool ftdi) {
  if (product.isEmpty())
    return ftdi ? QStringLiteral("USB Serial Port") : QStringLiteral("USB Serial Device");
  static const QRegularExpression model(QStringLiteral("DI-?[0-9]{3}"));
  if (vid == QLatin1String("0683") && model.match(product).hasMatch() &&
      !product.startsWith(QLatin1String("DATAQ ")))
    return QStringLiteral("DATAQ ") + product;
  return product;
}

// Orders ttyUSB2 before ttyUSB10.
bool NaturalLess(const QString& a, const QString& b) {
  auto split = [](const QString& s) {
    qsizetype i = s.size();
    while (i > 0 && s[i - 1].isDigit()) --i;
    return std::make_pair(s.left(i), s.mid(i).left(9).toInt());
  };
  const auto ka = split(a);
  const auto kb = split(b);
  if (ka != kb) return ka < kb;
  return a < b;
}

struct TService {
  const char* Driver;
  const char* Key;
  bool Ftdi;
};
constexpr TService Services[] = {{"ftdi_sio", FtdiServiceKey, true},
                                 {"cdc_acm", UsbSerialServiceKey, false}};

const TService* ServiceOf(const QString& driver) {
  for (const TService& s : Services)
    if (driver == QLatin1String(s.Driver)) return &s;
  return nullptr;
}

}  // namespace

void AddDeviceInstance(TFixtureRegistry& tree, const QString& serviceKey,
                       const TDeviceInstance& device) {
  const auto service = tree.OpenKey(serviceKey);
  const qint64 count = service ? std::max<qint64>(0, service->ReadInteger("Count").value_or(0)) : 0;
  tree.SetString(serviceKey, QString::number(count), device.Path);
  tree.SetInteger(serviceKey, QStringLiteral("Count"), count + 1);

  const QString key = QLatin1String(DeviceEnumRoot) + device.Path;
  tree.SetString(key, QStringLiteral("FriendlyName"), device.FriendlyName);
  tree.SetString(key, QStringLiteral("Mfg"), device.Mfg);
  if (device.ComNumber > 0)
    tree.SetString(key + QStringLiteral("\\Device Parameters"), QStringLiteral("PortName"),
                   QStringLiteral("COM%1").arg(device.ComNumber));
}

QStringList ServiceInstances(TFixtureRegistry& tree, const QString& serviceKey) {
  QStringList paths;
  const auto key = tree.OpenKey(serviceKey);
  if (!key) return paths;
  const qint64 count = std::clamp<qint64>(key->ReadInteger("Count").value_or(0), 0, MaxInstances);
  for (qint64 i = 0; i < count; ++i)
    if (const auto path = key->ReadString(QString::number(i))) paths << *path;
  return paths;
}

void MergeDeviceTree(TFixtureRegistry& tree, const TFixtureRegistry& other) {
  TFixtureRegistry theirs = other;  // OpenKey is not const
  struct TList {
    QString Key;
    bool Exists = false;
    QStringList Paths;
  };
  QList<TList> lists;
  for (const TService& s : Services) {
    const QString key = QLatin1String(s.Key);
    lists << TList{key, tree.OpenKey(key) || theirs.OpenKey(key),
                   ServiceInstances(tree, key) + ServiceInstances(theirs, key)};
  }
  tree.Merge(other);
  // Merging overwrote the numbered values of the same name; write the joined lists anew.
  for (const TList& list : lists) {
    if (!list.Exists) continue;
    tree.SetInteger(list.Key, QStringLiteral("Count"), list.Paths.size());
    for (qsizetype i = 0; i < list.Paths.size(); ++i)
      tree.SetString(list.Key, QString::number(i), list.Paths[i]);
  }
}

TFixtureRegistry SysfsRegistryTree(const QString& sysfsRoot) {
  TFixtureRegistry tree;
  const QString root = Canonical(sysfsRoot);
  if (root.isEmpty()) return tree;

  for (const TService& s : Services)
    if (QFileInfo(root + QStringLiteral("/bus/usb/drivers/") + QLatin1String(s.Driver)).isDir())
      tree.SetInteger(QLatin1String(s.Key), QStringLiteral("Count"), 0);

  const QString classDir = root + QStringLiteral("/class/tty");
  QStringList ttys =
      QDir(classDir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
  std::sort(ttys.begin(), ttys.end(), NaturalLess);

  QSet<QString> usedPaths;
  for (const QString& name : ttys) {
    const QString tty = Canonical(classDir + u'/' + name);
    const QString device = tty.isEmpty() ? QString() : Canonical(tty + QStringLiteral("/device"));
    if (device.isEmpty()) continue;
    // ftdi_sio binds the usb-serial port device; cdc_acm the USB interface
    // itself. Either way the port's own driver or its parent's tells.
    const TService* service = ServiceOf(DriverOf(device));
    if (!service) service = ServiceOf(DriverOf(ParentOf(device)));
    if (!service) continue;
    const QString usb = UsbDeviceOf(device, root);
    if (usb.isEmpty()) continue;
    const QString vid = ReadAttribute(usb, "idVendor").toUpper();
    const QString pid = ReadAttribute(usb, "idProduct").toUpper();
    if (!IsUsbId(vid) || !IsUsbId(pid)) continue;

    // Windows names a device without a serial number by its place; the tty
    // name does that here. Ports sharing one USB device (dual and quad
    // chips) keep their paths apart the same way.
    QString id = InstancePart(ReadAttribute(usb, "serial"));
    if (id.isEmpty()) id = InstancePart(name);
    auto pathFor = [&](const QString& instance) {
      return service->Ftdi
                 ? QStringLiteral("FTDIBUS\\VID_%1+PID_%2+%3\\0000").arg(vid, pid, instance)
                 : QStringLiteral("USB\\VID_%1&PID_%2\\%3").arg(vid, pid, instance);
    };
    QString path = pathFor(id);
    if (usedPaths.contains(path)) path = pathFor(id + u'_' + InstancePart(name));
    if (usedPaths.contains(path)) continue;
    usedPaths.insert(path);

    TDeviceInstance instance;
    instance.Path = path;
    instance.ComNumber = ComNumberOfDeviceNode(QStringLiteral("/dev/") + name);
    instance.FriendlyName = DisplayName(vid, ReadAttribute(usb, "product"), service->Ftdi);
    if (instance.ComNumber > 0)
      instance.FriendlyName += QStringLiteral(" (COM%1)").arg(instance.ComNumber);
    instance.Mfg = ReadAttribute(usb, "manufacturer");
    AddDeviceInstance(tree, QLatin1String(service->Key), instance);
  }
  return tree;
}
