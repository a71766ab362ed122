#include "rules/EcmaTranslation.h"

#include <gtest/gtest.h>

#include <pcre2.h>

using rules::EcmaTranslation;

TEST(EcmaTranslation, RewritesWhatPcre2WouldReadDifferently)
{
    const std::pair<const char16_t *, const char16_t *> cases[] = {
        // A reference to a group not closed yet is the empty match; a closed one is grouped.
        {u"\\1(a)", u"(?:)(a)"},
        {u"(a\\1)", u"(a(?:))"},
        {u"(a)\\1", u"(a)(?:\\g{1})"},
        {u"(?<n>a)\\k<n>", u"(?<n>a)(?:\\g{1})"},
        // Without such a group the digits are octal, or "8" and "9" themselves.
        {u"\\2(a)", u"\\u0002(a)"},
        {u"(a)\\10", u"(a)\\u0008"},
        {u"\\101\\0\\8", u"\\u0041\\u00008"},
        // Without named groups "\k" is a plain 'k'; PCRE2's own escapes are plain letters.
        {u"\\k<n>", u"k\\<n\\>"},
        {u"\\e\\p{L}", u"ep\\{L\\}"},
        {u"\\x4\\x41\\u00e9\\v", u"x4\\u0041\\u00e9\\u000b"},
        {u"\\cJ\\c1[\\c1]", u"\\u000a\\\\c1[\\u0011]"},
        // Classes: the first ']' ends them, and no POSIX class or hyphen error survives.
        {u"[][^]", u"[^\\u0000-\\uffff][\\u0000-\\uffff]"},
        {u"[[:alpha:]]", u"[\\[\\:alpha\\:]\\]"},
        {u"[\\d-z][a-c-e][\\b]", u"[\\d\\-z][a-c\\-e][\\u0008]"},
        // A brace that is no repeat count is literal; a lookahead may be repeated.
        {u"a{,2}b{2}", u"a\\{\\,2\\}b{2}"},
        {u"(?=a)*c*?", u"(?=a)*c*?"},
        {u".", u"[^\\u000a\\u000d\\u2028\\u2029]"},
        // Left for PCRE2 to report.
        {u"a)[z-a]", u"a)[z-a]"},
        {u"(?<n>a)\\k<m>", u"(?<n>a)\\k<m>"},
    };
    for (const auto &[ecma, pcre] : cases) {
        const EcmaTranslation translation(QString::fromUtf16(ecma));
        EXPECT_TRUE(translation.isValid()) << qPrintable(QString::fromUtf16(ecma));
        EXPECT_EQ(translation.pcrePattern().toStdString(), QString::fromUtf16(pcre).toStdString());
    }
    // \s and \S cover ECMAScript's white space, the no-break and ideographic spaces included.
    const QString space = EcmaTranslation(QStringLiteral("\\s")).pcrePattern();
    EXPECT_TRUE(space.contains(QLatin1StringView("\\u00a0")) &&
                space.contains(QLatin1StringView("\\u3000")) &&
                space.contains(QLatin1StringView("\\ufeff")))
        << qPrintable(space);
    EXPECT_TRUE(EcmaTranslation(QStringLiteral("[\\S]"))
                    .pcrePattern()
                    .contains(QLatin1StringView("\\u00a1-\\u167f")));
}

TEST(EcmaTranslation, RefusesPcre2OnlySyntaxAndSaysWhere)
{
    const struct
    {
        const char16_t *pattern;
        int code;
        qsizetype offset;
    } cases[] = {
        {u"(?i)a", PCRE2_ERROR_INVALID_AFTER_PARENS_QUERY, 2},
        {u"(?>a)", PCRE2_ERROR_INVALID_AFTER_PARENS_QUERY, 2},
        {u"(*ACCEPT)", PCRE2_ERROR_QUANTIFIER_INVALID, 1},
        {u"a*+", PCRE2_ERROR_QUANTIFIER_INVALID, 2},
        {u"a{1}{2}", PCRE2_ERROR_QUANTIFIER_INVALID, 4},
        {u"^*", PCRE2_ERROR_QUANTIFIER_INVALID, 1},
        {u"x\\b+", PCRE2_ERROR_QUANTIFIER_INVALID, 3},
        {u"(?<=a)*", PCRE2_ERROR_QUANTIFIER_INVALID, 6},
        {u"a[b", PCRE2_ERROR_MISSING_SQUARE_BRACKET, 1},
        {u"ab\\", PCRE2_ERROR_END_BACKSLASH, 2},
        {u"[\\", PCRE2_ERROR_END_BACKSLASH, 1},
        {u"(?<na", PCRE2_ERROR_MISSING_NAME_TERMINATOR, 3},
        {u"(?<n>a)\\k<n", PCRE2_ERROR_MISSING_NAME_TERMINATOR, 10},
        {u"(?<n>a)\\k", PCRE2_ERROR_SUBPATTERN_NAME_EXPECTED, 9},
        {u"(?<n>a)\\k<>", PCRE2_ERROR_SUBPATTERN_NAME_EXPECTED, 10},
    };
    for (const auto &c : cases) {
        const EcmaTranslation translation(QString::fromUtf16(c.pattern));
        EXPECT_FALSE(translation.isValid()) << qPrintable(QString::fromUtf16(c.pattern));
        EXPECT_EQ(translation.errorCode(), c.code) << qPrintable(QString::fromUtf16(c.pattern));
        EXPECT_EQ(translation.errorOffset(), c.offset) << qPrintable(QString::fromUtf16(c.pattern));
    }
}

TEST(EcmaTranslation, MapsEveryRewrittenUnitBackToItsSource)
{
    // "." and "\s" grow to long classes; what follows them keeps its own place.
    const QString ecma = QStringLiteral("a.\\s(");
    const EcmaTranslation translation(ecma);
    const QString &pcre = translation.pcrePattern();
    ASSERT_GT(pcre.size(), ecma.size() + 20);
    EXPECT_EQ(translation.sourceOffset(0), 0);
    EXPECT_EQ(translation.sourceOffset(1), 1);
    EXPECT_EQ(translation.sourceOffset(pcre.indexOf(u']')), 1);
    EXPECT_EQ(translation.sourceOffset(pcre.indexOf(u']') + 1), 2); // the backslash of "\s"
    EXPECT_EQ(translation.sourceOffset(pcre.size() - 2), 2);
    EXPECT_EQ(translation.sourceOffset(pcre.size() - 1), 4);
    // An error PCRE2 finds at the end, or any offset outside the pattern, is at the end.
    EXPECT_EQ(translation.sourceOffset(pcre.size()), ecma.size());
    EXPECT_EQ(translation.sourceOffset(-1), ecma.size());
}
