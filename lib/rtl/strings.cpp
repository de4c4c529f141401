#include "rtl/strings.h"

#include <windows.h>

#include "rtl/exceptions.h"

namespace {
bool IsBlank(char C) { return static_cast<unsigned char>(C) <= ' '; }
}  // namespace

std::string TrimLeft(const std::string& S) {
  size_t B = 0;
  while (B < S.size() && IsBlank(S[B])) { ++B; }
  return S.substr(B);
}

std::string TrimRight(const std::string& S) {
  size_t E = S.size();
  while (E > 0 && IsBlank(S[E - 1])) { --E; }
  return S.substr(0, E);
}

std::string Trim(const std::string& S) { return TrimLeft(TrimRight(S)); }

std::string AnsiUpperCase(const std::string& S) {
  std::string R = S;
  if (!R.empty()) { CharUpperBuffA(R.data(), static_cast<DWORD>(R.size())); }
  return R;
}

std::string AnsiLowerCase(const std::string& S) {
  std::string R = S;
  if (!R.empty()) { CharLowerBuffA(R.data(), static_cast<DWORD>(R.size())); }
  return R;
}

int AnsiCompareText(const std::string& A, const std::string& B) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, A.data(), static_cast<int>(A.size()), B.data(),
                        static_cast<int>(B.size())) - CSTR_EQUAL;
}

bool AnsiSameText(const std::string& A, const std::string& B) { return AnsiCompareText(A, B) == 0; }

void AppendAnsiSortKey(std::string& Keys, const std::string& S) {
  const DWORD Flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  // One call for a key that fits the buffer, as every file name's does; the
  // directory listing makes one key per file.
  char Buffer[512];
  const int Fitted = LCMapStringA(LOCALE_USER_DEFAULT, Flags, S.data(), static_cast<int>(S.size()), Buffer,
                                  static_cast<int>(sizeof(Buffer)));
  if (Fitted > 0) {
    Keys.append(Buffer, Fitted);
    return;
  }
  const int Size = LCMapStringA(LOCALE_USER_DEFAULT, Flags, S.data(), static_cast<int>(S.size()), nullptr, 0);
  if (Size <= 0) { return; }
  const size_t Start = Keys.size();
  Keys.resize(Start + Size);
  LCMapStringA(LOCALE_USER_DEFAULT, Flags, S.data(), static_cast<int>(S.size()), Keys.data() + Start, Size);
}

std::string AnsiSortKey(const std::string& S) {
  std::string Key;
  AppendAnsiSortKey(Key, S);
  return Key;
}

bool TryStrToInt(const std::string& S, int32_t& Value) {
  size_t I = 0;
  while (I < S.size() && S[I] == ' ') { ++I; }
  bool Negative = false;
  if (I < S.size() && (S[I] == '+' || S[I] == '-')) { Negative = S[I++] == '-'; }
  int Base = 10;
  if (I < S.size() && S[I] == '$') {
    Base = 16;
    ++I;
  } else if (I + 1 < S.size() && S[I] == '0' && (S[I + 1] == 'x' || S[I + 1] == 'X')) {
    Base = 16;
    I += 2;
  }
  if (I >= S.size()) { return false; }
  uint64_t Magnitude = 0;
  for (; I < S.size(); ++I) {
    const char C = S[I];
    int Digit;
    if (C >= '0' && C <= '9') {
      Digit = C - '0';
    } else if (Base == 16 && C >= 'a' && C <= 'f') {
      Digit = C - 'a' + 10;
    } else if (Base == 16 && C >= 'A' && C <= 'F') {
      Digit = C - 'A' + 10;
    } else {
      return false;
    }
    Magnitude = Magnitude * Base + Digit;
    if (Magnitude > 0xFFFFFFFFull) { return false; }
  }
  if (Base == 10 && Magnitude > (Negative ? 0x80000000ull : 0x7FFFFFFFull)) { return false; }
  const uint32_t Bits = static_cast<uint32_t>(Negative ? 0 - Magnitude : Magnitude);
  Value = static_cast<int32_t>(Bits);
  return true;
}

int32_t StrToIntDef(const std::string& S, int32_t Default) {
  int32_t V;
  return TryStrToInt(S, V) ? V : Default;
}

int32_t StrToInt(const std::string& S) {
  int32_t V;
  if (!TryStrToInt(S, V)) { throw EConvertError("'" + S + "' is not a valid integer value"); }
  return V;
}

std::string IntToStr(int64_t Value) { return std::to_string(Value); }

std::string Quoted(const std::string& S) { return "\"" + S + "\""; }

std::string ReplaceAll(std::string S, const std::string& From, const std::string& To) {
  if (From.empty()) { return S; }
  for (size_t P = S.find(From); P != std::string::npos; P = S.find(From, P + To.size())) { S.replace(P, From.size(), To); }
  return S;
}
