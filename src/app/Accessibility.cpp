#include "app/Accessibility.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QGroupBox>
#include <QLayout>

namespace {

// A caption as it reads on screen: access-key markers dropped ("&&" stays
// one "&") and a two-line caption on one line.
QString readable(const QString &caption)
{
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption.at(i);
        if (c == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption.at(i + 1) == QLatin1Char('&')) {
                text.append(c);
                ++i;
            }
            continue;
        }
        text.append(c == QLatin1Char('\n') ? QLatin1Char(' ') : c);
    }
    return text;
}

// The widgets a frame's layout holds, in the order the frame's sentence reads.
QList<QWidget *> sentenceOf(const QLayout *layout)
{
    QList<QWidget *> widgets;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (QWidget *w = item->widget())
            widgets.push_back(w);
        else if (const QLayout *inner = item->layout())
            widgets.append(sentenceOf(inner));
    }
    return widgets;
}

void orderTabsInFrame(const QList<QWidget *> &sentence)
{
    QWidget *previous = nullptr;
    for (QWidget *widget : sentence) {
        if (!(widget->focusPolicy() & Qt::TabFocus))
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

} // namespace

void setUpAccessibility(QWidget *window)
{
    const auto buttons = window->findChildren<QAbstractButton *>();
    for (QAbstractButton *button : buttons) {
        if (!button->text().isEmpty())
            button->setAccessibleName(readable(button->text()));
    }

    const auto frames = window->findChildren<QGroupBox *>();
    for (QGroupBox *frame : frames) {
        if (!frame->layout())
            continue;
        orderTabsInFrame(sentenceOf(frame->layout()));
    }

    // The file list has no caption on screen; it is called what the
    // program calls it elsewhere (the export's "文件列表.txt").
    const auto lists = window->findChildren<QAbstractItemView *>(QStringLiteral("L1"));
    for (QAbstractItemView *list : lists)
        list->setAccessibleName(QStringLiteral("文件列表"));
}
