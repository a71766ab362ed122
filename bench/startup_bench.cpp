// Start-up to the first shown window: inside this process (the main window
// built, shown and painted once; the application object already exists, as
// it does before main() builds the window), and the whole program started
// as a new process that ends after its first paint.

#include "BenchSupport.h"

#include <QElapsedTimer>

#include <cstring>
#include <string>
#include <vector>

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
// painted, and the process gone again: on the offscreen platform this suite
// runs on, and on an X display when there is one (bench/run starts Xvfb).
void BM_ProcessStartupToFirstPaint(benchmark::State &state, const char *platform)
{
    std::vector<std::string> variables;
    for (char **variable = environ; *variable; ++variable) {
        if (std::strncmp(*variable, "QT_QPA_PLATFORM=", 16) != 0)
            variables.emplace_back(*variable);
    }
    variables.push_back(std::string("QT_QPA_PLATFORM=") + platform);
    std::vector<char *> envp;
    for (std::string &variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    char program[] = QUIB_EXECUTABLE;
    char option[] = "--quit-after-first-paint";
    char *argv[] = {program, option, nullptr};
    for (auto _ : state) {
        const Stopwatch watch;
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, program, nullptr, nullptr, argv, envp.data()) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("the program did not start and end cleanly");
        state.SetIterationTime(watch.seconds());
    }
}

[[maybe_unused]] const bool registered = [] {
    std::vector<const char *> platforms{"offscreen"};
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        platforms.push_back("xcb");
    for (const char *platform : platforms) {
        benchmark::RegisterBenchmark(
            (std::string("BM_ProcessStartupToFirstPaint/") + platform).c_str(),
            [platform](benchmark::State &state) { BM_ProcessStartupToFirstPaint(state, platform); })
            ->Iterations(10)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime();
    }
    return true;
}();

} // namespace
