#include "acq/dataq_sdk.h"

#include <algorithm>

#include "platform/errors.h"

TDataqBlock::TDataqBlock(int rows, int scans)
    : HasDimensions(true),
      RowCount(std::max(rows, 0)),
      ScanCount(std::max(scans, 0)),
      Counts(static_cast<size_t>(RowCount) * static_cast<size_t>(ScanCount), 0) {}

qsizetype TDataqBlock::Index(int row, int scan) const {
  if (row < 0 || row >= RowCount || scan < 0 || scan >= ScanCount)
    throw TError(QStringLiteral("Data block index [%1, %2] out of range [0..%3, 0..%4]")
                     .arg(row)
                     .arg(scan)
                     .arg(RowCount - 1)
                     .arg(ScanCount - 1));
  return static_cast<qsizetype>(row) * ScanCount + scan;
}

qint32 TDataqBlock::At(int row, int scan) const {
  return Counts[Index(row, scan)];
}

void TDataqBlock::Set(int row, int scan, qint32 value) {
  Counts[Index(row, scan)] = value;
}

TDataqSdk::TDataqSdk(QObject* parent) : QObject(parent) {}
