// FormatDateTime with the class library's pattern letters:
//   d dd ddd dddd ddddd (short date) dddddd (long date), m mm mmm mmmm (month, or
//   minutes right after an hour), yy yyyy (and more y: four digits), h hh, n nn,
//   s ss, z zzz, t (short time) tt (long time), c (short date and long time),
//   am/pm a/p ampm, / (date separator), : (time separator), '...' and "..." literals.
// Letters are matched without regard to case.
#pragma once
#include <string>

#include "rtl/datetime.h"
#include "rtl/formatsettings.h"

std::string FormatDateTime(const std::string& Pattern, TDateTime Value, const TFormatSettings& Settings);
std::string FormatDateTime(const std::string& Pattern, TDateTime Value);
