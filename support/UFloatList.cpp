#include "support/UFloatList.h"

#include "support/locale_format.h"
#include "support/number_list_impl.h"

template class TNumberList<float, TFloatList>;

QString TFloatList::AsText() const {
  const QLocale locale = NumberLocale();
  QString text;
  for (const float v : Items()) {
    text += locale.toString(double(v), 'f', 3);
    text += QLatin1Char(' ');
  }
  return text;
}
