#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>

#include <utility>

// Progress in a label while a long loop keeps the event loop waiting: the
// loop gives no turn to paint, so the label is painted by hand. Building and
// painting the text costs more than a step of the loop itself, so it happens
// only now and then; a loop done sooner than that paints nothing, as what
// follows it replaces the text anyway.
class LabelProgress
{
public:
    static constexpr qint64 kPaintIntervalMs = 50;

    explicit LabelProgress(QLabel *label) : m_label(label) { m_sincePaint.start(); }

    // makeText is called only when the label is painted.
    template <typename MakeText> void step(MakeText &&makeText)
    {
        if (!m_label || m_sincePaint.elapsed() < kPaintIntervalMs)
            return;
        m_label->setText(std::forward<MakeText>(makeText)());
        m_label->repaint();
        m_sincePaint.restart();
    }

private:
    QPointer<QLabel> m_label;
    QElapsedTimer m_sincePaint;
};
