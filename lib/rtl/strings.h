// Text helpers: trimming, case by the user locale's ANSI rules, integer conversion.
#pragma once
#include <cstdint>
#include <string>

// Drop leading and trailing characters whose code is 32 or less.
std::string Trim(const std::string& S);
std::string TrimLeft(const std::string& S);
std::string TrimRight(const std::string& S);

std::string AnsiUpperCase(const std::string& S);
std::string AnsiLowerCase(const std::string& S);
// <0, 0, >0 like strcmp, ignoring case, by the user locale's collation.
int AnsiCompareText(const std::string& A, const std::string& B);
bool AnsiSameText(const std::string& A, const std::string& B);
// Bytes that order as AnsiCompareText orders the texts (the locale's sort key).
std::string AnsiSortKey(const std::string& S);
// S's sort key appended to Keys, so that many keys can share one buffer.
void AppendAnsiSortKey(std::string& Keys, const std::string& S);

// Signed 32-bit integer: leading blanks, an optional sign, then decimal digits or,
// after "$" or "0x"/"0X", hexadecimal digits (up to eight, taken as 32 bits);
// nothing may follow. Anything else, the empty text included, is not a number.
bool TryStrToInt(const std::string& S, int32_t& Value);
int32_t StrToIntDef(const std::string& S, int32_t Default);
// Raises EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(const std::string& S);

std::string IntToStr(int64_t Value);

// Every occurrence of From replaced by To.
std::string ReplaceAll(std::string S, const std::string& From, const std::string& To);
// S between two double-quote characters, as it is; quotes inside are not doubled.
std::string Quoted(const std::string& S);
