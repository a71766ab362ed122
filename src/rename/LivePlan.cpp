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
    m_marksInOrder = false;
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
    m_marksInOrder = false;
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
    const std::vector<RenameEntry> &rows = m_model.entries();
    m_planner.start(m_disk, rows, RenamePlanner::Mode::Rename);
    m_verdicts.resize(rows.size());
    m_planner.plan(0, int(rows.size()), m_verdicts.data());
    // The marks are compared with the copy kept of them, not with the rows:
    // over 100,000 rows that is the difference between reading 800 kB in
    // one stream and reading a cache line of every row. The copy is in row
    // order unless rows came, went or moved since.
    if (!m_marksInOrder || m_marks.size() != rows.size()) {
        m_marks.resize(rows.size());
        for (size_t i = 0; i < rows.size(); ++i)
            m_marks[i] = rows[i].mark;
        m_marksInOrder = true;
    }
    int first = -1;
    int last = -1;
    int failures = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const PlanMark &mark = m_verdicts[i].mark;
        failures += mark.isFailure();
        if (mark == m_marks[i])
            continue;
        m_marks[i] = mark;
        m_model.updateRowState(int(i), int(i), [&mark](RenameEntry &row, int) { row.mark = mark; });
        if (first < 0)
            first = int(i);
        last = int(i);
    }
    if (first >= 0)
        m_model.planMarksChanged(first, last);
    if (failures != m_failures) {
        m_failures = failures;
        Q_EMIT failuresChanged(failures);
    }
}
