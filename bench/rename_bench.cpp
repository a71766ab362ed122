// Renaming 10,000 real entries: the batch over the list model against a bare
// renameat2 loop over the same files, and the undo against the batch.

#include "list/FileListModel.h"
#include "rename/RenameBatch.h"
#include "rename/RenameLayer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <memory>

namespace {

constexpr int kCount = 10000;

// A folder with kCount entries named f0.txt ... (or folders f0 ...) and a
// list model over them whose previews name them g0 ...
class Workload
{
public:
    explicit Workload(bool folders = false)
    {
        QStringList paths;
        paths.reserve(kCount);
        for (int i = 0; i < kCount; ++i) {
            const QString path =
                m_dir.filePath(QStringLiteral("f%1").arg(i) + (folders ? "" : ".txt"));
            if (folders)
                QDir().mkdir(path);
            else
                QFile(path).open(QIODevice::WriteOnly);
            paths << path;
        }
        m_model.appendPaths(paths);
        m_model.editRows(RenameEntry::PreviewName, RenameEntry::PreviewName,
                         [](RenameEntry &e, int row) {
                             e.previewName = QStringLiteral("g%1").arg(row);
                             return true;
                         });
    }

    FileListModel &model() { return m_model; }
    QString path(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    FileListModel m_model;
};

void checkAllSucceeded(benchmark::State &state, const BatchResult &result)
{
    if (result.succeeded != kCount || result.failed != 0)
        state.SkipWithError("not every rename succeeded");
}

void BM_RenameBatch(benchmark::State &state)
{
    Workload work;
    for (auto _ : state) {
        checkAllSucceeded(state, runRenameBatch(work.model(), renameOnDisk));
        state.PauseTiming();
        checkAllSucceeded(state, runUndoBatch(work.model(), renameOnDisk));
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

// The same batch while a table view shows the model, so that every
// dataChanged reaches a real view.
void BM_RenameBatchWithView(benchmark::State &state)
{
    Workload work;
    QTableView view;
    view.setModel(&work.model());
    view.resize(800, 600);
    view.show();
    QApplication::processEvents();
    for (auto _ : state) {
        checkAllSucceeded(state, runRenameBatch(work.model(), renameOnDisk));
        state.PauseTiming();
        checkAllSucceeded(state, runUndoBatch(work.model(), renameOnDisk));
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_UndoBatch(benchmark::State &state)
{
    Workload work;
    for (auto _ : state) {
        state.PauseTiming();
        checkAllSucceeded(state, runRenameBatch(work.model(), renameOnDisk));
        state.ResumeTiming();
        checkAllSucceeded(state, runUndoBatch(work.model(), renameOnDisk));
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

// The floor: one renameat2 per file, native paths prepared beforehand.
void BM_BareRenameat2Loop(benchmark::State &state)
{
    Workload work;
    std::vector<QByteArray> from;
    std::vector<QByteArray> to;
    for (int i = 0; i < kCount; ++i) {
        from.push_back(QFile::encodeName(work.path(QStringLiteral("f%1.txt").arg(i))));
        to.push_back(QFile::encodeName(work.path(QStringLiteral("g%1.txt").arg(i))));
    }
    const auto renameAll = [](const std::vector<QByteArray> &a, const std::vector<QByteArray> &b) {
        int failed = 0;
        for (size_t i = 0; i < a.size(); ++i)
            failed += ::renameat2(AT_FDCWD, a[i].constData(), AT_FDCWD, b[i].constData(),
                                  RENAME_NOREPLACE) != 0;
        return failed;
    };
    for (auto _ : state) {
        if (renameAll(from, to) != 0)
            state.SkipWithError("renameat2 failed");
        state.PauseTiming();
        renameAll(to, from);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

// The list bookkeeping alone: a rename function that always succeeds.
void BM_RenameBatchWithoutDisk(benchmark::State &state)
{
    Workload work;
    const RenameFunction pretend = [](const QString &, const QString &) {
        return std::optional<RenameFailure>();
    };
    for (auto _ : state) {
        checkAllSucceeded(state, runRenameBatch(work.model(), pretend));
        state.PauseTiming();
        checkAllSucceeded(state, runUndoBatch(work.model(), pretend));
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

// Folders: every success asks whether rows lie inside the renamed folder.
void BM_RenameBatchFolders(benchmark::State &state)
{
    Workload work(true);
    for (auto _ : state) {
        checkAllSucceeded(state, runRenameBatch(work.model(), renameOnDisk));
        state.PauseTiming();
        checkAllSucceeded(state, runUndoBatch(work.model(), renameOnDisk));
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

BENCHMARK(BM_BareRenameat2Loop)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenameBatch)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenameBatchWithoutDisk)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenameBatchWithView)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UndoBatch)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenameBatchFolders)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
