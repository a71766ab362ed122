#pragma once

// Helpers shared by the benchmarks that drive the whole window: made-up and
// real file trees, the main window shown offscreen, and "painted" meaning
// the list has really processed the change.

#include "app/Form1.h"
#include "list/FileListModel.h"
#include "list/FileListView.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace benchsupport {

// Registers a case at 1,000, 10,000 and 100,000 rows or files, so the table
// shows how the cost grows, with a fixed number of iterations for each size
// (setting up a large case can take longer than the case itself).
template <typename Fn>
void registerSized(const std::string &name, Fn fn, int itersSmall, int itersMedium, int itersLarge)
{
    const int iterations[] = {itersSmall, itersMedium, itersLarge};
    const int sizes[] = {1000, 10000, 100000};
    for (int i = 0; i < 3; ++i)
        benchmark::RegisterBenchmark(name.c_str(), fn)
            ->Arg(sizes[i])
            ->Iterations(iterations[i])
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime();
}

// The same at 1,000,000 rows, for the cases whose goals go that far.
template <typename Fn> void registerMillion(const std::string &name, Fn fn, int iterations)
{
    benchmark::RegisterBenchmark(name.c_str(), fn)
        ->Arg(1000000)
        ->Iterations(iterations)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
}

// Paths that look like a photo collection: 100 files a folder, numbered in
// a shuffled order so that ordering the list has real work to do.
inline QStringList madeUpPaths(int count, unsigned seed = 1)
{
    std::vector<int> numbers(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        numbers[static_cast<size_t>(i)] = i;
    std::shuffle(numbers.begin(), numbers.end(), std::mt19937(seed));
    QStringList paths;
    paths.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int n = numbers[static_cast<size_t>(i)];
        paths.push_back(QStringLiteral("/home/user/Pictures/Album %1/IMG_%2 holiday.jpg")
                            .arg(n / 100, 4, 10, QLatin1Char('0'))
                            .arg(n, 6, 10, QLatin1Char('0')));
    }
    return paths;
}

// A tree of real empty files, 100 a folder, made once under /tmp and kept
// for later runs (a marker beside the tree says it is complete).
inline QString realTree(int count)
{
    const QString root = QStringLiteral("/tmp/quib-bench-tree-%1").arg(count);
    const QString done = root + QStringLiteral(".complete");
    if (QFile::exists(done))
        return root;
    for (int folder = 0; folder * 100 < count; ++folder) {
        const QString dir = root + QStringLiteral("/d%1/sub%2").arg(folder / 10).arg(folder % 10);
        QDir().mkpath(dir);
        for (int i = 0; i < 100 && folder * 100 + i < count; ++i) {
            const QByteArray path = QFile::encodeName(
                dir + QStringLiteral("/IMG_%1.jpg").arg(folder * 100 + i, 6, 10, QLatin1Char('0')));
            const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd >= 0)
                ::close(fd);
        }
    }
    QFile marker(done);
    if (!marker.open(QIODevice::WriteOnly))
        return QString();
    return root;
}

// The paths of realTree(count), folder by folder.
inline QStringList realTreePaths(int count)
{
    const QString root = realTree(count);
    QStringList paths;
    paths.reserve(count);
    for (int folder = 0; folder * 100 < count; ++folder)
        for (int i = 0; i < 100 && folder * 100 + i < count; ++i)
            paths.push_back(root + QStringLiteral("/d%1/sub%2/IMG_%3.jpg")
                                       .arg(folder / 10)
                                       .arg(folder % 10)
                                       .arg(folder * 100 + i, 6, 10, QLatin1Char('0')));
    return paths;
}

inline FileListView *listOf(const Form1 &window)
{
    return window.findChild<FileListView *>(QStringLiteral("L1"));
}

// Counts the paints of the list's viewport.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *target) : QObject(target) { target->installEventFilter(this); }
    int count() const { return m_count; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_count;
        return QObject::eventFilter(watched, event);
    }

private:
    int m_count = 0;
};

// The main window as the user sees it, on the offscreen platform.
class ShownWindow
{
public:
    ShownWindow() : m_window(std::make_unique<Form1>())
    {
        m_window->show();
        m_list = listOf(*m_window);
        m_paints = new PaintCounter(m_list->viewport());
        paint();
    }

    // Hidden before it goes: hiding moves the focus out of a rule box, which
    // may run that box's rule, and that must happen while the window is whole.
    ~ShownWindow() { m_window->hide(); }
    ShownWindow(const ShownWindow &) = delete;
    ShownWindow &operator=(const ShownWindow &) = delete;

    Form1 &window() { return *m_window; }
    FileListView &list() { return *m_list; }
    FileListModel &model() { return m_window->model(); }

    // Lets the window handle what is pending, then makes sure the list was
    // painted with the result: if the event loop did not paint it, it is
    // painted now.
    void paint()
    {
        const int before = m_paints->count();
        QApplication::processEvents();
        if (m_paints->count() == before)
            m_list->viewport()->repaint();
    }

private:
    std::unique_ptr<Form1> m_window;
    FileListView *m_list = nullptr;
    PaintCounter *m_paints = nullptr;
};

// Wall-clock stopwatch for benchmarks that time by hand.
class Stopwatch
{
public:
    Stopwatch() : m_start(std::chrono::steady_clock::now()) {}
    double seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    }

private:
    std::chrono::steady_clock::time_point m_start;
};

} // namespace benchsupport
