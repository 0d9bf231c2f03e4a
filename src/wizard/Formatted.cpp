#include <cmath>

#include "wizard/Unit_Schedule.h"

AnsiString formatted(double x) {
  // The decimals are decided on x itself; the rounding is half away from zero, as the runtime's
  // fixed-point formatting rounds.
  const int decimals = x >= 10 ? 1 : 2;
  const double scale = decimals == 1 ? 10.0 : 100.0;
  const double rounded = std::round(x * scale) / scale;
  AnsiString text = Format("%.*f", decimals, rounded);
  if (text.compare(0, 1, "-") == 0 && rounded == 0) text.erase(0, 1);  // no "-0.00"
  return text;
}
