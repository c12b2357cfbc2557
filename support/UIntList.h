#pragma once
// An ordered list of signed 64-bit integers (the sampler's per-channel samples), each with a tag.

#include "support/number_list.h"

class TIntList : public TNumberList<qint64, TIntList> {
public:
  static constexpr const char* DuplicateErrorText = "Cannot add integer because it already exists";
};

extern template class TNumberList<qint64, TIntList>;
