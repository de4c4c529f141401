// A list of strings, each with an optional object pointer that the list does not own.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TStringList {
public:
  int Count() const { return static_cast<int>(FItems.size()); }
  const std::string& operator[](int Index) const { return FItems[Index].Text; }
  const std::string& Strings(int Index) const { return FItems[Index].Text; }
  void* Objects(int Index) const { return FItems[Index].Object; }

  int Add(const std::string& S) { return AddObject(S, nullptr); }
  int AddObject(const std::string& S, void* Object);
  void Clear() {
    FItems.clear();
    FSortKeys.clear();
    FSortedByKey = false;
  }
  // First index of S ignoring case (the locale's rules), or -1.
  int IndexOf(const std::string& S) const;
  // Ascending by the locale's case-insensitive comparison. Each item's sort key
  // is made once, so sorting and later look-ups compare bytes.
  void Sort();
  // Bisection over a sorted list, ignoring case; true and Index when found.
  bool Find(const std::string& S, int& Index) const;
  // The items joined, each followed by CR LF.
  std::string Text() const;

private:
  struct Item {
    std::string Text;
    void* Object;
    uint32_t KeyStart, KeyLength;  // the item's sort key in FSortKeys, made by Sort
  };
  std::string_view SortKey(const Item& I) const { return std::string_view(FSortKeys).substr(I.KeyStart, I.KeyLength); }

  std::vector<Item> FItems;
  std::string FSortKeys;  // every item's key, end to end: one allocation for a whole folder
  bool FSortedByKey = false;  // every item has its key and the list is in key order
};
