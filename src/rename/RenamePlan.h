#pragma once

#include "list/PlanMark.h"
#include "rename/NameTable.h"

#include <QtGlobal>

#include <vector>

class DiskView;
struct RenameEntry;

// What a batch will do with one row, foreseen from the rows and the disk
// view alone.
struct RowVerdict
{
    enum class Action : quint8 {
        None,   // not part of the batch (unchecked, no preview, nothing to undo)
        Rename, // will be renamed; `mark` may carry a note
        Skip,   // its new name is its name: left alone, not counted
        Fail,   // will fail for the reason in `mark`
    };
    Action action = Action::None;
    PlanMark mark;
};

// A name's hash with what decides whether it can be a file name at all.
struct NameScan
{
    quint64 hash = 0;
    qint32 utf8Bytes = 0;
    bool separator = false;     // "/"
    bool nul = false;           // U+0000
    bool control = false;       // U+0001 to U+001F, U+007F
    bool halfSurrogate = false; // half of a surrogate pair: no bytes on disk
    bool ascii = true;
};

// Plays a batch over the disk view one row at a time, in the order the batch
// takes them, without touching the disk: each row is judged against what the
// rows before it will have done (the single pass of 开始更名: no temporary
// names, so chains, swaps and cycles depend on the order). Two rows are the
// same entry when they name the same name in the same folder, however the
// folder is spelled; a row whose path now holds another entry than its own
// (another inode) fails.
//
// The planner keeps its buffers from one batch to the next: planning again
// on every keystroke allocates nothing once they have grown.
class RenamePlanner
{
public:
    enum class Mode : quint8 { Rename, Undo };

    // Starts a batch over these rows. The rename takes them top to bottom;
    // for the undo, `order` lists them in the order they will be taken
    // (undoOrder). Rows, view and order must outlive the batch.
    void start(const DiskView &disk, const std::vector<RenameEntry> &rows, Mode mode,
               const std::vector<int> *order = nullptr);

    // Judges the rows at the batch's positions [first, first + count), one
    // after another, each after the rows judged before it; verdicts[i] is
    // the verdict of position first + i. A row judged to rename counts as
    // renamed for the rows after it, until retract().
    void plan(int first, int count, RowVerdict *verdicts);
    RowVerdict plan(int position);
    // The row's rename did not happen after all.
    void retract(int row);
    // Rows judged before the rows below them had their final texts (a pass
    // planned as it goes) may say "stays" where "renamed later" is right:
    // settled again from the rows as they are now.
    void settleHeldMark(int row, PlanMark &mark) const;
    // The row whose rename moves this listed entry away; -1 if none does.
    qint32 moverOf(int folder, int entry) const;
    // Whether the verdict of a row judged after this one counts on its
    // rename: one that takes the name it frees, or fails because it took a
    // name or the entry first. Only then does its failing on disk change
    // what the plan foresees for the rows after it.
    bool othersCountOn(int row) const { return m_countedOn[size_t(row)] != 0; }

    // The row at a position of the batch.
    int rowAt(int position) const { return m_order ? (*m_order)[size_t(position)] : position; }
    // Whether the row takes part in the batch at all.
    bool inBatch(int row) const;
    // The folder the row's new name goes into; -1 when the view does not know it.
    int targetFolderOf(int row) const;

private:
    // A row's new name and where it goes, as judging it needs them.
    struct Target
    {
        int row = -1;
        bool inBatch = false;
        int folder = -1;
        QStringView head;
        QStringView tail;
        NameScan scan;
        // The row's listed entry where the new name may be the name it has
        // (as long), else -1: judge() compares that name first.
        int ownEntry = -1;
    };
    void readTarget(int row, Target &target);
    void noteOwnEntry(const RenameEntry &row, Target &target) const;
    void fetchAhead(const Target &target) const;
    void judge(const Target &target, RowVerdict &verdict);
    PlanMark badName(const RenameEntry &row, const Target &target) const;
    qint32 movedBy(int folder, int entry) const;
    qint32 takenBy(int folder, int entry) const;
    qint32 takeNewName(const Target &target, int row);
    PlanMark heldBy(int row, int folder, int entry);
    qint32 global(int folder, int entry) const;

    const DiskView *m_disk = nullptr;
    const std::vector<RenameEntry> *m_rows = nullptr;
    const std::vector<int> *m_order = nullptr;
    Mode m_mode = Mode::Rename;
    std::vector<quint8> m_moved;     // per row: its rename counts as done
    std::vector<quint8> m_countedOn; // per row: a later verdict counts on its rename
    std::vector<qint32> m_position;  // per row: its place in the batch's order
    std::vector<qint32> m_movedBy;   // per listed entry: the row that moves it away
    std::vector<qint32> m_takenBy;   // per listed entry: the row that moves into its name
    std::vector<qint32> m_entryRow;  // per listed entry: the first row whose entry it is
    bool m_entryRowBuilt = false;
    // Names the batch puts where no listed entry was: the rows that take
    // them, found by the hash of name and folder. A slot holds the upper
    // half of that hash beside the row + 1, so a look-up that finds nothing
    // touches one cache line. The table comes in slices, one a folder, each
    // sized for the rows whose names go there: the look-ups of a folder's
    // rows stay within a few kilobytes, where one table for a million rows
    // would cost a miss of the address cache each.
    std::vector<quint64> m_newSlots;
    std::vector<quint32> m_sliceStart; // per folder
    std::vector<quint32> m_sliceSize;
    // What the slices were sized for.
    const DiskView *m_slicedDisk = nullptr;
    quint64 m_slicedGeneration = 0;
    size_t m_slicedRows = 0;
    bool m_slicedForUndo = false;
    void sliceNewNames();
    // The home of a hash in a folder's slice: the hash's lower half scaled
    // to the slice's size, which need not be a power of two. (The upper
    // half is the slot's tag.)
    quint32 homeIn(int folder, quint64 hash) const
    {
        return quint32((quint64(quint32(hash)) * m_sliceSize[size_t(folder)]) >> 32);
    }
    // Rows are judged a block at a time: their names read first, in one
    // stream, then judged with the tables' memory asked for a few rows ahead.
    static constexpr int kBlock = 512;
    static constexpr int kAhead = 8;
    std::vector<Target> m_block;
    // The last extension met, scanned once for all the rows that share it.
    QString m_extension;
    const void *m_extensionData = nullptr;
    NameScan m_extensionScan;
    bool m_extensionIsPiece = true; // one dot, in front: the name's own extension
};

// 开始更名 foreseen: one verdict per row, rows in list order.
std::vector<RowVerdict> planRenameBatch(const DiskView &disk, const std::vector<RenameEntry> &rows);

// The order in which the undo takes the rows: a row whose restored name is
// held by another row's entry comes after that row, so that every chain
// comes undone whatever the order of the list; otherwise list order. Rows
// on a cycle keep list order and fail, as none can go first. Rows that have
// nothing to undo come last.
std::vector<int> undoOrder(const DiskView &disk, const std::vector<RenameEntry> &rows);

// Reads the folders the undo would put names back into where the view has
// not met them yet (a name goes back where it came from: nearly always the
// row's own folder).
void readUndoTargets(DiskView &disk, const std::vector<RenameEntry> &rows);

// 撤消上一次更名 foreseen: verdicts indexed by row, judged in undoOrder.
std::vector<RowVerdict> planUndoBatch(const DiskView &disk, const std::vector<RenameEntry> &rows);
