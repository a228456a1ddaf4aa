// skin/core/plym_muldiv.h
//
// PlymMulDiv: the Win32 MulDiv exactly, for geometry that has no window and
// must come out the same natively and on Windows. a * b is formed in 64 bits
// and divided by c, rounding half away from zero; the result is -1 when c is 0
// or when it does not fit in 32 bits (its magnitude above 2147483647).
#pragma once

#include <cstdint>

// The same with 64-bit operands, for differences that may span the whole int
// range (a range's high minus its low). The caller keeps |a * b| and the half
// of c added to it inside 64 bits: |a| < 2^32 and |b| <= 2^31 do.
inline int PlymMulDiv64(int64_t a, int64_t b, int64_t c) {
    if (c == 0)
        return -1;
    int64_t product = a * b;
    if (c < 0) {
        c = -c;
        product = -product;
    }
    const int64_t half = c / 2;
    const int64_t result = product >= 0 ? (product + half) / c : (product - half) / c;
    if (result > INT32_MAX || result < -INT32_MAX)
        return -1;
    return static_cast<int>(result);
}

inline int PlymMulDiv(int a, int b, int c) {
    return PlymMulDiv64(a, b, c);
}
