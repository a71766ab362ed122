#include "rules/ReplaceTemplate.h"

#include <gtest/gtest.h>

using rules::ReplaceTemplate;

namespace {

// One match of a pattern like "(b)(c)?" in "abcd": the match is "bc", group 1 "b", group 2 took
// no part. Groups past 2 have no offsets, as when PCRE2 returns fewer pairs than the pattern has.
constexpr std::size_t kOffsets[] = {1, 3, 1, 2, ReplaceTemplate::kUnset, ReplaceTemplate::kUnset};
constexpr int kPairs = 3;

// Group 1 is named "x", group 2 "y".
int numberOf(const QString &name)
{
    return name == u"x" ? 1 : name == u"y" ? 2 : -1;
}

std::string expand(const char16_t *text, int groups = 2, bool named = false)
{
    ReplaceTemplate replacement;
    replacement.parse(QString::fromUtf16(text), groups,
                      named ? ReplaceTemplate::GroupNumber(numberOf) : nullptr);
    QString out;
    replacement.appendExpansion(out, u"abcd", kOffsets, kPairs);
    return out.toStdString();
}

} // namespace

TEST(ReplaceTemplate, ExpandsEveryDollarFormAndLeavesTheRestAlone)
{
    EXPECT_EQ(expand(u"[$&|$`|$']"), "[bc|a|d]");
    EXPECT_EQ(expand(u"名$1字$2"), "名b字");
    // "$$" is one dollar, and what follows it is not read again.
    EXPECT_EQ(expand(u"$$1$$&"), "$1$&");
    // A "$" that starts nothing stands for itself, at the end too.
    EXPECT_EQ(expand(u"$"), "$");
    EXPECT_EQ(expand(u"1$"), "1$");
    EXPECT_EQ(expand(u"$1$"), "b$");
    EXPECT_EQ(expand(u"$x$ $-"), "$x$ $-");
}

TEST(ReplaceTemplate, GroupNumbersTakeTwoDigitsOnlyWhenSuchAGroupExists)
{
    // There is no group 0, nor a group beyond the pattern's.
    EXPECT_EQ(expand(u"$0|$00|$3"), "$0|$00|$3");
    EXPECT_EQ(expand(u"$01|$02"), "b|");
    // With two groups "$10" is group 1 then '0'; with ten it is group 10, which did not match.
    EXPECT_EQ(expand(u"$10"), "b0");
    EXPECT_EQ(expand(u"$10", 10), "");
    EXPECT_EQ(expand(u"$100", 10), "0");
    EXPECT_EQ(expand(u"$1", 0), "$1");
}

TEST(ReplaceTemplate, NamesAreReadOnlyWhenThePatternHasNamedGroups)
{
    EXPECT_EQ(expand(u"$<x>", 2, true), "b");
    // An unset group, a name no group has and an empty name are all empty.
    EXPECT_EQ(expand(u"[$<y>$<z>$<>]", 2, true), "[]");
    // Without the closing '>' the "$<" is literal, and so is the rest.
    EXPECT_EQ(expand(u"$<x", 2, true), "$<x");
    EXPECT_EQ(expand(u"$<x>$1"), "$<x>b");
}

TEST(ReplaceTemplate, AParseReplacesThePreviousOneAndExpansionsAppend)
{
    ReplaceTemplate replacement;
    EXPECT_FALSE(replacement.holds(QString()));
    replacement.parse(QStringLiteral("$1"), 2, nullptr);
    replacement.parse(QStringLiteral("<$&>"), 2, nullptr);
    EXPECT_TRUE(replacement.holds(QStringLiteral("<$&>")));
    EXPECT_FALSE(replacement.holds(QStringLiteral("$1")));
    QString out = QStringLiteral("so far ");
    replacement.appendExpansion(out, u"abcd", kOffsets, kPairs);
    replacement.appendExpansion(out, u"abcd", kOffsets, kPairs);
    EXPECT_EQ(out.toStdString(), "so far <bc><bc>");
}
