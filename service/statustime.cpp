#include "service/statustime.h"

#include "rtl/formatsettings.h"

namespace {

void AppendDigits(std::string& Out, int Value, int Width) {
  char Digits[12];
  int Count = 0;
  do {
    Digits[Count++] = static_cast<char>('0' + Value % 10);
    Value /= 10;
  } while (Value > 0 && Count < static_cast<int>(sizeof(Digits)));
  for (int I = Count; I < Width; ++I) { Out += '0'; }
  while (Count > 0) { Out += Digits[--Count]; }
}

}  // namespace

void AppendStatusTime(std::string& Out, TDateTime Utc) {
  const TDateParts P = DecodeDateTime(Utc);
  const char Date = FormatSettings().DateSeparator, Time = FormatSettings().TimeSeparator;
  const struct {
    int Value, Width;
    char After;
  } Pieces[] = {{P.Year, 4, Date}, {P.Month, 2, Date}, {P.Day, 2, ' '},  {P.Hour, 2, Time},
                {P.Min, 2, Time},  {P.Sec, 2, '.'},    {P.MSec, 3, ' '}};
  for (const auto& Piece : Pieces) {
    AppendDigits(Out, Piece.Value, Piece.Width);
    Out += Piece.After;
  }
  Out += "UTC";
}
