#pragma once

#include "rename/DiskView.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <future>
#include <memory>
#include <optional>
#include <vector>

// What reading ahead found for a list of paths: the folders among theirs
// that were not met before, read, and where the path of each row to be made
// of them stands in them.
struct ReadAhead
{
    struct Folder
    {
        QString path;
        FolderRead read; // indexed
    };
    QStringList paths;
    // Row k is made of paths[order[k]] (of paths[k] where order is empty).
    std::vector<int> order;
    std::vector<Folder> folders; // first met first
    // Per row: its folder in `folders`, -1 for a folder met before; its
    // entry in that folder's listing, -1 for none; and that entry's inode.
    std::vector<qint32> folderOf;
    std::vector<qint32> entryOf;
    std::vector<quint64> inodeOf;

    qsizetype rowCount() const { return qsizetype(folderOf.size()); }
    const QString &pathOfRow(qsizetype row) const
    {
        return paths.at(order.empty() ? row : order[size_t(row)]);
    }

    // Reads the folders of the paths that are not among knownFolders, each
    // once however many paths it holds, in the order the paths name them.
    void readFolders(FolderReader &reader, const QSet<QString> &knownFolders,
                     const std::atomic<bool> *cancelled = nullptr);
    // Then looks the path of every row up, in the order of the rows.
    void lookUpRows();

private:
    QHash<QStringView, qint32> m_folderIndex; // views into `paths`
};

// The same on a thread of its own: the folders are read as soon as the paths
// are known, while they are ordered and their rows made (a million rows in
// ten thousand folders take half a second to read), and the rows are looked
// up once their order is given.
class FolderReadAhead
{
public:
    FolderReadAhead(std::unique_ptr<FolderReader> reader, QStringList paths,
                    QSet<QString> knownFolders);
    // Stops the thread and waits for it: what it read is not needed.
    ~FolderReadAhead();
    FolderReadAhead(const FolderReadAhead &) = delete;
    FolderReadAhead &operator=(const FolderReadAhead &) = delete;

    const QStringList &paths() const { return m_paths; }
    // The rows will be made in this order (see ReadAhead::order); once only.
    void setOrder(std::vector<int> order);
    // Waits for the look-ups; empty when no order was given.
    ReadAhead take();

private:
    QStringList m_paths;
    std::atomic<bool> m_cancelled = false;
    std::promise<std::optional<std::vector<int>>> m_order;
    bool m_orderGiven = false;
    std::future<ReadAhead> m_result;
};
