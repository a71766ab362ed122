#include "rules/EcmaRegex.h"

#include <benchmark/benchmark.h>

#include <QString>
#include <QStringList>

namespace {

QStringList numberedNames(int count)
{
    QStringList names;
    names.reserve(count);
    for (int i = 1; i <= count; ++i)
        names.append(QStringLiteral("IMG_%1").arg(i, 4, 10, QLatin1Char('0')));
    return names;
}

// One preview pass of the regular-expression rule over a large list: the pattern is compiled
// once, then every name is rewritten.
void BM_RegexRenameNames(benchmark::State &state)
{
    const QStringList names = numberedNames(int(state.range(0)));
    const QString replacement = QStringLiteral("_$1");
    for (auto _ : state) {
        const EcmaRegex regex(QStringLiteral("(\\d+)"));
        qsizetype total = 0;
        for (const QString &name : names)
            total += regex.replaceAll(name, replacement).size();
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RegexRenameNames)->Arg(100'000)->Unit(benchmark::kMillisecond);

// Empty matches at every position are the slow path of a global replace.
void BM_RegexEmptyMatches(benchmark::State &state)
{
    const QStringList names = numberedNames(int(state.range(0)));
    for (auto _ : state) {
        const EcmaRegex regex(QStringLiteral("x*"));
        qsizetype total = 0;
        for (const QString &name : names)
            total += regex.replaceAll(name, QStringLiteral("-")).size();
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RegexEmptyMatches)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace
