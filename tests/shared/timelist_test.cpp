#include "shared/timelist.h"

#include <gtest/gtest.h>

#include "rtl/exceptions.h"

namespace {

std::vector<int32_t> Items(const TTimeList& L) {
  std::vector<int32_t> R;
  for (int32_t I = 0; I < L.Count(); ++I) { R.push_back(L.Item(I)); }
  return R;
}

std::string ParseError(const std::string& Text) {
  TTimeList L("");
  try {
    L.SetText(Text);
  } catch (const Exception& E) {
    return E.Message();
  }
  return "no error";
}

TDateTime At(int H, int M, int S) { return 45443.0 + (H * 3600 + M * 60 + S) / SecsPerDay; }

}  // namespace

TEST(TimeList, EmptyAndBlankTextsGiveAnEmptyList) {
  TTimeList L("");
  EXPECT_EQ(L.Count(), 0);
  EXPECT_EQ(L.GetText(), "");
  L.SetText(" \t  ");
  EXPECT_EQ(L.Count(), 0);
}

TEST(TimeList, SetTextSortsAndGetTextDropsSeconds) {
  TTimeList L("  18:30:45    08:00 ");
  EXPECT_EQ(Items(L), (std::vector<int32_t>{28800, 66645}));
  EXPECT_EQ(L.GetText(), "08:00 18:30");
  L.ParseTimes("  18:30:45    08:00 ", ':');
  EXPECT_EQ(Items(L), (std::vector<int32_t>{66645, 28800}));  // parsing alone keeps the text order
}

TEST(TimeList, ShortFieldsAndExtraFields) {
  TTimeList L("8:5");
  EXPECT_EQ(Items(L), std::vector<int32_t>{29100});
  EXPECT_EQ(L.GetText(), "08:05");
  L.SetText("12:00:");
  EXPECT_EQ(Items(L), std::vector<int32_t>{43200});
  L.SetText("12:00:00:99");
  EXPECT_EQ(Items(L), std::vector<int32_t>{43200});
  L.SetText("08:00 08:00");
  EXPECT_EQ(L.Count(), 2);
  EXPECT_EQ(L.GetText(), "08:00 08:00");
}

TEST(TimeList, BadTokensRaiseWithTheTokenQuoted) {
  for (const char* Bad : {"24:00", "12:60", "12:00:60", "-1:00", "12", "12:", "ab:00", "08::00"}) {
    EXPECT_EQ(ParseError(Bad), std::string("Wrong time value \"") + Bad + "\"");
  }
  EXPECT_EQ(ParseError("08:00\t09:00"), "Wrong time value \"08:00\t09:00\"");  // a tab is no separator
}

TEST(TimeList, ABadTokenLeavesTheEarlierTimesUnsorted) {
  TTimeList L("");
  EXPECT_EQ(ParseError("08:00 25:00 09:00"), "Wrong time value \"25:00\"");
  EXPECT_THROW(L.SetText("09:00 08:00 25:00"), Exception);
  EXPECT_EQ(Items(L), (std::vector<int32_t>{32400, 28800}));
}

TEST(TimeList, LongTokensAreCutTo255Characters) {
  const std::string Token = "1" + std::string(299, '2');
  EXPECT_EQ(ParseError(Token), "Wrong time value \"" + Token.substr(0, 255) + "\"");
}

TEST(TimeList, ConstructionFailsWithTheParseError) { EXPECT_THROW(TTimeList("99:99"), Exception); }

TEST(TimeList, NearestPrefersTheEarlierOfEqualDistances) {
  TTimeList L("08:00 18:00");
  EXPECT_DOUBLE_EQ(L.Nearest(At(13, 0, 0)), 8 / 24.0);
  EXPECT_DOUBLE_EQ(L.Nearest(At(13, 0, 1)), 18 / 24.0);
  EXPECT_DOUBLE_EQ(TTimeList("23:59").Nearest(At(0, 1, 0)), (23 * 3600 + 59 * 60) / SecsPerDay);  // no wrapping
}

TEST(TimeList, NextAfterIsStrictlyLater) {
  TTimeList L("08:00 18:00");
  EXPECT_EQ(L.NextAfter(At(18, 0, 0)), -1.0);
  EXPECT_DOUBLE_EQ(L.NextAfter(At(17, 59, 59)), 0.75);
  EXPECT_DOUBLE_EQ(L.NextAfter(At(0, 0, 0)), 8 / 24.0);
}

TEST(TimeList, EmptyListMeansNone) {
  TTimeList L("");
  EXPECT_DOUBLE_EQ(L.Nearest(At(12, 0, 0)), -1 / SecsPerDay);
  EXPECT_EQ(L.NextAfter(At(12, 0, 0)), -1.0);
}
