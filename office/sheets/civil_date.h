// The civil date of a day counted from 1970-01-01, in the proleptic
// Gregorian calendar: what the workbook reader makes of a date cell's day
// number and the writer of the moment a workbook was made.
#pragma once

#include <cstdint>

struct CivilDate {
  int year, month, day;
};

inline CivilDate CivilDateOf(int64_t days) {
  const int64_t z = days + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = yoe + era * 400 + (month <= 2);
  return {static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
}
