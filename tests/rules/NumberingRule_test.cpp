#include "rules/NumberingRule.h"
#include "rules/PreviewLimit.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

using namespace rules;

TEST(NumberingRule, PaddingIsCappedAndTheCounterStopsAtThe32BitEdge)
{
    constexpr qint32 kMax = std::numeric_limits<qint32>::max();
    // A digit count read from "1e99" must not try to build a huge string.
    EXPECT_EQ(formatCounter(7, true, kMax), QString(254, u'0') + "7");
    EXPECT_FALSE(Numbering({-1, 1, 0, false, "#"}).isRunnable());
    EXPECT_FALSE(Numbering({1, 0, 0, false, "#"}).isRunnable());
    // Rows past the largest counter keep their previews instead of wrapping.
    Numbering numbering({kMax - 1, 1, 0, false, "n#"});
    for (const auto &expected : {std::optional<QString>("n2147483646"), {"n2147483647"}, {}, {}})
        EXPECT_EQ(numbering.next("f", "/d/f"), expected);
}

TEST(NumberingRule, TagsAreReplacedInOrder)
{
    // "&Parent" and "&Size" arriving through the name are replaced only when the template
    // asks for them; "#" in the name never is.
    EXPECT_EQ(expandTemplate("&File", "1", "a&Parent", "/d/p/x"), "a&Parent");
    EXPECT_EQ(expandTemplate("&Parent&File", "1", "a&Parent", "/d/p/x"), "pa&Parent");
    EXPECT_EQ(expandTemplate("#&File#", "1e99", "#", "/d/#"), "1e99#1e99");
    QTemporaryDir dir;
    const QString path = dir.filePath("x&Size");
    testsupport::writeFile(path, QByteArray(1234, 'z'));
    EXPECT_EQ(expandTemplate("&File&Size", "1", "x&Size", path), "x12341234");
    EXPECT_EQ(expandTemplate("# &Size", "1", "n", dir.filePath("gone")), "1 ");
    EXPECT_EQ(fileSizeText(dir.path()), ""); // a folder has no size
}

TEST(NumberingRule, OnePassFillingMatchesReplacingTagByTag)
{
    // Templates with only "#" and "&File" are filled in one pass; the result
    // must be what replacing "#" and then "&File" over the whole text gives.
    const QStringList templates = {"#",      "&File",   "&File_#",    "#&File#",
                                   "&&File", "&Fi#le",  "&File&File", "&Fil",
                                   "##&F",   "a&file#", "&File&Fil",  "#&#File"};
    const QStringList bases = {"photo", "has#hash", "has&File", "", "&"};
    for (const QString &tmpl : templates) {
        for (const QString &base : bases) {
            Numbering numbering({9, 2, 3, true, tmpl});
            QString out = "left over";
            for (const qint32 counter : {9, 11}) {
                ASSERT_TRUE(numbering.next(base, "/d/x", out));
                EXPECT_EQ(out, expandTemplate(tmpl, formatCounter(counter, true, 3), base, "/d/x"))
                    << qPrintable(tmpl) << " " << qPrintable(base);
            }
        }
    }
}

TEST(NumberingRule, ALongTemplateStopsAtThePreviewLimitWithTheExactStart)
{
    // Replacing tag by tag over the whole text, then cutting, is the reference;
    // the tags' texts here grow the text ("#" to 255 digits, the parent) or
    // shrink it (an empty base, the size of a missing file), so a text cut
    // too early would show what lies behind the cut.
    const QString counter = formatCounter(7, true, 255);
    const QString path = QStringLiteral("/nonexistent-quib/parent/x");
    const auto reference = [&](const QString &tmpl, const QString &base) {
        QString text = tmpl;
        text.replace(u'#', counter).replace("&Parent", "parent").replace("&File", base);
        text.replace("&Size", "");
        capPreview(text);
        return text;
    };
    const QStringList templates = {QString(2000, u'#') + "&Size",
                                   "&Size" + QString(3000, u'x').replace("xxxxx", "&File") + "tail",
                                   "&Parent" + QString(1100, u'#').replace("##", "&Size#") +
                                       "&File",
                                   QString(1020, u'y') + "&Size&Parent&File" + QString(50, u'z')};
    for (const QString &tmpl : templates) {
        for (const QString &base : {QString(), QStringLiteral("b&Size")})
            EXPECT_EQ(expandTemplate(tmpl, counter, base, path), reference(tmpl, base))
                << qPrintable(tmpl.left(40));
    }
}
