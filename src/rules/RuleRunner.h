#pragma once

#include "rules/RuleFrame.h"

#include <QObject>

class QRadioButton;

// One rule of a frame as the band runs it: the control events declared for
// it run it, and while it runs it does not start again, so a rule that
// writes one of its own boxes runs once.
class RuleRunner : public QObject, public RuleRun
{
    Q_OBJECT

public:
    RuleRunner(const FrameRule &rule, QGroupBox *frame, PreviewChain &chain, QObject *parent);

    RuleProcedure procedure() const { return m_procedure; }

    // Runs the rule on the trigger's event of `control`, a control of the
    // frame of the kind the event belongs to.
    void listen(const Trigger &trigger, QWidget *control);

    void showMessage(const QString &text) override;
    void withdrawMessage() override;

Q_SIGNALS:
    void messageChanged(const QString &text);

private:
    // Connects `signal` of the control, when it is a `Sender`, to `slot`.
    template <typename Sender, typename Signal, typename Slot>
    bool listenTo(QObject *control, Signal signal, const Slot &slot)
    {
        auto *sender = qobject_cast<Sender *>(control);
        if (sender)
            connect(sender, signal, this, slot);
        return sender;
    }
    void listenForChoice(QRadioButton *button);
    void run();

    const RuleProcedure m_procedure;
    bool m_running = false;
    bool m_messageShown = false;
    // An option button is held down: a selection now comes from a click.
    bool m_optionPressed = false;
};
