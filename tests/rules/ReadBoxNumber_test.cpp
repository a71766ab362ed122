#include "rules/ReadBoxNumber.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr qint32 kMin = std::numeric_limits<qint32>::min();
constexpr qint32 kMax = std::numeric_limits<qint32>::max();

} // namespace

TEST(ReadBoxNumber, TakesTheLongestLeadingNumber)
{
    EXPECT_EQ(ReadBoxNumber("42"), 42);
    EXPECT_EQ(ReadBoxNumber("-17"), -17);
    EXPECT_EQ(ReadBoxNumber("+8"), 8);
    EXPECT_EQ(ReadBoxNumber("007"), 7);
    EXPECT_EQ(ReadBoxNumber("3abc"), 3);
    EXPECT_EQ(ReadBoxNumber("12-3"), 12);
    EXPECT_EQ(ReadBoxNumber("5."), 5);
    EXPECT_EQ(ReadBoxNumber("1.2.3"), 1);
    // An exponent letter without digits is not part of the number.
    EXPECT_EQ(ReadBoxNumber("1e"), 1);
    EXPECT_EQ(ReadBoxNumber("7E+"), 7);
    EXPECT_EQ(ReadBoxNumber("7Ex"), 7);
    EXPECT_EQ(ReadBoxNumber("2e3"), 2000);
    EXPECT_EQ(ReadBoxNumber("2D3"), 2000);
    EXPECT_EQ(ReadBoxNumber("2d+3"), 2000);
    EXPECT_EQ(ReadBoxNumber("25E-1"), 2);
    EXPECT_EQ(ReadBoxNumber("1.5e1x"), 15);
    EXPECT_EQ(ReadBoxNumber("0.00012e4"), 1);
}

TEST(ReadBoxNumber, TextWithoutANumberReadsZero)
{
    EXPECT_EQ(ReadBoxNumber(QString()), 0);
    EXPECT_EQ(ReadBoxNumber(""), 0);
    EXPECT_EQ(ReadBoxNumber("   "), 0);
    EXPECT_EQ(ReadBoxNumber("abc3"), 0);
    EXPECT_EQ(ReadBoxNumber("-"), 0);
    EXPECT_EQ(ReadBoxNumber("."), 0);
    EXPECT_EQ(ReadBoxNumber("e5"), 0);
    EXPECT_EQ(ReadBoxNumber("+-5"), 0);
    EXPECT_EQ(ReadBoxNumber("&"), 0);
    EXPECT_EQ(ReadBoxNumber("&X1"), 0);
    EXPECT_EQ(ReadBoxNumber("&H"), 0);
    EXPECT_EQ(ReadBoxNumber(QString::fromUtf8("１２")), 0); // full-width digits
    EXPECT_EQ(ReadBoxNumber(QString::fromUtf8("五")), 0);
}

TEST(ReadBoxNumber, IgnoresBlanksTabsAndLineBreaksAnywhere)
{
    EXPECT_EQ(ReadBoxNumber("1 0"), 10);
    EXPECT_EQ(ReadBoxNumber(" \t1\r\n2 "), 12);
    EXPECT_EQ(ReadBoxNumber("- 3 . 5"), -4);
    EXPECT_EQ(ReadBoxNumber("1 e 2"), 100);
    EXPECT_EQ(ReadBoxNumber("& h f f"), 255);
}

TEST(ReadBoxNumber, RoundsHalvesToEven)
{
    EXPECT_EQ(ReadBoxNumber("1.5"), 2);
    EXPECT_EQ(ReadBoxNumber("2.5"), 2);
    EXPECT_EQ(ReadBoxNumber("3.5"), 4);
    EXPECT_EQ(ReadBoxNumber("-2.5"), -2);
    EXPECT_EQ(ReadBoxNumber("-3.5"), -4);
    EXPECT_EQ(ReadBoxNumber("0.5"), 0);
    EXPECT_EQ(ReadBoxNumber(".5"), 0);
    EXPECT_EQ(ReadBoxNumber(".51"), 1);
    EXPECT_EQ(ReadBoxNumber("2.49"), 2);
    EXPECT_EQ(ReadBoxNumber("2.51"), 3);
    EXPECT_EQ(ReadBoxNumber("2.50000000000000000000001"), 3);
    EXPECT_EQ(ReadBoxNumber("0.09"), 0);
    EXPECT_EQ(ReadBoxNumber("-0.4"), 0);
}

TEST(ReadBoxNumber, SaturatesOutsideThe32BitRange)
{
    EXPECT_EQ(ReadBoxNumber("2147483647"), kMax);
    EXPECT_EQ(ReadBoxNumber("-2147483648"), kMin);
    EXPECT_EQ(ReadBoxNumber("2147483648"), kMax);
    EXPECT_EQ(ReadBoxNumber("-2147483649"), kMin);
    EXPECT_EQ(ReadBoxNumber("2147483647.4"), kMax);
    EXPECT_EQ(ReadBoxNumber("2147483646.5"), 2147483646);
    EXPECT_EQ(ReadBoxNumber("9999999999"), kMax);
    EXPECT_EQ(ReadBoxNumber("1e99"), kMax);
    EXPECT_EQ(ReadBoxNumber("-1e99"), kMin);
    EXPECT_EQ(ReadBoxNumber("1e-99"), 0);
    EXPECT_EQ(ReadBoxNumber("1e99999999999999999999"), kMax);
    EXPECT_EQ(ReadBoxNumber("1e-99999999999999999999"), 0);
    EXPECT_EQ(ReadBoxNumber("12345678901e-1"), 1234567890);
    EXPECT_EQ(ReadBoxNumber("21474836470e-1"), kMax);
    EXPECT_EQ(ReadBoxNumber("21474836460e-1"), 2147483646);
}

TEST(ReadBoxNumber, HugeTextsAreReadInOnePass)
{
    const QString digits(1 << 20, u'9');
    EXPECT_EQ(ReadBoxNumber(digits), kMax);
    EXPECT_EQ(ReadBoxNumber("-" + digits), kMin);
    EXPECT_EQ(ReadBoxNumber("0." + QString(1 << 20, u'0') + "1e1000000"), 0);
    EXPECT_EQ(ReadBoxNumber("0." + QString(1 << 20, u'0') + "3e1048577"), 3);
    EXPECT_EQ(ReadBoxNumber(QString(1 << 20, u'0') + "12"), 12);
    EXPECT_EQ(ReadBoxNumber("&H" + QString(1 << 20, u'F')), kMax);
    EXPECT_EQ(ReadBoxNumber(QString(1 << 20, u' ') + "5"), 5);
}

TEST(ReadBoxNumber, ReadsHexadecimalAndOctal)
{
    EXPECT_EQ(ReadBoxNumber("&HFF"), 255);
    EXPECT_EQ(ReadBoxNumber("&hff"), 255);
    EXPECT_EQ(ReadBoxNumber("&HfFz"), 255);
    EXPECT_EQ(ReadBoxNumber("&O17"), 15);
    EXPECT_EQ(ReadBoxNumber("&o178"), 15);
    // Up to 32 bits a hexadecimal number is two's complement.
    EXPECT_EQ(ReadBoxNumber("&HFFFFFFFF"), -1);
    EXPECT_EQ(ReadBoxNumber("&H7FFFFFFF"), kMax);
    EXPECT_EQ(ReadBoxNumber("&H80000000"), kMin);
    EXPECT_EQ(ReadBoxNumber("&H0000000010"), 16);
    EXPECT_EQ(ReadBoxNumber("&O37777777777"), -1);
    // Wider numbers saturate.
    EXPECT_EQ(ReadBoxNumber("&H100000000"), kMax);
    EXPECT_EQ(ReadBoxNumber("&O40000000000"), kMax);
    EXPECT_EQ(ReadBoxNumber("&H1e99"), 0x1E99);
}
