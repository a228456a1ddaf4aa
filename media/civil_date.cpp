// media/civil_date.cpp
#include "media/civil_date.h"

namespace media {

// Howard Hinnant's days_from_civil and civil_from_days: the year is counted
// from March, so that the leap day is the last day of its year, in eras of
// 400 years (146,097 days) that repeat exactly.

int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    // Normalise the month into 1..12 first.
    int64_t m0 = m - 1;
    y += (m0 >= 0 ? m0 : m0 - 11) / 12;
    m0 = ((m0 % 12) + 12) % 12;
    m = m0 + 1;
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, int* m, int* d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *y = yoe + era * 400 + (*m <= 2);
}

}  // namespace media
