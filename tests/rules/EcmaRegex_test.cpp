#include "rules/EcmaRegex.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <map>
#include <vector>

namespace {

// Cases of tests/data/regex_cases.tsv (made by tools/gen_regex_cases.js from a real ECMAScript
// engine) where this engine is known to answer differently, with the reason.
const std::map<int, const char *> kKnownDifferences = {
    {29, "an optional group that matched empty keeps the captures made inside it"},
    {32, "lookbehind must have a bounded length"},
    {33, "lookbehind must have a bounded length"},
    {38, "captures inside repeated groups are not reset per repetition"},
    {39, "captures inside repeated groups are not reset per repetition"},
    {40, "captures inside repeated groups are not reset per repetition"},
    {51, "captures inside repeated groups are not reset per repetition"},
    {365, "repeat counts above 65535 are rejected"},
    {372, "captures inside repeated groups are not reset per repetition"},
    {374, "captures inside repeated groups are not reset per repetition"},
};

struct Case
{
    int id = 0;
    QString pattern;
    QString replacement;
    QString subject;
    bool valid = false;
    QString expected;
    QString category;
};

QString fromHex16(const QString &hex)
{
    QString text;
    for (qsizetype i = 0; i + 4 <= hex.size(); i += 4)
        text += QChar(char16_t(QStringView(hex).mid(i, 4).toUShort(nullptr, 16)));
    return text;
}

std::vector<Case> loadCases()
{
    QFile file(qEnvironmentVariable("QUIB_TEST_DATA") + QStringLiteral("/regex_cases.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    std::vector<Case> cases;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const QStringList f = line.split(u'\t');
        if (f.size() != 8)
            continue;
        Case c;
        c.id = f[0].toInt();
        c.pattern = fromHex16(f[2]);
        c.replacement = fromHex16(f[3]);
        c.subject = fromHex16(f[4]);
        c.valid = f[5] == u"OK";
        c.expected = c.valid ? fromHex16(f[6]) : QString();
        c.category = f[7];
        cases.push_back(c);
    }
    return cases;
}

QString describe(const Case &c, const QString &actual)
{
    return QStringLiteral("case %1 [%2] pattern \"%3\" replacement \"%4\" subject \"%5\": "
                          "expected %6, got %7")
        .arg(c.id)
        .arg(c.category, c.pattern, c.replacement, c.subject,
             c.valid ? QStringLiteral("\"%1\"").arg(c.expected) : QStringLiteral("an error"),
             actual);
}

} // namespace

TEST(EcmaRegexTable, AgreesWithTheReferenceEngine)
{
    const std::vector<Case> cases = loadCases();
    ASSERT_GE(cases.size(), 150u) << "regex_cases.tsv missing or short";

    int agreeing = 0;
    for (const Case &c : cases) {
        const EcmaRegex regex(c.pattern);
        bool agrees = false;
        QString actual;
        if (!regex.isValid()) {
            actual = QStringLiteral("error \"%1\"").arg(regex.errorText());
            agrees = !c.valid;
        } else {
            const QString result = regex.replaceAll(c.subject, c.replacement);
            actual = QStringLiteral("\"%1\"").arg(result);
            agrees = c.valid && result == c.expected;
        }
        agreeing += agrees ? 1 : 0;
        const bool known = kKnownDifferences.count(c.id) > 0;
        if (!agrees && !known)
            ADD_FAILURE() << qPrintable(describe(c, actual));
        if (agrees && known)
            ADD_FAILURE() << "case " << c.id
                          << " now agrees: remove it from the known differences ("
                          << kKnownDifferences.at(c.id) << ")";
    }
    std::printf("%d of %zu cases agree, %zu known differences\n", agreeing, cases.size(),
                kKnownDifferences.size());
}

TEST(EcmaRegex, RenamingExamples)
{
    EXPECT_EQ(EcmaRegex(QStringLiteral("[0-9]")).replaceAll(QStringLiteral("a1b22"), QString()),
              QStringLiteral("ab"));
    EXPECT_EQ(EcmaRegex(QStringLiteral("(\\w+)-(\\w+)"))
                  .replaceAll(QStringLiteral("abc-def"), QStringLiteral("$2-$1")),
              QStringLiteral("def-abc"));
    // Matching is case-sensitive.
    EXPECT_EQ(EcmaRegex(QStringLiteral("A")).replaceAll(QStringLiteral("aA"), QStringLiteral("a")),
              QStringLiteral("aa"));
    // The CJK preset ends at U+FA29 and so also covers Hangul syllables.
    EXPECT_EQ(EcmaRegex(QStringLiteral(u"[一-﨩]"))
                  .replaceAll(QStringLiteral(u"照片가_ｶ"), QStringLiteral("x")),
              QStringLiteral(u"xxx_ｶ"));
}

TEST(EcmaRegex, InvalidPatternsExplainThemselves)
{
    for (const QString &pattern :
         {QStringLiteral("("), QStringLiteral("["), QStringLiteral("a{2,1}"), QStringLiteral("*"),
          QStringLiteral("(?i)a"), QStringLiteral("(*CR)a")}) {
        const EcmaRegex regex(pattern);
        EXPECT_FALSE(regex.isValid()) << qPrintable(pattern);
        EXPECT_FALSE(regex.errorText().isEmpty()) << qPrintable(pattern);
        // An invalid expression leaves names alone.
        EXPECT_EQ(regex.replaceAll(QStringLiteral("name"), QStringLiteral("x")),
                  QStringLiteral("name"));
    }
    const EcmaRegex valid(QStringLiteral("a"));
    EXPECT_TRUE(valid.isValid());
    EXPECT_EQ(valid.errorText(), QString());
}

TEST(EcmaRegex, EmptyMatchesAdvanceOneCodeUnit)
{
    EXPECT_EQ(EcmaRegex(QString()).replaceAll(QStringLiteral("abc"), QStringLiteral("-")),
              QStringLiteral("-a-b-c-"));
    // Inside a surrogate pair too: the original engine works on UTF-16 code units.
    EXPECT_EQ(EcmaRegex(QStringLiteral("x*")).replaceAll(QStringLiteral(u"😀"), QStringLiteral("-")),
              QStringLiteral(u"-\xD83D-\xDE00-"));
}

TEST(EcmaRegex, ReplacementTemplates)
{
    const EcmaRegex regex(QStringLiteral("(b)(c)?"));
    const QString subject = QStringLiteral("abd");
    EXPECT_EQ(regex.replaceAll(subject, QStringLiteral("[$1|$2|$3|$10|$&|$`|$'|$$|$x]")),
              QStringLiteral("a[b||$3|b0|b|a|d|$|$x]d"));
    // The same object serves several templates in a row.
    EXPECT_EQ(regex.replaceAll(subject, QStringLiteral("$01")), QStringLiteral("abd"));
    EXPECT_EQ(regex.replaceAll(subject, QStringLiteral("$0")), QStringLiteral("a$0d"));
}

TEST(EcmaRegex, MovedObjectKeepsWorking)
{
    EcmaRegex a(QStringLiteral("(\\d+)"));
    EcmaRegex b(std::move(a));
    EXPECT_EQ(b.replaceAll(QStringLiteral("IMG_0001"), QStringLiteral("_$1")),
              QStringLiteral("IMG__0001"));
    EcmaRegex c(QStringLiteral("("));
    c = std::move(b);
    EXPECT_TRUE(c.isValid());
    EXPECT_EQ(c.replaceAll(QStringLiteral("v2"), QStringLiteral("<$1>")), QStringLiteral("v<2>"));
}

TEST(EcmaRegex, CatastrophicBacktrackingEnds)
{
    const QString subject = QString(40, u'a') + u'b';
    const EcmaRegex regex(QStringLiteral("(a+)+$"));
    ASSERT_TRUE(regex.isValid());
    // Exponential backtracking gives up at the match limit; the name comes back unchanged.
    EXPECT_EQ(regex.replaceAll(subject, QStringLiteral("x")), subject);
    EXPECT_TRUE(regex.limitReached());
    // A harmless name afterwards clears the flag.
    EXPECT_EQ(regex.replaceAll(QStringLiteral("a"), QStringLiteral("x")), QStringLiteral("x"));
    EXPECT_FALSE(regex.limitReached());

    // Replacements made before the limit stay; the rest is copied as it is.
    const EcmaRegex partly(QStringLiteral("x|(a+)+$"));
    EXPECT_EQ(partly.replaceAll(u'x' + subject, QStringLiteral("X")), u'X' + subject);
    EXPECT_TRUE(partly.limitReached());
}
