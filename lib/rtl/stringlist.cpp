#include "rtl/stringlist.h"

#include <algorithm>

#include "rtl/strings.h"

int TStringList::AddObject(const std::string& S, void* Object) {
  FItems.push_back({S, Object, 0, 0});
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
  FSortKeys.clear();
  for (Item& I : FItems) {
    I.KeyStart = static_cast<uint32_t>(FSortKeys.size());
    AppendAnsiSortKey(FSortKeys, I.Text);
    I.KeyLength = static_cast<uint32_t>(FSortKeys.size() - I.KeyStart);
  }
  const auto ByKey = [this](const Item& A, const Item& B) { return SortKey(A) < SortKey(B); };
  // A listing often comes in order already; checking costs a tenth of sorting.
  if (!std::is_sorted(FItems.begin(), FItems.end(), ByKey)) { std::sort(FItems.begin(), FItems.end(), ByKey); }
  FSortedByKey = true;
}

bool TStringList::Find(const std::string& S, int& Index) const {
  const std::string Key = FSortedByKey ? AnsiSortKey(S) : std::string();
  int Low = 0, High = Count() - 1;
  while (Low <= High) {
    const int Mid = (Low + High) / 2;
    const int C = FSortedByKey ? SortKey(FItems[Mid]).compare(Key) : AnsiCompareText(FItems[Mid].Text, S);
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
