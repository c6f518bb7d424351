// Arithmetic of the simulation: every expression is evaluated in double and
// rounded to float where its value is stored, so results are the same on
// every compiler and machine (built with -ffp-contract=off).
#pragma once

#include <cmath>

namespace kv_num {

// Rounds a double-precision result to the single precision of a field.
inline float Store(double value) { return static_cast<float>(value); }

// The length of (x, y) with its two roundings: the sum of squares is stored
// as a float, then its square root is stored as a float.
inline float Length(float x, float y) {
  const float sum = Store(static_cast<double>(x) * x + static_cast<double>(y) * y);
  return Store(std::sqrt(static_cast<double>(sum)));
}

}  // namespace kv_num
