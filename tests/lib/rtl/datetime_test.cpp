#include <gtest/gtest.h>

#include "rtl/datetime.h"
#include "rtl/exceptions.h"
#include "rtl/formatdatetime.h"

TEST(DateTime, DaysCountFromThe30thOfDecember1899) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2024, 5, 31), 45443.0);
  EXPECT_DOUBLE_EQ(EncodeTime(18, 0, 0, 0), 0.75);
}

TEST(DateTime, InvalidPartsAreRefused) {
  TDateTime T;
  EXPECT_FALSE(TryEncodeDate(2024, 13, 1, T));
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29, T));
  EXPECT_TRUE(TryEncodeDate(2024, 2, 29, T));
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, T));
  EXPECT_THROW(EncodeDate(2024, 0, 1), EConvertError);
}

TEST(DateTime, DecodeGivesBackEveryEncodedMomentToTheMillisecond) {
  for (int Year : {1900, 1999, 2000, 2024, 2100}) {
    for (int Month = 1; Month <= 12; ++Month) {
      TDateTime T = EncodeDate(Year, Month, 28) + EncodeTime(23, 59, 59, 999);
      TDateParts P = DecodeDateTime(T);
      ASSERT_EQ(P.Year, Year);
      ASSERT_EQ(P.Month, Month);
      ASSERT_EQ(P.Day, 28);
      ASSERT_EQ(P.Hour, 23);
      ASSERT_EQ(P.Min, 59);
      ASSERT_EQ(P.Sec, 59);
      ASSERT_EQ(P.MSec, 999);
    }
  }
  EXPECT_EQ(DecodeDateTime(EncodeDate(2024, 5, 31)).DayOfWeek, 6);  // a Friday
}

TEST(DateTime, SystemTimeRoundTrip) {
  SYSTEMTIME S{2024, 5, 5, 31, 6, 12, 3, 250};
  SYSTEMTIME Back = DateTimeToSystemTime(SystemTimeToDateTime(S));
  EXPECT_EQ(Back.wYear, 2024);
  EXPECT_EQ(Back.wDayOfWeek, 5);
  EXPECT_EQ(Back.wMilliseconds, 250);
  EXPECT_EQ(Back.wSecond, 3);
}

TEST(DateTime, WholeSecondsBetweenAreExactAtTheBoundary) {
  TDateTime A = EncodeDate(2024, 5, 31) + EncodeTime(6, 12, 3, 250);
  EXPECT_EQ(SecondsBetween(A, A + 2.9 / SecsPerDay), 2);
  EXPECT_EQ(SecondsBetween(A, A + 3.0 / SecsPerDay), 3);
  EXPECT_EQ(SecondsBetween(A + 3.0 / SecsPerDay, A), 3);
  EXPECT_EQ(MilliSecondsBetween(A, A + 1.234 / SecsPerDay), 1234);
}

class FormatDateTimeTest : public testing::Test {
protected:
  TFormatSettings Settings;
  TDateTime Moment = EncodeDate(2024, 5, 31) + EncodeTime(6, 12, 3, 250);
};

TEST_F(FormatDateTimeTest, PatternsOfTheLogAndTheStatusFiles) {
  EXPECT_EQ(FormatDateTime("dd/mm/yyyy", Moment, Settings), "31/05/2024");
  EXPECT_EQ(FormatDateTime("hh:nn:ss", Moment, Settings), "06:12:03");
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn:ss:zzz", Moment, Settings), "2024/05/31 06:12:03:250");
  EXPECT_EQ(FormatDateTime("yyyyy/mm/dd hh:nn:ss.zzz", Moment, Settings), "2024/05/31 06:12:03.250");
}

TEST_F(FormatDateTimeTest, ElapsedSpansHaveHoursWithoutLeadingZero) {
  EXPECT_EQ(FormatDateTime("h:nn:ss:zzz", 1.234 / SecsPerDay, Settings), "0:00:01:234");
  EXPECT_EQ(FormatDateTime("h:nn:ss:zzz", (3600.0 * 11 + 61.005) / SecsPerDay, Settings), "11:01:01:005");
}

TEST_F(FormatDateTimeTest, SeparatorsComeFromTheSettings) {
  Settings.DateSeparator = '.';
  Settings.TimeSeparator = 'h';
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn", Moment, Settings), "2024.05.31 06h12");
}

TEST_F(FormatDateTimeTest, NamedFormatsExpandFromTheSettings) {
  Settings.ShortDateFormat = "d/M/yy";
  Settings.LongTimeFormat = "HH:mm:ss";
  EXPECT_EQ(FormatDateTime("ddddd", Moment, Settings), "31/5/24");
  EXPECT_EQ(FormatDateTime("tt", Moment, Settings), "06:12:03");
  EXPECT_EQ(FormatDateTime("c", Moment, Settings), "31/5/24 06:12:03");
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 5, 31), Settings), "31/5/24");
}

TEST_F(FormatDateTimeTest, TwelveHourClockAndLiterals) {
  TDateTime Evening = EncodeDate(2024, 5, 31) + EncodeTime(18, 5, 0, 0);
  EXPECT_EQ(FormatDateTime("h:nn am/pm", Evening, Settings), "6:05 pm");
  EXPECT_EQ(FormatDateTime("hh:nn AMPM", Moment, Settings), "06:12 AM");
  EXPECT_EQ(FormatDateTime("'at' hh\"h\"", Moment, Settings), "at 06h");
  EXPECT_EQ(FormatDateTime("mmm mmmm ddd", Moment, Settings), "May May Fri");
}
