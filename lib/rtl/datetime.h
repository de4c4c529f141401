// Date-time values: days since 30 December 1899, the fraction being the time of day.
#pragma once
#include <windows.h>

#include <cstdint>

using TDateTime = double;

constexpr double SecsPerDay = 86400.0;
constexpr double MSecsPerDay = 86400000.0;

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Result);
bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Result);
// Raise EConvertError for values out of range.
TDateTime EncodeDate(int Year, int Month, int Day);
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);

struct TDateParts {
  int Year, Month, Day, DayOfWeek;  // DayOfWeek: 1 = Sunday
  int Hour, Min, Sec, MSec;
};
TDateParts DecodeDateTime(TDateTime Value);

TDateTime Now();
TDateTime Date();
// The fraction of a day, T minus T truncated toward zero.
double Frac(double T);

TDateTime SystemTimeToDateTime(const SYSTEMTIME& Time);
// False for a time that is no valid date and time of day.
bool TrySystemTimeToDateTime(const SYSTEMTIME& Time, TDateTime& Result);
SYSTEMTIME DateTimeToSystemTime(TDateTime Value);
SYSTEMTIME LocalSystemTime();

// Whole seconds and milliseconds between two values, truncated toward zero.
int64_t SecondsBetween(TDateTime A, TDateTime B);
int64_t MilliSecondsBetween(TDateTime A, TDateTime B);
