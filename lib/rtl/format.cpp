#include "rtl/format.h"

#include <cmath>
#include <cstdio>

#include "rtl/exceptions.h"
#include "rtl/formatsettings.h"

int64_t FormatArg::AsInt() const {
  switch (FKind) {
    case Kind::Int: return FInt;
    case Kind::UInt: return static_cast<int64_t>(FUInt);
    default: throw EConvertError("Format: argument is not an integer");
  }
}

uint64_t FormatArg::AsUInt() const {
  switch (FKind) {
    case Kind::Int: return static_cast<uint64_t>(FInt);
    case Kind::UInt: return FUInt;
    default: throw EConvertError("Format: argument is not an integer");
  }
}

double FormatArg::AsFloat() const {
  switch (FKind) {
    case Kind::Float: return FFloat;
    case Kind::Int: return static_cast<double>(FInt);
    case Kind::UInt: return static_cast<double>(FUInt);
    default: throw EConvertError("Format: argument is not a number");
  }
}

namespace {

struct TFieldFormat {
  bool LeftAlign = false;
  int Width = -1;
  int Precision = -1;
};

std::string Pad(std::string Text, const TFieldFormat& S) {
  if (S.Width > 0 && static_cast<int>(Text.size()) < S.Width) {
    std::string Fill(S.Width - Text.size(), ' ');
    Text = S.LeftAlign ? Text + Fill : Fill + Text;
  }
  return Text;
}

// Digits of a magnitude, zero-padded to the precision (the minimum digit count).
std::string Digits(uint64_t Value, int Base, int Precision) {
  std::string Result;
  do {
    Result.insert(Result.begin(), "0123456789ABCDEF"[Value % Base]);
    Value /= Base;
  } while (Value != 0);
  if (Precision > static_cast<int>(Result.size())) { Result.insert(0, Precision - Result.size(), '0'); }
  return Result;
}

std::string Fixed(double Value, int Decimals, char DecimalSeparator) {
  char Buffer[512];
  std::snprintf(Buffer, sizeof Buffer, "%.*f", Decimals, Value);
  std::string Result = Buffer;
  auto Dot = Result.find('.');
  if (Dot != std::string::npos) { Result[Dot] = DecimalSeparator; }
  return Result;
}

// Fixed-point text with the thousands separator in the integer part.
std::string Grouped(double Value, int Decimals, const TFormatSettings& Settings) {
  std::string Text = Fixed(std::fabs(Value), Decimals, Settings.DecimalSeparator);
  auto IntEnd = Text.find(Settings.DecimalSeparator);
  if (IntEnd == std::string::npos || Decimals == 0) { IntEnd = Text.size(); }
  for (int Pos = static_cast<int>(IntEnd) - 3; Pos > 0; Pos -= 3) {
    if (Settings.ThousandSeparator != '\0') { Text.insert(Pos, 1, Settings.ThousandSeparator); }
  }
  if (Value < 0 && Text.find_first_not_of("0,. ") != std::string::npos) { Text.insert(Text.begin(), '-'); }
  return Text;
}

}  // namespace

std::string FormatArgs(const std::string& Pattern, const std::vector<FormatArg>& Args) {
  return FormatArgs(Pattern, Args, FormatSettings());
}

std::string FormatArgs(const std::string& Pattern, const std::vector<FormatArg>& Args,
                       const TFormatSettings& Settings) {
  std::string Out;
  size_t Next = 0;
  auto Take = [&]() -> const FormatArg& {
    if (Next >= Args.size()) { throw EConvertError("Format '" + Pattern + "' invalid or incompatible with argument"); }
    return Args[Next++];
  };
  auto Number = [&](size_t& I) {
    if (I < Pattern.size() && Pattern[I] == '*') {
      ++I;
      return static_cast<int>(Take().AsInt());
    }
    int Value = 0;
    while (I < Pattern.size() && Pattern[I] >= '0' && Pattern[I] <= '9') { Value = Value * 10 + (Pattern[I++] - '0'); }
    return Value;
  };

  for (size_t I = 0; I < Pattern.size(); ++I) {
    char C = Pattern[I];
    if (C != '%') {
      Out += C;
      continue;
    }
    if (++I >= Pattern.size()) { break; }
    if (Pattern[I] == '%') {
      Out += '%';
      continue;
    }
    TFieldFormat S;
    if (Pattern[I] == '-') {
      S.LeftAlign = true;
      ++I;
    }
    if (I < Pattern.size() && (Pattern[I] == '*' || (Pattern[I] >= '0' && Pattern[I] <= '9'))) { S.Width = Number(I); }
    if (I < Pattern.size() && Pattern[I] == '.') {
      ++I;
      S.Precision = Number(I);
    }
    if (I >= Pattern.size()) { throw EConvertError("Format '" + Pattern + "' invalid or incompatible with argument"); }
    const char Type = static_cast<char>(Pattern[I] | 0x20);
    const FormatArg& A = Take();
    switch (Type) {
      case 'd': {
        int64_t V = A.AsInt();
        uint64_t Magnitude = V < 0 ? 0 - static_cast<uint64_t>(V) : static_cast<uint64_t>(V);
        std::string Text = Digits(Magnitude, 10, S.Precision);
        if (V < 0) { Text.insert(Text.begin(), '-'); }
        Out += Pad(Text, S);
        break;
      }
      case 'u': Out += Pad(Digits(A.AsUInt(), 10, S.Precision), S); break;
      case 'x': {
        uint64_t V = A.AsUInt();
        if (A.GetKind() == FormatArg::Kind::Int && A.AsInt() < 0 && A.AsInt() >= INT32_MIN) { V &= 0xFFFFFFFFu; }
        Out += Pad(Digits(V, 16, S.Precision), S);
        break;
      }
      case 's': {
        std::string T = A.AsText();
        if (S.Precision >= 0 && static_cast<int>(T.size()) > S.Precision) { T.resize(S.Precision); }
        Out += Pad(T, S);
        break;
      }
      case 'f': Out += Pad(Fixed(A.AsFloat(), S.Precision < 0 ? 2 : S.Precision, Settings.DecimalSeparator), S); break;
      case 'n': Out += Pad(Grouped(A.AsFloat(), S.Precision < 0 ? 2 : S.Precision, Settings), S); break;
      default: throw EConvertError("Format '" + Pattern + "' invalid or incompatible with argument");
    }
  }
  return Out;
}
