#pragma once

#include "rename/DiskView.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <future>
#include <memory>
#include <vector>

// What reading ahead found for a list of paths: the folders among theirs
// that were not met before, read, and where each path stands in them.
struct ReadAhead
{
    struct Folder
    {
        QString path;
        FolderRead read; // indexed
    };
    QStringList paths;
    std::vector<Folder> folders; // first met first
    // Per path: its folder in `folders`, -1 for a folder met before.
    std::vector<qint32> folderOf;
    // Per path: its entry in that folder's listing, -1 for none, and the
    // entry's inode.
    std::vector<qint32> entryOf;
    std::vector<quint64> inodeOf;
};

// Reads the folders of the paths that are not among knownFolders, each once
// however many paths it holds, and looks every path up.
ReadAhead readAhead(FolderReader &reader, const QStringList &paths,
                    const QSet<QString> &knownFolders);

// The same on a thread of its own, while this one makes the paths' rows: a
// million rows in ten thousand folders take half a second to read.
class FolderReadAhead
{
public:
    FolderReadAhead(std::unique_ptr<FolderReader> reader, QStringList paths,
                    QSet<QString> knownFolders);
    // Waits for the reads; the thread is done when it returns.
    ~FolderReadAhead();
    FolderReadAhead(const FolderReadAhead &) = delete;
    FolderReadAhead &operator=(const FolderReadAhead &) = delete;

    // Waits for the reads; once only.
    ReadAhead take();

private:
    std::future<ReadAhead> m_result;
};
