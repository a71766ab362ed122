#include "rules/RuleBand.h"

#include "list/FileDrops.h"
#include "rules/FrameBuilder.h"
#include "rules/RuleFrames.h"
#include "rules/RuleRunner.h"
#include "rules/RuleTabBar.h"
#include "shared/Twips.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QShortcut>

#include <algorithm>
#include <vector>

namespace {

constexpr int kBandLeft = 30;
constexpr int kTabWidth = 13185;
constexpr int kFrameTop = 480;
constexpr int kFrameAway = 12000;
constexpr int kFrameHeight = 900;

} // namespace

RuleBand::RuleBand(PreviewChain &chain, QWidget *parent) : QWidget(parent), m_declared(ruleFrames())
{
    const Twips twips(this);
    m_tabs = new RuleTabBar(this);
    m_tabs->setObjectName(QStringLiteral("TabStrip1"));
    m_tabs->setExpanding(false);
    for (const RuleFrame &declared : m_declared) {
        const int index = m_tabs->addTab(declared.tab);
        m_tabs->setTabToolTip(index, declared.toolTip);
    }
    m_tabs->move(twips.toPixels(kBandLeft), twips.toPixels(30));
    m_tabs->resize(twips.toPixels(kTabWidth), m_tabs->sizeHint().height());

    for (const RuleFrame &declared : m_declared) {
        QGroupBox *frame = nullptr;
        if (declared.hasFrame()) {
            frame = buildRuleFrame(declared, this);
            connectRules(declared, frame, chain);
            frame->setGeometry(twips.rect(kBandLeft, kFrameAway, kTabWidth, kFrameHeight));
            // Out of the band also means out of the Tab key's way.
            frame->hide();
        }
        m_frames.push_back(frame);
    }

    // A click on the tab already chosen is a choice too ("已有规则" opens its
    // dialog again); keyboard changes arrive through currentChanged, and
    // Enter or Space confirms the tab reached.
    connect(m_tabs, &QTabBar::currentChanged, this, &RuleBand::onTabChosen);
    connect(m_tabs, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index == m_tabs->currentIndex())
            onTabChosen(index);
    });
    connect(m_tabs, &RuleTabBar::currentConfirmed, this, [this](int index) {
        if (index >= 0 && !m_frames.at(index))
            Q_EMIT existingRulesRequested();
    });
    // The tabs follow Ctrl+Tab and Ctrl+PgDn wherever the focus is in the
    // window, as in a tabbed dialog.
    const auto tabKeys = [this](QKeySequence::StandardKey standard, QKeyCombination page,
                                int step) {
        auto *shortcut = new QShortcut(this);
        shortcut->setKeys(QKeySequence::keyBindings(standard) << QKeySequence(page));
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, m_tabs, [this, step] { m_tabs->stepBy(step); });
    };
    tabKeys(QKeySequence::NextChild, Qt::CTRL | Qt::Key_PageDown, 1);
    tabKeys(QKeySequence::PreviousChild, Qt::CTRL | Qt::Key_PageUp, -1);
    // A dropped file would type its address into a box, and so into every
    // preview: boxes take plain text only.
    auto *blocker = new FileDropBlocker(this);
    for (QLineEdit *box : findChildren<QLineEdit *>())
        blocker->watch(box);
    resize(twips.toPixels(kBandLeft + kTabWidth), twips.toPixels(1395));
}

void RuleBand::connectRules(const RuleFrame &declared, QGroupBox *frame, PreviewChain &chain)
{
    std::vector<RuleRunner *> runners;
    for (const FrameRule &rule : declared.rules) {
        auto *runner = new RuleRunner(rule, frame, chain, this);
        connect(runner, &RuleRunner::messageChanged, this, &RuleBand::messageChanged);
        runners.push_back(runner);
    }
    for (const Trigger &trigger : declared.triggers) {
        const auto runner = std::find_if(runners.begin(), runners.end(), [&](RuleRunner *r) {
            return r->procedure() == trigger.rule;
        });
        auto *control = frame->findChild<QWidget *>(trigger.control, Qt::FindDirectChildrenOnly);
        if (runner == runners.end() || !control)
            qFatal("%s: the trigger on %s has no rule or no control", qPrintable(declared.name),
                   qPrintable(trigger.control));
        (*runner)->listen(trigger, control);
    }
}

void RuleBand::initialise()
{
    const Twips twips(this);
    // The first tab's frame starts in the band.
    m_shownFrame = m_frames.front();
    m_shownFrame->move(m_shownFrame->x(), twips.toPixels(450));
    m_shownFrame->show();

    for (qsizetype i = 0; i < m_frames.size(); ++i) {
        if (m_frames.at(i))
            fillRuleFrameLists(m_declared.at(size_t(i)), m_frames.at(i));
    }
    for (qsizetype i = 0; i < m_frames.size(); ++i) {
        if (m_frames.at(i) && m_declared.at(size_t(i)).start)
            m_declared.at(size_t(i)).start(FrameFields(m_frames.at(i)));
    }
}

void RuleBand::onTabChosen(int index)
{
    if (index < 0)
        return;
    const Twips twips(this);
    if (m_shownFrame) {
        m_shownFrame->move(m_shownFrame->x(), twips.toPixels(kFrameAway));
        m_shownFrame->hide();
    }
    if (QGroupBox *frame = m_frames.at(index)) {
        m_shownFrame = frame;
        m_shownFrame->move(m_shownFrame->x(), twips.toPixels(kFrameTop));
        m_shownFrame->show();
    } else if (!m_tabs->movingByKeys()) {
        // "已有规则" has no frame: the band stays empty until another tab.
        // Moved onto by keys, it waits for Enter or Space.
        Q_EMIT existingRulesRequested();
    }
}
