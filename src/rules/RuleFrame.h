#pragma once

#include "rules/PreviewChain.h"

#include <QString>
#include <QStringList>

#include <vector>

class QGroupBox;
class QWidget;

// One tab of the rule band, declared in one unit under rules/frames/: the
// tab, the frame it brings forward with its controls, the rules the frame
// carries and which control events run them. The band builds and connects
// everything from these declarations (rules/RuleFrames.h lists them).

// One control of a frame, in the order the frame's sentence reads.
struct FrameControl
{
    enum class Kind { Caption, TextBox, ComboBox, CheckBox, OptionButton };

    static FrameControl caption(const QString &text);
    static FrameControl textBox(const QString &name);
    static FrameControl comboBox(const QString &name);
    static FrameControl checkBox(const QString &name, const QString &text);
    static FrameControl optionButton(const QString &name, const QString &text);

    // A caption stands right before the box and names it; `captionName` is
    // the caption's own object name, where it has one.
    FrameControl labelledBy(const QString &caption, const QString &captionName = QString()) const
    {
        return namedAfter(caption)
            .with(&FrameControl::captionBefore, caption)
            .with(&FrameControl::captionName, captionName);
    }
    // The box is named after a caption that is no label of its own, such as
    // the check box that opens its phrase.
    FrameControl namedAfter(const QString &caption) const
    {
        return with(&FrameControl::label, caption);
    }
    FrameControl withItems(const QStringList &items) const
    {
        return with(&FrameControl::items, items);
    }
    FrameControl withToolTip(const QString &tip) const { return with(&FrameControl::toolTip, tip); }
    // The least number of characters a drop-down list shows.
    FrameControl showingCharacters(int n) const { return with(&FrameControl::characters, n); }
    // The box takes the room the frame has to spare.
    FrameControl stretched() const { return with(&FrameControl::stretch, 1); }
    FrameControl clearedByDoubleClick() const
    {
        return with(&FrameControl::clearsOnDoubleClick, true);
    }

    Kind kind = Kind::Caption;
    QString name;
    QString text;          // the text of a caption, check box or option button
    QString label;         // what a screen reader calls a box
    QString captionBefore; // the caption built right before the box, its buddy
    QString captionName;   // that caption's object name
    QStringList items;     // a drop-down list's items, added at start-up
    QString toolTip;
    int characters = 3; // the least characters a drop-down list shows
    int stretch = 0;
    bool clearsOnDoubleClick = false;

private:
    template <typename T> FrameControl with(T FrameControl::*field, T value) const
    {
        FrameControl control = *this;
        control.*field = std::move(value);
        return control;
    }
};

// The items "from" to "to" of a drop-down list of numbers.
QStringList numberItems(int from, int to);

// Reads and sets the controls of one frame by their object names. A name
// that is not in the frame is a mistake in the frame's declaration, and ends
// the program.
class FrameFields
{
public:
    explicit FrameFields(QGroupBox *frame) : m_frame(frame) {}

    // The text of a text box or of a drop-down list's box.
    QString text(const QString &control) const;
    // That text read as a number, as rules read their boxes.
    qint32 number(const QString &control) const;
    bool isChecked(const QString &control) const;
    // Setting a value fires the control's change events, as typing would.
    void setText(const QString &control, const QString &text) const;
    void setChecked(const QString &control, bool checked) const;

protected:
    QWidget *field(const QString &control) const;

private:
    QGroupBox *m_frame;
};

// What a rule works with while it runs: its frame's fields, the preview
// chain, and the main window's message label.
class RuleRun : public FrameFields
{
public:
    PreviewChain &chain() const { return m_chain; }
    // A pass of the chain under this rule's code.
    void pass(const PreviewChain::RowRule &rule) const;
    // A pass in which every checked row's preview is rewrite(base, out).
    template <typename Rewrite> void rewriteEach(const Rewrite &rewrite) const
    {
        pass([&rewrite](const QString &base, const RenameEntry &, QString &out) {
            rewrite(base, out);
            return true;
        });
    }
    // Puts a text into the message label; an empty one clears it.
    virtual void showMessage(const QString &text) = 0;
    // Clears the message label if this rule's last message was not empty,
    // leaving what other rules and the window said alone.
    virtual void withdrawMessage() = 0;

protected:
    RuleRun(QGroupBox *frame, PreviewChain &chain, QChar code);
    ~RuleRun() = default;

private:
    PreviewChain &m_chain;
    const QChar m_code;
};

// A rule reads its fields afresh each time it runs.
using RuleProcedure = void (*)(RuleRun &run);

struct FrameRule
{
    RuleProcedure procedure;
    // The rule's letter in RuleMarker; none for the rules outside the chain.
    QChar code;
};

// The control events that can run a rule.
enum class ControlEvent {
    TextChanged,     // a text box's text changed, typed or set
    EditTextChanged, // the text in a drop-down list's box changed, typed or set
    Activated,       // an item was picked from a drop-down list
    EnterPressed,    // Enter in a drop-down list's box
    Toggled,         // a check box was checked or unchecked, clicked or set
    // An option button was selected, by a click (also when it was selected
    // already, so that previews changed since are mapped again) or from code.
    Chosen,
};

enum class Condition {
    Always,
    TextNotEmpty, // the control's text is not empty when the event comes
};

struct Trigger
{
    QString control;
    ControlEvent event;
    RuleProcedure rule;
    Condition condition = Condition::Always;
};

struct RuleFrame
{
    bool hasFrame() const { return !name.isEmpty(); }

    QString tab = {};
    QString toolTip = {};
    // The frame's object name and caption; a tab without a frame opens the
    // existing-rules dialog instead.
    QString name = {};
    QString caption = {};
    std::vector<FrameControl> controls = {};
    std::vector<FrameRule> rules = {};
    std::vector<Trigger> triggers = {};
    // Start-up values beyond empty boxes and drop-down lists, set after every
    // frame's lists are filled.
    void (*start)(const FrameFields &fields) = nullptr;
};
