#include "rtl/formatdatetime.h"

#include <cctype>
#include <cmath>

#include "rtl/format.h"

namespace {

const char* const MonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                    "July",    "August",   "September", "October", "November", "December"};
const char* const DayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

std::string Two(int V) { return Format("%2.2d", V); }

class TDateTimeWriter {
public:
  TDateTimeWriter(TDateTime Value, const TFormatSettings& Settings, bool TwelveHour)
      : FValue(Value), FParts(DecodeDateTime(Value)), FSettings(Settings), FTwelveHour(TwelveHour) {}

  void Write(const std::string& Pattern, int Depth) {
    if (Depth > 2) { return; }  // a pattern that names itself
    size_t I = 0;
    while (I < Pattern.size()) {
      const char C = Pattern[I];
      const char L = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
      if (C == '\'' || C == '"') {
        size_t End = Pattern.find(C, I + 1);
        if (End == std::string::npos) { End = Pattern.size(); }
        FOut += Pattern.substr(I + 1, End - I - 1);
        I = End + 1;
        continue;
      }
      if (L == 'a') {
        if (MatchAmPm(Pattern, I)) { continue; }
        FOut += C;
        ++I;
        continue;
      }
      size_t Count = 1;
      while (I + Count < Pattern.size() && std::tolower(static_cast<unsigned char>(Pattern[I + Count])) == L) { ++Count; }
      switch (L) {
        case 'y': FOut += Count <= 2 ? Two(FParts.Year % 100) : Format("%4.4d", FParts.Year); break;
        case 'm':
          if (FAfterHour && Count <= 2) {
            FOut += Count == 1 ? std::to_string(FParts.Min) : Two(FParts.Min);
          } else if (Count == 1) {
            FOut += std::to_string(FParts.Month);
          } else if (Count == 2) {
            FOut += Two(FParts.Month);
          } else {
            std::string Name = MonthNames[FParts.Month - 1];
            FOut += Count == 3 ? Name.substr(0, 3) : Name;
          }
          break;
        case 'd':
          if (Count == 1) {
            FOut += std::to_string(FParts.Day);
          } else if (Count == 2) {
            FOut += Two(FParts.Day);
          } else if (Count == 3) {
            FOut += std::string(DayNames[FParts.DayOfWeek - 1]).substr(0, 3);
          } else if (Count == 4) {
            FOut += DayNames[FParts.DayOfWeek - 1];
          } else {
            Write(Count == 5 ? FSettings.ShortDateFormat : FSettings.LongDateFormat, Depth + 1);
          }
          break;
        case 'h': FOut += Count == 1 ? std::to_string(HourOfPattern()) : Two(HourOfPattern()); break;
        case 'n': FOut += Count == 1 ? std::to_string(FParts.Min) : Two(FParts.Min); break;
        case 's': FOut += Count == 1 ? std::to_string(FParts.Sec) : Two(FParts.Sec); break;
        case 'z': FOut += Count == 1 ? std::to_string(FParts.MSec) : Format("%3.3d", FParts.MSec); break;
        case 't': Write(Count == 1 ? FSettings.ShortTimeFormat : FSettings.LongTimeFormat, Depth + 1); break;
        case 'c':
          Write(FSettings.ShortDateFormat, Depth + 1);
          if (Frac(FValue) != 0) {
            FOut += ' ';
            Write(FSettings.LongTimeFormat, Depth + 1);
          }
          break;
        case '/': FOut += std::string(Count, FSettings.DateSeparator); break;
        case ':': FOut += std::string(Count, FSettings.TimeSeparator); break;
        default: FOut += Pattern.substr(I, Count); break;
      }
      // "m" right after an hour means minutes; separators do not break the link.
      if (L == 'h') {
        FAfterHour = true;
      } else if (std::isalpha(static_cast<unsigned char>(L))) {
        FAfterHour = false;
      }
      I += Count;
    }
  }

  const std::string& Text() const { return FOut; }

private:
  bool MatchAmPm(const std::string& Pattern, size_t& I) {
    auto Is = [&](const char* Word) {
      size_t N = std::char_traits<char>::length(Word);
      if (I + N > Pattern.size()) { return false; }
      for (size_t K = 0; K < N; ++K) {
        if (std::tolower(static_cast<unsigned char>(Pattern[I + K])) != Word[K]) { return false; }
      }
      return true;
    };
    const bool Pm = FParts.Hour >= 12;
    if (Is("am/pm")) {
      FOut += Pm ? (Pattern[I + 3] == 'P' ? "PM" : "pm") : (Pattern[I] == 'A' ? "AM" : "am");
      I += 5;
    } else if (Is("a/p")) {
      FOut += Pm ? (Pattern[I + 2] == 'P' ? "P" : "p") : (Pattern[I] == 'A' ? "A" : "a");
      I += 3;
    } else if (Is("ampm")) {
      FOut += Pm ? FSettings.TimePMString : FSettings.TimeAMString;
      I += 4;
    } else {
      return false;
    }
    return true;
  }

  int HourOfPattern() const {
    if (!FTwelveHour) { return FParts.Hour; }
    int H = FParts.Hour % 12;
    return H == 0 ? 12 : H;
  }

  TDateTime FValue;
  TDateParts FParts;
  const TFormatSettings& FSettings;
  bool FTwelveHour;
  std::string FOut;
  bool FAfterHour = false;
};

// Am/pm markers anywhere in the pattern (or in the time patterns it names)
// switch its hours to the 12-hour clock.
bool HasAmPm(const std::string& Pattern, const TFormatSettings& Settings, int Depth = 0) {
  std::string Lower;
  for (char C : Pattern) { Lower += static_cast<char>(std::tolower(static_cast<unsigned char>(C))); }
  if (Lower.find("am/pm") != std::string::npos || Lower.find("a/p") != std::string::npos ||
      Lower.find("ampm") != std::string::npos) {
    return true;
  }
  if (Depth < 2 && (Lower.find('t') != std::string::npos || Lower.find('c') != std::string::npos)) {
    return HasAmPm(Settings.LongTimeFormat, Settings, Depth + 1) ||
           HasAmPm(Settings.ShortTimeFormat, Settings, Depth + 1);
  }
  return false;
}

}  // namespace

std::string FormatDateTime(const std::string& Pattern, TDateTime Value, const TFormatSettings& Settings) {
  TDateTimeWriter Writer(Value, Settings, HasAmPm(Pattern, Settings));
  Writer.Write(Pattern.empty() ? std::string("c") : Pattern, 0);
  return Writer.Text();
}

std::string FormatDateTime(const std::string& Pattern, TDateTime Value) {
  return FormatDateTime(Pattern, Value, FormatSettings());
}
