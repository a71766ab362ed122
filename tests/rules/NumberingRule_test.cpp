#include "rules/NumberingRule.h"
#include "rules/ReadBoxNumber.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>
#include <vector>

using namespace rules;

namespace {

constexpr qint32 kMax = std::numeric_limits<qint32>::max();

std::vector<std::optional<QString>> numberRows(NumberingSettings settings, int rows,
                                               const QString &base = "f")
{
    Numbering numbering(std::move(settings));
    std::vector<std::optional<QString>> previews;
    for (int i = 0; i < rows; ++i)
        previews.push_back(numbering.next(base, "/d/" + base));
    return previews;
}

bool setModified(const QString &path, const QDateTime &when)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(when, QFileDevice::FileModificationTime);
}

} // namespace

TEST(NumberingRule, FormatsTheCounter)
{
    EXPECT_EQ(formatCounter(1, true, 3), "001");
    EXPECT_EQ(formatCounter(1234, true, 3), "1234");
    EXPECT_EQ(formatCounter(5, false, 3), "5");
    EXPECT_EQ(formatCounter(5, true, 0), "5");
    EXPECT_EQ(formatCounter(5, true, -4), "5");
    EXPECT_EQ(formatCounter(0, true, 2), "00");
    EXPECT_EQ(formatCounter(-5, true, 3), "-005");
    EXPECT_EQ(formatCounter(std::numeric_limits<qint32>::min(), false, 0), "-2147483648");
    EXPECT_EQ(formatCounter(kMax, true, 2), "2147483647");
    // A digit count read from "1e99" must not try to build a huge string.
    const QString wide = formatCounter(7, true, ReadBoxNumber("1e99"));
    EXPECT_EQ(wide.size(), 255);
    EXPECT_TRUE(wide.endsWith("07"));
    EXPECT_EQ(formatCounter(7, true, 2000000000).size(), 255);
}

TEST(NumberingRule, NumbersCheckedRowsFromStartByIncrement)
{
    const auto img = numberRows({1, 5, 3, true, "IMG_#"}, 3);
    EXPECT_EQ(img[0], "IMG_001");
    EXPECT_EQ(img[1], "IMG_006");
    EXPECT_EQ(img[2], "IMG_011");
    const auto plain = numberRows({1, 1, 2, false, "#"}, 3);
    EXPECT_EQ(plain[0], "1");
    EXPECT_EQ(plain[2], "3");
    EXPECT_EQ(numberRows({7, 1, 0, false, "##"}, 1)[0], "77");
    EXPECT_EQ(numberRows({0, 1, 0, false, QString()}, 1)[0], "0");
}

TEST(NumberingRule, RefusesToRunWithoutAStartOrIncrement)
{
    EXPECT_TRUE(Numbering({0, 1, 0, false, "#"}).isRunnable());
    EXPECT_FALSE(Numbering({-1, 1, 0, false, "#"}).isRunnable());
    EXPECT_FALSE(Numbering({1, 0, 0, false, "#"}).isRunnable());
    EXPECT_FALSE(Numbering({1, -1, 0, false, "#"}).isRunnable());
    EXPECT_FALSE(Numbering({ReadBoxNumber("-1e99"), 1, 0, false, "#"}).isRunnable());
    EXPECT_FALSE(numberRows({1, 0, 0, false, "#"}, 1)[0].has_value());
}

TEST(NumberingRule, StopsInsteadOfWrappingPastTheLargestCounter)
{
    const auto nearTop = numberRows({kMax - 1, 1, 0, false, "#"}, 4);
    EXPECT_EQ(nearTop[0], "2147483646");
    EXPECT_EQ(nearTop[1], "2147483647");
    EXPECT_FALSE(nearTop[2].has_value());
    EXPECT_FALSE(nearTop[3].has_value());

    const qint32 huge = ReadBoxNumber("1e99");
    const auto bigSteps = numberRows({huge, huge, 3, true, "n#"}, 3);
    EXPECT_EQ(bigSteps[0], "n2147483647");
    EXPECT_FALSE(bigSteps[1].has_value());
    EXPECT_FALSE(bigSteps[2].has_value());
}

TEST(NumberingRule, ReplacesPlaceholdersInOrder)
{
    EXPECT_EQ(expandTemplate("# &File", "1", "a#b", "/d/a#b"), "1 a#b");
    EXPECT_EQ(expandTemplate("&parent &file &size", "1", "x", "/d/x"), "&parent &file &size");
    EXPECT_EQ(expandTemplate("&Parent-&File", "1", "x", "/home/报告/x.txt"),
              QString::fromUtf8("报告-x"));
    // "&Parent" arriving through the name is replaced only when the template
    // asks for it, and comes before "&File" so it is not.
    EXPECT_EQ(expandTemplate("&File", "1", "a&Parent", "/d/p/x"), "a&Parent");
    EXPECT_EQ(expandTemplate("&Parent&File", "1", "a&Parent", "/d/p/x"), "pa&Parent");
    // A counter never contains placeholders, a base never gets numbered.
    EXPECT_EQ(expandTemplate("#&File#", "1e99", "#", "/d/#"), "1e99#1e99");
}

TEST(NumberingRule, FindsTheParentFolderName)
{
    EXPECT_EQ(parentNameOf("/home/user/photo.jpg"), "user");
    EXPECT_EQ(parentNameOf("/photo.jpg"), "");
    EXPECT_EQ(parentNameOf("photo.jpg"), "");
    EXPECT_EQ(parentNameOf("dir/photo.jpg"), "dir");
    EXPECT_EQ(parentNameOf(""), "");
    EXPECT_EQ(parentNameOf("/a/b\\c/d"), "b\\c");
}

TEST(NumberingRule, ReadsSizeAndDateFromDisk)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("x&Size");
    testsupport::writeFile(file, QByteArray(1234, 'z'));
    const QString missing = dir.filePath("gone");

    EXPECT_EQ(fileSizeText(file), "1234");
    EXPECT_EQ(fileSizeText(dir.path()), "");
    EXPECT_EQ(fileSizeText(missing), "");
    EXPECT_EQ(fileSizeText(""), "");
    // "&Size" inside the name is replaced too when the template asks for it.
    EXPECT_EQ(expandTemplate("&File&Size", "1", "x&Size", file), "x12341234");
    EXPECT_EQ(expandTemplate("# &Size", "1", "n", missing), "1 ");

    const QDateTime afternoon(QDate(2019, 1, 29), QTime(14, 5, 9));
    ASSERT_TRUE(setModified(file, afternoon));
    EXPECT_EQ(modificationDateText(file), "2019-01-29 14:05:09");
    EXPECT_EQ(expandTemplate("&Date", "1", "n", file), "2019-01-29 14:05:09");

    const QDateTime midnight(QDate(2020, 2, 29), QTime(0, 0));
    ASSERT_TRUE(setModified(file, midnight));
    EXPECT_EQ(modificationDateText(file), "2020-02-29");
    EXPECT_EQ(modificationDateText(dir.path()).isEmpty(), false);
    EXPECT_EQ(modificationDateText(missing), "");

    // A template without size or date leaves a "&Date" of the name alone.
    EXPECT_EQ(expandTemplate("#&File", "1", "&Date", file), "1&Date");
    EXPECT_EQ(expandTemplate("&Date&File", "1", "&Date", file), "2020-02-292020-02-29");
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
