#include "rtl/stringlist.h"

#include <algorithm>

#include "rtl/strings.h"

int TStringList::AddObject(const std::string& S, void* Object) {
  FItems.push_back({S, Object, {}});
  FSortedByKey = false;
  return Count() - 1;
}

int TStringList::IndexOf(const std::string& S) const {
  for (int I = 0; I < Count(); ++I) {
    if (AnsiSameText(FItems[I].Text, S)) { return I; }
  }
  return -1;
}

void TStringList::Sort() {
  for (Item& I : FItems) { I.SortKey = AnsiSortKey(I.Text); }
  std::sort(FItems.begin(), FItems.end(), [](const Item& A, const Item& B) { return A.SortKey < B.SortKey; });
  FSortedByKey = true;
}

bool TStringList::Find(const std::string& S, int& Index) const {
  const std::string Key = FSortedByKey ? AnsiSortKey(S) : std::string();
  int Low = 0, High = Count() - 1;
  while (Low <= High) {
    const int Mid = (Low + High) / 2;
    const int C = FSortedByKey ? FItems[Mid].SortKey.compare(Key) : AnsiCompareText(FItems[Mid].Text, S);
    if (C == 0) {
      Index = Mid;
      return true;
    }
    if (C < 0) {
      Low = Mid + 1;
    } else {
      High = Mid - 1;
    }
  }
  Index = Low;
  return false;
}

std::string TStringList::Text() const {
  std::string R;
  for (const Item& I : FItems) { R += I.Text + "\r\n"; }
  return R;
}
