#pragma once
// The DATAQ SDK control as the sampler and the main window see it: the
// properties, methods and events they use. On Linux no DATAQ driver exists;
// TSimulatedDataqSdk serves simulated devices and fails honestly, with control
// error -1, for a device nobody serves.

#include <QList>
#include <QObject>
#include <QString>
#include <vector>

// A block of counts as DataqGetData returns it: rows are scan-list positions,
// columns are scans. A default-constructed block has no dimensions at all (the
// control had nothing to return), which differs from rows × 0 scans.
class TDataqBlock {
public:
  TDataqBlock() = default;
  TDataqBlock(int rows, int scans);

  // 0 for a block without dimensions, else 2.
  int DimensionCount() const { return HasDimensions ? 2 : 0; }
  int Rows() const { return RowCount; }
  int Scans() const { return ScanCount; }
  // Throws TError for a position outside the block.
  qint32 At(int row, int scan) const;
  void Set(int row, int scan, qint32 value);

private:
  qsizetype Index(int row, int scan) const;

  bool HasDimensions = false;
  int RowCount = 0;
  int ScanCount = 0;
  std::vector<qint32> Counts;  // row after row
};

class TDataqSdk : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString DeviceDriver READ DeviceDriver WRITE SetDeviceDriver)
  Q_PROPERTY(QString DeviceID READ DeviceID WRITE SetDeviceID)
  Q_PROPERTY(qint16 ADChannelCount READ ADChannelCount WRITE SetADChannelCount)
  Q_PROPERTY(double MaxBurstRate READ MaxBurstRate WRITE SetMaxBurstRate)
  Q_PROPERTY(qint32 EventPoint READ EventPoint WRITE SetEventPoint)
  Q_PROPERTY(double SampleRate READ SampleRate WRITE SetSampleRate)
  Q_PROPERTY(qint16 InfoBoardID READ InfoBoardID)
  Q_PROPERTY(QString InfoSerial READ InfoSerial)
  Q_PROPERTY(qint16 InfoRev READ InfoRev)

public:
  explicit TDataqSdk(QObject* parent = nullptr);

  QString DeviceDriver() const { return Driver; }
  void SetDeviceDriver(const QString& driver) { Driver = driver; }
  // "COMn model baud", e.g. "COM3 158 38400".
  QString DeviceID() const { return Id; }
  void SetDeviceID(const QString& id) { Id = id; }
  qint16 ADChannelCount() const { return ChannelCount; }
  void SetADChannelCount(qint16 count) { ChannelCount = count; }
  double MaxBurstRate() const { return BurstRate; }
  void SetMaxBurstRate(double rate) { BurstRate = rate; }
  // Samples (all channels together) per data event.
  qint32 EventPoint() const { return Points; }
  void SetEventPoint(qint32 points) { Points = points; }
  // Before a start the rate asked for; once started, the rate in effect.
  virtual double SampleRate() const { return RequestedRate; }
  void SetSampleRate(double rate) { RequestedRate = rate; }

  // Known once the device has started.
  virtual qint16 InfoBoardID() const = 0;
  virtual QString InfoSerial() const = 0;
  virtual qint16 InfoRev() const = 0;

  // Channel numbers and range codes by scan-list position.
  virtual void DataqSetChannelList(const QList<qint32>& channels) { Channels = channels; }
  virtual void DataqSetGainList(const QList<qint32>& gains) { Gains = gains; }
  QList<qint32> ChannelList() const { return Channels; }
  QList<qint32> GainList() const { return Gains; }

  // Failures are reported by OnControlError, on the event loop, never by the call itself.
  virtual void DataqStart() = 0;
  virtual void DataqStop() = 0;
  // The samples gathered since the previous call; raises no event.
  virtual TDataqBlock DataqGetData() = 0;

signals:
  // count: samples (all channels together) ready to fetch.
  void OnNewData(int count);
  // Data were lost.
  void OnOverRun();
  void OnControlError(int code);

private:
  QString Driver;
  QString Id;
  qint16 ChannelCount = 0;
  double BurstRate = 0;
  qint32 Points = 0;
  double RequestedRate = 0;
  QList<qint32> Channels;
  QList<qint32> Gains;
};
