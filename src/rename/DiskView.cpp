#include "rename/DiskView.h"
#include "list/PathPart.h"

#include "list/RowStore.h"
#include "rename/FolderReadAhead.h"
#include "shared/UniqueFd.h"

#include <QFile>
#include <QHash>

#include <cerrno>
#include <climits>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <system_error>

namespace {

qint64 nanoseconds(const timespec &t)
{
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

FolderStamp stampOf(const struct stat &st)
{
    return FolderStamp{FileId{quint64(st.st_dev), quint64(st.st_ino)}, nanoseconds(st.st_mtim),
                       nanoseconds(st.st_ctim)};
}

// File systems that make inode numbers up as they go: the number of an entry
// may differ from one read to the next, so it cannot tell two files apart.
bool hasStableInodes(long type)
{
    switch (type) {
    case 0x4d44:     // FAT
    case 0x2011BAB0: // exFAT
    case 0x65735546: // FUSE
        return false;
    default:
        return true;
    }
}

// Local file systems whose folder times change with every change of names
// and are kept to the nanosecond; elsewhere (network, FUSE, FAT with its two
// seconds) only a new read tells.
bool hasTrustworthyStamps(long type)
{
    switch (type) {
    case 0xEF53:     // ext2, ext3, ext4
    case 0x58465342: // XFS
    case 0x9123683E: // Btrfs
    case 0x01021994: // tmpfs
    case 0x858458f6: // ramfs
    case 0xF2F52010: // F2FS
    case 0x2FC12FC1: // ZFS
    case 0xca451a4e: // bcachefs
        return true;
    default:
        return false;
    }
}

// A change made within the same tick of the file system's clock as our read
// would leave the stamp as it was; a folder left alone this long before the
// read cannot hide one. (Some ext4 file systems keep whole seconds.)
constexpr qint64 kQuietBeforeTrust = 2'000'000'000;

qint64 wallClockNow()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return nanoseconds(now);
}

class DiskFolderReader : public FolderReader
{
public:
    std::optional<FolderStamp> stamp(const QString &path) override
    {
        struct stat st
        {
        };
        if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            return std::nullopt;
        return stampOf(st);
    }

    std::unique_ptr<FolderReader> another() const override
    {
        return std::make_unique<DiskFolderReader>();
    }

    FolderRead read(const QString &path) override
    {
        FolderRead result;
        const QByteArray native = QFile::encodeName(path);
        const UniqueFd folder(::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat st
        {
        };
        if (!folder.isValid()) {
            // A folder we may not read still has entries the rename can reach.
            if (::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
                result.state = FolderRead::State::Unreadable;
                result.stamp = stampOf(st);
            }
            return result;
        }
        if (::fstat(folder.get(), &st) != 0 || !fileSystemOf(folder.get(), st.st_dev)) {
            result.state = FolderRead::State::Unreadable;
            return result;
        }
        result.stamp = stampOf(st);
        result.stableInodes = hasStableInodes(m_fsType);
        result.state = readNames(folder.get(), result.listing) ? FolderRead::State::Listed
                                                               : FolderRead::State::Unreadable;
        const qint64 lastChange = std::max(result.stamp.modified, result.stamp.changed);
        result.reliableStamps = hasTrustworthyStamps(m_fsType);
        result.stampTrusted = result.state == FolderRead::State::Listed && result.reliableStamps &&
                              wallClockNow() - lastChange >= kQuietBeforeTrust;
        return result;
    }

private:
    // The kind of file system a folder is on, asked once a device.
    bool fileSystemOf(int fd, dev_t device)
    {
        if (m_fsDevice && *m_fsDevice == device)
            return true;
        struct statfs fs
        {
        };
        if (::fstatfs(fd, &fs) != 0)
            return false;
        m_fsDevice = device;
        m_fsType = long(fs.f_type);
        return true;
    }

    // One getdents64 pass: names with their inode numbers and kinds, no stat.
    // The whole folder is read first, so that the listing is sized once:
    // grown by doubling, the names of a folder of 100,000 were copied again
    // and again into fresh memory, most of the read's time.
    bool readNames(int fd, FolderListing &listing)
    {
        constexpr qsizetype kBatch = 64 * 1024;
        qsizetype used = 0;
        for (;;) {
            if (m_buffer.size() - used < kBatch)
                m_buffer.resize(std::max(m_buffer.size() * 2, used + kBatch));
            const long got =
                ::syscall(SYS_getdents64, fd, m_buffer.data() + used, m_buffer.size() - used);
            if (got < 0)
                return false;
            if (got == 0)
                break;
            used += got;
        }
        int entries = 0;
        size_t characters = 0;
        for (qsizetype offset = 0; offset < used; ++entries) {
            const auto *entry = reinterpret_cast<const dirent64 *>(m_buffer.data() + offset);
            offset += entry->d_reclen;
            characters += std::strlen(entry->d_name);
        }
        listing.reserve(entries, characters);
        for (qsizetype offset = 0; offset < used;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(m_buffer.data() + offset);
            offset += entry->d_reclen;
            addEntry(listing, entry);
        }
        // What one huge folder needed is not kept for all the others.
        if (m_buffer.size() > 4 * 1024 * 1024)
            m_buffer = QByteArray();
        return true;
    }

    void addEntry(FolderListing &listing, const dirent64 *entry)
    {
        const char *name = entry->d_name;
        const size_t length = std::strlen(name);
        if ((length == 1 && name[0] == '.') || (length == 2 && name[0] == '.' && name[1] == '.'))
            return;
        bool ascii = true;
        for (size_t i = 0; i < length && ascii; ++i)
            ascii = quint8(name[i]) < 0x80;
        QStringView text;
        if (ascii) {
            m_name.resize(qsizetype(length));
            char16_t *out = reinterpret_cast<char16_t *>(m_name.data());
            for (size_t i = 0; i < length; ++i)
                out[i] = char16_t(name[i]);
            text = m_name;
        } else {
            m_name = QString::fromUtf8(name, qsizetype(length));
            // Bytes that are not UTF-8 decode to a name that is another
            // file's, or none: such an entry cannot be a row's, nor be met.
            if (m_name.contains(QChar::ReplacementCharacter) &&
                QFile::encodeName(m_name) != QByteArrayView(name, qsizetype(length)))
                return;
            text = m_name;
        }
        const FolderListing::Kind kind = entry->d_type == DT_DIR   ? FolderListing::Kind::Folder
                                         : entry->d_type == DT_LNK ? FolderListing::Kind::Link
                                         : entry->d_type == DT_UNKNOWN
                                             ? FolderListing::Kind::Unknown
                                             : FolderListing::Kind::Other;
        listing.addUnindexed(text, quint64(entry->d_ino), kind);
    }

    QByteArray m_buffer;
    QString m_name;
    std::optional<dev_t> m_fsDevice;
    long m_fsType = 0;
};

} // namespace

std::unique_ptr<FolderReader> makeDiskFolderReader()
{
    return std::make_unique<DiskFolderReader>();
}

QStringView folderPartOf(QStringView path)
{
    const qsizetype slash = lastIndexOfChar(path, u'/');
    if (slash < 0)
        return QStringView();
    return slash == 0 ? path.left(1) : path.left(slash);
}

QStringView namePartOf(QStringView path)
{
    return path.mid(lastIndexOfChar(path, u'/') + 1);
}

// FolderListing

void FolderListing::reserve(int entries, size_t characters)
{
    m_names.reserve(entries, characters);
    m_inodes.reserve(size_t(entries));
    m_kinds.reserve(size_t(entries));
}

int FolderListing::add(QStringView name, quint64 inode, Kind kind)
{
    m_inodes.push_back(inode);
    m_kinds.push_back(kind);
    m_composedBuilt = false;
    return m_names.add(name);
}

int FolderListing::addUnindexed(QStringView name, quint64 inode, Kind kind)
{
    m_inodes.push_back(inode);
    m_kinds.push_back(kind);
    m_composedBuilt = false;
    return m_names.addUnindexed(name);
}

void FolderListing::replace(int entry, quint64 inode, Kind kind)
{
    m_inodes[size_t(entry)] = inode;
    m_kinds[size_t(entry)] = kind;
}

void FolderListing::rename(int entry, QStringView name)
{
    m_names.rename(entry, name);
    m_composedBuilt = false;
}

void FolderListing::remove(int entry)
{
    m_names.remove(entry);
    m_composedBuilt = false;
}

namespace {

// Characters that are in composed form (NFC) and never combine with their
// neighbours: a name made only of them is its own composed form. Covers
// plain and Latin-1 letters, CJK ideographs, kana without sound marks, Hangul
// syllables and full-width forms; everything else takes the slow way.
bool isInertForComposition(char16_t c)
{
    return c < 0x0300 || (c >= 0x3000 && c < 0x302A) || (c >= 0x3041 && c < 0x3099) ||
           (c >= 0x309B && c < 0x3100) || (c >= 0x3400 && c < 0x4DC0) ||
           (c >= 0x4E00 && c < 0xA000) || (c >= 0xAC00 && c < 0xD7A4) ||
           (c >= 0xFF00 && c < 0xFFF0);
}

bool isInertForComposition(QStringView text)
{
    for (const QChar c : text) {
        if (!isInertForComposition(c.unicode()))
            return false;
    }
    return true;
}

} // namespace

int FolderListing::findLookalike(const NameKey &key) const
{
    if (!m_composedBuilt) {
        m_composed = NameTable();
        m_composedEntry.clear();
        for (int e = 0; e < count(); ++e) {
            if (removed(e) || isInertForComposition(name(e)))
                continue;
            const QString composed = name(e).toString().normalized(QString::NormalizationForm_C);
            if (composed != name(e)) {
                m_composed.add(composed);
                m_composedEntry.push_back(e);
            }
        }
        m_composedBuilt = true;
    }
    const auto differentEntry = [&](int e) { return e >= 0 && !key.equals(name(e)) ? e : -1; };
    if (isInertForComposition(key.head()) && isInertForComposition(key.tail())) {
        // The key is composed already: only a name that is not can look like it.
        const int c = m_composed.find(key);
        return c < 0 ? -1 : differentEntry(m_composedEntry[size_t(c)]);
    }
    const QString composed = key.toString().normalized(QString::NormalizationForm_C);
    const int plain = differentEntry(find(QStringView(composed)));
    if (plain >= 0)
        return plain;
    const int c = m_composed.find(QStringView(composed));
    return c < 0 ? -1 : differentEntry(m_composedEntry[size_t(c)]);
}

// DiskView

DiskView::DiskView(std::unique_ptr<FolderReader> reader) : m_reader(std::move(reader))
{}

DiskView::~DiskView() = default;

int DiskView::knownFolder(QStringView path) const
{
    const int i = m_paths.find(path);
    return i < 0 ? -1 : m_pathFolder[size_t(i)];
}

int DiskView::folderFor(QStringView path)
{
    const int known = knownFolder(path);
    if (known >= 0)
        return known;
    const QString text = path.toString();
    if (m_reusable.isEmpty()) {
        // Read at once: the read tells the folder's identity too, and
        // another spelling of a folder met before is rare.
        FolderRead read = m_reader->read(text);
        return adopt(text, read).first;
    }
    const std::optional<FolderStamp> stamp = m_reader->stamp(text);
    const int folder = folderOf(stamp ? &*stamp : nullptr, text);
    m_paths.add(path);
    m_pathFolder.push_back(folder);
    return folder;
}

int DiskView::folderOf(const FolderStamp *stamp, const QString &path)
{
    if (stamp) {
        const auto known = m_byId.constFind(stamp->id);
        if (known != m_byId.constEnd())
            return *known;
        const auto current = m_reusable.find(stamp->id);
        if (current != m_reusable.end() && current->stamp == *stamp) {
            FolderRead read = std::move(*current);
            m_reusable.erase(current);
            return addFolder(path, std::move(read));
        }
    }
    return addFolder(path, m_reader->read(path));
}

int DiskView::addFolder(const QString &path, FolderRead read)
{
    Folder folder;
    folder.read = std::move(read);
    folder.read.listing.index();
    folder.path = path;
    folder.firstEntry = m_entryCount;
    m_entryCount += folder.read.listing.count();
    const int index = int(m_folders.size());
    if (folder.read.state != FolderRead::State::Missing)
        m_byId.insert(folder.read.stamp.id, index);
    m_folders.push_back(std::move(folder));
    m_touched.push_back(false);
    return index;
}

void DiskView::number()
{
    ++m_generation;
    m_entryCount = 0;
    for (Folder &folder : m_folders) {
        folder.firstEntry = m_entryCount;
        m_entryCount += folder.read.listing.count();
    }
}

void DiskView::resolveRow(RenameEntry &row, int folder) const
{
    const FolderRead &read = m_folders[size_t(folder)].read;
    const int entry =
        read.state == FolderRead::State::Listed ? read.listing.find(namePartOf(row.fullPath)) : -1;
    placeRow(row, folder, entry, entry >= 0 ? read.listing.inode(entry) : 0);
}

void DiskView::placeRow(RenameEntry &row, int folder, int entry, quint64 inode) const
{
    DiskRef &disk = row.disk;
    disk.folder = folder;
    const FolderRead &read = m_folders[size_t(folder)].read;
    switch (read.state) {
    case FolderRead::State::Missing:
        disk.entry = DiskRef::Missing;
        return;
    case FolderRead::State::Unreadable:
        disk.entry = DiskRef::Unknown;
        return;
    case FolderRead::State::Listed:
        break;
    }
    if (entry < 0) {
        disk.entry = DiskRef::Missing;
    } else if (row.inode == 0) {
        // First sight of the entry: from now on it is the row's.
        row.inode = inode;
        disk.entry = entry;
    } else if (read.stableInodes && inode != row.inode) {
        disk.entry = DiskRef::Replaced;
    } else {
        disk.entry = entry;
    }
}

void DiskView::resolve(RowStore &store, const std::vector<int> &rows)
{
    for (const int row : rows) {
        store.updateRowState(row, row, [this](RenameEntry &e, int) {
            resolveRow(e, folderFor(folderPartOf(e.fullPath)));
        });
    }
    number();
}

void DiskView::readAhead(const QStringList &paths)
{
    // Below this many rows, making them takes less than starting a thread.
    constexpr qsizetype kReadAheadFrom = 1000;
    m_ahead.reset();
    std::unique_ptr<FolderReader> reader = m_reader->another();
    if (paths.size() < kReadAheadFrom || !reader || !m_reusable.isEmpty())
        return;
    // The other thread gets the folders met so far as a copy of its own:
    // this view changes meanwhile.
    QSet<QString> known;
    known.reserve(m_paths.count());
    for (int i = 0; i < m_paths.count(); ++i)
        known.insert(m_paths.name(i).toString());
    try {
        m_ahead = std::make_unique<FolderReadAhead>(std::move(reader), paths, std::move(known));
    } catch (const std::system_error &) {
        // No thread to be had: the folders are read as the rows need them.
    }
}

void DiskView::expectRows(const QStringList &paths, const std::vector<int> &order)
{
    // The read ahead of these very paths (not of equal texts) goes on with
    // their order; other rows are read ahead for now, if they are many.
    if (m_ahead && m_ahead->paths().constData() == paths.constData() &&
        m_ahead->paths().size() == paths.size()) {
        m_ahead->setOrder(order);
        return;
    }
    readAhead(paths);
    if (m_ahead)
        m_ahead->setOrder(order);
}

std::pair<int, bool> DiskView::adopt(const QString &path, FolderRead &read)
{
    const int known = knownFolder(path);
    if (known >= 0)
        return {known, false};
    const auto sameFolder = read.state == FolderRead::State::Missing
                                ? m_byId.constEnd()
                                : m_byId.constFind(read.stamp.id);
    const bool adopted = sameFolder == m_byId.constEnd();
    const int folder = adopted ? addFolder(path, std::move(read)) : *sameFolder;
    m_paths.add(path);
    m_pathFolder.push_back(folder);
    return {folder, adopted};
}

void DiskView::resolve(RowStore &store, int first, int last)
{
    // What was read ahead serves only the rows it was read for, made of
    // the very paths it looked up.
    ReadAhead ahead;
    if (m_ahead) {
        ahead = m_ahead->take();
        m_ahead.reset();
    }
    const bool useAhead = m_reusable.isEmpty() && ahead.rowCount() == last - first + 1;
    // Per folder read ahead: the view's folder, -1 until the first row asks,
    // and whether its listing is the one the paths were looked up in.
    std::vector<std::pair<int, bool>> aheadFolder(ahead.folders.size(), {-1, false});

    // Rows come folder by folder: most share the folder of the row before.
    QStringView lastText;
    int lastFolder = -1;
    store.updateRowState(first, last, [&](RenameEntry &row, int r) {
        const qsizetype i = r - first;
        if (useAhead && row.fullPath.constData() == ahead.pathOfRow(i).constData() &&
            ahead.folderOf[size_t(i)] >= 0) {
            const qint32 a = ahead.folderOf[size_t(i)];
            std::pair<int, bool> &folder = aheadFolder[size_t(a)];
            if (folder.first < 0)
                folder = adopt(ahead.folders[size_t(a)].path, ahead.folders[size_t(a)].read);
            if (folder.second) {
                placeRow(row, folder.first, ahead.entryOf[size_t(i)], ahead.inodeOf[size_t(i)]);
                return;
            }
        }
        const QStringView text = folderPartOf(row.fullPath);
        if (lastFolder < 0 || text != lastText) {
            lastFolder = folderFor(text);
            lastText = text;
        }
        resolveRow(row, lastFolder);
    });
    number();
}

bool DiskView::refresh(RowStore &store)
{
    // A view that has met no folder yet has rows to look up, if any.
    if (m_paths.count() == 0) {
        clear();
        if (store.count() > 0)
            resolve(store, 0, store.count() - 1);
        return store.count() > 0;
    }
    // Each spelling must still name its folder; a listed folder whose stamp
    // is the one read (and can be trusted) is current, another is read again.
    enum : quint8 { Unchecked, Current, ReadAgain };
    std::vector<quint8> status(m_folders.size(), Unchecked);
    bool structure = false;
    for (int i = 0; i < m_paths.count(); ++i) {
        const int folder = m_pathFolder[size_t(i)];
        const FolderRead &read = m_folders[size_t(folder)].read;
        const std::optional<FolderStamp> stamp = m_reader->stamp(m_paths.name(i).toString());
        const bool missing = read.state == FolderRead::State::Missing;
        if (!stamp || missing || stamp->id != read.stamp.id) {
            structure = structure || !(missing && !stamp);
            continue;
        }
        quint8 &s = status[size_t(folder)];
        if (read.state != FolderRead::State::Listed)
            structure = true;
        else if (read.stampTrusted && *stamp == read.stamp)
            s = std::max<quint8>(s, Current);
        else
            s = ReadAgain;
    }
    std::vector<std::vector<bool>> changed(m_folders.size());
    bool anyChange = false;
    for (size_t f = 0; f < m_folders.size() && !structure; ++f) {
        if (status[f] != ReadAgain)
            continue;
        FolderRead fresh = m_reader->read(m_folders[f].path);
        if (fresh.state != FolderRead::State::Listed ||
            fresh.stamp.id != m_folders[f].read.stamp.id)
            structure = true;
        else
            anyChange = merge(int(f), std::move(fresh), changed) || anyChange;
    }
    if (structure) {
        std::vector<bool> current(m_folders.size());
        for (size_t f = 0; f < m_folders.size(); ++f)
            current[f] = status[f] == Current;
        rebuild(store, current);
        return true;
    }
    if (!anyChange)
        return false;
    // Only the rows whose entries changed, or that had none, look again.
    number();
    store.updateRowState(0, store.count() - 1, [&](RenameEntry &row, int) {
        const DiskRef &disk = row.disk;
        if (disk.folder < 0 || changed[size_t(disk.folder)].empty())
            return;
        if (disk.entry < 0 || changed[size_t(disk.folder)][size_t(disk.entry)])
            resolveRow(row, disk.folder);
    });
    return true;
}

bool DiskView::merge(int folder, FolderRead fresh, std::vector<std::vector<bool>> &changed)
{
    // The fresh read against the listing: what is still there keeps its
    // number, so that the rows pointing at it need not look again.
    FolderRead &read = m_folders[size_t(folder)].read;
    FolderListing &listing = read.listing;
    std::vector<bool> seen(size_t(listing.count()), false);
    std::vector<bool> &touched = changed[size_t(folder)];
    const auto touch = [&](int entry) {
        if (touched.size() <= size_t(entry))
            touched.resize(size_t(listing.count()), false);
        touched[size_t(entry)] = true;
    };
    bool any = false;
    const FolderListing &now = fresh.listing;
    for (int n = 0; n < now.count(); ++n) {
        // A folder read again lists most names where it listed them before.
        const QStringView name = now.name(n);
        const int entry = n < listing.count() && !listing.removed(n) && listing.name(n) == name
                              ? n
                              : listing.find(name);
        if (entry < 0) {
            touch(listing.add(now.name(n), now.inode(n), now.kind(n)));
            any = true;
            continue;
        }
        seen[size_t(entry)] = true;
        if (listing.inode(entry) != now.inode(n) || listing.kind(entry) != now.kind(n)) {
            listing.replace(entry, now.inode(n), now.kind(n));
            touch(entry);
            any = true;
        }
    }
    for (int entry = 0; entry < int(seen.size()); ++entry) {
        if (!seen[size_t(entry)] && !listing.removed(entry)) {
            listing.remove(entry);
            touch(entry);
            any = true;
        }
    }
    // Rows that found nothing in this folder may find something now.
    if (any && touched.size() < size_t(listing.count()))
        touched.resize(size_t(listing.count()), false);
    read.stamp = fresh.stamp;
    read.stampTrusted = fresh.stampTrusted;
    read.reliableStamps = fresh.reliableStamps;
    read.stableInodes = fresh.stableInodes;
    return any;
}

void DiskView::rebuild(RowStore &store, const std::vector<bool> &current)
{
    // Start afresh, keeping the listings that are still current.
    QHash<FileId, FolderRead> reusable;
    for (size_t i = 0; i < m_folders.size(); ++i) {
        if (current[i])
            reusable.insert(m_folders[i].read.stamp.id, std::move(m_folders[i].read));
    }
    clear();
    m_reusable = std::move(reusable);
    if (store.count() > 0)
        resolve(store, 0, store.count() - 1);
    m_reusable.clear();
}

void DiskView::clear()
{
    m_ahead.reset();
    ++m_generation;
    m_folders.clear();
    m_paths = NameTable();
    m_pathFolder.clear();
    m_byId.clear();
    m_touched.clear();
    m_entryCount = 0;
}

int DiskView::moveEntry(int folder, int entry, int toFolder, QStringView newName)
{
    FolderListing &from = m_folders[size_t(folder)].read.listing;
    m_touched[size_t(folder)] = true;
    if (folder == toFolder) {
        from.rename(entry, newName);
        return entry;
    }
    m_touched[size_t(toFolder)] = true;
    const int moved =
        m_folders[size_t(toFolder)].read.listing.add(newName, from.inode(entry), from.kind(entry));
    from.remove(entry);
    return moved;
}

void DiskView::finishMoves(const std::vector<std::pair<QString, QString>> &renamedFolders)
{
    // The spellings below a renamed folder name the same folders as before.
    for (const auto &[oldPath, newPath] : renamedFolders) {
        const QString prefix = oldPath + QLatin1Char('/');
        const int known = m_paths.count();
        for (int i = 0; i < known; ++i) {
            const QStringView path = m_paths.name(i);
            if (path != oldPath && !path.startsWith(prefix))
                continue;
            const QString moved = QString(newPath).append(path.mid(oldPath.size()));
            if (m_paths.find(moved) < 0) {
                m_paths.add(moved);
                m_pathFolder.push_back(m_pathFolder[size_t(i)]);
            }
        }
        for (Folder &folder : m_folders) {
            if (folder.path == oldPath || folder.path.startsWith(prefix))
                folder.path.replace(0, oldPath.size(), newPath);
        }
    }
    for (size_t i = 0; i < m_folders.size(); ++i) {
        if (!m_touched[i])
            continue;
        m_touched[i] = false;
        FolderRead &read = m_folders[i].read;
        read.listing.index();
        // The listing is what the batch made of it, as of the stamp the
        // folder has now: reading a folder of 100,000 names again would cost
        // a tenth of the batch. Only a change by another program within the
        // same tick of the clock as the batch's last rename goes unseen,
        // until the folder changes again.
        const std::optional<FolderStamp> stamp = m_reader->stamp(m_folders[i].path);
        if (stamp)
            read.stamp = *stamp;
        read.stampTrusted = stamp && read.reliableStamps;
    }
    number();
}
