#include "rename/RenameBatch.h"

#include "list/PathPart.h"
#include "list/RowStore.h"
#include "rename/DiskView.h"
#include "rename/RenamePlan.h"

#include <QSet>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <optional>
#include <vector>

namespace {

QStringView folderOf(QStringView path)
{
    return path.left(std::max<qsizetype>(lastIndexOfChar(path, u'/'), 0));
}

// Every folder that holds, at any depth, the full path or previous path of a
// row, so that after a folder rename one look-up tells whether rows must
// follow it; without it every folder rename would walk the whole list. A
// folder stays in the set once added: a stale one costs only a walk.
class FoldersWithRows
{
public:
    explicit FoldersWithRows(const RowStore &store)
    {
        for (const RenameEntry &e : store.entries()) {
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
            folder.truncate(std::max<qsizetype>(lastIndexOfChar(folder, u'/'), 0));
        }
    }

    QSet<QString> m_folders;
    std::vector<bool> m_lengths;
    QString m_lastAdded;
};

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

// The result text of a row the plan refused: what the disk would have said
// where it would have said it, and words of our own where the disk cannot
// tell (it would have renamed another file).
QString refusalText(const PlanMark &mark)
{
    switch (mark.reason) {
    case PlanReason::BadName:
        return failureText(failureFromErrno(EINVAL));
    case PlanReason::NameTooLong:
        return failureText(failureFromErrno(ENAMETOOLONG));
    case PlanReason::SourceMissing:
        return failureText(failureFromErrno(ENOENT));
    case PlanReason::SourceReplaced:
        return QStringLiteral("！！失败 这个位置已是另一个文件，没有改动");
    case PlanReason::SameFile:
        return QStringLiteral("！！失败 同一个文件已由上面的一行改名");
    default:
        return failureText(failureFromErrno(EEXIST));
    }
}

// One row of a chunk: the plan's verdict and, for a rename, the paths.
struct Step
{
    int row = -1;
    RowVerdict verdict;
    int toFolder = -1;
    bool mayHoldRows = false;
    QString from;
    QString to;
    qsizetype nativeFrom = -1; // offsets of the system's bytes in the chunk's buffer
    qsizetype nativeTo = -1;
    int folder = AT_FDCWD; // the folder both are in, opened: the bytes are names in it
    std::optional<RenameFailure> failure;
};

// A successful rename, to be told to the disk view once the batch is over
// (the planner reads the listings as they were when it started).
struct Move
{
    int row;
    int folder;
    int entry;
    int toFolder;
};

// Carries out one batch over the rows and keeps its counts.
//
// The batch is planned first, then carried out in chunks: the new paths of
// a chunk and their bytes for the system, the renames back to back, then
// the outcomes written into the rows. Where the kernel isolates its page
// tables without PCID (common on virtual machines), every system call
// empties the processor's address cache, so work between two renames pays
// again for each memory page and each piece of code it touches; in the
// rename step only the renames remain.
class BatchRunner
{
public:
    BatchRunner(RowStore &store, DiskView &disk, const RenameFunction &rename,
                const ProgressFunction &progress, int chunkRows, RenamePlanner::Mode mode)
        : m_store(store), m_disk(disk), m_rename(rename), m_progress(progress),
          m_chunkRows(std::max(chunkRows, 1)), m_mode(mode),
          m_renamesOnDisk(!rename || isRenameOnDisk(rename)),
          m_edits(store, RenameEntry::OriginalName, RenameEntry::PreviousPath),
          m_chunk(size_t(m_chunkRows))
    {}

    // Goes through the rows in `order`, one position each.
    BatchResult run(const std::vector<int> &order)
    {
        m_planner.start(m_disk, m_store.entries(), m_mode,
                        m_mode == RenamePlanner::Mode::Undo ? &order : nullptr);
        const int count = int(order.size());
        m_verdicts.resize(size_t(count));
        for (int position = 0; position < count;) {
            m_position = position;
            if (position == m_plannedEnd)
                planWindow(position, count);
            const int planned = planChunk(order, position);
            const int done = renameChunk(planned);
            for (int i = 0; i < done; ++i) {
                record(m_chunk[size_t(i)]);
                if (m_progress)
                    m_progress(position + i + 1, count);
            }
            position += done;
        }
        m_edits.flush();
        // Another row for an entry the batch moved (another spelling of its
        // folder) finds nothing at its path now, or something else.
        std::vector<int> stale;
        for (int row = 0; row < m_store.count(); ++row) {
            const DiskRef &disk = m_store.entry(row).disk;
            const qint32 mover = m_planner.moverOf(disk.folder, disk.entry);
            if (mover >= 0 && mover != row)
                stale.push_back(row);
        }
        // The listings follow what the batch did, without a read.
        for (const Move &move : m_moves) {
            const int entry = m_disk.moveEntry(move.folder, move.entry, move.toFolder,
                                               namePartOf(m_store.entry(move.row).fullPath));
            m_store.updateRowState(move.row, move.row, [&](RenameEntry &e, int) {
                e.disk.folder = move.toFolder;
                e.disk.entry = entry;
            });
        }
        m_disk.finishMoves(m_renamedFolders);
        m_disk.resolve(m_store, stale);
        return m_result;
    }

private:
    static bool isRenameOnDisk(const RenameFunction &rename)
    {
        using Plain = std::optional<RenameFailure> (*)(const QString &, const QString &);
        const Plain *target = rename.target<Plain>();
        return target && *target == &renameOnDisk;
    }

    // Plans the positions from `position` on, a window of them (at first
    // the whole batch): planned in one go, away from the renames (which
    // empty the processor's caches), the plan costs what it costs on a
    // keystroke; planned a chunk at a time between them, five times that.
    void planWindow(int position, int count)
    {
        m_plannedEnd = position + std::min(count - position, m_window);
        m_planner.plan(position, m_plannedEnd - position, m_verdicts.data() + position);
    }

    // The steps of a chunk: up to a chunk's size of planned positions, or up
    // to a row that may hold others (the rows after it need its new name in
    // their paths); returns how many.
    int planChunk(const std::vector<int> &order, int position)
    {
        m_native.resize(0);
        m_retiredFolders.clear();
        const int planned = std::min(m_chunkRows, m_plannedEnd - position);
        for (int i = 0; i < planned; ++i) {
            Step &step = m_chunk[size_t(i)];
            step = Step();
            step.row = order[size_t(position + i)];
            step.verdict = m_verdicts[size_t(position + i)];
            if (step.verdict.action != RowVerdict::Action::Rename)
                continue;
            const RenameEntry &e = m_store.entry(step.row);
            step.toFolder = m_planner.targetFolderOf(step.row);
            step.from = e.fullPath;
            if (m_mode == RenamePlanner::Mode::Undo) {
                step.to = e.previousPath;
            } else {
                const qsizetype folderSize = lastIndexOfChar(step.from, u'/') + 1;
                step.to.reserve(folderSize + e.previewName.size() + e.extension.size());
                step.to.append(QStringView(step.from).left(folderSize))
                    .append(e.previewName)
                    .append(e.extension);
            }
            if (m_renamesOnDisk) {
                step.folder = openFolderOf(step);
                const bool byName = step.folder != AT_FDCWD;
                step.nativeFrom = m_native.size();
                const bool encoded =
                    appendNativePath(m_native, byName ? namePartOf(step.from) : step.from);
                step.nativeTo = m_native.size();
                if (!encoded || !appendNativePath(m_native, byName ? namePartOf(step.to) : step.to))
                    step.failure = failureFromErrno(EINVAL);
            }
            // A new name never leaves its folder (the plan refuses a "/"
            // in it); an undo may go back into another.
            if (m_folders && m_mode == RenamePlanner::Mode::Undo &&
                folderOf(step.to) != folderOf(step.from))
                m_folders->addFoldersOf(step.to);
            step.mayHoldRows = mayBeFolder(e) && folders().contains(step.from);
            if (step.mayHoldRows)
                return i + 1;
        }
        return planned;
    }

    // The folder the step renames in, opened; AT_FDCWD where
    // the step moves between folders, or is the first in a run of renames in
    // its folder (opening costs a system call of its own: a list of one file
    // a folder would pay it for every rename), or the folder cannot be opened.
    int openFolderOf(const Step &step)
    {
        const QStringView folder = folderOf(step.from);
        const QStringView toFolder = folderOf(step.to);
        // A new name is put after its row's folder: the folder is the same
        // unless the name holds a "/", which the plan refuses anyway.
        const bool sameFolder = m_mode == RenamePlanner::Mode::Rename
                                    ? toFolder.size() == folder.size()
                                    : toFolder == folder;
        if (folder.isEmpty() || !sameFolder)
            return AT_FDCWD;
        if (folder != m_lastFolder) {
            // Steps of this chunk may still use it.
            if (m_lastOpen)
                m_retiredFolders.push_back(std::move(*m_lastOpen));
            m_lastOpen.reset();
            m_lastFolder = folder.toString();
            return AT_FDCWD;
        }
        if (!m_lastOpen)
            m_lastOpen = openFolderForRenames(m_lastFolder);
        return m_lastOpen->isValid() ? m_lastOpen->get() : AT_FDCWD;
    }

    // Made from the rows as they are when first asked for (the rows a batch
    // moved already hold their new paths): a batch that renames no folder,
    // nor a link that may lead to one, never needs it.
    FoldersWithRows &folders()
    {
        if (!m_folders)
            m_folders.emplace(m_store);
        return *m_folders;
    }

    // Whether the row's entry may hold others: a folder, a link, or an
    // entry whose kind the folder's listing does not tell.
    bool mayBeFolder(const RenameEntry &e) const
    {
        if (e.disk.folder < 0 || e.disk.entry < 0)
            return true;
        const FolderRead &read = m_disk.folder(e.disk.folder).read;
        return read.state != FolderRead::State::Listed ||
               read.listing.kind(e.disk.entry) != FolderListing::Kind::Other;
    }

    void forgetOpenFolders()
    {
        m_lastOpen.reset();
        m_lastFolder.clear();
        m_retiredFolders.clear();
    }

    // A rename the plan foresaw failed on disk. Where a later verdict counted
    // on it, the plan from there on was made on a wrong premise: it is taken
    // back, to be made again, over fewer rows a time while this happens.
    // Returns whether the rest of the chunk must wait for that.
    bool surprised(int position, const Step &step)
    {
        m_planner.retract(step.row);
        if (!m_planner.othersCountOn(step.row))
            return false;
        for (int p = position + 1; p < m_plannedEnd; ++p) {
            if (m_verdicts[size_t(p)].action == RowVerdict::Action::Rename)
                m_planner.retract(m_planner.rowAt(p));
        }
        m_window = std::max(std::min(m_window, m_plannedEnd - position) / 4, m_chunkRows);
        m_plannedEnd = position + 1;
        return true;
    }

    // Renames the chunk's steps back to back; what the disk answers is the
    // outcome. Returns how many steps are done: all, unless a refused rename
    // makes the plan for the steps after it wrong (surprised()).
    int renameChunk(int planned)
    {
        for (int i = 0; i < planned; ++i) {
            Step &step = m_chunk[size_t(i)];
            if (step.verdict.action != RowVerdict::Action::Rename)
                continue;
            if (!step.failure) {
                if (m_renamesOnDisk)
                    step.failure = renameEncodedOnDisk(
                        step.from, step.to, m_native.constData() + step.nativeFrom,
                        m_native.constData() + step.nativeTo, step.folder);
                else
                    step.failure = m_rename(step.from, step.to);
            }
            if (step.failure && surprised(m_position + i, step))
                return i + 1;
        }
        return planned;
    }

    void record(const Step &step)
    {
        switch (step.verdict.action) {
        case RowVerdict::Action::None:
            return;
        case RowVerdict::Action::Skip:
            m_lastProcessed = step.row;
            return;
        case RowVerdict::Action::Fail:
            m_lastProcessed = step.row;
            recordFailure(step.row, refusalText(step.verdict.mark));
            return;
        case RowVerdict::Action::Rename:
            m_lastProcessed = step.row;
            if (step.failure)
                recordFailure(step.row, failureText(*step.failure));
            else
                recordSuccess(step);
            return;
        }
    }

    void recordFailure(int row, const QString &text)
    {
        m_edits.edit(row, [&text](RenameEntry &e) {
            e.resultText = text;
            e.outcome = RenameEntry::Outcome::Failure;
            e.previousPath.clear();
        });
        ++m_result.failed;
    }

    void recordSuccess(const Step &step)
    {
        const RenameEntry &before = m_store.entry(step.row);
        const DiskRef disk = before.disk;
        const bool isFolderEntry =
            disk.entry >= 0 &&
            m_disk.folder(disk.folder).read.listing.kind(disk.entry) == FolderListing::Kind::Folder;
        const QStringView name = namePartOf(step.to);
        const qsizetype dot = lastIndexOfChar(name, u'.');
        const QStringView base = dot < 0 ? name : name.left(dot);
        const QStringView extension = dot < 0 ? QStringView() : name.mid(dot);
        m_edits.edit(step.row, [&](RenameEntry &e) {
            e.resultText = successText();
            e.outcome = RenameEntry::Outcome::Success;
            e.fullPath = step.to;
            assignSharing(e.originalName, base, e.previewName);
            if (m_mode == RenamePlanner::Mode::Rename) {
                // The extension follows the name on disk, or the next rule
                // would drop or double what the new name has after its last
                // dot; the preview with it spells the name on disk, so that
                // pressing 开始更名 again leaves the row alone.
                assignSharing(e.extension, extension, e.extension);
                e.previewName = e.originalName;
            } else {
                // Back to the old name; preview and extension still spell the
                // name the undone batch gave, so that 开始更名 renames the
                // row forward again. The extension is the restored one
                // unless the batch changed it.
                const QStringView given = namePartOf(step.from);
                if (given.endsWith(extension)) {
                    assignSharing(e.extension, extension, e.extension);
                    e.previewName = given.chopped(extension.size()).toString();
                } else {
                    const qsizetype givenDot = lastIndexOfChar(given, u'.');
                    assignSharing(e.extension, given.mid(givenDot), e.extension);
                    e.previewName = given.left(givenDot).toString();
                }
            }
            e.previousPath = step.from;
        });
        ++m_result.succeeded;
        if (disk.entry >= 0 && step.toFolder >= 0)
            m_moves.push_back(Move{step.row, disk.folder, disk.entry, step.toFolder});

        // Rows inside a renamed folder follow it to its new place.
        if (step.mayHoldRows && (isFolderEntry || isFolder(step.to))) {
            m_edits.flush();
            m_store.rebaseInside(step.from, step.to);
            folders().follow(step.from, step.to);
            m_renamedFolders.emplace_back(step.from, step.to);
            // A folder's path may now name another folder, or none.
            forgetOpenFolders();
        }
    }

public:
    int lastProcessed() const { return m_lastProcessed; }

private:
    RowStore &m_store;
    DiskView &m_disk;
    const RenameFunction m_rename;
    const ProgressFunction m_progress;
    const int m_chunkRows;
    const RenamePlanner::Mode m_mode;
    const bool m_renamesOnDisk;
    RenamePlanner m_planner;
    std::optional<FoldersWithRows> m_folders; // made when first needed: folders()
    RowStore::RowEdits m_edits;
    std::vector<Step> m_chunk;
    std::vector<RowVerdict> m_verdicts; // by position in the batch's order
    int m_position = 0;                 // where the chunk starts
    int m_plannedEnd = 0;               // positions before it have their verdicts
    int m_window = INT_MAX;
    QByteArray m_native;
    // The folder of the last rename, opened from the second rename in it on
    // and kept open from one chunk to the next; those left behind within a
    // chunk stay open until the chunk's renames are done.
    QString m_lastFolder;
    std::optional<UniqueFd> m_lastOpen;
    std::vector<UniqueFd> m_retiredFolders;
    std::vector<Move> m_moves;
    std::vector<std::pair<QString, QString>> m_renamedFolders;
    int m_lastProcessed = -1;
    BatchResult m_result;
};

} // namespace

BatchResult runRenameBatch(RowStore &store, DiskView &disk, const RenameFunction &rename,
                           const ProgressFunction &progress, int chunkRows)
{
    disk.refresh(store);
    std::vector<int> order(size_t(store.count()));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    BatchRunner runner(store, disk, rename, progress, chunkRows, RenamePlanner::Mode::Rename);
    BatchResult result = runner.run(order);
    // The folder of the lowest row processed, whatever its outcome.
    if (runner.lastProcessed() >= 0)
        result.lastFolder = parentFolderOf(store.entry(runner.lastProcessed()).fullPath);
    return result;
}

BatchResult runUndoBatch(RowStore &store, DiskView &disk, const RenameFunction &rename,
                         const ProgressFunction &progress, int chunkRows)
{
    disk.refresh(store);
    readUndoTargets(disk, store.entries());
    const std::vector<int> order = undoOrder(disk, store.entries());
    return BatchRunner(store, disk, rename, progress, chunkRows, RenamePlanner::Mode::Undo)
        .run(order);
}

BatchResult runRenameBatch(RowStore &store, const RenameFunction &rename,
                           const ProgressFunction &progress, int chunkRows)
{
    DiskView disk;
    return runRenameBatch(store, disk, rename, progress, chunkRows);
}

BatchResult runUndoBatch(RowStore &store, const RenameFunction &rename,
                         const ProgressFunction &progress, int chunkRows)
{
    DiskView disk;
    return runUndoBatch(store, disk, rename, progress, chunkRows);
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
