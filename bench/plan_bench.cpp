// The rename plan alone: every checked row judged against the folder
// listings, as after each keystroke, once the listings exist. Real files:
// one folder of n, and a tree of n/100 folders of 100.

#include "BenchSupport.h"

#include "rename/DiskView.h"
#include "rename/RenamePlan.h"

#include <QTemporaryDir>

namespace {

using benchsupport::Stopwatch;

void planOver(benchmark::State &state, const QStringList &paths)
{
    RowStore model;
    model.appendPaths(paths);
    // Previews as a rule leaves them: new names, none taken.
    model.editRows(RenameEntry::PreviewName, RenameEntry::PreviewName, [](RenameEntry &e, int) {
        e.previewName = QStringLiteral("trip_") + e.originalName;
        return true;
    });
    DiskView disk;
    disk.resolve(model, 0, model.count() - 1);
    RenamePlanner planner;
    std::vector<RowVerdict> verdicts(size_t(model.count()));
    for (auto _ : state) {
        const Stopwatch watch;
        planner.start(disk, model.entries(), RenamePlanner::Mode::Rename);
        planner.plan(0, model.count(), verdicts.data());
        state.SetIterationTime(watch.seconds());
        const int renames = int(std::count_if(verdicts.begin(), verdicts.end(), [](const auto &v) {
            return v.action == RowVerdict::Action::Rename;
        }));
        if (renames != model.count())
            state.SkipWithError("the plan foresaw failures");
    }
}

void BM_PlanOneFolder(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QTemporaryDir dir(QStringLiteral("/tmp/quib-bench-XXXXXX"));
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back(dir.filePath(QStringLiteral("IMG_%1.jpg").arg(i, 6, 10, QLatin1Char('0'))));
        const int fd = ::open(QFile::encodeName(paths.back()).constData(),
                              O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0)
            ::close(fd);
    }
    planOver(state, paths);
}

void BM_PlanFolders(benchmark::State &state)
{
    planOver(state, benchsupport::realTreePaths(int(state.range(0))));
}

[[maybe_unused]] const bool registered = [] {
    benchsupport::registerSized("BM_PlanOneFolder", BM_PlanOneFolder, 20, 20, 20);
    benchsupport::registerSized("BM_PlanFolders", BM_PlanFolders, 20, 20, 20);
    benchsupport::registerMillion("BM_PlanFolders", BM_PlanFolders, 5);
    return true;
}();

} // namespace
