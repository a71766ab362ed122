#include "scan/FolderWalk.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::writeFile;

namespace {

WalkOptions options(bool recurse, bool listFolders, const QString &filter = QStringLiteral("*"))
{
    WalkOptions o;
    o.recurse = recurse;
    o.listFolders = listFolders;
    o.filter = filter;
    return o;
}

} // namespace

TEST(WildcardMatch, FollowsTheLikeRules)
{
    EXPECT_TRUE(WildcardMatch("", "*"));
    EXPECT_TRUE(WildcardMatch("/d/a.txt", "**"));
    EXPECT_TRUE(WildcardMatch("/d/a.txt", "*.txt"));
    EXPECT_FALSE(WildcardMatch("/d/a.TXT", "*.txt"));
    EXPECT_FALSE(WildcardMatch("/d/a.txt.bak", "*.txt"));
    EXPECT_FALSE(WildcardMatch("/d/a.jpeg", "*.jpg"));
    // The whole text must match, not a part of it.
    EXPECT_FALSE(WildcardMatch("xabc", "abc"));
    EXPECT_FALSE(WildcardMatch("abcx", "abc"));
    // A star that must give characters back to a later part of the pattern.
    EXPECT_TRUE(WildcardMatch("aXbYbZc", "a*b*c"));
    EXPECT_TRUE(WildcardMatch("/p/IMG_12.jpg", "*IMG_??.jpg"));
    EXPECT_FALSE(WildcardMatch("/p/IMG_1.jpg", "*IMG_??.jpg"));

    EXPECT_TRUE(WildcardMatch("a7", "a#"));
    EXPECT_FALSE(WildcardMatch("ax", "a#"));
    EXPECT_FALSE(WildcardMatch(QString::fromUtf8("a７"), "a#")); // full-width digit

    EXPECT_TRUE(WildcardMatch("b", "[a-c]"));
    EXPECT_FALSE(WildcardMatch("d", "[a-c]"));
    EXPECT_FALSE(WildcardMatch("B", "[a-c]"));
    EXPECT_TRUE(WildcardMatch("x", "[!a]"));
    EXPECT_FALSE(WildcardMatch("a", "[!a]"));
    EXPECT_TRUE(WildcardMatch("-", "[a-]"));
    EXPECT_TRUE(WildcardMatch("*", "[*]"));
    EXPECT_FALSE(WildcardMatch("q", "[*]"));
    EXPECT_FALSE(WildcardMatch("ab", "[ab]"));
    // Inside brackets the backslash is an ordinary character.
    EXPECT_TRUE(WildcardMatch("\\", "[\\~]"));
    EXPECT_TRUE(WildcardMatch("~", "[\\~]"));
    EXPECT_FALSE(WildcardMatch("$", "[\\~]"));
    // Outside brackets too: it escapes nothing.
    EXPECT_TRUE(WildcardMatch("\\x", "\\?"));
    EXPECT_FALSE(WildcardMatch("?", "\\?"));

    EXPECT_TRUE(WildcardMatch("/d/~$a.txt", "*/[~][$]*"));
    EXPECT_FALSE(WildcardMatch("/d/a~$.txt", "*/[~][$]*"));
}

TEST(WildcardMatch, UnclosedOrBackwardListsAreInvalidAndMatchNothing)
{
    EXPECT_TRUE(isValidWildcard("*[a-c]?#"));
    EXPECT_TRUE(isValidWildcard("*]"));
    EXPECT_FALSE(isValidWildcard("*[a"));
    EXPECT_FALSE(isValidWildcard("*[!"));
    EXPECT_FALSE(isValidWildcard("*[z-a]"));
    EXPECT_FALSE(WildcardMatch("[a", "[a"));
    EXPECT_FALSE(WildcardMatch("anything", "*[a"));
    EXPECT_TRUE(WildcardMatch("]", "]"));
}

TEST(FileSearchFso, SkipsLockFilesAndMatchesTheExtensionCaseSensitively)
{
    QTemporaryDir tmp;
    const QString d = tmp.path();
    writeFile(d + "/a.txt");
    writeFile(d + "/~$a.txt");
    writeFile(d + "/b.TXT");
    // Only the name tells a lock file: a folder whose name starts the same way
    // holds ordinary files.
    writeFile(d + "/~$old/c.txt");

    const WalkResult r = FileSearchFso(d, options(true, false, ".txt"));
    EXPECT_EQ(r.paths, QStringList({d + "/a.txt", d + "/~$old/c.txt"}));
    EXPECT_EQ(r.skippedFolders, 0);

    // An invalid filter matches nothing rather than everything.
    EXPECT_TRUE(FileSearchFso(d, options(true, false, "[txt")).paths.isEmpty());
}

TEST(FileSearchFso, ContentsComeBeforeTheirFolderAndFilesBeforeFolders)
{
    QTemporaryDir tmp;
    const QString d = tmp.path();
    writeFile(d + "/1.jpg");
    writeFile(d + "/s/2.jpg");
    writeFile(d + "/s/t/3.jpg");
    writeFile(d + "/z.jpg");
    writeFile(d + "/.hidden.jpg");
    writeFile(d + "/B.jpg");

    QStringList progress;
    // A trailing separator, as the folder picker leaves it, is not doubled.
    const WalkResult r =
        FileSearchFso(d + "/", options(true, true), [&](const QString &f) { progress << f; });
    EXPECT_EQ(r.paths, QStringList({d + "/.hidden.jpg", d + "/1.jpg", d + "/B.jpg", d + "/z.jpg",
                                    d + "/s/2.jpg", d + "/s/t/3.jpg", d + "/s/t", d + "/s"}));
    EXPECT_EQ(progress, QStringList({d + "/s/t", d + "/s"}));

    // Folders are listed unfiltered; files are filtered.
    const WalkResult jpgOnly = FileSearchFso(d, options(true, true, "2.jpg"));
    EXPECT_EQ(jpgOnly.paths, QStringList({d + "/s/2.jpg", d + "/s/t", d + "/s"}));
}

TEST(FileSearchFso, WithoutRecursionOnlyDirectSubfoldersAreListed)
{
    QTemporaryDir tmp;
    const QString d = tmp.path();
    writeFile(d + "/1.jpg");
    writeFile(d + "/s/2.jpg");
    writeFile(d + "/s/t/3.jpg");
    QDir(d).mkdir("empty");

    QStringList progress;
    const WalkResult r =
        FileSearchFso(d, options(false, true), [&](const QString &f) { progress << f; });
    EXPECT_EQ(r.paths, QStringList({d + "/1.jpg", d + "/empty", d + "/s"}));
    EXPECT_EQ(progress, QStringList({d + "/empty", d + "/s"}));

    EXPECT_EQ(FileSearchFso(d, options(false, false)).paths, QStringList({d + "/1.jpg"}));
}

TEST(FileSearchFso, SymbolicLinksToFoldersAreListedButNeverEntered)
{
    QTemporaryDir tmp;
    const QString d = tmp.path();
    writeFile(d + "/s/a.txt");
    writeFile(d + "/outside/o.txt");
    ASSERT_TRUE(QFile::link(d, d + "/s/loop"));
    ASSERT_TRUE(QFile::link(d + "/outside", d + "/s/out"));
    ASSERT_TRUE(QFile::link(d + "/s/a.txt", d + "/s/l.txt"));
    ASSERT_TRUE(QFile::link(d + "/missing", d + "/s/dangling.txt"));

    const WalkResult r = FileSearchFso(d + "/s", options(true, true, ".txt"));
    EXPECT_EQ(r.paths, QStringList({d + "/s/a.txt", d + "/s/dangling.txt", d + "/s/l.txt",
                                    d + "/s/loop", d + "/s/out"}));
    EXPECT_EQ(r.skippedFolders, 0);

    // The folder the user names may itself be a link: that one is followed.
    ASSERT_TRUE(QFile::link(d + "/s", d + "/via"));
    EXPECT_EQ(FileSearchFso(d + "/via", options(false, false, "a.txt")).paths,
              QStringList({d + "/via/a.txt"}));
}

TEST(FileSearchFso, UnreadableFoldersAreCountedAndSkipped)
{
    const WalkResult missing = FileSearchFso("/nonexistent-quib-folder", options(true, true));
    EXPECT_TRUE(missing.paths.isEmpty());
    EXPECT_EQ(missing.skippedFolders, 1);

    QTemporaryDir tmp;
    const QString d = tmp.path();
    writeFile(d + "/a.txt");
    writeFile(d + "/locked/secret.txt");
    ASSERT_EQ(::chmod(QFile::encodeName(d).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(d + "/locked").constData(), 0), 0);

    // Permissions do not stop root, so as root the walk runs in a child that
    // has given up its rights.
    const auto walkIsBlocked = [&] {
        const WalkResult r = FileSearchFso(d, options(true, true));
        // Listing the folder itself needs no read access to it.
        return r.paths == QStringList({d + "/a.txt", d + "/locked"}) && r.skippedFolders == 1;
    };
    if (::geteuid() != 0) {
        EXPECT_TRUE(walkIsBlocked());
    } else {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
            ::_exit(dropped ? (walkIsBlocked() ? 0 : 1) : 2);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 2)
            GTEST_SKIP() << "could not drop root rights to test an unreadable folder";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the locked folder was read or not counted";
    }
    ::chmod(QFile::encodeName(d + "/locked").constData(), 0700);
}

TEST(FileSearchFso, NamesThatCannotRoundTripAreLeftOut)
{
    QTemporaryDir tmp;
    const QString d = tmp.path();
    writeFile(d + QString::fromUtf8("/报告.txt"));
    // Latin-1 bytes that are no valid UTF-8: a row for them would name
    // another path (with replacement characters) than the file on disk.
    const QByteArray raw = QFile::encodeName(d) + "/caf\xe9.txt";
    const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);

    const WalkResult r = FileSearchFso(d, options(true, false));
    EXPECT_EQ(r.paths, QStringList({d + QString::fromUtf8("/报告.txt")}));
    EXPECT_EQ(r.skippedNames, 1);
    for (const QString &p : r.paths)
        EXPECT_TRUE(QFile::exists(p)) << p.toStdString();
    // QTemporaryDir cannot name this file either.
    ::unlink(raw.constData());
}
