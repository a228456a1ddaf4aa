// skin/core/plym_muldiv.h
//
// PlymMulDiv: the Win32 MulDiv exactly, for geometry that has no window and
// must come out the same natively and on Windows. a * b is formed in 64 bits
// and divided by c, rounding half away from zero; the result is -1 when c is 0
// or when it does not fit in 32 bits (its magnitude above 2147483647).
#pragma once

#include <cstdint>

inline int PlymMulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    int64_t product = static_cast<int64_t>(a) * b;
    int64_t divisor = c;
    if (divisor < 0) {
        divisor = -divisor;
        product = -product;
    }
    const int64_t half = divisor / 2;
    const int64_t result = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
    if (result > INT32_MAX || result < -INT32_MAX)
        return -1;
    return static_cast<int>(result);
}
