// Separators and patterns for numbers, dates and times, read from a locale.
#pragma once
#include <string>

struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  char DateSeparator = '/';
  char TimeSeparator = ':';
  std::string ShortDateFormat = "dd/mm/yyyy";
  std::string LongDateFormat = "dd mmmm yyyy";
  std::string ShortTimeFormat = "hh:nn";
  std::string LongTimeFormat = "hh:nn:ss";
  std::string TimeAMString = "AM";
  std::string TimePMString = "PM";
};

// The settings of the user's locale (LOCALE_USER_DEFAULT), read now.
TFormatSettings GetLocaleFormatSettings();

// The process-wide settings, read from the user's locale once, at first use.
const TFormatSettings& FormatSettings();
