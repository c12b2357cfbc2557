#pragma once

#include "platform/seams.h"

class TRealSystemFacts : public TSystemFacts {
public:
  QString OsName() override;
  QString KernelVersion() override;
  TFileVersion ExecutableVersion() override;
  qint64 FreeDiskBytes(const QString& path) override;
};
