// The folder walk against find(1) on the same tree: 100,000 files in 1,000
// folders, made once in /tmp and kept for later runs.
#include "scan/FolderWalk.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kGroups = 10;
constexpr int kFoldersPerGroup = 99; // plus the group folder itself: 1,000 folders
constexpr int kFilesPerFolder = 100;

void fillFolder(const QString &folder)
{
    QDir().mkpath(folder);
    for (int i = 0; i < kFilesPerFolder; ++i) {
        const QByteArray path = QFile::encodeName(
            folder + QStringLiteral("/IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0')));
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0)
            ::close(fd);
    }
}

const QString &benchTree()
{
    static const QString root = [] {
        const QString dir = QStringLiteral("/tmp/quib-scan-bench");
        const QString done = dir + QStringLiteral(".complete"); // beside the tree, not in it
        if (!QFile::exists(done)) {
            for (int g = 0; g < kGroups; ++g) {
                const QString group = dir + QStringLiteral("/g%1").arg(g);
                fillFolder(group);
                for (int f = 0; f < kFoldersPerGroup; ++f)
                    fillFolder(group + QStringLiteral("/f%1").arg(f));
            }
            QFile marker(done);
            marker.open(QIODevice::WriteOnly);
        }
        return dir;
    }();
    return root;
}

void BM_FileSearchFso(benchmark::State &state, bool listFolders, const char *filter)
{
    const QString root = benchTree();
    WalkOptions options;
    options.recurse = true;
    options.listFolders = listFolders;
    options.filter = QString::fromLatin1(filter);
    qsizetype found = 0;
    for (auto _ : state) {
        const WalkResult result = FileSearchFso(root, options, [](const QString &) {});
        found = result.paths.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["paths"] = static_cast<double>(found);
}
BENCHMARK_CAPTURE(BM_FileSearchFso, all_files, false, "*")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FileSearchFso, jpg_and_folders, true, ".jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FileSearchFso, pattern_none_match, false, "IMG_##[5-9]?.gif")
    ->Unit(benchmark::kMillisecond);

// The yardstick: the same tree through find, process start included.
void BM_FindTypeF(benchmark::State &state)
{
    const QByteArray command = "find " + QFile::encodeName(benchTree()) + " -type f > /dev/null";
    for (auto _ : state) {
        const int rc = std::system(command.constData());
        if (rc != 0)
            state.SkipWithError("find failed");
    }
}
BENCHMARK(BM_FindTypeF)->Unit(benchmark::kMillisecond);

} // namespace
