#include "rules/TextRules.h"

#include <gtest/gtest.h>

#include <limits>

using namespace rules;

TEST(TextRules, PositionalCutsNeverSplitASurrogatePair)
{
    constexpr qint32 kMax = std::numeric_limits<qint32>::max();
    const QString kSmile = QString::fromUtf8("😀"); // U+1F600, two code units
    const QString name = "a" + kSmile + "b";       // a, high, low, b
    EXPECT_EQ(newText(insertAt, "photo", kMax, "x"), "photox");
    EXPECT_EQ(newText(insertAt, name, 2, "-"), "a" + kSmile + "-b");
    EXPECT_EQ(newText(insertAt, kSmile, 1, "-"), kSmile + "-");
    // A start beyond the name gives the name itself.
    EXPECT_EQ(newText(deleteSpan, "abcdef", 7, 1), "abcdef");
    EXPECT_EQ(newText(deleteSpan, QString(80, u'x'), 1, 60), QString(30, u'x')); // 50 at most
    EXPECT_EQ(newText(deleteSpan, name, 2, 1), "ab"); // ends inside the pair: the pair goes
    EXPECT_EQ(newText(deleteSpan, name, 3, 1), name); // starts inside it: starts after it
    EXPECT_EQ(newText(deleteSpan, QString(49, u'x') + kSmile + "yz", 1, 50), "yz");
    for (qint32 start = 1; start <= 6; ++start)
        for (qint32 count = 1; count <= 6; ++count)
            EXPECT_TRUE(newText(deleteSpan, kSmile + kSmile + kSmile, start, count).isValidUtf16())
                << start << " " << count;
}

TEST(TextRules, ReplacementsAreNeverSearchedAgain)
{
    EXPECT_EQ(newText(deleteText, "aaa", "aa"), "a");
    EXPECT_EQ(newText(replaceText, "aa", "a", "aa"), "aaaa");
    EXPECT_EQ(newText(replaceText, "abcab", "ab", "x"), "xcx");
    EXPECT_EQ(newText(replaceText, "abc", "", "x"), "abc");
}

TEST(TextRules, CaseIsMappedPerCodePoint)
{
    // No full mapping: "ß" would grow to "SS".
    EXPECT_EQ(newText(toUpperSimple, QString::fromUtf8("straße")), QString::fromUtf8("STRAßE"));
    // Characters beyond U+FFFF are mapped as one: Deseret 𐐨 / 𐐀.
    EXPECT_EQ(newText(toUpperSimple, QString::fromUtf8("a😀𐐨")), QString::fromUtf8("A😀𐐀"));
    EXPECT_EQ(newText(toLowerSimple, QString::fromUtf8("A😀𐐀")), QString::fromUtf8("a😀𐐨"));
    // A lone half is left as it is.
    EXPECT_EQ(newText(toUpperSimple, QString(QChar(0xD83D)) + "a"), QString(QChar(0xD83D)) + "A");
}
