#pragma once

#include "list/PlanMark.h"

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

    // Starts a batch over these rows. For the undo, `order` lists the rows
    // in the order they will be taken (undoOrder); the rename takes them top
    // to bottom. The rows and the view must outlive the batch.
    void start(const DiskView &disk, const std::vector<RenameEntry> &rows, Mode mode,
               const std::vector<int> *order = nullptr);

    // Judges a row after the rows planned before it. A row judged to rename
    // counts as renamed for the rows after it, until retract().
    RowVerdict plan(int row);
    // The row's rename did not happen after all.
    void retract(int row);

    // Whether the row takes part in the batch at all.
    bool inBatch(int row) const;
    // The folder the row's new name goes into (-1 when the view does not
    // know it) and its entry there when the name exists in its listing.
    int targetFolderOf(int row) const;

private:
    struct Target;
    bool targetOf(int row, Target &target) const;
    PlanMark badName(const RenameEntry &row, const Target &target) const;
    qint32 movedBy(int folder, int entry) const;
    qint32 takenBy(int folder, int entry) const;
    qint32 newNameTakenBy(const Target &target) const;
    void addNewName(const Target &target, int row);
    PlanMark heldBy(int row, int folder, int entry);
    qint32 global(int folder, int entry) const;

    const DiskView *m_disk = nullptr;
    const std::vector<RenameEntry> *m_rows = nullptr;
    Mode m_mode = Mode::Rename;
    std::vector<quint8> m_moved;    // per row: its rename counts as done
    std::vector<qint32> m_position; // per row: its place in the batch's order
    std::vector<qint32> m_movedBy;  // per listed entry: the row that moves it away
    std::vector<qint32> m_takenBy;  // per listed entry: the row that moves into its name
    std::vector<qint32> m_entryRow; // per listed entry: the first row whose entry it is
    bool m_entryRowBuilt = false;
    // Names the batch puts where no listed entry was: (hash, folder, row).
    struct NewName
    {
        quint64 hash;
        qint32 folder;
        qint32 row;
    };
    std::vector<NewName> m_newNames;
    std::vector<quint32> m_newSlots;
    // The last extension met, scanned once for all the rows that share it.
    mutable const void *m_extensionData = nullptr;
    mutable qsizetype m_extensionSize = -1;
    struct Scan
    {
        quint64 hash = 0;
        qsizetype utf8Bytes = 0;
        bool separator = false;
        bool nul = false;
        bool halfSurrogate = false;
        bool control = false;
        bool ascii = true;
    };
    mutable Scan m_extensionScan;
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
