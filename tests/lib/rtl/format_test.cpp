#include <gtest/gtest.h>

#include "rtl/exceptions.h"
#include "rtl/format.h"
#include "rtl/formatsettings.h"

TEST(Format, IntegersWithPrecisionAreZeroPadded) {
  EXPECT_EQ(Format("%2.2d%s%2.2d", 8, ":", 5), "08:05");
  EXPECT_EQ(Format("%2.2d", 123), "123");
  EXPECT_EQ(Format("%3.3d", -7), "-007");
  EXPECT_EQ(Format("%4.4u", 31u), "0031");
  EXPECT_EQ(Format("%d", INT32_MIN), "-2147483648");
}

TEST(Format, HexIsUpperCaseAndNegativeValuesShowTheir32Bits) {
  EXPECT_EQ(Format("%4.4x%4.4x", 0x0409, 0x04e4), "040904E4");
  EXPECT_EQ(Format("%x", -1), "FFFFFFFF");
}

TEST(Format, WidthPadsWithBlanksAndMinusAlignsLeft) {
  EXPECT_EQ(Format("[%5d]", 42), "[   42]");
  EXPECT_EQ(Format("[%-5d]", 42), "[42   ]");
  EXPECT_EQ(Format("[%*d]", 4, 7), "[   7]");
  EXPECT_EQ(Format("[%6s]", "ab"), "[    ab]");
  EXPECT_EQ(Format("[%.2s]", std::string("abcdef")), "[ab]");
}

TEST(Format, TextsCharactersAndPercent) {
  EXPECT_EQ(Format("Unable to write to %s", std::string("C:\\x.ini")), "Unable to write to C:\\x.ini");
  EXPECT_EQ(Format("%s%s", 'a', "b"), "ab");
  EXPECT_EQ(Format("100%%"), "100%");
  EXPECT_EQ(Format("Unknown RAS error (code %d)", 1234u), "Unknown RAS error (code 1234)");
}

TEST(Format, NumbersGroupThousandsWithTheSettingsSeparator) {
  TFormatSettings S;
  S.ThousandSeparator = ' ';
  S.DecimalSeparator = ',';
  EXPECT_EQ(FormatArgs("%12.0n", {1234567.0}, S), "   1 234 567");
  EXPECT_EQ(FormatArgs("%.2n", {-1234.5}, S), "-1 234,50");
  EXPECT_EQ(FormatArgs("%.0n", {999.0}, S), "999");
  EXPECT_EQ(FormatArgs("%.1f", {2.25}, S), "2,2");
}

TEST(Format, MismatchedArgumentsRaiseConvertError) {
  EXPECT_THROW(Format("%d %d", 1), EConvertError);
  EXPECT_THROW(Format("%d", "text"), EConvertError);
  EXPECT_THROW(Format("%q", 1), EConvertError);
}
