// The tab "添加": text added before and after the name (rule B), or after a
// given character (rule A).
#include "rules/ReadBoxNumber.h"
#include "rules/RuleFrame.h"
#include "rules/TextRules.h"

using namespace Qt::StringLiterals;

namespace {

void addBeforeAfter(RuleRun &run)
{
    const QString before = run.text(u"beforeText"_s);
    const QString after = run.text(u"AfterText"_s);
    run.rewriteEach([&](const QString &base, QString &out) {
        rules::addBeforeAfter(base, before, after, out);
    });
}

// 添加check is shown beside the position and re-runs the rule, but never
// gates it.
void insertAtPosition(RuleRun &run)
{
    const qint32 position = run.number(u"添加combox1"_s);
    const QString text = run.text(u"ZfText"_s);
    run.rewriteEach(
        [&](const QString &base, QString &out) { rules::insertAt(base, position, text, out); });
}

} // namespace

namespace ruleframes {

RuleFrame addFrame()
{
    using Control = FrameControl;
    return {
        .tab = u"添加"_s,
        .toolTip = u"文件名前后或指定位置添加文本"_s,
        .name = u"添加Frame"_s,
        .caption = u"添加文本"_s,
        .controls =
            {
                Control::textBox(u"beforeText"_s)
                    .labelledBy(u"文本前添加"_s)
                    .clearedByDoubleClick(),
                Control::textBox(u"AfterText"_s).labelledBy(u"文本后添加"_s).clearedByDoubleClick(),
                Control::checkBox(u"添加check"_s, u"扩展添加从第"_s),
                Control::comboBox(u"添加combox1"_s)
                    .namedAfter(u"扩展添加从第"_s)
                    .withItems(numberItems(1, 50))
                    .clearedByDoubleClick(),
                Control::textBox(u"ZfText"_s).labelledBy(u"字符后添加"_s).clearedByDoubleClick(),
            },
        .rules = {{addBeforeAfter, u'B'}, {insertAtPosition, u'A'}},
        .triggers =
            {
                {u"beforeText"_s, ControlEvent::TextChanged, addBeforeAfter},
                {u"AfterText"_s, ControlEvent::TextChanged, addBeforeAfter},
                {u"ZfText"_s, ControlEvent::TextChanged, insertAtPosition},
                // Typing a position runs nothing; it counts from the next run.
                {u"添加combox1"_s, ControlEvent::Activated, insertAtPosition},
                {u"添加check"_s, ControlEvent::Toggled, insertAtPosition},
            },
    };
}

} // namespace ruleframes
