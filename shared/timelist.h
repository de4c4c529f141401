// A sorted list of times of day, held as seconds since midnight, with a text
// form of blank-separated hours:minutes items ("08:00 18:30").
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "rtl/datetime.h"

class TTimeList {
public:
  // Raises the parse error of SetText for a bad text.
  explicit TTimeList(const std::string& Text);

  std::string GetText() const;
  // Parses with ':' and sorts; a bad token raises Exception "Wrong time value \"token\"",
  // leaving the valid times before it, unsorted.
  void SetText(const std::string& Text);
  // The same with the user locale's time separator (the console's edit box).
  std::string GetLocalText() const;
  void SetLocalText(const std::string& Text);

  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  int32_t Item(int32_t Index) const { return FItems[Index]; }

  // The listed time nearest to T's time of day (days); -1/86400 when empty.
  double Nearest(TDateTime T) const;
  // The first listed time later than T's time of day (days); -1.0 when none.
  double NextAfter(TDateTime T) const;

  std::string FormatTimes(char Separator) const;
  void ParseTimes(const std::string& Text, char Separator);

private:
  void Sort();
  std::vector<int32_t> FItems;
};
