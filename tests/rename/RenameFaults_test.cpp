// Failures injected through the rename function at chosen rows: each shows
// its own text in red and is counted, the rest of the batch goes on, and the
// undo touches only what really moved.

#include "list/FileListModel.h"
#include "rename/RenameBatch.h"
#include "support/TestSupport.h"

#include <QBrush>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <vector>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

const std::vector<int> kCodes = {EACCES, EPERM, EBUSY, EXDEV, ENOSPC, EROFS, ENOENT, ENAMETOOLONG};

QString expectedFailure(int code)
{
    return QStringLiteral("！！失败 ") + QString::number(code) +
           QString::fromLocal8Bit(std::strerror(code));
}

// A rename that fails with a chosen errno for chosen source paths and
// renames for real otherwise; it remembers every call.
class FaultyRename
{
public:
    void failAt(const QString &from, int code) { m_faults[from] = code; }
    const QStringList &calls() const { return m_calls; }

    RenameFunction function()
    {
        return [this](const QString &from, const QString &to) -> std::optional<RenameFailure> {
            m_calls << from;
            const auto it = m_faults.find(from);
            if (it != m_faults.end())
                return failureFromErrno(it->second);
            return renameOnDisk(from, to);
        };
    }

private:
    std::map<QString, int> m_faults;
    QStringList m_calls;
};

class RenameFaultsTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    int addRow(const QString &name, const QString &preview)
    {
        const QString full = path(name);
        if (name.endsWith(u'/'))
            QDir().mkpath(full);
        else
            writeFile(full, name.toUtf8());
        QString rowPath = full;
        if (rowPath.endsWith(u'/'))
            rowPath.chop(1);
        m_model.appendPaths({rowPath});
        const int row = m_model.count() - 1;
        m_model.setCell(row, RenameEntry::PreviewName, preview);
        return row;
    }

    const RenameEntry &row(int i) const { return m_model.entry(i); }

    QColor resultColour(int i) const
    {
        return qvariant_cast<QBrush>(
                   m_model.data(m_model.index(i, RenameEntry::ResultText), Qt::ForegroundRole))
            .color();
    }

    QTemporaryDir m_dir;
    FileListModel m_model;
};

} // namespace

TEST_F(RenameFaultsTest, EachFailingRowIsRedAndCountedWhileEveryOtherRowGoesOn)
{
    // Every fault sits between two rows that must still be renamed.
    FaultyRename faulty;
    std::map<int, int> faultRows; // row -> errno
    for (size_t i = 0; i < kCodes.size(); ++i) {
        const QString n = QString::number(i);
        addRow("before" + n + ".txt", "before" + n + "-new");
        const int bad = addRow("bad" + n + ".txt", "bad" + n + "-new");
        faulty.failAt(row(bad).fullPath, kCodes[i]);
        faultRows[bad] = kCodes[i];
        addRow("after" + n + ".txt", "after" + n + "-new");
    }
    // And one that really vanished between being added and being renamed.
    const int vanished = addRow("vanished.txt", "still-gone");
    ASSERT_TRUE(QFile::remove(path("vanished.txt")));
    faultRows[vanished] = ENOENT;

    std::vector<int> positions;
    const BatchResult result = runRenameBatch(m_model, faulty.function(), [&](int i, int n) {
        EXPECT_EQ(n, m_model.count());
        positions.push_back(i);
    });

    const int rows = m_model.count();
    EXPECT_EQ(positions.size(), static_cast<size_t>(rows));
    EXPECT_EQ(result.failed, 9);
    EXPECT_EQ(result.succeeded, rows - 9);
    EXPECT_EQ(summaryText(result), QStringLiteral("重命名完成,一共25条文件 成功 16条;失败9条"));
    for (int i = 0; i < rows; ++i) {
        SCOPED_TRACE(row(i).fullPath.toStdString());
        const auto fault = faultRows.find(i);
        if (fault != faultRows.end()) {
            EXPECT_EQ(row(i).resultText, expectedFailure(fault->second));
            EXPECT_EQ(row(i).outcome, RenameEntry::Outcome::Failure);
            EXPECT_EQ(resultColour(i), QColor(255, 0, 0));
            EXPECT_EQ(row(i).previousPath, QString());
            EXPECT_FALSE(row(i).fullPath.contains(QLatin1String("-new")));
            EXPECT_EQ(QFile::exists(row(i).fullPath), i != vanished);
        } else {
            EXPECT_EQ(row(i).resultText, QStringLiteral("√成功"));
            EXPECT_EQ(resultColour(i), QColor(0, 0, 0));
            EXPECT_TRUE(row(i).fullPath.endsWith(QLatin1String("-new.txt")));
            EXPECT_EQ(readFile(row(i).fullPath), QFileInfo(row(i).previousPath).fileName());
        }
    }

    // The undo goes back over the rows that moved, and only those.
    FaultyRename recording;
    const BatchResult undone = runUndoBatch(m_model, recording.function());
    EXPECT_EQ(undone.succeeded, rows - 9);
    EXPECT_EQ(undone.failed, 0);
    EXPECT_EQ(recording.calls().size(), rows - 9);
    for (const QString &from : recording.calls())
        EXPECT_TRUE(from.endsWith(QLatin1String("-new.txt"))) << from.toStdString();
    QStringList expectedNames;
    for (const QString &prefix :
         {QStringLiteral("before"), QStringLiteral("bad"), QStringLiteral("after")}) {
        for (size_t i = 0; i < kCodes.size(); ++i)
            expectedNames << prefix + QString::number(i) + ".txt";
    }
    expectedNames.sort();
    EXPECT_EQ(testsupport::entriesOf(m_dir.path()), expectedNames);
}

TEST_F(RenameFaultsTest, RowsInsideAFolderWhoseRenameFailedStayWithTheFolder)
{
    const int folder = addRow("album/", "trip");
    addRow("album/a.jpg", "b");
    FaultyRename faulty;
    faulty.failAt(row(folder).fullPath, EACCES);

    const BatchResult result = runRenameBatch(m_model, faulty.function());
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(result.succeeded, 1);
    EXPECT_EQ(row(folder).fullPath, path("album"));
    EXPECT_EQ(row(1).fullPath, path("album/b.jpg"));
    EXPECT_EQ(readFile(path("album/b.jpg")), "album/a.jpg");
    EXPECT_FALSE(QFile::exists(path("trip")));

    EXPECT_EQ(runUndoBatch(m_model, renameOnDisk).succeeded, 1);
    EXPECT_EQ(readFile(path("album/a.jpg")), "album/a.jpg");
}
