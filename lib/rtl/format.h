// Format: printf-like formatting with the class library's rules
// ("%2.2d" zero-pads to two digits, "%x" is upper-case, "%n" groups thousands,
// "%s" takes std::string, "%*d" takes the width from the arguments).
#pragma once
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

struct TFormatSettings;

class FormatArg {
public:
  enum class Kind { Int, UInt, Float, Text };
  template <class T, std::enable_if_t<std::is_integral_v<T> && std::is_signed_v<T>, int> = 0>
  FormatArg(T V) : FKind(Kind::Int), FInt(V) {}
  template <class T, std::enable_if_t<std::is_integral_v<T> && std::is_unsigned_v<T>, int> = 0>
  FormatArg(T V) : FKind(Kind::UInt), FUInt(V) {}
  FormatArg(char V) : FKind(Kind::Text), FText(1, V) {}
  FormatArg(bool V) : FKind(Kind::Int), FInt(V ? 1 : 0) {}
  FormatArg(double V) : FKind(Kind::Float), FFloat(V) {}
  FormatArg(const char* V) : FKind(Kind::Text), FText(V ? V : "") {}
  FormatArg(std::string V) : FKind(Kind::Text), FText(std::move(V)) {}

  Kind GetKind() const { return FKind; }
  int64_t AsInt() const;
  uint64_t AsUInt() const;
  double AsFloat() const;
  const std::string& AsText() const { return FText; }

private:
  Kind FKind;
  int64_t FInt = 0;
  uint64_t FUInt = 0;
  double FFloat = 0;
  std::string FText;
};

// Raises EConvertError for a pattern that does not match its arguments.
std::string FormatArgs(const std::string& Pattern, const std::vector<FormatArg>& Args,
                       const TFormatSettings& Settings);
std::string FormatArgs(const std::string& Pattern, const std::vector<FormatArg>& Args);

template <class... T>
std::string Format(const std::string& Pattern, T&&... Args) {
  return FormatArgs(Pattern, std::vector<FormatArg>{FormatArg(std::forward<T>(Args))...});
}
