#include "rename/RenameBatch.h"

#include "list/FileListModel.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

using testsupport::entriesOf;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

const QString kFixedText = QStringLiteral("！！失败 文件名不能包含 \\/*?:<>|\"或者文件有重名");

class RenameBatchTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QStringList names(const QString &folder = QString()) const
    {
        return entriesOf(folder.isEmpty() ? m_dir.path() : path(folder));
    }

    // A row for an existing entry (a file with its own name as content, or
    // a folder when the name ends in "/") with the given preview.
    int addRow(const QString &name, const QString &preview)
    {
        QString full = path(name);
        if (name.endsWith(QLatin1Char('/'))) {
            full.chop(1);
            QDir().mkpath(full);
        } else if (!QFile::exists(full)) {
            writeFile(full, name.toUtf8());
        }
        m_model.appendPaths({full});
        const int row = m_model.count() - 1;
        m_model.setCell(row, RenameEntry::PreviewName, preview);
        return row;
    }

    const RenameEntry &row(int i) const { return m_model.entry(i); }
    BatchResult rename() { return runRenameBatch(m_model, renameOnDisk); }
    BatchResult undo() { return runUndoBatch(m_model, renameOnDisk); }

    QTemporaryDir m_dir;
    FileListModel m_model;
};

} // namespace

TEST_F(RenameBatchTest, SwapsAndChainsDependOnTheOrderOfTheRows)
{
    addRow("a.txt", "b");
    addRow("b.txt", "a");
    BatchResult result = rename();
    EXPECT_EQ(result.succeeded, 0);
    EXPECT_EQ(result.failed, 2);
    EXPECT_EQ(summaryText(result), QStringLiteral("重命名完成,一共2条文件 成功 0条;失败2条"));
    for (int i : {0, 1}) {
        EXPECT_EQ(row(i).resultText, kFixedText);
        EXPECT_EQ(row(i).outcome, RenameEntry::Outcome::Failure);
    }
    EXPECT_EQ(readFile(path("a.txt")), "a.txt");
    EXPECT_EQ(readFile(path("b.txt")), "b.txt");

    m_model.clear();
    addRow("a.txt", "b");
    addRow("b.txt", "c");
    result = rename();
    EXPECT_EQ(row(0).resultText, kFixedText);
    EXPECT_EQ(row(1).resultText, QStringLiteral("√成功"));
    EXPECT_EQ(result.succeeded, 1);
    EXPECT_EQ(readFile(path("c.txt")), "b.txt");

    m_model.clear();
    addRow("c.txt", "d"); // the former b.txt
    addRow("a.txt", "c");
    result = rename();
    EXPECT_EQ(result.succeeded, 2);
    EXPECT_EQ(names(), QStringList({"c.txt", "d.txt"}));

    // The undo of this chain must run bottom-up: c→a first, then d→c.
    std::vector<std::pair<int, int>> steps;
    result = runUndoBatch(m_model, renameOnDisk, [&](int i, int n) { steps.emplace_back(i, n); });
    EXPECT_EQ(result.succeeded, 2);
    EXPECT_EQ(result.failed, 0);
    EXPECT_EQ(readFile(path("a.txt")), "a.txt");
    EXPECT_EQ(readFile(path("c.txt")), "b.txt");
    EXPECT_EQ(names(), QStringList({"a.txt", "c.txt"}));
    EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}}));
    EXPECT_EQ(row(0).fullPath, path("c.txt"));
    EXPECT_EQ(row(0).previousPath, path("d.txt"));
    EXPECT_EQ(row(1).originalName, "a");
}

TEST_F(RenameBatchTest, ATargetIsNeverTakenTwiceNorReplaced)
{
    writeFile(path("taken.txt"), "keep me");
    addRow("a.txt", "same");
    addRow("b.txt", "same");
    addRow("c.txt", "taken");
    const BatchResult result = rename();
    EXPECT_EQ(result.succeeded, 1);
    EXPECT_EQ(result.failed, 2);
    EXPECT_EQ(summaryText(result), QStringLiteral("重命名完成,一共3条文件 成功 1条;失败2条"));
    EXPECT_EQ(readFile(path("same.txt")), "a.txt");
    EXPECT_EQ(readFile(path("b.txt")), "b.txt");
    EXPECT_EQ(readFile(path("taken.txt")), "keep me");
    EXPECT_EQ(readFile(path("c.txt")), "c.txt");
    // A failed row stays where it is and forgets any earlier rename.
    EXPECT_EQ(row(1).fullPath, path("b.txt"));
    EXPECT_EQ(row(1).previousPath, "");
}

TEST_F(RenameBatchTest, SuccessfulRowFollowsTheNewName)
{
    addRow("photo.jpg", "Photo"); // case only: must still be attempted
    addRow("photos", "photos.2019");
    const BatchResult result = rename();
    EXPECT_EQ(result.succeeded, 2);
    EXPECT_EQ(names(), QStringList({"Photo.jpg", "photos.2019"}));
    EXPECT_EQ(row(0).resultText, QStringLiteral("√成功"));
    EXPECT_EQ(row(0).outcome, RenameEntry::Outcome::Success);
    EXPECT_EQ(row(0).previousPath, path("photo.jpg"));
    EXPECT_EQ(row(1).fullPath, path("photos.2019"));
    EXPECT_EQ(row(1).originalName, "photos");
    EXPECT_EQ(row(1).extension, ".2019");

    // The next batch keeps the dot part that is now the extension.
    m_model.setCell(1, RenameEntry::PreviewName, "album");
    m_model.setChecked(0, false);
    rename();
    EXPECT_EQ(names(), QStringList({"Photo.jpg", "album.2019"}));

    undo();
    EXPECT_EQ(names(), QStringList({"Photo.jpg", "photos.2019"}));
    EXPECT_EQ(row(1).originalName, "photos");
    EXPECT_EQ(row(1).extension, ".2019");
    // Each row goes back to where its last rename or undo took it from.
    m_model.setChecked(0, true);
    undo();
    EXPECT_EQ(names(), QStringList({"album.2019", "photo.jpg"}));
    EXPECT_EQ(row(0).originalName, "photo");
    EXPECT_EQ(row(0).extension, ".jpg");
}

TEST_F(RenameBatchTest, NewNamesThatLeaveTheFolderAreRefusedWithoutTouchingTheDisk)
{
    QDir().mkpath(path("in/sub"));
    addRow("in/a.txt", "sub/a");
    addRow("in/b.txt", "../b");
    addRow("in/plain", "..");
    addRow("in/other", ".");
    addRow("in/c.txt", QStringLiteral("c") + QChar(u'\0') + QStringLiteral("d"));
    // Half of a character beyond U+FFFF, as a regex over single code units can leave.
    addRow("in/e.txt", QStringLiteral("e") + QChar(0xD83D));
    addRow("in/d.txt", "fine");

    QStringList calls;
    const RenameFunction recording = [&](const QString &from, const QString &to) {
        calls << to;
        return renameOnDisk(from, to);
    };
    const BatchResult result = runRenameBatch(m_model, recording);
    EXPECT_EQ(calls, QStringList({path("in/fine.txt")}));
    EXPECT_EQ(result.failed, 6);
    EXPECT_EQ(result.succeeded, 1);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(row(i).resultText, kFixedText) << i;
        EXPECT_EQ(row(i).outcome, RenameEntry::Outcome::Failure) << i;
        EXPECT_TRUE(QFile::exists(row(i).fullPath)) << i;
    }
    EXPECT_EQ(names(), QStringList({"in"}));
    EXPECT_EQ(names("in/sub"), QStringList());
    EXPECT_EQ(names("in"), QStringList({"a.txt", "b.txt", "c.txt", "e.txt", "fine.txt", "other",
                                        "plain", "sub"}));
}

TEST_F(RenameBatchTest, AStaleSecondRowForOneFileNeverRenamesTheFileNowAtItsPath)
{
    // The file a.txt is listed twice (dropped again after an earlier rename
    // moved it back). b.txt moves to a.txt only after the first row moved a.txt
    // away; the second row must not then rename b's content.
    writeFile(path("a.txt"), "A");
    writeFile(path("b.txt"), "B");
    addRow("a.txt", "x");
    addRow("b.txt", "a");
    addRow("a.txt", "y");
    const BatchResult result = rename();
    EXPECT_EQ(result.succeeded, 2);
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(readFile(path("x.txt")), "A");
    EXPECT_EQ(readFile(path("a.txt")), "B");
    EXPECT_FALSE(QFile::exists(path("y.txt")));
    EXPECT_EQ(row(2).outcome, RenameEntry::Outcome::Failure);
}

TEST_F(RenameBatchTest, RowsFarApartInALongListStillSeeEachOther)
{
    // The same cases as the short lists above, with hundreds of rows between
    // the rows that depend on each other.
    const auto fill = [this](const QString &prefix) {
        for (int i = 0; i < 300; ++i)
            addRow(prefix + QString::number(i) + ".txt", prefix + "done" + QString::number(i));
    };
    writeFile(path("a.txt"), "A");
    writeFile(path("b.txt"), "B");
    addRow("album/inside1.jpg", "first");
    addRow("a.txt", "x");
    fill("p");
    addRow("b.txt", "a");
    fill("q");
    const int stale = addRow("a.txt", "y");
    const int folder = addRow("album/", "trip");
    fill("r");
    const int after = addRow("album/inside2.jpg", "second");

    const BatchResult result = rename();
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(result.succeeded, m_model.count() - 1);
    EXPECT_EQ(readFile(path("x.txt")), "A");
    EXPECT_EQ(readFile(path("a.txt")), "B");
    EXPECT_FALSE(QFile::exists(path("y.txt")));
    EXPECT_EQ(row(stale).outcome, RenameEntry::Outcome::Failure);
    EXPECT_EQ(names("trip"), QStringList({"first.jpg", "second.jpg"}));
    EXPECT_EQ(row(0).fullPath, path("trip/first.jpg"));
    EXPECT_EQ(row(after).previousPath, path("trip/inside2.jpg"));
    EXPECT_EQ(row(folder).fullPath, path("trip"));

    EXPECT_EQ(undo().succeeded, m_model.count() - 1);
    EXPECT_EQ(names("album"), QStringList({"inside1.jpg", "inside2.jpg"}));
    EXPECT_EQ(readFile(path("a.txt")), "A");
    EXPECT_EQ(readFile(path("b.txt")), "B");
    EXPECT_EQ(names().size(), 3 + 3 * 300);
    EXPECT_TRUE(QFile::exists(path("q299.txt")));
}

TEST_F(RenameBatchTest, SkippedRowsAndTheLastFolder)
{
    addRow("one/a.txt", "a1");
    addRow("two/notes.", "notes"); // extension "." keeps the name as it is
    addRow("two/same.txt", "same");
    addRow("three/c.txt", "");
    const int unchecked = addRow("four/d.txt", "d1");
    m_model.setChecked(unchecked, false);

    std::vector<int> positions;
    const BatchResult result = runRenameBatch(
        m_model, renameOnDisk, [&](int i, int n) { positions.push_back(i * 10 + n); });
    EXPECT_EQ(result.succeeded, 1);
    EXPECT_EQ(result.failed, 0);
    EXPECT_EQ(result.lastFolder, path("two"));
    EXPECT_EQ(positions, (std::vector<int>{15, 25, 35, 45, 55}));
    EXPECT_EQ(names("two"), QStringList({"notes.", "same.txt"}));
    EXPECT_EQ(row(1).resultText, "");
    EXPECT_EQ(row(1).outcome, RenameEntry::Outcome::None);
    EXPECT_EQ(row(1).previousPath, "");
    EXPECT_EQ(names("four"), QStringList({"d.txt"}));
    EXPECT_EQ(summaryText(result), QStringLiteral("重命名完成,一共1条文件 成功 1条;失败0条"));

    // A failed lowest row still names the folder to show.
    m_model.clear();
    addRow("one/x.txt", "y");
    writeFile(path("five/y.txt"));
    addRow("five/z.txt", "y");
    EXPECT_EQ(rename().lastFolder, path("five"));

    m_model.clear();
    EXPECT_EQ(rename().lastFolder, "");
    EXPECT_EQ(summaryText(undo()), QStringLiteral("重命名完成,一共0条文件 成功 0条;失败0条"));
}

TEST_F(RenameBatchTest, RowsInsideARenamedFolderFollowIt)
{
    addRow("album/c.jpg", "c2");
    addRow("album/", "trip");
    addRow("album/a.jpg", "b");
    addRow("album/deep/", "deeper");
    addRow("album/deep/e.jpg", "f");
    const BatchResult result = rename();
    EXPECT_EQ(result.succeeded, 5);
    EXPECT_EQ(result.failed, 0);
    EXPECT_EQ(names("trip"), QStringList({"b.jpg", "c2.jpg", "deeper"}));
    EXPECT_EQ(names("trip/deeper"), QStringList({"f.jpg"}));
    EXPECT_EQ(row(0).fullPath, path("trip/c2.jpg"));
    EXPECT_EQ(row(0).previousPath, path("trip/c.jpg"));
    EXPECT_EQ(row(2).previousPath, path("trip/a.jpg"));
    EXPECT_EQ(row(4).fullPath, path("trip/deeper/f.jpg"));

    EXPECT_EQ(undo().succeeded, 5);
    EXPECT_EQ(names("album"), QStringList({"a.jpg", "c.jpg", "deep"}));
    EXPECT_EQ(names("album/deep"), QStringList({"e.jpg"}));
    EXPECT_EQ(row(0).fullPath, path("album/c.jpg"));
    EXPECT_EQ(row(4).fullPath, path("album/deep/e.jpg"));
    EXPECT_EQ(row(4).previousPath, path("album/deep/f.jpg"));

    // Forward again from the undone state: previews are still there.
    EXPECT_EQ(rename().succeeded, 5);
    EXPECT_EQ(names("trip/deeper"), QStringList({"f.jpg"}));
}

TEST_F(RenameBatchTest, UndoFailsForATargetTakenMeanwhile)
{
    addRow("a.txt", "a1");
    addRow("b.txt", "b1");
    addRow("c.txt", "c1");
    rename();
    writeFile(path("b.txt"), "newcomer");
    m_model.setChecked(2, false);

    const BatchResult result = undo();
    EXPECT_EQ(result.succeeded, 1);
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(result.lastFolder, "");
    EXPECT_EQ(row(1).resultText, kFixedText);
    EXPECT_EQ(row(1).previousPath, "");
    EXPECT_EQ(readFile(path("b.txt")), "newcomer");
    EXPECT_EQ(readFile(path("b1.txt")), "b.txt");
    EXPECT_EQ(names(), QStringList({"a.txt", "b.txt", "b1.txt", "c1.txt"}));
    EXPECT_EQ(row(0).previousPath, path("a1.txt"));
    EXPECT_EQ(row(2).previousPath, path("c.txt"));

    // Neither the failed row nor the undone one is tried again by a second undo
    // that has only the unchecked row left.
    m_model.setChecked(0, false);
    m_model.setChecked(2, true);
    EXPECT_EQ(undo().succeeded, 1);
    EXPECT_EQ(names(), QStringList({"a.txt", "b.txt", "b1.txt", "c.txt"}));
}
