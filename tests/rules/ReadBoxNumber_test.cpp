#include "rules/ReadBoxNumber.h"

#include <gtest/gtest.h>

#include <limits>

TEST(ReadBoxNumber, ReadsLenientlyRoundsToEvenAndSaturates)
{
    constexpr qint32 kMin = std::numeric_limits<qint32>::min();
    constexpr qint32 kMax = std::numeric_limits<qint32>::max();
    // clang-format off
    const struct { const char *text; qint32 value; } cases[] = {
        // The longest leading number; blanks anywhere are ignored.
        {"3abc", 3}, {"12-3", 12}, {"1.2.3", 1}, {"1e", 1}, {"7E+", 7}, {"2d+3", 2000},
        {"25E-1", 2}, {" \t1\r\n2 ", 12}, {"- 3 . 5", -4}, {"& h f f", 255},
        // Nothing to read.
        {"", 0}, {"-", 0}, {".", 0}, {"e5", 0}, {"+-5", 0}, {"&H", 0}, {"１２", 0},
        // Halves round to even, decided on the exact decimal.
        {"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {".5", 0}, {".51", 1},
        {"2.50000000000000000000001", 3}, {"2147483646.5", 2147483646},
        {"21474836460e-1", 2147483646},
        // Beyond 32 bits the value saturates.
        {"2147483648", kMax}, {"-2147483649", kMin}, {"2147483647.4", kMax},
        {"21474836470e-1", kMax}, {"1e99", kMax}, {"-1e99", kMin}, {"1e-99", 0},
        {"1e99999999999999999999", kMax}, {"1e-99999999999999999999", 0},
        // &H and &O are two's complement up to 32 bits and saturate beyond.
        {"&HfFz", 255}, {"&o178", 15}, {"&HFFFFFFFF", -1}, {"&H80000000", kMin},
        {"&H0000000010", 16}, {"&O37777777777", -1}, {"&H100000000", kMax},
        {"&O40000000000", kMax}, {"&H1e99", 0x1E99}};
    // clang-format on
    for (const auto &c : cases)
        EXPECT_EQ(ReadBoxNumber(QString::fromUtf8(c.text)), c.value) << c.text;

    // Megabyte-long texts neither hang nor lose exactness.
    EXPECT_EQ(ReadBoxNumber(QString(1 << 20, u'9')), kMax);
    EXPECT_EQ(ReadBoxNumber("0." + QString(1 << 20, u'0') + "3e1048577"), 3);
}
