#pragma once

#include <QTabBar>

// The rule band's tab strip. A tab can be reached by clicking it, by code,
// or by keys (the arrows on the strip, Ctrl+Tab and Ctrl+PgDn anywhere in
// the window, the wheel); a tab with an action of its own ("已有规则" opens
// a dialog) should act on a click, or on Enter or Space once reached by keys,
// not while the user merely moves past it.
class RuleTabBar : public QTabBar
{
    Q_OBJECT

public:
    explicit RuleTabBar(QWidget *parent = nullptr);

    // True while the current tab changes by keys or the wheel.
    bool movingByKeys() const { return m_movingByKeys; }

    // Moves `step` tabs on, round the ends, as keys do.
    void stepBy(int step);

Q_SIGNALS:
    // Enter or Space on the strip: the current tab is wanted.
    void currentConfirmed(int index);

protected:
    void keyPressEvent(QKeyEvent *event) override;
#if QT_CONFIG(wheelevent)
    void wheelEvent(QWheelEvent *event) override;
#endif

private:
    bool m_movingByKeys = false;
};
