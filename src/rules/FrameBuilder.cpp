#include "rules/FrameBuilder.h"

#include "rules/RuleFrame.h"
#include "shared/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

#include <functional>

namespace {

// Empties a box on a double click; the box's change handling then follows as
// for any other edit.
class DoubleClickClearer : public QObject
{
public:
    DoubleClickClearer(QObject *target, std::function<void()> clear)
        : QObject(target), m_clear(std::move(clear))
    {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick) {
            m_clear();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_clear;
};

QLineEdit *makeTextBox(const FrameControl &control, QGroupBox *frame)
{
    auto *edit = new QLineEdit(frame);
    if (control.clearsOnDoubleClick)
        new DoubleClickClearer(edit, [edit] { edit->clear(); });
    return edit;
}

QComboBox *makeComboBox(const FrameControl &control, QGroupBox *frame)
{
    auto *box = new QComboBox(frame);
    box->setEditable(true);
    // Enter must not add what was typed to the drop-down list.
    box->setInsertPolicy(QComboBox::NoInsert);
    // The rules read exactly what was typed: an inline completion would turn
    // a typed "[a" into the preset "[A-Za-z]" or "#" into "# &File".
    box->setCompleter(nullptr);
    // Only a pick from the list is a click. Left alone, the combo box treats
    // Enter or leaving the box with a typed item text as a pick too, which
    // would run a rule the user did not ask for and move the rule marker.
    QObject::disconnect(box->lineEdit(), &QLineEdit::editingFinished, box, nullptr);
    box->setMinimumContentsLength(control.characters);
    if (control.clearsOnDoubleClick) {
        new DoubleClickClearer(box->lineEdit(), [box] {
            if (!box->currentText().isEmpty())
                box->setEditText(QString());
        });
    }
    return box;
}

QWidget *makeControl(const FrameControl &control, QGroupBox *frame)
{
    switch (control.kind) {
    case FrameControl::Kind::Caption:
        return new QLabel(control.text, frame);
    case FrameControl::Kind::TextBox:
        return makeTextBox(control, frame);
    case FrameControl::Kind::ComboBox:
        return makeComboBox(control, frame);
    case FrameControl::Kind::CheckBox:
        return new QCheckBox(control.text, frame);
    case FrameControl::Kind::OptionButton:
        return new QRadioButton(control.text, frame);
    }
    return nullptr;
}

void nameForReaders(QWidget *box, const QString &label)
{
    box->setAccessibleName(label);
    // The edit inside a drop-down list takes the focus and speaks for it.
    if (auto *combo = qobject_cast<QComboBox *>(box); combo && combo->lineEdit())
        combo->lineEdit()->setAccessibleName(label);
}

} // namespace

QGroupBox *buildRuleFrame(const RuleFrame &declared, QWidget *band)
{
    auto *frame = new QGroupBox(declared.caption, band);
    frame->setObjectName(declared.name);
    auto *layout = new QHBoxLayout(frame);
    // In twips like the rest, so the captions keep their room at any dpi.
    const Twips twips(band);
    layout->setContentsMargins(twips.toPixels(90), twips.toPixels(30), twips.toPixels(90),
                               twips.toPixels(30));
    layout->setSpacing(twips.toPixels(60));

    for (const FrameControl &control : declared.controls) {
        QLabel *caption = nullptr;
        if (!control.captionBefore.isEmpty()) {
            caption = new QLabel(control.captionBefore, frame);
            caption->setObjectName(control.captionName);
            layout->addWidget(caption);
        }
        QWidget *widget = makeControl(control, frame);
        widget->setObjectName(control.name);
        if (!control.toolTip.isEmpty())
            widget->setToolTip(control.toolTip);
        if (!control.label.isEmpty())
            nameForReaders(widget, control.label);
        if (caption)
            caption->setBuddy(widget);
        layout->addWidget(widget, control.stretch);
    }
    return frame;
}

void fillRuleFrameLists(const RuleFrame &declared, QGroupBox *frame)
{
    for (const FrameControl &control : declared.controls) {
        if (control.items.isEmpty())
            continue;
        auto *box = frame->findChild<QComboBox *>(control.name, Qt::FindDirectChildrenOnly);
        if (!box)
            continue;
        const QSignalBlocker blocker(box);
        const QString text = box->currentText();
        box->addItems(control.items);
        box->setCurrentIndex(-1);
        box->setEditText(text);
    }
}
