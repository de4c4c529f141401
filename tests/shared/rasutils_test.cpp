// The dial-up helpers over a fake phonebook, and rasapi32 itself under Wine.
#include "shared/rasutils.h"

#include <gtest/gtest.h>

#include "support/fakeras.h"

namespace {

HRASCONN Handle(uintptr_t Value) { return reinterpret_cast<HRASCONN>(Value); }

TEST(RasEntries, ListsThePhonebookInOrder) {
  TFakeRas Ras;
  Ras.Entries = {"Work", "Home", "Backup"};
  TStringList List;
  List.Add("stale");
  EXPECT_TRUE(GetRasEntries(List));
  ASSERT_EQ(3, List.Count());
  EXPECT_EQ("Work", List[0]);
  EXPECT_EQ("Backup", List[2]);
  EXPECT_EQ("", RasLastErrorText());

  Ras.Entries.clear();
  EXPECT_TRUE(GetRasEntries(List));
  EXPECT_EQ(0, List.Count());
}

TEST(RasEntries, SixteenFitSeventeenDoNot) {
  TFakeRas Ras;
  for (int I = 0; I < 16; ++I) {
    Ras.Entries.push_back("Entry" + std::to_string(I));
  }
  TStringList List;
  EXPECT_TRUE(GetRasEntries(List));
  EXPECT_EQ(16, List.Count());

  Ras.Entries.push_back("Entry16");
  EXPECT_FALSE(GetRasEntries(List));
  EXPECT_EQ(0, List.Count());
  EXPECT_EQ(TFakeRas::BufferTooSmall, LastRasError);
  EXPECT_EQ("The buffer is too small.", RasLastErrorText());
}

TEST(RasConnections, CarryTheirHandles) {
  TFakeRas Ras;
  Ras.Connections = {{"Work", Handle(0x11)}, {"Home", Handle(0x22)}};
  TStringList List;
  EXPECT_TRUE(GetRasConnections(List));
  ASSERT_EQ(2, List.Count());
  EXPECT_EQ("Home", List[1]);
  EXPECT_EQ(Handle(0x22), static_cast<HRASCONN>(List.Objects(1)));

  for (int I = 0; I < 15; ++I) {
    Ras.Connections.emplace_back("More" + std::to_string(I), Handle(0x100 + I));
  }
  EXPECT_FALSE(GetRasConnections(List));
  EXPECT_EQ(TFakeRas::BufferTooSmall, LastRasError);
}

TEST(RasHangUp, ByNameFindsTheConnectionIgnoringCase) {
  TFakeRas Ras;
  Ras.Connections = {{"Work", Handle(0x11)}, {"Home", Handle(0x22)}};
  EXPECT_TRUE(RasHangUpByName("HOME"));
  EXPECT_EQ(std::vector<HRASCONN>{Handle(0x22)}, Ras.HungUp);
  EXPECT_EQ(std::vector<DWORD>{3000}, Ras.Sleeps);
  EXPECT_EQ("", RasLastErrorText());
}

TEST(RasHangUp, InactiveEntryFailsWithoutText) {
  TFakeRas Ras;
  Ras.Connections = {{"Work", Handle(0x11)}};
  LastRasError = 5;  // from an earlier call
  EXPECT_FALSE(RasHangUpByName("Home"));
  EXPECT_EQ(0u, LastRasError);
  EXPECT_EQ("", RasLastErrorText());
  EXPECT_TRUE(Ras.HungUp.empty());
}

TEST(RasHangUp, FailureKeepsTheCodeAndDoesNotPause) {
  TFakeRas Ras;
  Ras.HangUpResult = 668;
  EXPECT_FALSE(RasHangUpHandle(Handle(0x11)));
  EXPECT_EQ(668u, LastRasError);
  EXPECT_TRUE(Ras.Sleeps.empty());
  EXPECT_EQ("Unknown RAS error (code 668)", RasLastErrorText());
}

TEST(RasDial, SuccessLeavesNoErrorText) {
  TFakeRas Ras;
  Ras.Entries = {"Work"};
  LastRasError = 5;
  EXPECT_TRUE(RasDialEntry("Work"));
  EXPECT_EQ(std::vector<std::string>{"Work"}, Ras.Dialled);
  EXPECT_EQ("", RasLastErrorText());
  EXPECT_TRUE(Ras.HungUp.empty());
}

TEST(RasDial, FailureWithAHandleHangsItUpAndKeepsTheDialError) {
  TFakeRas Ras;
  Ras.DialResult = 678;
  Ras.ErrorTexts[678] = "There was no answer.";
  Ras.HangUpResult = 0;
  EXPECT_FALSE(RasDialEntry("Work"));
  EXPECT_EQ(std::vector<HRASCONN>{Ras.DialHandle}, Ras.HungUp);
  EXPECT_EQ(std::vector<DWORD>{3000}, Ras.Sleeps);
  EXPECT_EQ(678u, LastRasError);
  EXPECT_EQ("There was no answer.", RasLastErrorText());

  Ras.HungUp.clear();
  Ras.HangUpResult = 668;  // the hang-up's own failure does not replace the dial's code
  EXPECT_FALSE(RasDialEntry("Work"));
  EXPECT_EQ(678u, LastRasError);

  Ras.HungUp.clear();
  Ras.DialHandle = nullptr;  // no handle: nothing to hang up
  EXPECT_FALSE(RasDialEntry("Work"));
  EXPECT_TRUE(Ras.HungUp.empty());
}

TEST(RasDial, LongEntryNamesAreCutTo256Characters) {
  TFakeRas Ras;
  EXPECT_TRUE(RasDialEntry(std::string(300, 'x')));
  ASSERT_EQ(1u, Ras.Dialled.size());
  EXPECT_EQ(std::string(256, 'x'), Ras.Dialled[0]);
}

TEST(RasDialEvent, IsRegistered) {
  InitRasDialEvent();
  EXPECT_EQ(RegisterWindowMessageA("RasDialEvent"), RasDialEventMessage);
  EXPECT_NE(0u, RasDialEventMessage);
}

TEST(RasSystem, WineHasAnEmptyPhonebook) {
  TStringList List;
  EXPECT_TRUE(GetRasEntries(List)) << RasLastErrorText();
  EXPECT_EQ(0, List.Count());
  EXPECT_FALSE(RasHangUpByName("Nothing"));
  EXPECT_EQ("", RasLastErrorText());
}

}  // namespace
