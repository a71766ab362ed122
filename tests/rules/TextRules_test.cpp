#include "rules/TextRules.h"

#include <gtest/gtest.h>

#include <limits>

using namespace rules;

namespace {

const QString kSmile = QString::fromUtf8("😀"); // U+1F600, two code units
const QString kReport = QString::fromUtf8("报告");

// True when every surrogate in the text belongs to a complete pair.
bool wellFormed(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate()) {
            if (i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate())
                return false;
            ++i;
        } else if (text.at(i).isLowSurrogate()) {
            return false;
        }
    }
    return true;
}

} // namespace

TEST(TextRules, AddsBeforeAndAfter)
{
    EXPECT_EQ(newText(addBeforeAfter, "photo", "x_", "_y"), "x_photo_y");
    EXPECT_EQ(newText(addBeforeAfter, "photo", "", ""), "photo");
    EXPECT_EQ(newText(addBeforeAfter, "", "a", "b"), "ab");
    EXPECT_EQ(newText(addBeforeAfter, kReport, kSmile, "1e99"), kSmile + kReport + "1e99");
}

TEST(TextRules, InsertsAtAPosition)
{
    EXPECT_EQ(newText(insertAt, "photo", 0, "new_"), "new_photo");
    EXPECT_EQ(newText(insertAt, "photo", 2, "new_"), "phnew_oto");
    EXPECT_EQ(newText(insertAt, "photo", 5, "new_"), "photonew_");
    EXPECT_EQ(newText(insertAt, "photo", 9, "new_"), "photonew_");
    EXPECT_EQ(newText(insertAt, "photo", -1, "new_"), "new_photo");
    EXPECT_EQ(newText(insertAt, "photo", std::numeric_limits<qint32>::min(), "x"), "xphoto");
    EXPECT_EQ(newText(insertAt, "photo", std::numeric_limits<qint32>::max(), "x"), "photox");
    EXPECT_EQ(newText(insertAt, "abcdef", 3, ""), "abcdef");
    EXPECT_EQ(newText(insertAt, "", 0, "x"), "x");
    EXPECT_EQ(newText(insertAt, kReport, 1, "-"), QString::fromUtf8("报-告"));
}

TEST(TextRules, InsertNeverSplitsASurrogatePair)
{
    const QString name = "a" + kSmile + "b";
    EXPECT_EQ(newText(insertAt, name, 1, "-"), "a-" + kSmile + "b");
    EXPECT_EQ(newText(insertAt, name, 2, "-"), "a" + kSmile + "-b");
    EXPECT_EQ(newText(insertAt, name, 3, "-"), "a" + kSmile + "-b");
    EXPECT_EQ(newText(insertAt, kSmile, 1, "-"), kSmile + "-");
}

TEST(TextRules, DeletesEveryOccurrenceLeftToRight)
{
    EXPECT_EQ(newText(deleteText, "banana", "a"), "bnn");
    EXPECT_EQ(newText(deleteText, "aaa", "aa"), "a");
    EXPECT_EQ(newText(deleteText, "banana", "A"), "banana");
    EXPECT_EQ(newText(deleteText, "banana", ""), "banana");
    EXPECT_EQ(newText(deleteText, "banana", "an"), "ba");
    EXPECT_EQ(newText(deleteText, QString::fromUtf8("报告 - 副本"), QString::fromUtf8("副本")),
              QString::fromUtf8("报告 - "));
    EXPECT_EQ(newText(deleteText, "a" + kSmile + "b" + kSmile, kSmile), "ab");
    EXPECT_EQ(newText(deleteText, "STRASSE", QString::fromUtf8("ß")), "STRASSE");
}

TEST(TextRules, DeletesASpan)
{
    EXPECT_EQ(newText(deleteSpan, "abcdef", 2, 3), "aef");
    EXPECT_EQ(newText(deleteSpan, "abcdef", 5, 10), "abcd");
    EXPECT_EQ(newText(deleteSpan, "abcdef", 1, 6), "");
    EXPECT_EQ(newText(deleteSpan, "abcdef", 6, 1), "abcde");
    EXPECT_EQ(newText(deleteSpan, "abcdef", 7, 1), "abcdef");
    EXPECT_EQ(newText(deleteSpan, "abcdef", 2, std::numeric_limits<qint32>::max()), "a");
    EXPECT_EQ(newText(deleteSpan, "abc", std::numeric_limits<qint32>::max(), 1), "abc");
    EXPECT_EQ(newText(deleteSpan, kReport + "abc", 2, 2), QString::fromUtf8("报bc"));
    // Never more than 50 units at once.
    EXPECT_EQ(newText(deleteSpan, QString(80, u'x'), 1, 60), QString(30, u'x'));
    // Backslashes outside the span are ordinary characters and stay.
    EXPECT_EQ(newText(deleteSpan, "a\\b", 3, 1), "a\\");
    EXPECT_EQ(newText(deleteSpan, "a\\bc\\d", 3, 2), "a\\\\d");
}

TEST(TextRules, DeleteSpanRemovesOnlyWholeCharacters)
{
    const QString name = "a" + kSmile + "b"; // a, high, low, b
    // The span ends inside the pair: the whole pair goes.
    EXPECT_EQ(newText(deleteSpan, name, 2, 1), "ab");
    EXPECT_EQ(newText(deleteSpan, name, 1, 2), "b");
    // The span starts inside the pair: it starts after the pair.
    EXPECT_EQ(newText(deleteSpan, name, 3, 1), name);
    EXPECT_EQ(newText(deleteSpan, name, 3, 2), "a" + kSmile);
    // A pair straddling the fifty-unit limit goes whole.
    const QString longName = QString(49, u'x') + kSmile + "yz";
    EXPECT_EQ(newText(deleteSpan, longName, 1, 50), "yz");
    for (qint32 start = 1; start <= 6; ++start)
        for (qint32 count = 1; count <= 6; ++count)
            EXPECT_TRUE(wellFormed(newText(deleteSpan, kSmile + kSmile + kSmile, start, count)))
                << start << " " << count;
}

TEST(TextRules, ReplacesWithoutSearchingTheReplacement)
{
    EXPECT_EQ(newText(replaceText, "banana", "a", "o"), "bonono");
    EXPECT_EQ(newText(replaceText, "banana", "an", ""), "ba");
    EXPECT_EQ(newText(replaceText, "banana", "A", "o"), "banana");
    EXPECT_EQ(newText(replaceText, "aa", "a", "aa"), "aaaa");
    EXPECT_EQ(newText(replaceText, "aaa", "aa", "b"), "ba");
    EXPECT_EQ(newText(replaceText, "abcab", "a", "x"), "xbcxb");
    EXPECT_EQ(newText(replaceText, "abcab", "ab", "x"), "xcx");
    EXPECT_EQ(newText(replaceText, "abc", "", "x"), "abc");
    EXPECT_EQ(newText(replaceText, QString::fromUtf8("报告 - 副本"), QString::fromUtf8("副本"), ""),
              QString::fromUtf8("报告 - "));
    EXPECT_EQ(newText(replaceText, "a" + kSmile, kSmile, kReport), "a" + kReport);
}

TEST(TextRules, MapsCaseOneCharacterAtATime)
{
    EXPECT_EQ(newText(toUpperSimple, "Photo_2019"), "PHOTO_2019");
    EXPECT_EQ(newText(toLowerSimple, "Photo_2019"), "photo_2019");
    EXPECT_EQ(newText(toUpperSimple, QString::fromUtf8("报告a")), QString::fromUtf8("报告A"));
    EXPECT_EQ(newText(toLowerSimple, QString::fromUtf8("报告A")), QString::fromUtf8("报告a"));
    // No full mapping: ß would grow to SS.
    EXPECT_EQ(newText(toUpperSimple, QString::fromUtf8("straße")), QString::fromUtf8("STRAßE"));
    EXPECT_EQ(newText(toUpperSimple, QString::fromUtf8("éçπж")), QString::fromUtf8("ÉÇΠЖ"));
    EXPECT_EQ(newText(toLowerSimple, QString::fromUtf8("ÉÇΠЖ")), QString::fromUtf8("éçπж"));
    EXPECT_EQ(newText(toUpperSimple, ""), "");
    EXPECT_EQ(newText(toUpperSimple, "1e99"), "1E99");
    // Characters beyond U+FFFF are decoded and mapped as one: Deseret 𐐨 / 𐐀.
    EXPECT_EQ(newText(toUpperSimple, QString::fromUtf8("a😀𐐨")), QString::fromUtf8("A😀𐐀"));
    EXPECT_EQ(newText(toLowerSimple, QString::fromUtf8("A😀𐐀")), QString::fromUtf8("a😀𐐨"));
    // A lone half is left as it is.
    const QString lone = QString(QChar(0xD83D)) + "a";
    EXPECT_EQ(newText(toUpperSimple, lone), QString(QChar(0xD83D)) + "A");
}
