#include "rules/RuleTabBar.h"

#include <QKeyEvent>
#include <QScopedValueRollback>

RuleTabBar::RuleTabBar(QWidget *parent) : QTabBar(parent)
{}

void RuleTabBar::stepBy(int step)
{
    if (count() < 1)
        return;
    const QScopedValueRollback<bool> byKeys(m_movingByKeys, true);
    setCurrentIndex(((currentIndex() + step) % count() + count()) % count());
}

void RuleTabBar::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        Q_EMIT currentConfirmed(currentIndex());
        return;
    }
    const QScopedValueRollback<bool> byKeys(m_movingByKeys, true);
    QTabBar::keyPressEvent(event);
}

#if QT_CONFIG(wheelevent)
void RuleTabBar::wheelEvent(QWheelEvent *event)
{
    const QScopedValueRollback<bool> byKeys(m_movingByKeys, true);
    QTabBar::wheelEvent(event);
}
#endif
