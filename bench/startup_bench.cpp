// Start-up to the first shown window, inside this process: the main window
// is built, shown and painted once (the application object already exists,
// as it does before main() builds the window).

#include "BenchSupport.h"

#include <QElapsedTimer>

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

} // namespace
