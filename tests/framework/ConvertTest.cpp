#include <gtest/gtest.h>

#include "framework/Convert.h"
#include "framework/Exceptions.h"

using namespace ostrivo;

TEST(StrToInt, AcceptsLeadingBlanksSignsAndHexadecimal) {
  EXPECT_EQ(StrToInt(QByteArray(" 10")), 10);
  EXPECT_EQ(StrToInt(QByteArray("   7")), 7);
  EXPECT_EQ(StrToInt(QByteArray("+7")), 7);
  EXPECT_EQ(StrToInt(QByteArray("-0")), 0);
  EXPECT_EQ(StrToInt(QByteArray("-12")), -12);
  EXPECT_EQ(StrToInt(QByteArray("$1F")), 31);
  EXPECT_EQ(StrToInt(QByteArray("$1f")), 31);
  EXPECT_EQ(StrToInt(QByteArray("-$10")), -16);
  EXPECT_EQ(StrToInt(QByteArray("007")), 7);
}

TEST(StrToInt, KeepsToThe32BitRange) {
  EXPECT_EQ(StrToInt(QByteArray("2147483647")), 2147483647);
  EXPECT_EQ(StrToInt(QByteArray("-2147483648")), INT32_MIN);
  EXPECT_EQ(StrToInt(QByteArray("$7FFFFFFF")), INT32_MAX);
  EXPECT_FALSE(TryStrToInt("2147483648"));
  EXPECT_FALSE(TryStrToInt("-2147483649"));
  EXPECT_FALSE(TryStrToInt("99999999999999999999"));
  EXPECT_FALSE(TryStrToInt("$80000000"));
}

TEST(StrToInt, RejectsAnythingElse) {
  for (const char* bad : {"", " ", "10 ", "1 0", "+", "-", "$", "$G", "1.5", "0x10", "--1", "+-1",
                          "\t10", "12a", "k7"})
    EXPECT_FALSE(TryStrToInt(QByteArray(bad))) << '"' << bad << '"';
}

TEST(StrToInt, ErrorQuotesTheTextRead) {
  try {
    StrToInt(QByteArray("10 "));
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("'10 ' is not a valid integer value"));
  }
  try {
    StrToInt(QString());
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("'' is not a valid integer value"));
  }
}

TEST(LeadingDigits, ReadsOnlyTheLeadingDigits) {
  EXPECT_EQ(LeadingDigits(QStringLiteral("12")), 12);
  EXPECT_EQ(LeadingDigits(QStringLiteral("5s")), 5);
  EXPECT_EQ(LeadingDigits(QStringLiteral("")), 0);
  EXPECT_EQ(LeadingDigits(QStringLiteral(" 5")), 0);
  EXPECT_EQ(LeadingDigits(QStringLiteral("-5")), 0);
  EXPECT_EQ(LeadingDigits(QStringLiteral("99999999999")), INT32_MAX);
}
