#include "rename/RenameLayer.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <unistd.h>

using testsupport::entriesOf;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

const QString kFixedText = QStringLiteral("！！失败 文件名不能包含 \\/*?:<>|\"或者文件有重名");

QString errnoText(int code)
{
    return QStringLiteral("！！失败 ") + QString::number(code) +
           QString::fromLocal8Bit(std::strerror(code));
}

bool hardLink(const QString &from, const QString &to)
{
    return ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

class RenameLayerTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QStringList names() const { return entriesOf(m_dir.path()); }

    QTemporaryDir m_dir;
};

} // namespace

TEST(RenameTexts, FixedTextForTakenOrInvalidNamesAndNumberPlusDescriptionOtherwise)
{
    EXPECT_EQ(successText(), QStringLiteral("√成功"));
    for (int code : {EEXIST, ENOTEMPTY, EINVAL})
        EXPECT_EQ(failureText(RenameFailure{code, QStringLiteral("ignored")}), kFixedText) << code;
    EXPECT_EQ(failureText(RenameFailure{EACCES, QStringLiteral("Permission denied")}),
              QStringLiteral("！！失败 13Permission denied"));
    EXPECT_EQ(failureText(failureFromErrno(ENOSPC)), errnoText(ENOSPC));
}

// The same for the plain rename(2) fallback used where the kernel or the
// file system has no no-replace flag.
TEST(NativePaths, AppendedBytesAreWhatTheSystemGetsAndBadPathsAddNothing)
{
    QByteArray buffer("kept");
    const QStringList paths = {QStringLiteral("/tmp/a.txt"), QStringLiteral("/照片/假期 01.jpg"),
                               QStringLiteral("/x/\U0001F600 é"), QString(300, QChar(u'长'))};
    QList<qsizetype> starts;
    for (const QString &p : paths) {
        starts << buffer.size();
        ASSERT_TRUE(appendNativePath(buffer, p));
    }
    EXPECT_TRUE(buffer.startsWith("kept"));
    for (int i = 0; i < paths.size(); ++i)
        EXPECT_EQ(QByteArray(buffer.constData() + starts[i]), QFile::encodeName(paths[i])) << i;

    const QByteArray before = buffer;
    EXPECT_FALSE(appendNativePath(buffer, QString()));
    EXPECT_FALSE(appendNativePath(buffer, QStringLiteral("/tmp/a") + QChar(u'\0') + "b"));
    EXPECT_EQ(buffer, before);
}

TEST_F(RenameLayerTest, RenamesFilesAndFoldersButNeverReplaces)
{
    for (const auto &renameFn : {renameOnDisk, renameWithoutNoReplaceFlag}) {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        writeFile(path("a.txt"), "A");
        writeFile(path("b.txt"), "B");
        writeFile(path("album/inside.jpg"), "I");
        QDir().mkpath(path("empty"));

        EXPECT_EQ(renameFn(path("a.txt"), path("c.txt")), std::nullopt);
        EXPECT_EQ(readFile(path("c.txt")), "A");
        const auto taken = renameFn(path("c.txt"), path("b.txt"));
        ASSERT_TRUE(taken);
        EXPECT_EQ(taken->code, EEXIST);
        // An empty folder is as much an entry as a file: plain rename(2)
        // would silently replace it.
        const auto folderTaken = renameFn(path("album"), path("empty"));
        ASSERT_TRUE(folderTaken);
        EXPECT_EQ(folderTaken->code, EEXIST);
        const auto intoItself = renameFn(path("album"), path("album/sub"));
        ASSERT_TRUE(intoItself);
        EXPECT_EQ(intoItself->code, EINVAL);

        EXPECT_EQ(renameFn(path("album"), path("trip")), std::nullopt);
        EXPECT_EQ(readFile(path("trip/inside.jpg")), "I");
        EXPECT_EQ(names(), QStringList({"b.txt", "c.txt", "empty", "trip"}));
        EXPECT_EQ(readFile(path("b.txt")), "B");
        EXPECT_EQ(readFile(path("c.txt")), "A");
    }
}

TEST_F(RenameLayerTest, ReportsTheSystemErrorOfImpossibleRenames)
{
    writeFile(path("a.txt"), "A");

    const auto tooLong = renameOnDisk(path("a.txt"), path(QString(256, QLatin1Char('x'))));
    ASSERT_TRUE(tooLong);
    EXPECT_EQ(failureText(*tooLong), errnoText(ENAMETOOLONG));
    EXPECT_TRUE(failureText(*tooLong).startsWith(QStringLiteral("！！失败 36")));

    const auto missing = renameOnDisk(path("gone.txt"), path("b.txt"));
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->code, ENOENT);

    // A NUL would cut the native path at "a.txt" and rename that file.
    const auto nul = renameOnDisk(path("a.txt") + QChar(u'\0') + QStringLiteral("x"), path("z"));
    ASSERT_TRUE(nul);
    EXPECT_EQ(nul->code, EINVAL);
    EXPECT_EQ(names(), QStringList({"a.txt"}));
}

TEST_F(RenameLayerTest, SameEntryCaseChangeNeedsCaseOnlyDifferenceSameFolderAndSameInode)
{
    writeFile(path("photo.jpg"), "P");
    ASSERT_TRUE(hardLink(path("photo.jpg"), path("Photo.jpg")));
    writeFile(path("a"), "A");
    ASSERT_TRUE(hardLink(path("a"), path("b")));
    writeFile(path("note.txt"), "1");
    writeFile(path("NOTE.txt"), "2");
    writeFile(path("d1/x"), "X");
    QDir().mkpath(path("d2"));
    ASSERT_TRUE(hardLink(path("d1/x"), path("d2/X")));

    EXPECT_TRUE(isSameEntryCaseChange(path("photo.jpg"), path("Photo.jpg")));
    EXPECT_FALSE(isSameEntryCaseChange(path("photo.jpg"), path("photo.jpg")));
    EXPECT_FALSE(isSameEntryCaseChange(path("a"), path("b")));                 // two names
    EXPECT_FALSE(isSameEntryCaseChange(path("note.txt"), path("NOTE.txt")));   // two files
    EXPECT_FALSE(isSameEntryCaseChange(path("d1/x"), path("d2/X")));           // two folders
    EXPECT_FALSE(isSameEntryCaseChange(path("photo.jpg"), path("PHOTO.jpg"))); // no target
}

TEST_F(RenameLayerTest, DetourThroughTemporaryNameRenamesOrPutsEverythingBack)
{
    writeFile(path("photo.jpg"), "P");
    EXPECT_EQ(renameViaTemporary(path("photo.jpg"), path("Photo.jpg")), std::nullopt);
    EXPECT_EQ(names(), QStringList({"Photo.jpg"}));
    EXPECT_EQ(readFile(path("Photo.jpg")), "P");

    // The second step meets a real second entry: back to the old name.
    writeFile(path("PHOTO.jpg"), "other");
    const auto failure = renameViaTemporary(path("Photo.jpg"), path("PHOTO.jpg"));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->code, EEXIST);
    EXPECT_EQ(names(), QStringList({"PHOTO.jpg", "Photo.jpg"}));
    EXPECT_EQ(readFile(path("Photo.jpg")), "P");
    EXPECT_EQ(readFile(path("PHOTO.jpg")), "other");
}

TEST_F(RenameLayerTest, HardLinkedNamesAreNeverMergedByARename)
{
    // Two names of one inode that differ only by case look exactly like a
    // case-insensitive file system; the detour must still drop neither name.
    writeFile(path("photo.jpg"), "P");
    ASSERT_TRUE(hardLink(path("photo.jpg"), path("Photo.jpg")));
    writeFile(path("a"), "A");
    ASSERT_TRUE(hardLink(path("a"), path("b")));

    const auto caseOnly = renameOnDisk(path("photo.jpg"), path("Photo.jpg"));
    ASSERT_TRUE(caseOnly);
    EXPECT_EQ(failureText(*caseOnly), kFixedText);
    const auto other = renameOnDisk(path("a"), path("b"));
    ASSERT_TRUE(other);
    EXPECT_EQ(other->code, EEXIST);
    EXPECT_EQ(names(), QStringList({"Photo.jpg", "a", "b", "photo.jpg"}));
}
