// The cases that touch the disk, each beside what the system itself does
// with the same files in the same run: renaming and undo against a bare
// renameat2 loop (on the disk under /tmp and in memory on /dev/shm), and the
// folder walk and the scan into the list against find.

#include "BenchSupport.h"

#include "rename/LivePlan.h"
#include "rename/RenameBatch.h"
#include "rename/RenameLayer.h"
#include "rename/RenameProgress.h"
#include "scan/FolderScanDialog.h"
#include "scan/FolderWalk.h"

#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

using benchsupport::ShownWindow;
using benchsupport::Stopwatch;

// n real files f0.txt ... in a fresh folder. The three rename cases of one
// size and file system share them, so they rename the very same files; every
// case leaves them under their first names.
class RenameFiles
{
public:
    RenameFiles(const QString &base, int count) : m_dir(base + QStringLiteral("/quib-bench-XXXXXX"))
    {
        for (int i = 0; i < count; ++i) {
            const QString path = m_dir.filePath(QStringLiteral("f%1.txt").arg(i));
            const int fd =
                ::open(QFile::encodeName(path).constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd >= 0)
                ::close(fd);
            m_paths.push_back(path);
            m_from.push_back(QFile::encodeName(path));
            m_to.push_back(QFile::encodeName(m_dir.filePath(QStringLiteral("g%1.txt").arg(i))));
        }
    }

    bool valid() const { return m_dir.isValid(); }
    const QStringList &paths() const { return m_paths; }

    // The floor: one renameat2 per file, native paths prepared beforehand.
    int bareRenames(bool forward) const
    {
        const std::vector<QByteArray> &a = forward ? m_from : m_to;
        const std::vector<QByteArray> &b = forward ? m_to : m_from;
        int failed = 0;
        for (size_t i = 0; i < a.size(); ++i)
            failed += ::renameat2(AT_FDCWD, a[i].constData(), AT_FDCWD, b[i].constData(),
                                  RENAME_NOREPLACE) != 0;
        return failed;
    }

private:
    QTemporaryDir m_dir;
    QStringList m_paths;
    std::vector<QByteArray> m_from;
    std::vector<QByteArray> m_to;
};

// The files dropped onto a shown window, with previews g0 ... as a rule
// would have left them, and progress shown in the window's status text the
// way the window itself shows it. Every round starts after the bare loop,
// so the batch finds the folder changed and reads it again, as it must.
class RenameWindow
{
public:
    explicit RenameWindow(const QStringList &paths)
    {
        m_shown.window().addDroppedPaths(paths);
        m_shown.model().store().editRows(
            RenameEntry::PreviewName, RenameEntry::PreviewName, [](RenameEntry &e, int) {
                e.previewName = QLatin1Char('g') + e.originalName.mid(1);
                return true;
            });
        m_shown.paint();
        m_status = m_shown.window().findChild<QLabel *>(QStringLiteral("ts"));
    }

    ShownWindow &shown() { return m_shown; }

    ProgressFunction progress() { return renamingProgressIn(m_status); }

private:
    ShownWindow m_shown;
    QLabel *m_status = nullptr;
};

bool allSucceeded(const BatchResult &result, int count)
{
    return result.succeeded == count && result.failed == 0;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// One round renames the same files three ways, one after the other, so all
// three meet the machine in the same state: the bare renameat2 loop (and
// back), the batch as 开始更名 runs it, then its undo. Each is timed up to
// the rows being written; painting the changed list is timed on its own, a
// cost per batch rather than per file. The counters are medians over the
// rounds, and the speed ratios are medians of each round's own ratio.
void BM_RenameRound(benchmark::State &state, const QString &base)
{
    const int count = static_cast<int>(state.range(0));
    const RenameFiles files(base, count);
    if (!files.valid()) {
        state.SkipWithError("no folder for the files");
        return;
    }
    RenameWindow window(files.paths());
    // What 开始更名 and its undo run: over the window's own disk view, with
    // the list planned again once at the end.
    LivePlan *plan = window.shown().window().findChild<LivePlan *>();
    std::vector<double> loop, rename, undo, paint, renameSpeed, undoSpeed, undoVsRename;
    for (auto _ : state) {
        Stopwatch watch;
        const int failed = files.bareRenames(true);
        loop.push_back(watch.seconds());
        if (failed != 0 || files.bareRenames(false) != 0) {
            state.SkipWithError("renameat2 failed");
            break;
        }

        watch = Stopwatch();
        const BatchResult forward = plan->rename(renameOnDisk, window.progress());
        rename.push_back(watch.seconds());
        watch = Stopwatch();
        window.shown().paint();
        paint.push_back(watch.seconds());

        watch = Stopwatch();
        const BatchResult back = plan->undo(renameOnDisk, window.progress());
        undo.push_back(watch.seconds());
        window.shown().paint();
        if (!allSucceeded(forward, count) || !allSucceeded(back, count)) {
            state.SkipWithError("not every rename succeeded");
            break;
        }
        state.SetIterationTime(rename.back());
        renameSpeed.push_back(loop.back() / rename.back());
        undoSpeed.push_back(loop.back() / undo.back());
        undoVsRename.push_back(undo.back() / rename.back());
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["loop_ms"] = median(loop) * 1e3;
    state.counters["rename_ms"] = median(rename) * 1e3;
    state.counters["undo_ms"] = median(undo) * 1e3;
    state.counters["paint_ms"] = median(paint) * 1e3;
    state.counters["rename_speed"] = median(renameSpeed);
    state.counters["undo_speed"] = median(undoSpeed);
    state.counters["undo_vs_rename"] = median(undoVsRename);
}

// What find(1) takes for the same tree, its start included; its output is
// thrown away.
void BM_Find(benchmark::State &state)
{
    const QByteArray root =
        QFile::encodeName(benchsupport::realTree(static_cast<int>(state.range(0))));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    char find[] = "find";
    char type[] = "-type";
    char f[] = "f";
    std::vector<char> rootArg(root.begin(), root.end());
    rootArg.push_back('\0');
    char *argv[] = {find, rootArg.data(), type, f, nullptr};
    for (auto _ : state) {
        const Stopwatch watch;
        pid_t pid = 0;
        int status = 0;
        if (posix_spawnp(&pid, "find", &actions, nullptr, argv, environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("find failed");
        state.SetIterationTime(watch.seconds());
    }
    posix_spawn_file_actions_destroy(&actions);
}

// The walk alone, as the scan dialog runs it.
void BM_Walk(benchmark::State &state)
{
    const int count = static_cast<int>(state.range(0));
    const QString root = benchsupport::realTree(count);
    for (auto _ : state) {
        const Stopwatch watch;
        const WalkResult result = FileSearchFso(root, WalkOptions(), [](const QString &) {});
        state.SetIterationTime(watch.seconds());
        if (result.paths.size() != count)
            state.SkipWithError("the walk missed files");
    }
}

// The scan as the user starts it: a folder dropped on the list opens the
// dialog, "开始获取" walks the folder, and the list is refilled, ordered and
// painted.
void BM_ScanIntoList(benchmark::State &state)
{
    // The dialog remembers the folder in the user's settings: not the real ones.
    QStandardPaths::setTestModeEnabled(true);
    const int count = static_cast<int>(state.range(0));
    const QString root = benchsupport::realTree(count);
    ShownWindow shown;
    for (auto _ : state) {
        shown.window().addDroppedPaths({root});
        shown.paint();
        auto *dialog = shown.window().findChild<FolderScanDialog *>();
        QPushButton *start =
            dialog ? dialog->findChild<QPushButton *>(QStringLiteral("Command1")) : nullptr;
        if (!start) {
            state.SkipWithError("no scan dialog");
            break;
        }
        const Stopwatch watch;
        start->click();
        shown.paint();
        state.SetIterationTime(watch.seconds());
        if (shown.model().store().count() != count)
            state.SkipWithError("the scan missed files");
        // The dialog closed itself; let it go before the next round.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

[[maybe_unused]] const bool registered = [] {
    const struct
    {
        const char *name;
        const char *base;
    } places[] = {{"tmp", "/tmp"}, {"shm", "/dev/shm"}};
    const int sizes[] = {1000, 10000, 100000};
    const int rounds[] = {30, 10, 5};
    for (const auto &place : places) {
        for (int i = 0; i < 3; ++i) {
            const QString base = QString::fromLatin1(place.base);
            benchmark::RegisterBenchmark(
                (std::string("BM_RenameRound/") + place.name).c_str(),
                [base](benchmark::State &state) { BM_RenameRound(state, base); })
                ->Arg(sizes[i])
                ->Iterations(rounds[i])
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime();
        }
    }
    benchsupport::registerSized("BM_Find", BM_Find, 20, 10, 5);
    benchsupport::registerSized("BM_Walk", BM_Walk, 20, 10, 5);
    benchsupport::registerSized("BM_ScanIntoList", BM_ScanIntoList, 10, 5, 3);
    return true;
}();

} // namespace
