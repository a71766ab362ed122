#include "scan/FolderWalk.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

TEST(WildcardMatch, WholeTextCaseSensitiveAndAnInvalidListMatchesNothing)
{
    const char *matching[][2] = {{"aXbYbZc", "a*b*c"}, {"a7", "a#"},    {"b", "[a-c]"},
                                 {"-", "[a-]"},        {"\\", "[\\~]"}, {"]", "]"}};
    const char *failing[][2] = {{"/d/a.TXT", "*.txt"}, {"xabc", "abc"}, {"a７", "a#"},
                                {"a", "[!a]"},         {"?", "\\?"},    {"[a", "[a"}};
    for (const auto &c : matching)
        EXPECT_TRUE(WildcardMatch(QString::fromUtf8(c[0]), c[1])) << c[0] << " " << c[1];
    for (const auto &c : failing)
        EXPECT_FALSE(WildcardMatch(QString::fromUtf8(c[0]), c[1])) << c[0] << " " << c[1];
}

TEST(FileSearchFso, OrderLockFilesLinksAndUnreadableFolders)
{
    QTemporaryDir tmp;
    const QString d = tmp.path(), r = d + "/r", v = d + "/via";
    for (const char *name : {"a.txt", "B.txt", "a.TXT", "~$a.txt", "s/t/c.txt", "~$old/d.txt"})
        testsupport::writeFile(r + "/" + QString::fromUtf8(name));
    ASSERT_TRUE(QFile::link(d, r + "/s/loop"));
    ASSERT_TRUE(QFile::link(r + "/a.txt", r + "/s/l.txt"));
    ASSERT_TRUE(QFile::link(r, v));
    WalkOptions o;
    o.listFolders = true;
    o.filter = ".txt";
    // Files first, each folder after its contents; links to folders are
    // listed but never entered; "~$" marks a lock file only in its own name.
    QStringList all = {r + "/B.txt",  r + "/a.txt",       r + "/s/l.txt",
                       r + "/s/loop", r + "/s/t/c.txt",   r + "/s/t",
                       r + "/s",      r + "/~$old/d.txt", r + "/~$old"};
    EXPECT_EQ(FileSearchFso(r + "/", o).paths, all);
    // The folder the user names may itself be a link: that one is followed.
    o.recurse = false;
    EXPECT_EQ(FileSearchFso(v, o).paths,
              QStringList({v + "/B.txt", v + "/a.txt", v + "/s", v + "/~$old"}));
    EXPECT_EQ(FileSearchFso(r + "/missing", o).skippedFolders, 1);
    o.recurse = true;

    // Permissions do not stop root, so the walk runs in a child that gives up its rights.
    ASSERT_EQ(::chmod(QFile::encodeName(d).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(r + "/s/t").constData(), 0), 0);
    all.removeOne(r + "/s/t/c.txt");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        const WalkResult w = FileSearchFso(r, o);
        ::_exit(w.paths == all && w.skippedFolders == 1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    ::chmod(QFile::encodeName(r + "/s/t").constData(), 0700);
}
