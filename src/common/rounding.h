#pragma once

#include <cstdint>

// The nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
int64_t RoundHalfEven(double value);
