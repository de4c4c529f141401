#include "rtl/formatsettings.h"

#include <windows.h>

namespace {

std::string LocaleText(LCTYPE Type, const std::string& Default) {
  char Buffer[256];
  int Len = GetLocaleInfoA(LOCALE_USER_DEFAULT, Type, Buffer, sizeof Buffer);
  return Len > 1 ? std::string(Buffer, Len - 1) : Default;
}

char LocaleChar(LCTYPE Type, char Default) {
  std::string Text = LocaleText(Type, std::string(1, Default));
  return Text.empty() ? Default : Text[0];
}

}  // namespace

TFormatSettings GetLocaleFormatSettings() {
  TFormatSettings S;
  S.DecimalSeparator = LocaleChar(LOCALE_SDECIMAL, '.');
  S.ThousandSeparator = LocaleChar(LOCALE_STHOUSAND, ',');
  S.DateSeparator = LocaleChar(LOCALE_SDATE, '/');
  S.TimeSeparator = LocaleChar(LOCALE_STIME, ':');
  S.ShortDateFormat = LocaleText(LOCALE_SSHORTDATE, "m/d/yy");
  S.LongDateFormat = LocaleText(LOCALE_SLONGDATE, "mmmm d, yyyy");
  S.TimeAMString = LocaleText(LOCALE_S1159, "AM");
  S.TimePMString = LocaleText(LOCALE_S2359, "PM");
  // The time patterns are built from the hour style, as the locale's own
  // pattern uses letters ("tt") that mean something else in ours.
  const std::string Hour = LocaleText(LOCALE_ITLZERO, "0") == "1" ? "hh" : "h";
  const std::string Postfix = LocaleText(LOCALE_ITIME, "1") == "0" ? " AMPM" : "";
  S.ShortTimeFormat = Hour + ":mm" + Postfix;
  S.LongTimeFormat = Hour + ":mm:ss" + Postfix;
  return S;
}

const TFormatSettings& FormatSettings() {
  static const TFormatSettings Settings = GetLocaleFormatSettings();
  return Settings;
}
