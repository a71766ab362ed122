#include "rules/RuleFrame.h"

#include "rules/ReadBoxNumber.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>

FrameControl FrameControl::caption(const QString &text)
{
    return FrameControl().with(&FrameControl::text, text);
}

FrameControl FrameControl::textBox(const QString &name)
{
    return FrameControl().with(&FrameControl::kind, Kind::TextBox).with(&FrameControl::name, name);
}

FrameControl FrameControl::comboBox(const QString &name)
{
    return textBox(name).with(&FrameControl::kind, Kind::ComboBox);
}

FrameControl FrameControl::checkBox(const QString &name, const QString &text)
{
    return textBox(name).with(&FrameControl::kind, Kind::CheckBox).with(&FrameControl::text, text);
}

FrameControl FrameControl::optionButton(const QString &name, const QString &text)
{
    return checkBox(name, text).with(&FrameControl::kind, Kind::OptionButton);
}

QStringList numberItems(int from, int to)
{
    QStringList items;
    for (int i = from; i <= to; ++i)
        items.push_back(QString::number(i));
    return items;
}

QWidget *FrameFields::field(const QString &control) const
{
    auto *widget = m_frame->findChild<QWidget *>(control, Qt::FindDirectChildrenOnly);
    if (!widget)
        qFatal("%s has no control %s", qPrintable(m_frame->objectName()), qPrintable(control));
    return widget;
}

QString FrameFields::text(const QString &control) const
{
    QWidget *widget = field(control);
    if (auto *box = qobject_cast<QComboBox *>(widget))
        return box->currentText();
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return edit->text();
    qFatal("%s holds no text", qPrintable(control));
}

qint32 FrameFields::number(const QString &control) const
{
    return ReadBoxNumber(text(control));
}

bool FrameFields::isChecked(const QString &control) const
{
    auto *button = qobject_cast<QAbstractButton *>(field(control));
    return button && button->isChecked();
}

void FrameFields::setText(const QString &control, const QString &text) const
{
    QWidget *widget = field(control);
    if (auto *box = qobject_cast<QComboBox *>(widget))
        box->setEditText(text);
    else if (auto *edit = qobject_cast<QLineEdit *>(widget))
        edit->setText(text);
}

void FrameFields::setChecked(const QString &control, bool checked) const
{
    if (auto *button = qobject_cast<QAbstractButton *>(field(control)))
        button->setChecked(checked);
}

RuleRun::RuleRun(QGroupBox *frame, PreviewChain &chain, QChar code)
    : FrameFields(frame), m_chain(chain), m_code(code)
{}

void RuleRun::pass(const PreviewChain::RowRule &rule) const
{
    if (m_code.isNull())
        qFatal("a rule without a code ran a pass of the preview chain");
    m_chain.runPass(m_code, rule);
}
