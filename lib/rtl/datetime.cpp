#include "rtl/datetime.h"

#include <cmath>
#include <cstdlib>

#include "rtl/exceptions.h"

namespace {

constexpr int DateDelta = 693594;  // days from 0001-01-01 to 1899-12-30

bool IsLeapYear(int Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

int DaysInMonth(int Year, int Month) {
  static const int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return Month == 2 && IsLeapYear(Year) ? 29 : Days[Month - 1];
}

}  // namespace

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Result) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInMonth(Year, Month)) {
    return false;
  }
  for (int M = 1; M < Month; ++M) { Day += DaysInMonth(Year, M); }
  const int I = Year - 1;
  Result = static_cast<double>(I * 365 + I / 4 - I / 100 + I / 400 + Day - DateDelta);
  return true;
}

bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Result) {
  if (Hour < 0 || Hour > 23 || Min < 0 || Min > 59 || Sec < 0 || Sec > 59 || MSec < 0 || MSec > 999) {
    return false;
  }
  Result = (Hour * 3600000.0 + Min * 60000.0 + Sec * 1000.0 + MSec) / MSecsPerDay;
  return true;
}

TDateTime EncodeDate(int Year, int Month, int Day) {
  TDateTime Result;
  if (!TryEncodeDate(Year, Month, Day, Result)) { throw EConvertError("Invalid argument to date encode"); }
  return Result;
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
  TDateTime Result;
  if (!TryEncodeTime(Hour, Min, Sec, MSec, Result)) { throw EConvertError("Invalid argument to time encode"); }
  return Result;
}

TDateParts DecodeDateTime(TDateTime Value) {
  // Rounded to the millisecond first, so 0.99999999 of a day is the next midnight.
  const int64_t Total = std::llround(Value * MSecsPerDay);
  int64_t Days = Total / 86400000;
  int64_t Ms = Total % 86400000;
  if (Ms < 0) { Ms = -Ms; }
  TDateParts P{};
  P.Hour = static_cast<int>(Ms / 3600000);
  P.Min = static_cast<int>(Ms / 60000 % 60);
  P.Sec = static_cast<int>(Ms / 1000 % 60);
  P.MSec = static_cast<int>(Ms % 1000);

  const int64_t Serial = Days + DateDelta;  // 1 is 0001-01-01
  P.DayOfWeek = static_cast<int>(Serial % 7) + 1;
  int64_t D = Serial > 0 ? Serial - 1 : 0;  // whole days since 0001-01-01
  int Year = 1;
  int64_t Y400 = D / 146097;
  D %= 146097;
  int64_t Y100 = D / 36524;
  if (Y100 == 4) { Y100 = 3; }
  D -= Y100 * 36524;
  int64_t Y4 = D / 1461;
  D %= 1461;
  int64_t Y1 = D / 365;
  if (Y1 == 4) { Y1 = 3; }
  D -= Y1 * 365;
  Year += static_cast<int>(Y400 * 400 + Y100 * 100 + Y4 * 4 + Y1);
  int Month = 1;
  while (D >= DaysInMonth(Year, Month)) { D -= DaysInMonth(Year, Month++); }
  P.Year = Year;
  P.Month = Month;
  P.Day = static_cast<int>(D) + 1;
  return P;
}

SYSTEMTIME LocalSystemTime() {
  SYSTEMTIME T;
  GetLocalTime(&T);
  return T;
}

TDateTime Now() { return SystemTimeToDateTime(LocalSystemTime()); }

TDateTime Date() { return std::trunc(Now()); }

double Frac(double T) { return T - std::trunc(T); }

bool TrySystemTimeToDateTime(const SYSTEMTIME& T, TDateTime& Result) {
  TDateTime D, Tm;
  if (!TryEncodeDate(T.wYear, T.wMonth, T.wDay, D) || !TryEncodeTime(T.wHour, T.wMinute, T.wSecond, T.wMilliseconds, Tm)) {
    return false;
  }
  Result = D + Tm;
  return true;
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& T) {
  TDateTime Result;
  if (!TrySystemTimeToDateTime(T, Result)) { throw EConvertError("Invalid argument to date encode"); }
  return Result;
}

SYSTEMTIME DateTimeToSystemTime(TDateTime Value) {
  TDateParts P = DecodeDateTime(Value);
  SYSTEMTIME T{};
  T.wYear = static_cast<WORD>(P.Year);
  T.wMonth = static_cast<WORD>(P.Month);
  T.wDayOfWeek = static_cast<WORD>(P.DayOfWeek - 1);
  T.wDay = static_cast<WORD>(P.Day);
  T.wHour = static_cast<WORD>(P.Hour);
  T.wMinute = static_cast<WORD>(P.Min);
  T.wSecond = static_cast<WORD>(P.Sec);
  T.wMilliseconds = static_cast<WORD>(P.MSec);
  return T;
}

// Both values are taken to whole milliseconds first, so that two times 3 s apart
// are 3 s apart and not 2.999999 s.
int64_t MilliSecondsBetween(TDateTime A, TDateTime B) {
  int64_t Diff = std::llround(A * MSecsPerDay) - std::llround(B * MSecsPerDay);
  return Diff < 0 ? -Diff : Diff;
}

int64_t SecondsBetween(TDateTime A, TDateTime B) { return MilliSecondsBetween(A, B) / 1000; }
