#include "list/FileListModel.h"
#include "rules/ListImport.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

// Rows named by their base names, with made-up paths (nothing on disk).
void fill(FileListModel &model, const QStringList &baseNames)
{
    QStringList paths;
    for (const QString &name : baseNames)
        paths.append(QStringLiteral("/data/in/") + name + QStringLiteral(".txt"));
    model.appendPaths(paths);
}

QStringList previews(const FileListModel &model)
{
    QStringList out;
    for (const RenameEntry &e : model.entries())
        out.append(e.previewName);
    return out;
}

} // namespace

TEST(ListImport, CutsLinesAtLineFeedsOnly)
{
    EXPECT_EQ(rules::cutLines("x\r\n\r\nz"), QStringList({"x\r", "\r", "z"}));
    EXPECT_EQ(rules::cutLines("x\n\nz"), QStringList({"x", "z"}));
    EXPECT_EQ(rules::cutLines("\na\r\nb\r\n"), QStringList({"a\r", "b\r"}));
    EXPECT_EQ(rules::cutLines("a\rb"), QStringList({"a\rb"}));
    EXPECT_TRUE(rules::cutLines("").isEmpty());
    EXPECT_TRUE(rules::cutLines("\n\n").isEmpty());
}

TEST(ListImport, CleansForbiddenCharactersFromNewNames)
{
    EXPECT_EQ(rules::cleanNewName("x:y"), "xy");
    EXPECT_EQ(rules::cleanNewName("\\*?/:<>|\"\r\n"), "");
    EXPECT_EQ(rules::cleanNewName(" 报告 v1.2 (终) "), " 报告 v1.2 (终) ");
    EXPECT_EQ(rules::cleanNewName("a/b\\c\td"), "abc\td");
}

TEST(ListImport, ParsesTwoColumns)
{
    const auto table = rules::parseTwoColumns("a\tx\r\nb\ty\r\nlone\r\na\tlater\r\nc\tv\tz\r\n"
                                              "d:\te:f\r\n");
    EXPECT_EQ(table.size(), 4);
    EXPECT_EQ(table.value("a"), "later");
    EXPECT_EQ(table.value("b"), "y");
    EXPECT_EQ(table.value("c"), "v");
    // Old names are taken as they are, new names cleaned.
    EXPECT_TRUE(table.contains("d:"));
    EXPECT_EQ(table.value("d:"), "ef");
    EXPECT_FALSE(table.contains("lone\r"));
    EXPECT_FALSE(table.contains("lone"));
}

TEST(ListImport, TwoColumnsMatchExactNamesInAnyOrder)
{
    FileListModel model;
    fill(model, {"b", "a", "A", "a ", "other"});
    model.setCell(4, RenameEntry::PreviewName, "kept");
    model.setChecked(1, false);
    QSignalSpy changed(&model, &FileListModel::dataChanged);

    EXPECT_TRUE(rules::applyTwoColumns(model, "a\tx\r\nb\ty\r\n"));
    // "A" and "a " are other names; unchecked "a" gets its preview too.
    EXPECT_EQ(previews(model), QStringList({"y", "x", "", "", "kept"}));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(model.entry(1).tempName, "a");
}

TEST(ListImport, TwoColumnsGiveEqualNamesEqualPreviews)
{
    FileListModel model;
    model.appendPaths({"/p/one/a.txt", "/p/two/a.jpg", "/p/c.txt"});
    EXPECT_TRUE(rules::applyTwoColumns(model, "a\tx\ty\nc\t/:*\n"));
    // An all-forbidden new name gives an empty preview.
    EXPECT_EQ(previews(model), QStringList({"x", "x", ""}));
    EXPECT_EQ(model.entry(1).extension, ".jpg");
}

TEST(ListImport, TwoColumnsWithoutAnyPairApplyNothing)
{
    FileListModel model;
    fill(model, {"a"});
    model.setCell(0, RenameEntry::PreviewName, "p");
    EXPECT_FALSE(rules::applyTwoColumns(model, "a\r\nb\r\n"));
    EXPECT_FALSE(rules::applyTwoColumns(model, "\n\n"));
    EXPECT_EQ(model.entry(0).previewName, "p");
    // A pair that matches no row still counts as an import.
    EXPECT_TRUE(rules::applyTwoColumns(model, "zz\tq"));
    EXPECT_EQ(model.entry(0).previewName, "p");
}

TEST(ListImport, OneColumnNamesRowsInOrder)
{
    FileListModel model;
    fill(model, {"f1", "f2"});
    model.setChecked(0, false);
    EXPECT_TRUE(rules::applyOneColumn(model, "x\r\ny\r\nz"));
    EXPECT_EQ(previews(model), QStringList({"x", "y"}));

    FileListModel three;
    fill(three, {"f1", "f2", "f3"});
    three.setCell(2, RenameEntry::PreviewName, "old");
    EXPECT_TRUE(rules::applyOneColumn(three, "n:1\r\nn2"));
    EXPECT_EQ(previews(three), QStringList({"n1", "n2", "old"}));
}

TEST(ListImport, OneColumnEmptyLineDependsOnLineEnds)
{
    FileListModel crlf;
    fill(crlf, {"f1", "f2", "f3"});
    crlf.setCell(1, RenameEntry::PreviewName, "before");
    EXPECT_TRUE(rules::applyOneColumn(crlf, "x\r\n\r\nz"));
    EXPECT_EQ(previews(crlf), QStringList({"x", "", "z"}));

    FileListModel lf;
    fill(lf, {"f1", "f2", "f3"});
    EXPECT_TRUE(rules::applyOneColumn(lf, "x\n\nz"));
    EXPECT_EQ(previews(lf), QStringList({"x", "z", ""}));
}

TEST(ListImport, OneColumnOnEmptyListOrEmptyText)
{
    FileListModel empty;
    EXPECT_TRUE(rules::applyOneColumn(empty, "x\r\ny"));
    FileListModel model;
    fill(model, {"f1"});
    EXPECT_FALSE(rules::applyOneColumn(model, ""));
    EXPECT_EQ(model.entry(0).previewName, "");
}

TEST(ListImport, OriginalNamesJoinedByCrLf)
{
    FileListModel model;
    EXPECT_EQ(rules::originalNamesText(model), "");
    model.appendPaths({"/p/b.txt", "/p/sub", "/p/a.tar.gz"});
    model.setChecked(1, false);
    EXPECT_EQ(rules::originalNamesText(model), "b\r\nsub\r\na.tar");
    // What the text gives back through one column is the list itself.
    EXPECT_TRUE(rules::applyOneColumn(model, rules::originalNamesText(model)));
    EXPECT_EQ(previews(model), QStringList({"b", "sub", "a.tar"}));
}
