#include "rename/LivePlan.h"

#include "list/FileListModel.h"

LivePlan::LivePlan(FileListModel &model, QObject *parent) : QObject(parent), m_model(model)
{
    connect(&model, &QAbstractItemModel::rowsInserted, this, &LivePlan::onRowsInserted);
    connect(&model, &QAbstractItemModel::dataChanged, this, &LivePlan::onDataChanged);
    connect(&model, &QAbstractItemModel::modelReset, this, &LivePlan::onModelReset);
    connect(&model, &QAbstractItemModel::rowsRemoved, this, &LivePlan::rowsMoved);
    connect(&model, &QAbstractItemModel::rowsMoved, this, &LivePlan::rowsMoved);
    connect(&model, &QAbstractItemModel::layoutChanged, this, &LivePlan::rowsMoved);
    model.setPassListener(this);
}

LivePlan::~LivePlan()
{
    m_model.setPassListener(nullptr);
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

void LivePlan::onRowsInserted(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid())
        return;
    // New rows are looked up even while paused: their entries are what they
    // are when they enter the list.
    m_disk.resolve(m_model, first, last);
    replan();
}

void LivePlan::onDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                             const QList<int> &roles)
{
    // Our own marks, and colours, change nothing the plan reads.
    const bool marksOnly =
        !roles.isEmpty() && std::all_of(roles.begin(), roles.end(), [](int role) {
            return role == Qt::DecorationRole || role == Qt::ToolTipRole ||
                   role == Qt::ForegroundRole;
        });
    if (marksOnly)
        return;
    // A pass planned as it went needs no second plan.
    if (m_passPlanned) {
        m_passPlanned = false;
        return;
    }
    const bool checkBoxes = roles.contains(Qt::CheckStateRole);
    const bool namesOrPaths = topLeft.column() <= RenameEntry::FullPath &&
                              bottomRight.column() >= RenameEntry::PreviewName;
    if (checkBoxes || namesOrPaths)
        replan();
}

void LivePlan::onModelReset()
{
    if (m_model.count() == 0)
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
    return runRenameBatch(m_model, m_disk, renameFunction, progress);
}

BatchResult LivePlan::undo(const RenameFunction &renameFunction, const ProgressFunction &progress)
{
    const Pause pause(*this);
    return runUndoBatch(m_model, m_disk, renameFunction, progress);
}

void LivePlan::refreshDisk()
{
    if (m_disk.refresh(m_model))
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
    for (int first = 0; first < m_model.count(); first += kBlock)
        planRows(first, std::min(first + kBlock, m_model.count()) - 1);
    endPlan();
}

void LivePlan::beginPlan()
{
    m_planner.start(m_disk, m_model.entries(), RenamePlanner::Mode::Rename);
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
    if (mark == m_model.entry(row).mark)
        return;
    m_model.updateRowState(row, row, [&mark](RenameEntry &e, int) { e.mark = mark; });
    if (m_firstChanged < 0 || row < m_firstChanged)
        m_firstChanged = row;
    m_lastChanged = std::max(m_lastChanged, row);
}

void LivePlan::endPlan()
{
    for (const int row : m_held) {
        PlanMark mark = m_model.entry(row).mark;
        m_planner.settleHeldMark(row, mark);
        setMark(row, mark);
    }
    if (m_firstChanged >= 0)
        m_model.planMarksChanged(m_firstChanged, m_lastChanged);
    if (m_newFailures != m_failures) {
        m_failures = m_newFailures;
        Q_EMIT failuresChanged(m_failures);
    }
}
