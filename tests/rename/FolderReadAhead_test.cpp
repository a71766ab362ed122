#include "rename/FolderReadAhead.h"

#include "list/RowStore.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <random>
#include <thread>

namespace {

// The disk's own reader, telling which folders it read and on which thread.
class RecordingReader : public FolderReader
{
public:
    struct Log
    {
        std::mutex mutex;
        const std::thread::id main = std::this_thread::get_id();
        QStringList mainThread;
        QStringList otherThreads;
    };

    explicit RecordingReader(std::shared_ptr<Log> log)
        : m_disk(makeDiskFolderReader()), m_log(std::move(log))
    {}
    std::optional<FolderStamp> stamp(const QString &path) override { return m_disk->stamp(path); }
    FolderRead read(const QString &path) override
    {
        const std::lock_guard lock(m_log->mutex);
        (std::this_thread::get_id() == m_log->main ? m_log->mainThread : m_log->otherThreads)
            << path;
        return m_disk->read(path);
    }
    std::unique_ptr<FolderReader> another() const override
    {
        return std::make_unique<RecordingReader>(m_log);
    }

private:
    std::unique_ptr<FolderReader> m_disk;
    std::shared_ptr<Log> m_log;
};

// Where a row stands, told without the view's own numbering of folders.
QString placeOf(const DiskView &view, const RenameEntry &row)
{
    const DiskRef &disk = row.disk;
    if (disk.folder < 0)
        return QStringLiteral("nowhere");
    const DiskView::Folder &folder = view.folder(disk.folder);
    const QString id =
        QStringLiteral("%1:%2").arg(folder.read.stamp.id.device).arg(folder.read.stamp.id.inode);
    const QString entry = disk.entry >= 0 ? folder.read.listing.name(disk.entry).toString()
                                          : QString::number(disk.entry);
    return id + u'|' + entry + u'|' + QString::number(row.inode);
}

TEST(FolderReadAhead, RowsOfALargeDropStandWhereTheyWouldWithoutItAndNoFolderIsReadTwice)
{
    const QTemporaryDir tmp;
    const QDir dir(tmp.path());
    const auto path = [&](const QString &name) { return dir.filePath(name); };
    QStringList paths;
    for (int i = 0; i < 700; ++i)
        paths << path(QStringLiteral("a/%1.jpg").arg(i));
    for (int i = 0; i < 400; ++i)
        paths << path(QStringLiteral("b/%1.txt").arg(i));
    for (int i = 0; i < 200; ++i)
        paths << path(QStringLiteral("known/%1").arg(i));
    for (const QString &file : std::as_const(paths))
        testsupport::writeFile(file, file.toUtf8());
    ASSERT_TRUE(QFile::link(path("a"), path("link")));
    // Another spelling of a folder, names that are not on disk, a folder
    // that is not there, and a file standing where a folder is expected.
    for (int i = 0; i < 100; ++i)
        paths << path(QStringLiteral("link/%1.jpg").arg(i + 650));
    paths << path("a/missing.jpg") << path("gone/1.txt") << path("gone/2.txt")
          << path("b/0.txt/inner");
    std::shuffle(paths.begin(), paths.end(), std::mt19937(7));

    // Both views met one folder of the drop before, through an earlier row.
    auto log = std::make_shared<RecordingReader::Log>();
    DiskView ahead(std::make_unique<RecordingReader>(log));
    DiskView plain(std::make_unique<RecordingReader>(std::make_shared<RecordingReader::Log>()));
    RowStore aheadRows, plainRows;
    for (auto [view, rows] : {std::pair{&ahead, &aheadRows}, std::pair{&plain, &plainRows}}) {
        rows->appendPaths({path("known/earlier")});
        view->resolve(*rows, 0, 0);
    }
    log->mainThread.clear();

    // Read ahead as soon as the paths are known; looked up once the rows'
    // order (by the numbers in their names) is told, as a drop does; the
    // new rows are looked up as they come, before the list is sorted.
    QObject::connect(&aheadRows, &RowStore::pathsAboutToBeAppended, &aheadRows,
                     [&](const QStringList &made, const std::vector<int> &order) {
                         ahead.expectRows(made, order);
                     });
    for (auto [view, rows] : {std::pair{&ahead, &aheadRows}, std::pair{&plain, &plainRows}})
        QObject::connect(rows, &RowStore::rowsInserted, rows,
                         [view, rows](int first, int last) { view->resolve(*rows, first, last); });
    ahead.readAhead(paths);
    aheadRows.appendAndSortByKey(paths, Qt::DescendingOrder);
    plainRows.appendAndSortByKey(paths, Qt::DescendingOrder);

    ASSERT_EQ(aheadRows.count(), plainRows.count());
    for (int r = 0; r < aheadRows.count(); ++r)
        ASSERT_EQ(placeOf(ahead, aheadRows.entry(r)).toStdString(),
                  placeOf(plain, plainRows.entry(r)).toStdString())
            << aheadRows.entry(r).fullPath.toStdString();
    EXPECT_EQ(ahead.folderCount(), plain.folderCount());
    EXPECT_EQ(ahead.entryCount(), plain.entryCount());

    // Every new spelling was read once, on the other thread; the folder met
    // before was not read again.
    QStringList readAhead = log->otherThreads;
    readAhead.sort();
    EXPECT_EQ(readAhead,
              QStringList({path("a"), path("b"), path("b/0.txt"), path("gone"), path("link")}));
    EXPECT_EQ(log->mainThread, QStringList());

    // Rows entered later are looked up as before, on this thread.
    aheadRows.appendPaths({path("b/1.txt"), path("c/new")});
    ahead.resolve(aheadRows, aheadRows.count() - 2, aheadRows.count() - 1);
    EXPECT_EQ(log->mainThread, QStringList({path("c")}));
    EXPECT_GE(aheadRows.entry(aheadRows.count() - 2).disk.entry, 0);
}

TEST(FolderReadAhead, AReadAheadForOtherPathsIsStoppedAndNotTaken)
{
    const QTemporaryDir tmp;
    QStringList foreseen, dropped;
    for (int i = 0; i < 1200; ++i) {
        foreseen << QDir(tmp.path()).filePath(QStringLiteral("f/%1").arg(i));
        dropped << QDir(tmp.path()).filePath(QStringLiteral("g/x%1").arg(i));
    }
    for (const QString &file : foreseen + dropped)
        testsupport::writeFile(file);
    // Read ahead for one list, then rows made of another (as when a drop
    // held paths listed before): the first read stops, the rows' own
    // folders are read ahead instead.
    auto log = std::make_shared<RecordingReader::Log>();
    DiskView view(std::make_unique<RecordingReader>(log));
    RowStore rows;
    QObject::connect(&rows, &RowStore::pathsAboutToBeAppended, &rows,
                     [&](const QStringList &made, const std::vector<int> &order) {
                         view.expectRows(made, order);
                     });
    view.readAhead(foreseen);
    rows.appendPaths(dropped);
    view.resolve(rows, 0, rows.count() - 1);
    EXPECT_EQ(log->mainThread, QStringList());
    EXPECT_TRUE(log->otherThreads.contains(QDir(tmp.path()).filePath("g")));
    for (int r = 0; r < rows.count(); ++r) {
        const DiskRef &disk = rows.entry(r).disk;
        ASSERT_GE(disk.entry, 0) << r;
        ASSERT_EQ(view.folder(disk.folder).read.listing.name(disk.entry).toString(),
                  QStringLiteral("x%1").arg(r));
    }
}

} // namespace
