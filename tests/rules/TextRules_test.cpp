#include "rules/TextRules.h"

#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

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

namespace {

constexpr char32_t kCodePoints = 0x110000;

// Fields 12 and 13 of UnicodeData.txt: the simple upper- and lower-case
// mapping of every code point, itself where the field is empty or the code
// point is not listed. A "<..., First>" line stands for every code point up
// to its "<..., Last>" line.
bool readSimpleCaseMappings(const char *path, std::vector<char32_t> &upper,
                            std::vector<char32_t> &lower)
{
    std::ifstream file(path);
    if (!file)
        return false;
    upper.resize(kCodePoints);
    lower.resize(kCodePoints);
    for (char32_t c = 0; c < kCodePoints; ++c)
        upper[c] = lower[c] = c;
    const auto hex = [](const std::string &field, char32_t self) {
        return field.empty() ? self : char32_t(std::stoul(field, nullptr, 16));
    };
    char32_t rangeStart = 0;
    std::string line;
    while (std::getline(file, line)) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, ';');)
            fields.push_back(field);
        if (fields.size() < 14)
            fields.resize(14); // trailing empty fields are not split off
        const char32_t code = hex(fields[0], 0);
        if (fields[1].ends_with(", First>")) {
            rangeStart = code;
            continue;
        }
        const char32_t first = fields[1].ends_with(", Last>") ? rangeStart : code;
        for (char32_t c = first; c <= code; ++c) {
            upper[c] = hex(fields[12], c);
            lower[c] = hex(fields[13], c);
        }
    }
    return true;
}

} // namespace

TEST(TextRules, CaseFollowsUnicodeDataForEveryCodePoint)
{
    // Debian's unicode-data, which tools/install-deps installs.
    const char *const path = "/usr/share/unicode/UnicodeData.txt";
    std::vector<char32_t> upper;
    std::vector<char32_t> lower;
    ASSERT_TRUE(readSimpleCaseMappings(path, upper, lower))
        << path << " cannot be read: install the Debian package unicode-data";
    ASSERT_EQ(lower[U'A'], U'a') << path << " holds no case mappings";

    // Every code point but the surrogates, in one text: the pairs beyond
    // U+FFFF must be mapped as one character.
    QString all;
    std::vector<char32_t> codes;
    for (char32_t c = 0; c < kCodePoints; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        codes.push_back(c);
        if (QChar::requiresSurrogates(c))
            all.append(QChar(QChar::highSurrogate(c))).append(QChar(QChar::lowSurrogate(c)));
        else
            all.append(QChar(c));
    }
    for (const bool toUpper : {true, false}) {
        const QString mapped = newText(toUpper ? toUpperSimple : toLowerSimple, all);
        ASSERT_EQ(mapped.size(), all.size());
        const std::vector<char32_t> &expected = toUpper ? upper : lower;
        int wrong = 0;
        qsizetype at = 0;
        for (const char32_t code : codes) {
            char32_t got = mapped.at(at++).unicode();
            if (QChar::isHighSurrogate(got) && at < mapped.size())
                got = QChar::surrogateToUcs4(char16_t(got), mapped.at(at++).unicode());
            if (got == expected[code])
                continue;
            if (++wrong <= 10)
                ADD_FAILURE() << (toUpper ? "upper" : "lower") << " of U+" << std::hex
                              << std::uppercase << unsigned(code) << ": U+" << unsigned(got)
                              << ", not U+" << unsigned(expected[code]);
        }
        EXPECT_EQ(wrong, 0) << (toUpper ? "upper" : "lower") << "-case mappings differ";
    }
}
