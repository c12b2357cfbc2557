#pragma once
// Serial double for code that asks a device one question: ports that exist
// answer every complete query with a fixed reply; waiting for more moves the
// current clock on (use it with TManualClock, so silence costs no real time).

#include <QMap>
#include <memory>

#include "platform/seams.h"

class TFakeSerialPorts : public TSerialPorts {
public:
  // Attached ports by COM number, with the bytes each sends once the query
  // (QueryBytes bytes) has arrived; an empty reply is a silent device.
  QMap<int, QByteArray> Replies;
  int QueryBytes = 3;
  QList<int> Opened;  // every COM number asked for, in order

  std::unique_ptr<TSerialPort> Create() override { return std::make_unique<TPort>(*this); }

private:
  class TPort : public TSerialPort {
  public:
    explicit TPort(TFakeSerialPorts& owner) : Owner(owner) {}
    bool Open(int comNumber, int) override {
      Owner.Opened << comNumber;
      Com = comNumber;
      Failed = !Owner.Replies.contains(comNumber);
      return !Failed;
    }
    bool IsOpen() const override { return Com != 0 && !Failed; }
    void SetDtr(bool) override {}
    void SetRts(bool) override {}
    void Purge() override { Pending.clear(); }
    int Waiting() override { return int(Pending.size()); }
    bool WaitForBytes(int ms) override {
      if (!Pending.isEmpty()) return true;
      Seams().Clock->Sleep(ms);
      return false;
    }
    QByteArray Read(int maxBytes) override {
      const QByteArray chunk = Pending.left(maxBytes);
      Pending.remove(0, chunk.size());
      return chunk;
    }
    bool WriteByte(char) override {
      if (!IsOpen()) return false;
      if (++Written == Owner.QueryBytes) Pending += Owner.Replies.value(Com);
      return true;
    }
    bool Drain(int) override { return IsOpen(); }
    void Close() override { Com = 0; }
    bool HasError() const override { return Failed; }
    QString LastError() const override {
      return Failed ? QStringLiteral("No such port") : QString();
    }

  private:
    TFakeSerialPorts& Owner;
    int Com = 0;
    bool Failed = false;
    int Written = 0;
    QByteArray Pending;
  };
};
