#include "shared/timelist.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "rtl/exceptions.h"
#include "rtl/format.h"
#include "rtl/formatsettings.h"
#include "rtl/strings.h"
#include "shared/commonhelpers.h"

namespace {

// Seconds of T's time of day, halves rounded to the even neighbour.
int32_t SecondsOfDay(TDateTime T) { return static_cast<int32_t>(std::nearbyint(Frac(T) * SecsPerDay)); }

bool ParsePart(const std::string& Text, int32_t& Value) { return !Text.empty() && TryStrToInt(Text, Value); }

}  // namespace

TTimeList::TTimeList(const std::string& Text) { SetText(Text); }

std::string TTimeList::GetText() const { return FormatTimes(':'); }

void TTimeList::SetText(const std::string& Text) {
  ParseTimes(Text, ':');
  Sort();
}

std::string TTimeList::GetLocalText() const { return FormatTimes(GetLocaleFormatSettings().TimeSeparator); }

void TTimeList::SetLocalText(const std::string& Text) {
  ParseTimes(Text, GetLocaleFormatSettings().TimeSeparator);
  Sort();
}

void TTimeList::Sort() { std::sort(FItems.begin(), FItems.end()); }

double TTimeList::Nearest(TDateTime T) const {
  const int32_t S = SecondsOfDay(T);
  int32_t Best = -1;
  int64_t BestDistance = INT64_MAX;
  for (int32_t Item : FItems) {
    const int64_t D = std::llabs(static_cast<int64_t>(S) - Item);
    if (D < BestDistance) {
      BestDistance = D;
      Best = Item;
    }
  }
  return Best / SecsPerDay;
}

double TTimeList::NextAfter(TDateTime T) const {
  const int32_t S = SecondsOfDay(T);
  for (int32_t Item : FItems) {
    if (Item > S) { return Item / SecsPerDay; }
  }
  return -1.0;
}

std::string TTimeList::FormatTimes(char Separator) const {
  std::string Result;
  for (int32_t Item : FItems) {
    const int32_t Hours = Item / 3600;
    const int32_t Minutes = (Item - Hours * 3600) / 60;
    if (!Result.empty()) { Result += ' '; }
    Result += Format("%2.2d%s%2.2d", Hours, Separator, Minutes);
  }
  return Result;
}

void TTimeList::ParseTimes(const std::string& Text, char Separator) {
  FItems.clear();
  std::string Items = Trim(Text);
  while (Items.find("  ") != std::string::npos) { Items = ReplaceAll(Items, "  ", " "); }
  for (int32_t N = 0;; ++N) {
    const std::string Token = GetField(Items, ' ', N);
    if (Token.empty()) { break; }
    int32_t Hours, Minutes, Seconds = 0;
    const std::string SecondsText = GetField(Token, Separator, 2);
    const bool Valid = ParsePart(GetField(Token, Separator, 0), Hours) &&
                       ParsePart(GetField(Token, Separator, 1), Minutes) &&
                       (SecondsText.empty() || ParsePart(SecondsText, Seconds)) && Hours >= 0 && Hours <= 23 &&
                       Minutes >= 0 && Minutes <= 59 && Seconds >= 0 && Seconds <= 59;
    if (!Valid) { throw Exception("Wrong time value \"" + Token + "\""); }
    FItems.push_back(Hours * 3600 + Minutes * 60 + Seconds);
  }
}
