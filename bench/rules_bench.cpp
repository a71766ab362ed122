// The naming rules over a full list. "pass" cases run one rule over the
// model alone, through the rule band's own boxes with no view attached;
// "keystroke" cases type one key into a rule's box of the shown main window
// and end when the list has been painted with the new previews.

#include "BenchSupport.h"

#include "rules/PreviewChain.h"
#include "rules/RuleBand.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>

#include <functional>

namespace {

using benchsupport::registerSized;
using benchsupport::ShownWindow;
using benchsupport::Stopwatch;

QLineEdit *editOf(QWidget *owner, const QString &name)
{
    QWidget *box = owner->findChild<QWidget *>(name);
    if (auto *combo = qobject_cast<QComboBox *>(box))
        return combo->lineEdit();
    return qobject_cast<QLineEdit *>(box);
}

void setBoxText(QWidget *owner, const char *name, const QString &text)
{
    if (QLineEdit *edit = editOf(owner, QString::fromUtf8(name))) {
        // A combo box's text changes through the box, so that its own
        // change signal fires as when typing.
        if (auto *combo = qobject_cast<QComboBox *>(edit->parentWidget()))
            combo->setEditText(text);
        else
            edit->setText(text);
    }
}

// One rule's box: the text it holds before the measured keystrokes, the key
// typed (and taken back by Backspace on the next keystroke), and the other
// boxes the rule needs filled first.
struct RuleCase
{
    const char *label;
    const char *box;
    QString start;
    QChar key;
    std::function<void(QWidget *)> prepare;
};

const std::vector<RuleCase> &ruleCases()
{
    static const std::vector<RuleCase> cases = {
        {"add_before", "beforeText", QStringLiteral("p_"), u'x', {}},
        {"add_after", "AfterText", QStringLiteral("_v"), u'2', {}},
        {"insert_at", "ZfText", QStringLiteral("-"), u'x',
         [](QWidget *w) { setBoxText(w, "添加combox1", QStringLiteral("3")); }},
        {"delete_text", "DeleteText", QStringLiteral("IMG"), u'_', {}},
        {"delete_span", "删除combox1", QStringLiteral("1"), u'2',
         [](QWidget *w) {
             w->findChild<QCheckBox *>(QStringLiteral("删除check"))->setChecked(true);
             setBoxText(w, "删除combox2", QStringLiteral("2"));
         }},
        {"replace_find", "FindText", QStringLiteral("IMG"), u'_',
         [](QWidget *w) { setBoxText(w, "ReplaceText", QStringLiteral("pic")); }},
        {"replace_with", "ReplaceText", QStringLiteral("pic"), u's',
         [](QWidget *w) { setBoxText(w, "FindText", QStringLiteral("IMG")); }},
        {"numbering", "序号mb", QStringLiteral("# &File"), u'x', {}},
        {"regex_find", "zzFindText", QStringLiteral("(\\d+)"), u'_',
         [](QWidget *w) { setBoxText(w, "zzReplaceText", QStringLiteral("_$1")); }},
        {"regex_replace", "zzReplaceText", QStringLiteral("_$1"), u'_',
         [](QWidget *w) { setBoxText(w, "zzFindText", QStringLiteral("(\\d+)")); }},
        {"whole_name", "整体Text", QStringLiteral("photo"), u's', {}},
        {"extension", "后缀Text", QStringLiteral("jp"), u'g', {}},
    };
    return cases;
}

// What the first row would be renamed to.
QString shownName(const RowStore &model)
{
    return model.entry(0).previewName + model.entry(0).extension;
}

// One rule pass over the model alone: the box's text alternates between
// its start text and the start text with the key typed, so that each
// change runs the rule once.
void rulePass(benchmark::State &state, const RuleCase &rule, const QStringList &paths)
{
    RowStore model;
    model.appendPaths(paths);
    PreviewChain chain(model);
    RuleBand band(chain);
    band.initialise();
    if (rule.prepare)
        rule.prepare(&band);
    setBoxText(&band, rule.box, rule.start);
    const QString typed = rule.start + rule.key;
    const QString before = shownName(model);
    bool withKey = false;
    for (auto _ : state) {
        withKey = !withKey;
        const Stopwatch watch;
        setBoxText(&band, rule.box, withKey ? typed : rule.start);
        state.SetIterationTime(watch.seconds());
        if (withKey && shownName(model) == before)
            state.SkipWithError("the rule left the preview alone");
    }
}

// The case rules have option buttons rather than boxes: each change of the
// option runs one pass.
void caseRulePass(benchmark::State &state, const char *upperName, const char *lowerName)
{
    RowStore model;
    model.appendPaths(benchsupport::madeUpPaths(static_cast<int>(state.range(0))));
    PreviewChain chain(model);
    RuleBand band(chain);
    band.initialise();
    auto *upper = band.findChild<QRadioButton *>(QString::fromUtf8(upperName));
    auto *lower = band.findChild<QRadioButton *>(QString::fromUtf8(lowerName));
    bool toUpper = false;
    for (auto _ : state) {
        toUpper = !toUpper;
        const Stopwatch watch;
        (toUpper ? upper : lower)->setChecked(true);
        state.SetIterationTime(watch.seconds());
    }
}

// Numbering with the entry's size or date reads every file: real files.
void numberingFromDisk(benchmark::State &state, const QString &tmpl)
{
    const QStringList paths = benchsupport::realTreePaths(static_cast<int>(state.range(0)));
    const RuleCase rule{"numbering", "序号mb", tmpl, u'x', {}};
    rulePass(state, rule, paths);
}

// One key typed into a rule's box of the shown window, then the list
// painted. Real files, so that the plan behind the marks does its real work.
void keystroke(benchmark::State &state, const RuleCase &rule)
{
    ShownWindow shown;
    shown.window().addDroppedPaths(benchsupport::realTreePaths(static_cast<int>(state.range(0))));
    if (rule.prepare)
        rule.prepare(&shown.window());
    setBoxText(&shown.window(), rule.box, rule.start);
    QLineEdit *edit = editOf(&shown.window(), QString::fromUtf8(rule.box));
    edit->setFocus();
    edit->end(false);
    shown.paint();
    const QString before = shownName(shown.model().store());
    // Letters, digits and "_" have the upper-case character's code as key.
    const int key = rule.key.toUpper().unicode();
    bool typeKey = false;
    for (auto _ : state) {
        typeKey = !typeKey;
        QKeyEvent press(QEvent::KeyPress, typeKey ? key : Qt::Key_Backspace, Qt::NoModifier,
                        typeKey ? QString(rule.key) : QString());
        QKeyEvent release(QEvent::KeyRelease, press.key(), Qt::NoModifier, press.text());
        const Stopwatch watch;
        QApplication::sendEvent(edit, &press);
        QApplication::sendEvent(edit, &release);
        shown.paint();
        state.SetIterationTime(watch.seconds());
        if (typeKey && shownName(shown.model().store()) == before)
            state.SkipWithError("the keystroke left the preview alone");
    }
}

[[maybe_unused]] const bool registered = [] {
    for (const RuleCase &rule : ruleCases()) {
        registerSized(
            std::string("BM_RulePass/") + rule.label,
            [&rule](benchmark::State &state) {
                rulePass(state, rule, benchsupport::madeUpPaths(static_cast<int>(state.range(0))));
            },
            20, 20, 10);
    }
    registerSized(
        "BM_RulePass/name_case",
        [](benchmark::State &state) { caseRulePass(state, "整体Op1", "整体Op2"); }, 20, 20, 10);
    registerSized(
        "BM_RulePass/extension_case",
        [](benchmark::State &state) { caseRulePass(state, "后缀Op1", "后缀Op2"); }, 20, 20, 10);
    registerSized(
        "BM_RulePass/numbering_size",
        [](benchmark::State &state) { numberingFromDisk(state, QStringLiteral("# &Size")); }, 5, 5,
        3);
    registerSized(
        "BM_RulePass/numbering_date",
        [](benchmark::State &state) { numberingFromDisk(state, QStringLiteral("# &Date")); }, 5, 5,
        3);
    for (const RuleCase &rule : ruleCases()) {
        registerSized(
            std::string("BM_Keystroke/") + rule.label,
            [&rule](benchmark::State &state) { keystroke(state, rule); }, 20, 20, 10);
        const std::string label = rule.label;
        if (label == "add_before" || label == "regex_find")
            benchsupport::registerMillion(
                std::string("BM_Keystroke/") + rule.label,
                [&rule](benchmark::State &state) { keystroke(state, rule); }, 6);
    }
    return true;
}();

} // namespace
