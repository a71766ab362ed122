#pragma once

#include "list/RenameEntry.h"

#include <QObject>
#include <QStringList>

#include <algorithm>
#include <vector>

// Sees a pass of editRows over every row, a block of rows at a time, while
// the rows just edited are still in the processor's cache.
class RowPassListener
{
public:
    virtual ~RowPassListener() = default;
    // A pass that may edit the columns [firstColumn, lastColumn] begins.
    virtual void passStarted(int firstColumn, int lastColumn) = 0;
    // The rows [first, last] are as the pass leaves them.
    virtual void rowsPassed(int first, int last) = 0;
    // The pass is over; `changed` tells whether it changed any row, in which
    // case cellsChanged follows.
    virtual void passFinished(bool changed) = 0;
};

// The one store of the rows to rename, with nothing of how they are shown.
// Display position = index in the vector: ordering by a column reorders the
// rows themselves. Every change is told twice where a view needs to prepare
// (about to / done), so a table model can sit on top without a copy.
class RowStore : public QObject
{
    Q_OBJECT

public:
    // What changed in the cells that cellsChanged names.
    enum class Change : quint8 {
        Texts,   // cell texts (and what goes with them)
        Checks,  // the check boxes
        Outcome, // result text and its colour
        Marks,   // only the plan's marks
    };
    Q_ENUM(Change)

    explicit RowStore(QObject *parent = nullptr);

    // Builds a row from a full path exactly as a drop or a folder scan does;
    // it shares the extension of `extensionBefore` when that is the same.
    // A sort key made already may be given.
    static RenameEntry entryFromPath(const QString &path, const QString *extensionBefore = nullptr,
                                     const QString *sortKey = nullptr);

    int count() const { return static_cast<int>(m_rows.size()); }
    const RenameEntry &entry(int row) const { return m_rows[static_cast<size_t>(row)]; }
    const std::vector<RenameEntry> &entries() const { return m_rows; }

    void setCell(int row, int column, const QString &text);
    void setChecked(int row, bool checked);
    void setOutcome(int row, const QString &resultText, RenameEntry::Outcome outcome);

    // Edits many rows at once and tells with one cellsChanged over the rows
    // fn touched and the columns [firstColumn, lastColumn].
    // fn(RenameEntry &, int row) returns true when it changed the row.
    template <typename Fn> void editRows(int firstColumn, int lastColumn, Fn &&fn)
    {
        constexpr int kBlock = 512;
        if (m_passListener)
            m_passListener->passStarted(firstColumn, lastColumn);
        int first = -1;
        int last = -1;
        for (int row = 0; row < count(); ++row) {
            if (fn(m_rows[static_cast<size_t>(row)], row)) {
                if (first < 0)
                    first = row;
                last = row;
            }
            if (m_passListener && (row % kBlock == kBlock - 1 || row == count() - 1))
                m_passListener->rowsPassed(row - row % kBlock, row);
        }
        if (m_passListener)
            m_passListener->passFinished(first >= 0);
        if (first >= 0)
            Q_EMIT cellsChanged(first, last, firstColumn, lastColumn, Change::Texts);
    }

    // At most one listener; nullptr for none.
    void setPassListener(RowPassListener *listener) { m_passListener = listener; }

    // Writes what a row holds besides its cells (where its entry is on disk,
    // the plan's mark) without telling anyone: fn(RenameEntry &, int row).
    template <typename Fn> void updateRowState(int first, int last, Fn &&fn)
    {
        for (int row = std::max(first, 0); row <= last && row < count(); ++row)
            fn(m_rows[static_cast<size_t>(row)], row);
    }

    // The plan marks of rows [first, last] changed.
    void planMarksChanged(int first, int last);

    // Gathers edits of single rows made one after another, as a rename batch
    // makes them, and tells once, when it goes: one cellsChanged over the
    // rows edited and the columns [firstColumn, lastColumn]. A signal per row
    // would cost the view about as much as the rename costs the disk.
    class RowEdits
    {
    public:
        RowEdits(RowStore &store, int firstColumn, int lastColumn)
            : m_store(store), m_firstColumn(firstColumn), m_lastColumn(lastColumn)
        {}
        ~RowEdits() { flush(); }
        RowEdits(const RowEdits &) = delete;
        RowEdits &operator=(const RowEdits &) = delete;

        template <typename Fn> void edit(int row, Fn &&fn)
        {
            if (row < 0 || row >= m_store.count())
                return;
            fn(m_store.m_rows[static_cast<size_t>(row)]);
            m_first = m_first < 0 ? row : std::min(m_first, row);
            m_last = std::max(m_last, row);
        }

        // Tells what was edited so far.
        void flush()
        {
            if (m_first >= 0 && m_last < m_store.count())
                Q_EMIT m_store.cellsChanged(m_first, m_last, m_firstColumn, m_lastColumn,
                                            Change::Texts);
            m_first = m_last = -1;
        }

    private:
        RowStore &m_store;
        const int m_firstColumn;
        const int m_lastColumn;
        int m_first = -1;
        int m_last = -1;
    };

    // AddRowFromPath for many paths, appended in order with one insertion.
    void appendPaths(const QStringList &paths);
    // Appends rows for paths that cleanedPath leaves as they are and orders
    // the whole list by SortKey, as a drop or a folder scan does: the same
    // rows in the same places as appendPaths then setSort, only sooner.
    void appendAndSortByKey(const QStringList &cleanPaths, Qt::SortOrder order);
    void removeRowsAt(std::vector<int> rows);
    void clear();

    // Orders the rows by one column's text, stably. Rows added later stay
    // where they are put until the ordering is set again.
    void setSort(int column, Qt::SortOrder order);
    bool sortEnabled() const { return m_sortEnabled; }
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // Moves one row from one display position to another; it becomes checked
    // and keeps every cell and colour.
    bool moveRowTo(int from, int to);

    // Every row, checked or not: preview and base name back to the name on disk.
    void restorePreview();

    // After a folder was renamed on disk, the rows of entries inside it point
    // to the new place.
    void rebaseInside(const QString &oldFolder, const QString &newFolder);

Q_SIGNALS:
    // Rows of these paths are about to be made at the end of the list: the
    // k-th new row of paths[order[k]] (of paths[k] where order is empty).
    void pathsAboutToBeAppended(const QStringList &paths, const std::vector<int> &order);
    void rowsAboutToBeInserted(int first, int last);
    void rowsInserted(int first, int last);
    void rowsAboutToBeRemoved(int first, int last);
    void rowsRemoved(int first, int last);
    void aboutToBeReset();
    void wasReset();
    void aboutToBeReordered();
    // newPosition[old row] is where that row is now.
    void reordered(const std::vector<int> &newPosition);
    void rowAboutToMove(int from, int to);
    void rowMoved(int from, int to);
    void cellsChanged(int firstRow, int lastRow, int firstColumn, int lastColumn,
                      RowStore::Change change);

private:
    // Rows in `order` as pathsAboutToBeAppended tells it; sortKeys: none, or
    // one for each path.
    void appendCleanPaths(const QStringList &paths, const std::vector<int> &order = {},
                          const std::vector<QString> &sortKeys = {});
    void reserveMore(size_t rows);
    void repackNames();

    std::vector<RenameEntry> m_rows;
    RowPassListener *m_passListener = nullptr;
    bool m_sortEnabled = false;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
