#include "rename/LivePlan.h"

#include "list/RowStore.h"

LivePlan::LivePlan(RowStore &store, QObject *parent) : QObject(parent), m_store(store)
{
    connect(&store, &RowStore::pathsAboutToBeAppended, this,
            [this](const QStringList &paths, const std::vector<int> &order) {
                m_disk.expectRows(paths, order);
            });
    connect(&store, &RowStore::rowsInserted, this, &LivePlan::onRowsInserted);
    connect(&store, &RowStore::cellsChanged, this, &LivePlan::onCellsChanged);
    connect(&store, &RowStore::wasReset, this, &LivePlan::onStoreReset);
    connect(&store, &RowStore::rowsRemoved, this, &LivePlan::rowsMoved);
    connect(&store, &RowStore::rowMoved, this, &LivePlan::rowsMoved);
    connect(&store, &RowStore::reordered, this, &LivePlan::rowsMoved);
    store.setPassListener(this);
}

LivePlan::~LivePlan()
{
    m_store.setPassListener(nullptr);
}

void LivePlan::passStarted(int firstColumn, int lastColumn)
{
    m_passPlanned = false;
    m_planningPass = m_paused == 0 && firstColumn <= RenameEntry::FullPath &&
                     lastColumn >= RenameEntry::PreviewName;
    if (m_planningPass)
        beginPlan();
}

void LivePlan::rowsPassed(int first, int last)
{
    if (m_planningPass)
        planRows(first, last);
}

void LivePlan::passFinished(bool changed)
{
    if (!m_planningPass)
        return;
    m_planningPass = false;
    endPlan();
    m_passPlanned = changed;
}

LivePlan::Pause::~Pause()
{
    if (--m_plan.m_paused == 0 && m_plan.m_missed)
        m_plan.replan();
}

void LivePlan::onRowsInserted(int first, int last)
{
    // New rows are looked up even while paused: their entries are what they
    // are when they enter the list.
    m_disk.resolve(m_store, first, last);
    replan();
}

void LivePlan::onCellsChanged(int, int, int firstColumn, int lastColumn, RowStore::Change change)
{
    // Our own marks change nothing the plan reads.
    if (change == RowStore::Change::Marks)
        return;
    // A pass planned as it went needs no second plan.
    if (m_passPlanned) {
        m_passPlanned = false;
        return;
    }
    const bool checkBoxes = change == RowStore::Change::Checks;
    const bool namesOrPaths =
        firstColumn <= RenameEntry::FullPath && lastColumn >= RenameEntry::PreviewName;
    if (checkBoxes || namesOrPaths)
        replan();
}

void LivePlan::onStoreReset()
{
    if (m_store.count() == 0)
        m_disk.clear();
    rowsMoved();
}

void LivePlan::rowsMoved()
{
    replan();
}

BatchResult LivePlan::rename(const RenameFunction &renameFunction, const ProgressFunction &progress)
{
    const Pause pause(*this);
    return runRenameBatch(m_store, m_disk, renameFunction, progress);
}

BatchResult LivePlan::undo(const RenameFunction &renameFunction, const ProgressFunction &progress)
{
    const Pause pause(*this);
    return runUndoBatch(m_store, m_disk, renameFunction, progress);
}

void LivePlan::refreshDisk()
{
    if (m_disk.refresh(m_store))
        replan();
}

void LivePlan::replan()
{
    if (m_paused > 0) {
        m_missed = true;
        return;
    }
    m_missed = false;
    beginPlan();
    constexpr int kBlock = 512;
    for (int first = 0; first < m_store.count(); first += kBlock)
        planRows(first, std::min(first + kBlock, m_store.count()) - 1);
    endPlan();
}

void LivePlan::beginPlan()
{
    m_planner.start(m_disk, m_store.entries(), RenamePlanner::Mode::Rename);
    m_firstChanged = m_lastChanged = -1;
    m_newFailures = 0;
    m_held.clear();
}

void LivePlan::planRows(int first, int last)
{
    m_verdicts.resize(size_t(last - first + 1));
    m_planner.plan(first, last - first + 1, m_verdicts.data());
    for (int row = first; row <= last; ++row) {
        const PlanMark &mark = m_verdicts[size_t(row - first)].mark;
        m_newFailures += mark.isFailure();
        // Which rows renamed later hold a name is settled at the end.
        if (mark.reason == PlanReason::TargetHeldBelow ||
            mark.reason == PlanReason::TargetHeldStays)
            m_held.push_back(row);
        setMark(row, mark);
    }
}

void LivePlan::setMark(int row, const PlanMark &mark)
{
    // The row was just read by the plan: it is still in the cache.
    if (mark == m_store.entry(row).mark)
        return;
    m_store.updateRowState(row, row, [&mark](RenameEntry &e, int) { e.mark = mark; });
    if (m_firstChanged < 0 || row < m_firstChanged)
        m_firstChanged = row;
    m_lastChanged = std::max(m_lastChanged, row);
}

void LivePlan::endPlan()
{
    for (const int row : m_held) {
        PlanMark mark = m_store.entry(row).mark;
        m_planner.settleHeldMark(row, mark);
        setMark(row, mark);
    }
    if (m_firstChanged >= 0)
        m_store.planMarksChanged(m_firstChanged, m_lastChanged);
    if (m_newFailures != m_failures) {
        m_failures = m_newFailures;
        Q_EMIT failuresChanged(m_failures);
    }
}
