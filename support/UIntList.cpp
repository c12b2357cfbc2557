#include "support/UIntList.h"

#include "support/number_list_impl.h"

template class TNumberList<qint64, TIntList>;
