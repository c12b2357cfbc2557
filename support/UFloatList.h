#pragma once
// An ordered list of single-precision floats (amplifier voltages), each with a tag.

#include "support/number_list.h"

class TFloatList : public TNumberList<float, TFloatList> {
public:
  static constexpr const char* DuplicateErrorText = "Cannot add value because it already exists";

  // Every value with three decimals and a blank ("1.000 2.500 "), with the
  // system's decimal separator.
  QString AsText() const;
};

extern template class TNumberList<float, TFloatList>;
