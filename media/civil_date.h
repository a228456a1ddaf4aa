// media/civil_date.h
//
// Dates of the proleptic Gregorian calendar as day numbers: day 0 is
// 1970-01-01, earlier days are negative. Recorder times, wire times and the
// times printed on frame cards all go through these two.
#pragma once

#include <cstdint>

namespace media {

// Days from 1970-01-01 to year-month-day. Out-of-range fields are taken
// arithmetically, so a damaged date never faults: month 13 is January of the
// next year, month 0 December of the year before, day 0 the last day of the
// month before, day 32 of January the first of February.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day);

// The date of a day number: month 1-12, day 1-31.
void CivilFromDays(int64_t days, int64_t* year, int* month, int* day);

}  // namespace media
