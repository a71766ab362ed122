// Input a hostile or careless user gives the rule boxes: patterns that
// backtrack without end, templates and replacements that make names far
// longer than any file name, a huge one-line paste into the list import.
// Each case is one keystroke (or one press of 导入到列表) on the shown
// window, to the painted list; peak_mib is how far the process's peak
// resident memory during a keystroke rose above what the window with its
// rows held before any of the case's input.

#include "BenchSupport.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>

#include <functional>

namespace {

using benchsupport::ShownWindow;
using benchsupport::Stopwatch;

// Resident and peak resident memory in KiB, from /proc/self/status.
qint64 statusKib(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// Lets the next reading of the peak start from the memory held now.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

QLineEdit *lineEditOf(QWidget *owner, const char *name)
{
    auto *combo = owner->findChild<QComboBox *>(QString::fromUtf8(name));
    return combo ? combo->lineEdit() : owner->findChild<QLineEdit *>(QString::fromUtf8(name));
}

void setBox(QWidget *owner, const char *name, const QString &text)
{
    if (auto *combo = owner->findChild<QComboBox *>(QString::fromUtf8(name)))
        combo->setEditText(text);
    else if (auto *edit = owner->findChild<QLineEdit *>(QString::fromUtf8(name)))
        edit->setText(text);
}

// Rows that need not exist on disk: the rules only read their names.
QStringList rowsNamed(int count, const std::function<QString(int)> &name)
{
    QStringList paths;
    paths.reserve(count);
    for (int i = 0; i < count; ++i)
        paths << QStringLiteral("/nonexistent/quib-bench/") + name(i) + QStringLiteral(".txt");
    return paths;
}

// Runs `act` once per iteration on a window holding `paths`, timing it to
// the painted list and recording the peak memory it took.
void measure(benchmark::State &state, const QStringList &paths,
             const std::function<void(Form1 &)> &prepare, const std::function<void(Form1 &)> &act,
             bool countPrepared = true)
{
    ShownWindow shown;
    shown.window().addDroppedPaths(paths);
    shown.paint();
    qint64 before = statusKib("VmRSS:");
    prepare(shown.window());
    shown.paint();
    if (!countPrepared)
        before = statusKib("VmRSS:");
    double peakMib = 0;
    double worstMs = 0;
    for (auto _ : state) {
        resetPeak();
        const Stopwatch watch;
        act(shown.window());
        shown.paint();
        state.SetIterationTime(watch.seconds());
        worstMs = std::max(worstMs, watch.seconds() * 1000);
        peakMib = std::max(peakMib, double(statusKib("VmHWM:") - before) / 1024);
    }
    state.counters["peak_mib"] = peakMib;
    state.counters["worst_ms"] = worstMs;
}

// The box holds `text` without its last character; the keystroke types it.
void typeLastKey(benchmark::State &state, const QStringList &paths, const char *box,
                 const QString &text, const std::function<void(Form1 &)> &prepare = {})
{
    measure(
        state, paths,
        [&](Form1 &window) {
            if (prepare)
                prepare(window);
            setBox(&window, box, text.chopped(1));
            lineEditOf(&window, box)->setFocus();
            lineEditOf(&window, box)->end(false);
        },
        [&](Form1 &window) {
            QLineEdit *edit = lineEditOf(&window, box);
            // Every other iteration takes the key back, so each one runs the rule.
            const bool typing = edit->text() != text;
            const QChar last = text.back();
            const int key = typing ? last.toUpper().unicode() : int(Qt::Key_Backspace);
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier,
                            typing ? QString(last) : QString());
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, press.text());
            QApplication::sendEvent(edit, &press);
            QApplication::sendEvent(edit, &release);
        });
}

int rows(const benchmark::State &state)
{
    return static_cast<int>(state.range(0));
}

// 60 to 200 "a" and a "b": "(a+)+$" backtracks past the match limit at once.
QString longRunOfA(int i)
{
    return QString(60 + i % 141, u'a') + QStringLiteral("b") + QString::number(i);
}

// Runs of 18 "a" between "b": every start stays under the match limit, but
// together they cost millions of steps a name.
QString manyShortRuns(int i)
{
    return QString(10, u'x').replace(u'x', QString(18, u'a') + u'b') + QString::number(i);
}

void BM_Hostile_RegexNested(benchmark::State &state)
{
    typeLastKey(state, rowsNamed(rows(state), longRunOfA), "zzFindText", QStringLiteral("(a+)+$"));
}

void BM_Hostile_RegexNestedOrBang(benchmark::State &state)
{
    typeLastKey(state, rowsNamed(rows(state), manyShortRuns), "zzFindText",
                QStringLiteral("(a+)+$|!"));
}

// "$'" after every empty match: a name of n units grows to about n*n/2, here
// 150 units to 11,000.
void BM_Hostile_RegexEmptyMatchRest(benchmark::State &state)
{
    const auto name = [](int i) { return QString(150, u'n') + QString::number(i); };
    typeLastKey(state, rowsNamed(rows(state), name), "zzReplaceText", QStringLiteral("$'"),
                [](Form1 &window) { setBox(&window, "zzFindText", QStringLiteral("(?:)")); });
}

void BM_Hostile_Numbering5000(benchmark::State &state)
{
    typeLastKey(state, benchsupport::madeUpPaths(rows(state)), "序号mb", QString(5000, u'#'));
}

// 1,001 counters of 255 digits: a quarter of a million units a name.
void BM_Hostile_Numbering1001Wide(benchmark::State &state)
{
    typeLastKey(
        state, benchsupport::madeUpPaths(rows(state)), "序号mb", QString(1001, u'#'),
        [](Form1 &window) {
            setBox(&window, "序号combox3", QStringLiteral("255"));
            window.findChild<QAbstractButton *>(QStringLiteral("序号check"))->setChecked(true);
        });
}

// A 10 MB paste of one line into 列表's box (neither timed nor counted in
// the memory: that is Qt's own work), then 导入到列表, which closes the dialog.
void BM_Hostile_ImportHugeLine(benchmark::State &state)
{
    measure(
        state, benchsupport::madeUpPaths(rows(state)),
        [](Form1 &window) {
            auto *tabs = window.findChild<QTabBar *>(QStringLiteral("TabStrip1"));
            tabs->setCurrentIndex(tabs->count() - 1); // 已有规则
            auto *dialog = window.findChild<QDialog *>(QStringLiteral("列表"));
            dialog->findChild<QPlainTextEdit *>(QStringLiteral("Text1"))
                ->setPlainText(QString(10 << 20, u'n'));
        },
        [](Form1 &window) {
            auto *dialog = window.findChild<QDialog *>(QStringLiteral("列表"));
            if (dialog)
                dialog->findChild<QAbstractButton *>(QStringLiteral("Command1"))->click();
        },
        false);
}

void registerHostile(const char *name, void (*fn)(benchmark::State &), int count, int iterations)
{
    benchmark::RegisterBenchmark(name, fn)
        ->Arg(count)
        ->Iterations(iterations)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
}

[[maybe_unused]] const bool registered = [] {
    registerHostile("BM_Hostile/regex_nested", BM_Hostile_RegexNested, 10000, 4);
    registerHostile("BM_Hostile/regex_nested_or_bang", BM_Hostile_RegexNestedOrBang, 1000, 2);
    registerHostile("BM_Hostile/regex_nested_or_bang", BM_Hostile_RegexNestedOrBang, 10000, 4);
    registerHostile("BM_Hostile/regex_empty_match_rest", BM_Hostile_RegexEmptyMatchRest, 10000, 4);
    registerHostile("BM_Hostile/numbering_5000", BM_Hostile_Numbering5000, 10000, 4);
    registerHostile("BM_Hostile/numbering_1001_wide", BM_Hostile_Numbering1001Wide, 10000, 4);
    registerHostile("BM_Hostile/import_10mb_line", BM_Hostile_ImportHugeLine, 10000, 1);
    return true;
}();

} // namespace
