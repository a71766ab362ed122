// Linux file names are bytes, and not every byte string is UTF-8. Such a name
// turns into U+FFFD on its way into a QString, and the QString then names a
// different file (or none). A file with such a name is either renamed
// correctly or shown as failed; no other file is ever touched.

#include "list/FileListModel.h"
#include "list/FileListView.h"
#include "rename/RenameBatch.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <ostream>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

// Readable QStrings in failure messages.
void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

// Creates a file by its raw name and writes the name into it.
bool createRaw(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, path.constData(), size_t(path.size())) == path.size();
    return ::close(fd) == 0 && written;
}

QByteArray contentOf(const QByteArray &path)
{
    QByteArray content;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return content;
    char buffer[512];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        content.append(buffer, n);
    ::close(fd);
    return content;
}

// The raw names in a folder.
std::set<QByteArray> rawNames(const QByteArray &folder)
{
    std::set<QByteArray> names;
    if (DIR *dir = ::opendir(folder.constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                names.insert(name);
        }
        ::closedir(dir);
    }
    return names;
}

// What a file manager puts on the clipboard for a drop: file URLs with every
// byte of the path that is not plain ASCII percent-encoded.
QByteArray uriFor(const QByteArray &path)
{
    return "file://" + path.toPercentEncoding("/");
}

int removeEntry(const char *path, const struct stat *, int, FTW *)
{
    return ::remove(path);
}

class NonUtf8Test : public ::testing::Test
{
protected:
    // QTemporaryDir cannot remove what QString cannot name.
    void TearDown() override
    {
        ::nftw(QFile::encodeName(m_dir.path()).constData(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (const QByteArray &name : {m_invalid, m_cutChinese})
            ASSERT_TRUE(createRaw(raw(name))) << name.toHex().toStdString();
        // What "a\xff.txt" reads as once in a QString, as a real file.
        ASSERT_TRUE(createRaw(raw(m_decoy)));
        ASSERT_NE(QFile::encodeName(QFile::decodeName(raw(m_invalid))), raw(m_invalid));
        ASSERT_EQ(QFile::encodeName(QFile::decodeName(raw(m_invalid))), raw(m_decoy));
    }

    QByteArray raw(const QByteArray &name) const
    {
        return QFile::encodeName(m_dir.path()) + '/' + name;
    }
    std::set<QByteArray> names() const { return rawNames(QFile::encodeName(m_dir.path())); }

    // Each of the three files still holds its own name, under that name.
    void expectUntouched()
    {
        for (const QByteArray &name : {m_invalid, m_cutChinese, m_decoy})
            EXPECT_EQ(contentOf(raw(name)), raw(name)) << name.toHex().toStdString();
    }

    QTemporaryDir m_dir;
    const QByteArray m_invalid = "a\xff.txt";
    const QByteArray m_cutChinese = "\xe4\xb8.txt"; // the first two bytes of 中
    const QByteArray m_decoy = "a\xef\xbf\xbd.txt";
};

} // namespace

TEST_F(NonUtf8Test, ADropLeavesOutPathsThatDoNotSurviveDecodingAndTheirDecoysStayUntouched)
{
    int argc = 1;
    char name[] = "NonUtf8_test";
    char *argv[] = {name, nullptr};
    QApplication app(argc, argv);

    ASSERT_TRUE(createRaw(raw("plain.txt")));
    ASSERT_TRUE(createRaw(raw("中 文.txt")));
    ASSERT_EQ(::mkdir(raw("d\xfe").constData(), 0755), 0);
    ASSERT_TRUE(createRaw(raw("d\xfe/inside.txt")));

    FileListView view;
    view.resize(400, 300);
    QSignalSpy dropped(&view, &FileListView::dropReceived);
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"),
                 uriFor(raw(m_invalid)) + "\r\n" + uriFor(raw("plain.txt")) + "\r\n" +
                     uriFor(raw(m_cutChinese)) + "\r\n" + uriFor(raw("d\xfe/inside.txt")) + "\r\n" +
                     uriFor(raw("中 文.txt")) + "\r\n");
    ASSERT_EQ(data.urls().size(), 5);
    const QPoint pos(200, 150);
    QDragEnterEvent enter(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &enter);
    QDragMoveEvent move(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &move);
    QDropEvent drop(QPointF(pos), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &drop);

    ASSERT_EQ(dropped.count(), 1);
    const QStringList paths = dropped.at(0).at(0).toStringList();
    EXPECT_EQ(paths, QStringList({QFile::decodeName(raw("plain.txt")),
                                  QFile::decodeName(raw("中 文.txt"))}));

    // Every row that did get in is renamed, and nothing else.
    FileListModel model;
    model.appendPaths(paths);
    for (int row = 0; row < model.count(); ++row)
        model.setCell(row, RenameEntry::PreviewName, QStringLiteral("renamed%1").arg(row));
    const BatchResult result = runRenameBatch(model, renameOnDisk);
    EXPECT_EQ(result.succeeded, 2);
    EXPECT_EQ(result.failed, 0);
    expectUntouched();
    EXPECT_EQ(names(), (std::set<QByteArray>{m_invalid, m_cutChinese, m_decoy, "d\xfe",
                                             "renamed0.txt", "renamed1.txt"}));
    EXPECT_EQ(contentOf(raw("d\xfe/inside.txt")), raw("d\xfe/inside.txt"));
}

TEST_F(NonUtf8Test, ARowMadeFromADecodedPathFailsRatherThanRenamingAnotherFile)
{
    // Without the decoy, the decoded path names nothing: the rename fails and
    // says so.
    ASSERT_EQ(::unlink(raw(m_decoy).constData()), 0);
    FileListModel model;
    for (const QByteArray &name : {m_invalid, m_cutChinese}) {
        const QString dropped = QUrl::fromLocalFile(QFile::decodeName(raw(name))).toLocalFile();
        model.appendEntries({FileListModel::entryFromPath(dropped)});
    }
    for (int row = 0; row < model.count(); ++row)
        model.setCell(row, RenameEntry::PreviewName, QStringLiteral("x%1").arg(row));

    const BatchResult result = runRenameBatch(model, renameOnDisk);
    EXPECT_EQ(result.succeeded, 0);
    EXPECT_EQ(result.failed, 2);
    for (int row = 0; row < model.count(); ++row) {
        EXPECT_EQ(model.entry(row).outcome, RenameEntry::Outcome::Failure);
        EXPECT_EQ(model.entry(row).resultText, failureText(failureFromErrno(ENOENT)));
    }
    EXPECT_EQ(names(), (std::set<QByteArray>{m_invalid, m_cutChinese}));
    EXPECT_EQ(contentOf(raw(m_invalid)), raw(m_invalid));
    EXPECT_EQ(contentOf(raw(m_cutChinese)), raw(m_cutChinese));
}
