// Multiplication of an extended value by a power of ten, from three tables.
#pragma once

#include <cstdint>

namespace zentorix {

// y × 10^n in extended arithmetic: |n| = a + 32·b + 512·c, and y is multiplied
// (n > 0) or divided (n < 0) by 10^a, then 10^(32·b), then 10^(512·c), each
// step rounded to extended. The last two steps are skipped when b or c is 0.
// |n| ≥ 5120 gives +infinity for n > 0 and zero for n < 0, whatever y is.
long double ScaleByPowerOfTen(long double y, std::int64_t n);

}  // namespace zentorix
