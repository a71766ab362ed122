#pragma once

#include "rename/DiskView.h"
#include "rename/RenameBatch.h"
#include "rename/RenamePlan.h"

#include "list/RowStore.h"

#include <QObject>

// Keeps the list's plan marks in step with the rows: after every change of
// previews, extensions, check boxes or rows it plans 开始更名 again over the
// disk view and marks the preview cells of the rows that will fail.
class LivePlan : public QObject, private RowPassListener
{
    Q_OBJECT

public:
    explicit LivePlan(RowStore &store, QObject *parent = nullptr);
    ~LivePlan() override;

    DiskView &disk() { return m_disk; }
    // Checked rows the plan finds will fail.
    int failures() const { return m_failures; }

    // Rows of these paths are about to enter the list, once ordered: their
    // folders are read meanwhile.
    void readAhead(const QStringList &paths) { m_disk.readAhead(paths); }
    // Reads again the folders that changed on disk, then plans again if any did.
    void refreshDisk();
    void replan();

    // 开始更名 and 撤消上一次更名 over the rows and this view, planned again
    // once when done.
    BatchResult rename(const RenameFunction &renameFunction, const ProgressFunction &progress = {});
    BatchResult undo(const RenameFunction &renameFunction, const ProgressFunction &progress = {});

    // While one lives, changes of the rows are not planned: a batch writes
    // hundreds of thousands of them. Planning resumes, once, when it goes.
    class Pause
    {
    public:
        explicit Pause(LivePlan &plan) : m_plan(plan) { ++m_plan.m_paused; }
        ~Pause();
        Pause(const Pause &) = delete;
        Pause &operator=(const Pause &) = delete;

    private:
        LivePlan &m_plan;
    };

Q_SIGNALS:
    void failuresChanged(int failures);

private:
    void onRowsInserted(int first, int last);
    void onCellsChanged(int firstRow, int lastRow, int firstColumn, int lastColumn,
                        RowStore::Change change);
    void onStoreReset();
    void rowsMoved();
    // A plan over every row, in blocks: started, a block after the other,
    // then the marks told to the view.
    void beginPlan();
    void planRows(int first, int last);
    void endPlan();
    void setMark(int row, const PlanMark &mark);

    // A rule pass is planned as it goes, a block of rows after the other,
    // while they are still in the processor's cache.
    void passStarted(int firstColumn, int lastColumn) override;
    void rowsPassed(int first, int last) override;
    void passFinished(bool changed) override;

    RowStore &m_store;
    DiskView m_disk;
    RenamePlanner m_planner;
    std::vector<RowVerdict> m_verdicts; // of one block
    std::vector<int> m_held;            // rows whose mark is settled at the end
    int m_firstChanged = -1;
    int m_lastChanged = -1;
    int m_newFailures = 0;
    int m_failures = 0;
    int m_paused = 0;
    bool m_missed = false;
    bool m_planningPass = false;
    bool m_passPlanned = false; // the dataChanged of that pass needs no plan
};
