// The list commands on a shown main window: dropping paths, ordering by a
// header click, removing half of the rows, exporting, and what a row costs
// in memory. Every timing ends with the list painted.

#include "BenchSupport.h"

#include "list/ListExport.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTemporaryDir>

#include <malloc.h>

namespace {

using benchsupport::registerSized;
using benchsupport::ShownWindow;
using benchsupport::Stopwatch;

QAction *action(const Form1 &window, const char *name)
{
    return window.findChild<QAction *>(QString::fromUtf8(name));
}

// Drop: the paths of real files reach the window as a drop hands them over;
// the rows are made, their folders read, the rows ordered by their sort key,
// planned and painted.
void BM_DropPaths(benchmark::State &state)
{
    const QStringList paths = benchsupport::realTreePaths(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ShownWindow shown;
        const Stopwatch watch;
        shown.window().addDroppedPaths(paths);
        shown.paint();
        state.SetIterationTime(watch.seconds());
        if (shown.model().store().count() != paths.size())
            state.SkipWithError("not every path became a row");
    }
}

// A click on the header of the name column; every click flips the direction.
void BM_SortHeaderClick(benchmark::State &state)
{
    ShownWindow shown;
    shown.window().addDroppedPaths(benchsupport::madeUpPaths(static_cast<int>(state.range(0))));
    shown.paint();
    QHeaderView *header = shown.list().header();
    for (auto _ : state) {
        const Stopwatch watch;
        Q_EMIT header->sectionClicked(RenameEntry::OriginalName);
        shown.paint();
        state.SetIterationTime(watch.seconds());
    }
}

// "删除选定" with every other row selected (the worst case: as many ranges
// as rows removed) or with the first half selected as one block.
void removeHalf(benchmark::State &state, bool scattered)
{
    const int count = static_cast<int>(state.range(0));
    const QStringList paths = benchsupport::madeUpPaths(count);
    ShownWindow shown;
    QAction *clear = action(shown.window(), "清空");
    QAction *remove = action(shown.window(), "删除选定");
    for (auto _ : state) {
        clear->trigger();
        shown.window().addDroppedPaths(paths);
        shown.paint();
        QItemSelection selection;
        const QAbstractItemModel &model = shown.model();
        if (scattered) {
            for (int row = 0; row < count; row += 2)
                selection.select(model.index(row, 0), model.index(row, 0));
        } else {
            selection.select(model.index(0, 0), model.index(count / 2 - 1, 0));
        }
        shown.list().selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
        shown.paint();

        const Stopwatch watch;
        remove->trigger();
        shown.paint();
        state.SetIterationTime(watch.seconds());
        if (shown.model().store().count() != count - count / 2)
            state.SkipWithError("the wrong number of rows was removed");
    }
}

void BM_RemoveHalfScattered(benchmark::State &state)
{
    removeHalf(state, true);
}

void BM_RemoveHalfBlock(benchmark::State &state)
{
    removeHalf(state, false);
}

// The export writes the file; opening it afterwards is left out, since that
// starts another program.
void BM_ExportList(benchmark::State &state)
{
    RowStore model;
    model.appendPaths(benchsupport::madeUpPaths(static_cast<int>(state.range(0))));
    const QTemporaryDir dir;
    for (auto _ : state) {
        const Stopwatch watch;
        const ExportResult result = exportNames(model, dir.path());
        state.SetIterationTime(watch.seconds());
        if (!result.written)
            state.SkipWithError("the export was not written");
    }
}

qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * ::sysconf(_SC_PAGESIZE) : 0;
}

// Resident memory before and after real files were dropped onto a shown
// window and painted, the listings of their folders included; memory freed
// by earlier benchmarks goes back to the system first so that it cannot hide
// the rows' cost. heap_per_row is the same difference as the allocator
// counts it.
void BM_MemoryPerRow(benchmark::State &state)
{
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        QStringList paths = benchsupport::realTreePaths(count);
        ShownWindow shown;
        ::malloc_trim(0);
        const qint64 residentBefore = residentBytes();
        const size_t heapBefore = ::mallinfo2().uordblks;
        const Stopwatch watch;
        shown.window().addDroppedPaths(paths);
        paths.clear(); // the drop's own list is gone once the drop returns
        shown.paint();
        state.SetIterationTime(watch.seconds());
        const qint64 residentAfter = residentBytes();
        const size_t heapAfter = ::mallinfo2().uordblks;
        state.counters["bytes_per_row"] =
            static_cast<double>(residentAfter - residentBefore) / count;
        state.counters["heap_per_row"] =
            (static_cast<double>(heapAfter) - static_cast<double>(heapBefore)) / count;
    }
}

[[maybe_unused]] const bool registered = [] {
    registerSized("BM_DropPaths", BM_DropPaths, 20, 5, 3);
    benchsupport::registerMillion("BM_DropPaths", BM_DropPaths, 2);
    registerSized("BM_SortHeaderClick", BM_SortHeaderClick, 20, 10, 5);
    registerSized("BM_RemoveHalfScattered", BM_RemoveHalfScattered, 10, 5, 3);
    registerSized("BM_RemoveHalfBlock", BM_RemoveHalfBlock, 10, 5, 3);
    registerSized("BM_ExportList", BM_ExportList, 20, 10, 5);
    registerSized("BM_MemoryPerRow", BM_MemoryPerRow, 1, 1, 1);
    benchsupport::registerMillion("BM_MemoryPerRow", BM_MemoryPerRow, 1);
    return true;
}();

} // namespace
