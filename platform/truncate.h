// Float-to-integer conversions that truncate toward zero like a C cast, but
// stay defined for values a cast cannot take (NaN, infinities, huge values):
// NaN gives 0 and everything else saturates at the type's limits.
#ifndef OSTRIM_TRUNCATE_H
#define OSTRIM_TRUNCATE_H

#include <cmath>
#include <cstdint>

namespace platform {

inline int32_t truncToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(value);
}

inline int64_t truncToInt64(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 9223372036854775807.0) return INT64_MAX;
    if (value <= -9223372036854775808.0) return INT64_MIN;
    return static_cast<int64_t>(value);
}

}  // namespace platform

#endif
