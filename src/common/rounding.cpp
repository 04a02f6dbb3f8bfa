#include "common/rounding.h"

#include <cfenv>
#include <climits>
#include <cmath>

int64_t RoundHalfEven(double value) {
    if (!std::isfinite(value)) return 0;
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(previous);
    if (rounded >= 9.2e18) return INT64_MAX;
    if (rounded <= -9.2e18) return INT64_MIN;
    return static_cast<int64_t>(rounded);
}
