#pragma once

#include "rename/NameTable.h"

#include <QHash>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class FolderReadAhead;
class RowStore;
struct RenameEntry;

// The identity of a file or folder: its device and inode.
struct FileId
{
    quint64 device = 0;
    quint64 inode = 0;
    bool isValid() const { return inode != 0; }
    friend bool operator==(const FileId &, const FileId &) = default;
};

inline size_t qHash(const FileId &id, size_t seed = 0)
{
    return qHashMulti(seed, id.device, id.inode);
}

// A folder's identity with the times its inode gives for its last change:
// while they stay the same, so do the folder's names.
struct FolderStamp
{
    FileId id;
    qint64 modified = 0; // nanoseconds since the epoch
    qint64 changed = 0;
    friend bool operator==(const FolderStamp &, const FolderStamp &) = default;
};

// The names in one folder with the inode and kind of each entry, as one
// read of the folder gave them.
class FolderListing
{
public:
    enum class Kind : quint8 { Unknown, Folder, Link, Other };

    int count() const { return m_names.count(); }
    // Room for this many entries, with names of this many characters in all
    // (UTF-16 units; a name's UTF-8 bytes are at least as many).
    void reserve(int entries, size_t characters);
    int find(const NameKey &key) const { return m_names.find(key); }
    int find(QStringView name) const { return m_names.find(name); }
    void prefetch(quint64 hash) const { m_names.prefetch(hash); }
    void prefetchName(int entry) const { m_names.prefetchName(entry); }
    QStringView name(int entry) const { return m_names.name(entry); }
    bool removed(int entry) const { return m_names.removed(entry); }
    quint64 inode(int entry) const { return m_inodes[size_t(entry)]; }
    Kind kind(int entry) const { return m_kinds[size_t(entry)]; }

    int add(QStringView name, quint64 inode, Kind kind);
    void rename(int entry, QStringView name);
    void remove(int entry);
    // Another entry under the same name.
    void replace(int entry, quint64 inode, Kind kind);
    // A read adds its names in bulk and builds the look-up once at the end.
    int addUnindexed(QStringView name, quint64 inode, Kind kind);
    void index() { m_names.index(); }

    // An entry whose name is not key but reads the same once both are in
    // Unicode's composed form (NFC); -1 when there is none.
    int findLookalike(const NameKey &key) const;

private:
    NameTable m_names;
    std::vector<quint64> m_inodes;
    std::vector<Kind> m_kinds;
    // The composed forms of the names that are not composed already, built
    // when first asked for: on Linux nearly every name is.
    mutable NameTable m_composed;
    mutable std::vector<int> m_composedEntry;
    mutable bool m_composedBuilt = false;
};

// One read of a folder.
struct FolderRead
{
    enum class State : quint8 {
        Missing,    // no folder at the path
        Unreadable, // a folder whose names could not be read
        Listed,
    };
    State state = State::Missing;
    FolderStamp stamp;
    // False where inode numbers are made up afresh and say nothing about
    // identity (FAT, exFAT, most FUSE file systems).
    bool stableInodes = true;
    // A local file system whose folder times change with every change of
    // names, to the nanosecond.
    bool reliableStamps = false;
    // True when an unchanged stamp proves unchanged names: reliable stamps,
    // and a folder left alone for long enough before the read that a later
    // change cannot share its timestamp.
    bool stampTrusted = false;
    FolderListing listing;
};

// How the view reads folders; tests give it folders that live in memory.
class FolderReader
{
public:
    virtual ~FolderReader() = default;
    // The stamp of the folder the path names (links followed), if there is one.
    virtual std::optional<FolderStamp> stamp(const QString &path) = 0;
    virtual FolderRead read(const QString &path) = 0;
    // A reader of its own for another thread; none where reads cannot be
    // shared out.
    virtual std::unique_ptr<FolderReader> another() const { return nullptr; }
};

// Reads the real disk: one getdents pass per folder, never a stat per entry.
std::unique_ptr<FolderReader> makeDiskFolderReader();

// What the rename plan knows of the disk: one listing per folder that holds
// rows, shared by every spelling of that folder, and for every row where its
// entry stands in it (RenameEntry::disk). Made when rows enter the list and
// renewed, where the folders' stamps say so, by refresh().
class DiskView
{
public:
    struct Folder
    {
        FolderRead read;
        QString path;       // one spelling, the first met
        int firstEntry = 0; // where its entries start in a numbering of all entries
    };

    explicit DiskView(std::unique_ptr<FolderReader> reader = makeDiskFolderReader());
    ~DiskView();
    DiskView(const DiskView &) = delete;
    DiskView &operator=(const DiskView &) = delete;

    int folderCount() const { return int(m_folders.size()); }
    const Folder &folder(int index) const { return m_folders[size_t(index)]; }
    // Entries of every folder, numbered one after the other (Folder::firstEntry).
    int entryCount() const { return m_entryCount; }
    // Grows with every change of the folders or of where rows stand in them.
    quint64 generation() const { return m_generation; }

    // The folder a path names, when that path was met; -1 otherwise.
    int knownFolder(QStringView path) const;
    // The same, reading the folder when it is new.
    int folderFor(QStringView path);

    // Rows of these paths are about to be made, at the end of the list:
    // when they are many, their folders are read on another thread
    // meanwhile, and the paths looked up there once expectRows() tells the
    // order of the rows, for resolve() to take.
    void readAhead(const QStringList &paths);
    // The rows are made now: the k-th of paths[order[k]] (paths[k] where
    // order is empty). Reads ahead for them when readAhead() did not.
    void expectRows(const QStringList &paths, const std::vector<int> &order);
    // Looks up the rows [first, last], reading the folders met for the first time.
    void resolve(RowStore &store, int first, int last);
    void resolve(RowStore &store, const std::vector<int> &rows);
    // Reads again every folder whose stamp changed or cannot be trusted, and
    // looks every row up again when any did. True when anything changed.
    bool refresh(RowStore &store);
    // Forgets everything (the list was cleared).
    void clear();

    // A batch moved an entry: the listings follow without a read.
    // Returns the entry's number in the folder it is in now.
    int moveEntry(int folder, int entry, int toFolder, QStringView newName);
    // After the moves of a batch: the listings' look-ups are rebuilt and the
    // folders' stamps renewed; the spellings under a renamed folder follow it.
    void finishMoves(const std::vector<std::pair<QString, QString>> &renamedFolders);

private:
    int addFolder(const QString &path, FolderRead read);
    bool merge(int folder, FolderRead fresh, std::vector<std::vector<bool>> &changed);
    void rebuild(RowStore &store, const std::vector<bool> &current);
    int folderOf(const FolderStamp *stamp, const QString &path);
    void resolveRow(RenameEntry &row, int folder) const;
    // The same with the row's entry looked up already (-1 for none), and
    // that entry's inode.
    void placeRow(RenameEntry &row, int folder, int entry, quint64 inode) const;
    // The view's folder for a path whose folder was just read (here, or
    // ahead), and whether that read became the folder's listing (not so for
    // another spelling of a folder met before).
    std::pair<int, bool> adopt(const QString &path, FolderRead &read);
    void number();

    std::unique_ptr<FolderReader> m_reader;
    std::vector<Folder> m_folders;
    // Every folder path met, and the folder it named.
    NameTable m_paths;
    std::vector<int> m_pathFolder;
    QHash<FileId, int> m_byId;
    // While refresh() starts afresh: the listings that are still current.
    QHash<FileId, FolderRead> m_reusable;
    std::vector<bool> m_touched;
    std::unique_ptr<FolderReadAhead> m_ahead;
    int m_entryCount = 0;
    quint64 m_generation = 0;
};

// The folder part of a row's path: all before the last "/", "/" for an entry
// at the top.
QStringView folderPartOf(QStringView path);
QStringView namePartOf(QStringView path);
