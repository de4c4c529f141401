// The hourglass over every window of the program for the length of a scope;
// the previous cursor comes back also when the scope is left by an exception.
// Scopes nest: the last one to end takes the hourglass away.
#pragma once

class THourglass {
public:
  THourglass();
  ~THourglass();
  THourglass(const THourglass&) = delete;
  THourglass& operator=(const THourglass&) = delete;

  // Whether a scope holds the hourglass now; the forms show it over their windows.
  static bool Shown() { return FCount > 0; }

private:
  static int FCount;
};
