#pragma once
// Rounding to the nearest integer with halves going to the even neighbour, as the runtime's
// Round does; the backdrop's band edges depend on it.
#include <cmath>

inline int BankersRound(double value) {
  const double floorValue = std::floor(value);
  const double fraction = value - floorValue;
  auto result = static_cast<long long>(floorValue);
  if (fraction > 0.5 || (fraction == 0.5 && (result % 2 != 0))) ++result;
  return static_cast<int>(result);
}
