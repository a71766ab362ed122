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
    EXPECT_EQ(addBeforeAfter("photo", "x_", "_y"), "x_photo_y");
    EXPECT_EQ(addBeforeAfter("photo", "", ""), "photo");
    EXPECT_EQ(addBeforeAfter("", "a", "b"), "ab");
    EXPECT_EQ(addBeforeAfter(kReport, kSmile, "1e99"), kSmile + kReport + "1e99");
}

TEST(TextRules, InsertsAtAPosition)
{
    EXPECT_EQ(insertAt("photo", 0, "new_"), "new_photo");
    EXPECT_EQ(insertAt("photo", 2, "new_"), "phnew_oto");
    EXPECT_EQ(insertAt("photo", 5, "new_"), "photonew_");
    EXPECT_EQ(insertAt("photo", 9, "new_"), "photonew_");
    EXPECT_EQ(insertAt("photo", -1, "new_"), "new_photo");
    EXPECT_EQ(insertAt("photo", std::numeric_limits<qint32>::min(), "x"), "xphoto");
    EXPECT_EQ(insertAt("photo", std::numeric_limits<qint32>::max(), "x"), "photox");
    EXPECT_EQ(insertAt("abcdef", 3, ""), "abcdef");
    EXPECT_EQ(insertAt("", 0, "x"), "x");
    EXPECT_EQ(insertAt(kReport, 1, "-"), QString::fromUtf8("报-告"));
}

TEST(TextRules, InsertNeverSplitsASurrogatePair)
{
    const QString name = "a" + kSmile + "b";
    EXPECT_EQ(insertAt(name, 1, "-"), "a-" + kSmile + "b");
    EXPECT_EQ(insertAt(name, 2, "-"), "a" + kSmile + "-b");
    EXPECT_EQ(insertAt(name, 3, "-"), "a" + kSmile + "-b");
    EXPECT_EQ(insertAt(kSmile, 1, "-"), kSmile + "-");
}

TEST(TextRules, DeletesEveryOccurrenceLeftToRight)
{
    EXPECT_EQ(deleteText("banana", "a"), "bnn");
    EXPECT_EQ(deleteText("aaa", "aa"), "a");
    EXPECT_EQ(deleteText("banana", "A"), "banana");
    EXPECT_EQ(deleteText("banana", ""), "banana");
    EXPECT_EQ(deleteText("banana", "an"), "ba");
    EXPECT_EQ(deleteText(QString::fromUtf8("报告 - 副本"), QString::fromUtf8("副本")),
              QString::fromUtf8("报告 - "));
    EXPECT_EQ(deleteText("a" + kSmile + "b" + kSmile, kSmile), "ab");
    EXPECT_EQ(deleteText("STRASSE", QString::fromUtf8("ß")), "STRASSE");
}

TEST(TextRules, DeletesASpan)
{
    EXPECT_EQ(deleteSpan("abcdef", 2, 3), "aef");
    EXPECT_EQ(deleteSpan("abcdef", 5, 10), "abcd");
    EXPECT_EQ(deleteSpan("abcdef", 1, 6), "");
    EXPECT_EQ(deleteSpan("abcdef", 6, 1), "abcde");
    EXPECT_EQ(deleteSpan("abcdef", 7, 1), "abcdef");
    EXPECT_EQ(deleteSpan("abcdef", 2, std::numeric_limits<qint32>::max()), "a");
    EXPECT_EQ(deleteSpan("abc", std::numeric_limits<qint32>::max(), 1), "abc");
    EXPECT_EQ(deleteSpan(kReport + "abc", 2, 2), QString::fromUtf8("报bc"));
    // Never more than 50 units at once.
    EXPECT_EQ(deleteSpan(QString(80, u'x'), 1, 60), QString(30, u'x'));
    // Backslashes outside the span are ordinary characters and stay.
    EXPECT_EQ(deleteSpan("a\\b", 3, 1), "a\\");
    EXPECT_EQ(deleteSpan("a\\bc\\d", 3, 2), "a\\\\d");
}

TEST(TextRules, DeleteSpanRemovesOnlyWholeCharacters)
{
    const QString name = "a" + kSmile + "b"; // a, high, low, b
    // The span ends inside the pair: the whole pair goes.
    EXPECT_EQ(deleteSpan(name, 2, 1), "ab");
    EXPECT_EQ(deleteSpan(name, 1, 2), "b");
    // The span starts inside the pair: it starts after the pair.
    EXPECT_EQ(deleteSpan(name, 3, 1), name);
    EXPECT_EQ(deleteSpan(name, 3, 2), "a" + kSmile);
    // A pair straddling the fifty-unit limit goes whole.
    const QString longName = QString(49, u'x') + kSmile + "yz";
    EXPECT_EQ(deleteSpan(longName, 1, 50), "yz");
    for (qint32 start = 1; start <= 6; ++start)
        for (qint32 count = 1; count <= 6; ++count)
            EXPECT_TRUE(wellFormed(deleteSpan(kSmile + kSmile + kSmile, start, count)))
                << start << " " << count;
}

TEST(TextRules, ReplacesWithoutSearchingTheReplacement)
{
    EXPECT_EQ(replaceText("banana", "a", "o"), "bonono");
    EXPECT_EQ(replaceText("banana", "an", ""), "ba");
    EXPECT_EQ(replaceText("banana", "A", "o"), "banana");
    EXPECT_EQ(replaceText("aa", "a", "aa"), "aaaa");
    EXPECT_EQ(replaceText("aaa", "aa", "b"), "ba");
    EXPECT_EQ(replaceText("abcab", "a", "x"), "xbcxb");
    EXPECT_EQ(replaceText("abcab", "ab", "x"), "xcx");
    EXPECT_EQ(replaceText("abc", "", "x"), "abc");
    EXPECT_EQ(replaceText(QString::fromUtf8("报告 - 副本"), QString::fromUtf8("副本"), ""),
              QString::fromUtf8("报告 - "));
    EXPECT_EQ(replaceText("a" + kSmile, kSmile, kReport), "a" + kReport);
}

TEST(TextRules, MapsCaseOneCharacterAtATime)
{
    EXPECT_EQ(toUpperSimple("Photo_2019"), "PHOTO_2019");
    EXPECT_EQ(toLowerSimple("Photo_2019"), "photo_2019");
    EXPECT_EQ(toUpperSimple(QString::fromUtf8("报告a")), QString::fromUtf8("报告A"));
    EXPECT_EQ(toLowerSimple(QString::fromUtf8("报告A")), QString::fromUtf8("报告a"));
    // No full mapping: ß would grow to SS.
    EXPECT_EQ(toUpperSimple(QString::fromUtf8("straße")), QString::fromUtf8("STRAßE"));
    EXPECT_EQ(toUpperSimple(QString::fromUtf8("éçπж")), QString::fromUtf8("ÉÇΠЖ"));
    EXPECT_EQ(toLowerSimple(QString::fromUtf8("ÉÇΠЖ")), QString::fromUtf8("éçπж"));
    EXPECT_EQ(toUpperSimple(""), "");
    EXPECT_EQ(toUpperSimple("1e99"), "1E99");
    // Characters beyond U+FFFF are decoded and mapped as one: Deseret 𐐨 / 𐐀.
    EXPECT_EQ(toUpperSimple(QString::fromUtf8("a😀𐐨")), QString::fromUtf8("A😀𐐀"));
    EXPECT_EQ(toLowerSimple(QString::fromUtf8("A😀𐐀")), QString::fromUtf8("a😀𐐨"));
    // A lone half is left as it is.
    const QString lone = QString(QChar(0xD83D)) + "a";
    EXPECT_EQ(toUpperSimple(lone), QString(QChar(0xD83D)) + "A");
}
