// Start-up to the first shown window: inside this process (the main window
// built, shown and painted once; the application object already exists, as
// it does before main() builds the window), and the whole program started
// as a new process that ends after its first paint.

#include "BenchSupport.h"

#include <QElapsedTimer>

#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

using benchsupport::PaintCounter;
using benchsupport::Stopwatch;

void BM_StartupToFirstPaint(benchmark::State &state)
{
    for (auto _ : state) {
        const Stopwatch watch;
        Form1 window;
        window.show();
        auto *paints = new PaintCounter(benchsupport::listOf(window)->viewport());
        QElapsedTimer limit;
        limit.start();
        while (paints->count() == 0 && limit.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        state.SetIterationTime(watch.seconds());
        if (paints->count() == 0)
            state.SkipWithError("the window was never painted");
    }
}
BENCHMARK(BM_StartupToFirstPaint)->Iterations(20)->Unit(benchmark::kMillisecond)->UseManualTime();

// The process started, its libraries loaded, the window built, shown and
// painted, and the process gone again (on the offscreen platform this
// suite runs on).
void BM_ProcessStartupToFirstPaint(benchmark::State &state)
{
    char program[] = QUIB_EXECUTABLE;
    char option[] = "--quit-after-first-paint";
    char *argv[] = {program, option, nullptr};
    for (auto _ : state) {
        const Stopwatch watch;
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("the program did not start and end cleanly");
        state.SetIterationTime(watch.seconds());
    }
}
BENCHMARK(BM_ProcessStartupToFirstPaint)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

} // namespace
