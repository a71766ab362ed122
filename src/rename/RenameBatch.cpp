#include "rename/RenameBatch.h"

#include "list/FileListModel.h"
#include "list/PathPart.h"

#include <QSet>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <optional>
#include <vector>

namespace {

QStringView folderOf(QStringView path)
{
    return path.left(std::max<qsizetype>(path.lastIndexOf(QLatin1Char('/')), 0));
}

// Every folder that holds, at any depth, the full path or previous path of a
// row, so that after a folder rename one look-up tells whether rows must
// follow it; without it every folder rename would walk the whole list. A
// folder stays in the set once added: a stale one costs only a walk.
class FoldersWithRows
{
public:
    explicit FoldersWithRows(const FileListModel &model)
    {
        for (const RenameEntry &e : model.entries()) {
            addFoldersOf(e.fullPath);
            addFoldersOf(e.previousPath);
        }
    }

    bool contains(const QString &folder) const
    {
        // Most paths asked about are files, longer or shorter than every
        // folder here: those need no hash.
        const auto length = size_t(folder.size());
        return length < m_lengths.size() && m_lengths[length] && m_folders.contains(folder);
    }

    // Adds the folders above the entry at `path`.
    void addFoldersOf(const QString &path)
    {
        // Rows come folder by folder: most paths repeat the last folder seen.
        const QStringView folder = folderOf(path);
        if (folder.isEmpty() || folder == m_lastAdded)
            return;
        m_lastAdded = folder.toString();
        addFolder(m_lastAdded);
    }

    // The rows inside oldFolder now live inside newFolder.
    void follow(const QString &oldFolder, const QString &newFolder)
    {
        const QString prefix = oldFolder + QLatin1Char('/');
        QStringList moved{newFolder};
        for (const QString &folder : std::as_const(m_folders)) {
            if (folder.startsWith(prefix))
                moved << newFolder + folder.mid(oldFolder.size());
        }
        for (const QString &folder : std::as_const(moved))
            addFolder(folder);
    }

private:
    // Adds a folder and those above it; a folder already present has its
    // ancestors present too.
    void addFolder(QString folder)
    {
        while (!folder.isEmpty() && !m_folders.contains(folder)) {
            m_folders.insert(folder);
            const auto length = size_t(folder.size());
            if (length >= m_lengths.size())
                m_lengths.resize(length + 1);
            m_lengths[length] = true;
            folder.truncate(std::max<qsizetype>(folder.lastIndexOf(QLatin1Char('/')), 0));
        }
    }

    QSet<QString> m_folders;
    std::vector<bool> m_lengths;
    QString m_lastAdded;
};

// A set of paths for a batch that looks up every row and adds most: a flat
// table sized once, of 64-bit slots that each hold part of a path's hash
// beside its place in the list of paths. A QSet of the path texts cost as
// much as the rename itself on a fast disk; callers pass the hash, which
// they need more than once.
class PathSet
{
public:
    explicit PathSet(size_t capacity) : m_capacity(capacity) {}

    void add(const QString &path, size_t hash)
    {
        if (m_slots.empty())
            m_slots.assign(std::bit_ceil(m_capacity * 2 + 16), 0);
        m_paths.push_back(path);
        insert(m_paths.size() - 1, hash);
    }

    bool contains(const QString &path, size_t hash) const
    {
        if (m_paths.empty())
            return false;
        for (size_t i = hash & mask();; i = (i + 1) & mask()) {
            const quint64 slot = m_slots[i];
            if (slot == 0)
                return false;
            if (quint32(slot >> 32) == tagOf(hash) && m_paths[quint32(slot) - 1] == path)
                return true;
        }
    }

    void clear()
    {
        if (m_paths.empty())
            return;
        m_paths.clear();
        std::fill(m_slots.begin(), m_slots.end(), 0);
    }

    // The paths inside a renamed folder are now below its new name.
    void follow(const QString &oldFolder, const QString &newFolder)
    {
        const QString prefix = oldFolder + QLatin1Char('/');
        bool moved = false;
        for (QString &path : m_paths) {
            if (path.startsWith(prefix)) {
                path.replace(0, oldFolder.size(), newFolder);
                moved = true;
            }
        }
        if (!moved)
            return;
        std::fill(m_slots.begin(), m_slots.end(), 0);
        for (size_t i = 0; i < m_paths.size(); ++i)
            insert(i, qHash(m_paths[i]));
    }

private:
    static quint32 tagOf(size_t hash) { return quint32(quint64(hash) >> 32) | 1; }
    size_t mask() const { return m_slots.size() - 1; }

    void insert(size_t index, size_t hash)
    {
        size_t i = hash & mask();
        while (m_slots[i] != 0)
            i = (i + 1) & mask();
        m_slots[i] = (quint64(tagOf(hash)) << 32) | quint32(index + 1);
    }

    const size_t m_capacity;
    std::vector<quint64> m_slots;
    std::vector<QString> m_paths;
};

// A new name must stay a name: with a separator or a NUL it would move the
// entry elsewhere, and "." or ".." name the folders themselves.
bool isPlainName(QStringView name)
{
    if (name.contains(QLatin1Char('/')) || name.contains(QChar(u'\0')) ||
        name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    // Half of a surrogate pair has no bytes on disk: it would be written as
    // another character than the row shows.
    const qsizetype size = name.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < size && name.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return false;
    }
    return true;
}

QString parentFolderOf(const QString &path)
{
    const QString parent = PathPart(path, PathSelector::Parent);
    if (parent.isEmpty() && path.startsWith(QLatin1Char('/')))
        return QStringLiteral("/");
    return parent;
}

// Sets a cell to `text`, sharing the storage of `likely` when that holds the
// same text: after a rename the new name mostly repeats the preview and the
// old extension, and a batch of 100,000 rows then allocates nothing for them.
void assignSharing(QString &cell, QStringView text, const QString &likely)
{
    if (likely == text)
        cell = likely;
    else if (cell != text)
        cell = text.toString();
}

// One position of a batch, planned before the disk is touched.
struct PlannedRename
{
    enum class Action : quint8 { Skip, Refuse, Rename };

    int row = -1;
    Action action = Action::Skip;
    // `from` may be a folder holding other rows: the rows after it are
    // planned only once they have followed it to its new name.
    bool mayHoldRows = false;
    // An earlier row of this chunk plans to move its entry to `from`.
    bool fromPlannedAsTarget = false;
    QString from;
    QString to;
    size_t toHash = 0;
    qsizetype nativeFrom = -1; // offsets of the system's bytes in the chunk's buffer
    qsizetype nativeTo = -1;
    std::optional<RenameFailure> failure;
};

// Carries out one batch over the rows and keeps its counts.
//
// The rows go in chunks: plan a chunk (new paths, their bytes for the
// system, the checks), rename it, then write the outcomes into the rows.
// Where the kernel isolates its page tables without PCID (common on virtual
// machines), every system call empties the processor's address cache, so
// work between two renames pays again for each memory page and each piece
// of code it touches; in the rename step only the renames remain.
class BatchRunner
{
public:
    BatchRunner(FileListModel &model, const RenameFunction &rename,
                const ProgressFunction &progress, int chunkRows)
        : m_model(model), m_rename(rename), m_progress(progress),
          m_chunkRows(std::max(chunkRows, 1)), m_renamesOnDisk(!rename || isRenameOnDisk(rename)),
          m_folders(model), m_edits(model, RenameEntry::OriginalName, RenameEntry::PreviousPath),
          m_moved(size_t(model.count())), m_plannedTargets(size_t(m_chunkRows)),
          m_chunk(size_t(m_chunkRows))
    {}

    // Goes through `count` positions; rowAt(position) gives the row at each,
    // plan(entry, planned) fills in `from`, `to` and the action for it.
    template <typename RowAt, typename Plan> BatchResult run(int count, RowAt rowAt, Plan plan)
    {
        for (int position = 0; position < count;) {
            const int planned = planChunk(position, count, rowAt, plan);
            for (int i = 0; i < planned; ++i)
                renamePlanned(i);
            for (int i = 0; i < planned; ++i) {
                record(m_chunk[size_t(i)]);
                if (m_progress)
                    m_progress(position + i + 1, count);
            }
            position += planned;
        }
        m_edits.flush();
        return m_result;
    }

private:
    static bool isRenameOnDisk(const RenameFunction &rename)
    {
        using Plain = std::optional<RenameFailure> (*)(const QString &, const QString &);
        const Plain *target = rename.target<Plain>();
        return target && *target == &renameOnDisk;
    }

    // Plans up to a chunk's size of positions, or up to a row that may hold
    // others; returns how many.
    template <typename RowAt, typename Plan>
    int planChunk(int position, int count, RowAt rowAt, Plan &plan)
    {
        m_plannedTargets.clear();
        m_native.resize(0);
        int planned = 0;
        while (planned < m_chunkRows && position + planned < count) {
            PlannedRename &p = m_chunk[size_t(planned++)];
            p = PlannedRename();
            p.row = rowAt(position + planned - 1);
            if (p.row >= m_model.count())
                continue;
            plan(m_model.entry(p.row), p);
            if (p.action != PlannedRename::Action::Rename)
                continue;
            const size_t fromHash = qHash(p.from);
            // Another row of this run has moved its entry to `from`: this
            // row's own entry has left that path (a second row for one
            // entry), and the file there now is not the one this row shows.
            if (m_moved.contains(p.from, fromHash)) {
                p.failure = failureFromErrno(ENOENT);
                continue;
            }
            p.fromPlannedAsTarget = m_plannedTargets.contains(p.from, fromHash);
            p.toHash = qHash(p.to);
            m_plannedTargets.add(p.to, p.toHash);
            if (m_renamesOnDisk) {
                p.nativeFrom = m_native.size();
                const bool encoded = appendNativePath(m_native, p.from);
                p.nativeTo = m_native.size();
                if (!encoded || !appendNativePath(m_native, p.to))
                    p.failure = failureFromErrno(EINVAL);
            }
            if (folderOf(p.to) != folderOf(p.from))
                m_folders.addFoldersOf(p.to);
            p.mayHoldRows = m_folders.contains(p.from);
            if (p.mayHoldRows)
                break;
        }
        return planned;
    }

    void renamePlanned(int index)
    {
        PlannedRename &p = m_chunk[size_t(index)];
        if (p.action == PlannedRename::Action::Refuse) {
            p.failure = failureFromErrno(EINVAL);
            return;
        }
        if (p.action != PlannedRename::Action::Rename || p.failure)
            return;
        if (p.fromPlannedAsTarget && movedHereInChunk(index)) {
            p.failure = failureFromErrno(ENOENT);
            return;
        }
        if (m_renamesOnDisk)
            p.failure = renameEncodedOnDisk(p.from, p.to, m_native.constData() + p.nativeFrom,
                                            m_native.constData() + p.nativeTo);
        else
            p.failure = m_rename(p.from, p.to);
    }

    // True when a row before `index` in this chunk has moved its entry to
    // where the row at `index` expects its own.
    bool movedHereInChunk(int index) const
    {
        const PlannedRename &p = m_chunk[size_t(index)];
        return std::any_of(m_chunk.begin(), m_chunk.begin() + index, [&p](const PlannedRename &q) {
            return q.action == PlannedRename::Action::Rename && !q.failure && q.to == p.from;
        });
    }

    void record(const PlannedRename &p)
    {
        if (p.action == PlannedRename::Action::Skip)
            return;
        if (p.failure)
            recordFailure(p.row, *p.failure);
        else
            recordSuccess(p);
    }

    void recordFailure(int row, const RenameFailure &failure)
    {
        m_edits.edit(row, [&failure](RenameEntry &e) {
            e.resultText = failureText(failure);
            e.outcome = RenameEntry::Outcome::Failure;
            e.previousPath.clear();
        });
        ++m_result.failed;
    }

    void recordSuccess(const PlannedRename &p)
    {
        m_moved.add(p.to, p.toHash);
        const QStringView name = QStringView(p.to).mid(p.to.lastIndexOf(QLatin1Char('/')) + 1);
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        m_edits.edit(p.row, [&](RenameEntry &e) {
            e.resultText = successText();
            e.outcome = RenameEntry::Outcome::Success;
            e.fullPath = p.to;
            assignSharing(e.originalName, dot < 0 ? name : name.left(dot), e.previewName);
            // The extension follows the name on disk, or the next batch would
            // drop or double whatever the new name has after its last dot.
            assignSharing(e.extension, dot < 0 ? QStringView() : name.mid(dot), e.extension);
            e.previousPath = p.from;
        });
        ++m_result.succeeded;

        // Rows inside a renamed folder follow it to its new place.
        if (p.mayHoldRows && isFolder(p.to)) {
            m_edits.flush();
            m_model.rebaseInside(p.from, p.to);
            m_folders.follow(p.from, p.to);
            m_moved.follow(p.from, p.to);
        }
    }

    FileListModel &m_model;
    const RenameFunction m_rename;
    const ProgressFunction m_progress;
    const int m_chunkRows;
    const bool m_renamesOnDisk;
    FoldersWithRows m_folders;
    FileListModel::RowEdits m_edits;
    // Where the rows that succeeded in this run have put their entries.
    PathSet m_moved;
    // Where the rows planned in this chunk mean to put theirs.
    PathSet m_plannedTargets;
    std::vector<PlannedRename> m_chunk;
    QByteArray m_native;
    BatchResult m_result;
};

} // namespace

BatchResult runRenameBatch(FileListModel &model, const RenameFunction &rename,
                           const ProgressFunction &progress, int chunkRows)
{
    QString lastProcessed;
    const auto plan = [&lastProcessed](const RenameEntry &e, PlannedRename &p) {
        if (!e.checked || e.previewName.isEmpty())
            return;
        p.from = e.fullPath;
        lastProcessed = p.from;
        const qsizetype folderSize = p.from.lastIndexOf(QLatin1Char('/')) + 1;
        p.to.reserve(folderSize + e.previewName.size() + e.extension.size());
        p.to.append(QStringView(p.from).left(folderSize)).append(e.previewName).append(e.extension);
        if (!isPlainName(QStringView(p.to).mid(folderSize)))
            p.action = PlannedRename::Action::Refuse;
        else if (p.to != p.from)
            p.action = PlannedRename::Action::Rename;
    };
    // Top to bottom over the rows there are at the start.
    BatchResult result = BatchRunner(model, rename, progress, chunkRows)
                             .run(
                                 model.count(), [](int position) { return position; }, plan);
    // The folder of the lowest row processed, whatever its outcome.
    if (!lastProcessed.isEmpty())
        result.lastFolder = parentFolderOf(lastProcessed);
    return result;
}

BatchResult runUndoBatch(FileListModel &model, const RenameFunction &rename,
                         const ProgressFunction &progress, int chunkRows)
{
    const auto plan = [](const RenameEntry &e, PlannedRename &p) {
        if (!e.checked || e.previousPath.isEmpty() || e.previousPath == e.fullPath)
            return;
        p.from = e.fullPath;
        p.to = e.previousPath;
        p.action = PlannedRename::Action::Rename;
    };
    // Bottom to top: the exact reverse of the batch, so that a chain renamed
    // b→c then a→b is undone as b→a first, then c→b. Progress still counts
    // upward.
    const int count = model.count();
    return BatchRunner(model, rename, progress, chunkRows)
        .run(
            count, [count](int position) { return count - 1 - position; }, plan);
}

QString summaryText(const BatchResult &result)
{
    return QStringLiteral("重命名完成,一共%1条文件 成功 %2条;失败%3条")
        .arg(result.failed + result.succeeded)
        .arg(result.succeeded)
        .arg(result.failed);
}

QString progressText(int position, int count)
{
    return QStringLiteral("正在更名 %1/%2").arg(position).arg(count);
}
