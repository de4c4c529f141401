// The handle owners close what they own exactly once, and the folder search
// gives every matching entry once.
#include "rtl/findfile.h"
#include "rtl/handles.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "support/scratchdir.h"

namespace {

bool IsOpen(HANDLE Handle) {
  DWORD Flags;
  return GetHandleInformation(Handle, &Flags) != FALSE;
}

HANDLE NewEvent() { return CreateEventA(nullptr, TRUE, FALSE, nullptr); }

TEST(Handles, AnOwnerClosesOnceWhenItGoesAndHandsOverOnMove) {
  HANDLE Raw = NewEvent();
  {
    THandle Owner(Raw);
    EXPECT_TRUE(Owner.Valid());
    THandle Taker(std::move(Owner));
    EXPECT_FALSE(Owner.Valid());
    EXPECT_EQ(Taker.Get(), Raw);
    EXPECT_TRUE(IsOpen(Raw));
  }
  EXPECT_FALSE(IsOpen(Raw));

  HANDLE First = NewEvent(), Second = NewEvent();
  THandle Owner(First);
  Owner.Reset(Second);
  EXPECT_FALSE(IsOpen(First));
  EXPECT_TRUE(IsOpen(Second));
  Owner.Reset();
  EXPECT_FALSE(IsOpen(Second));
  EXPECT_FALSE(Owner.Valid());
  // A failed CreateFile gives INVALID_HANDLE_VALUE: nothing to close.
  THandle Failed(CreateFileA("Z:\\no\\such\\folder\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(Failed.Valid());

  // A token or an event gives back null for none: nothing to close either.
  TObjectHandle None(nullptr);
  EXPECT_FALSE(None.Valid());
  HANDLE Event = NewEvent();
  {
    TObjectHandle Object(Event);
    EXPECT_TRUE(Object.Valid());
  }
  EXPECT_FALSE(IsOpen(Event));
}

TEST(FindFile, GivesEachMatchingEntryOnceAndNothingWithoutAMatch) {
  TScratchDir Scratch("findfile");
  for (const char* Name : {"a.txt", "b.TXT", "c.scb"}) { WriteTextFile(Scratch.Path() + "\\" + Name, "x"); }
  std::multiset<std::string> Found;
  for (TFindFile Find(Scratch.Path() + "\\*.txt"); Find.Found(); Find.Next()) { Found.insert(Find.Data().cFileName); }
  EXPECT_EQ(Found, (std::multiset<std::string>{"a.txt", "b.TXT"}));

  TFindFile None(Scratch.Path() + "\\*.msg");
  EXPECT_FALSE(None.Found());
  None.Next();
  EXPECT_FALSE(None.Found());
}

}  // namespace
