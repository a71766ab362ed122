#include "rules/RuleRunner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopedValueRollback>

RuleRunner::RuleRunner(const FrameRule &rule, QGroupBox *frame, PreviewChain &chain,
                       QObject *parent)
    : QObject(parent), RuleRun(frame, chain, rule.code), m_procedure(rule.procedure)
{}

void RuleRunner::listen(const Trigger &trigger, QWidget *control)
{
    const auto runUnlessHeldBack = [this, name = trigger.control, condition = trigger.condition] {
        if (condition == Condition::Always || !text(name).isEmpty())
            run();
    };
    auto *box = qobject_cast<QComboBox *>(control);
    bool heard = false;
    switch (trigger.event) {
    case ControlEvent::TextChanged:
        heard = listenTo<QLineEdit>(control, &QLineEdit::textChanged, runUnlessHeldBack);
        break;
    case ControlEvent::EditTextChanged:
        heard = listenTo<QComboBox>(control, &QComboBox::editTextChanged, runUnlessHeldBack);
        break;
    case ControlEvent::Activated:
        heard = listenTo<QComboBox>(control, &QComboBox::activated, runUnlessHeldBack);
        break;
    case ControlEvent::EnterPressed:
        heard = box &&
                listenTo<QLineEdit>(box->lineEdit(), &QLineEdit::returnPressed, runUnlessHeldBack);
        break;
    case ControlEvent::Toggled:
        heard = listenTo<QCheckBox>(control, &QCheckBox::toggled, runUnlessHeldBack);
        break;
    case ControlEvent::Chosen:
        if (auto *button = qobject_cast<QRadioButton *>(control)) {
            listenForChoice(button);
            heard = true;
        }
        break;
    }
    if (!heard)
        qFatal("%s cannot fire the event declared for it", qPrintable(trigger.control));
}

void RuleRunner::listenForChoice(QRadioButton *button)
{
    // Each click runs the rule, also on the option selected already (which
    // toggled alone would miss), so previews changed since are mapped again.
    // An option selected from code has no click and runs it through toggled,
    // as a change of its value fires its click; during a click, between press
    // and release, toggled leaves the run to clicked so the rule runs once.
    connect(button, &QRadioButton::pressed, this, [this] { m_optionPressed = true; });
    connect(button, &QRadioButton::released, this, [this] { m_optionPressed = false; });
    connect(button, &QRadioButton::toggled, this, [this](bool on) {
        if (on && !m_optionPressed)
            run();
    });
    connect(button, &QRadioButton::clicked, this, [this, button] {
        if (button->isChecked())
            run();
    });
}

void RuleRunner::run()
{
    if (m_running)
        return;
    const QScopedValueRollback<bool> running(m_running, true);
    m_procedure(*this);
}

void RuleRunner::showMessage(const QString &text)
{
    m_messageShown = !text.isEmpty();
    Q_EMIT messageChanged(text);
}

void RuleRunner::withdrawMessage()
{
    if (!m_messageShown)
        return;
    m_messageShown = false;
    Q_EMIT messageChanged(QString());
}
