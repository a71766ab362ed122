#pragma once

#include "rules/RuleFrame.h"

#include <QWidget>

#include <vector>

class PreviewChain;
class QGroupBox;
class RuleTabBar;

// The band of naming rules at the top of the main window: the tab strip and
// the frame of rule fields each tab brings forward, built and connected from
// the tabs' declarations (rules/RuleFrames.h). Every edit of a field re-runs
// its rule over the list at once, so the preview column follows the typing.
class RuleBand : public QWidget
{
    Q_OBJECT

public:
    explicit RuleBand(PreviewChain &chain, QWidget *parent = nullptr);

    // Start-up: fills the drop-down lists and sets the start values.
    void initialise();

Q_SIGNALS:
    // A rule wants the main window's message label to show this text.
    void messageChanged(const QString &text);
    // The tab "已有规则" was chosen.
    void existingRulesRequested();

private:
    void connectRules(const RuleFrame &declared, QGroupBox *frame, PreviewChain &chain);
    void onTabChosen(int index);

    const std::vector<RuleFrame> m_declared;
    RuleTabBar *m_tabs = nullptr;
    // The frame of each tab; none for a tab that opens a dialog instead.
    QList<QGroupBox *> m_frames;
    QGroupBox *m_shownFrame = nullptr;
};
