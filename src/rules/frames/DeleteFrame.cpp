// The tab "删除": a given text deleted from the name (rule C), or a run of
// characters from a given position (rule D).
#include "rules/RuleFrame.h"
#include "rules/TextRules.h"

using namespace Qt::StringLiterals;

namespace {

void deleteText(RuleRun &run)
{
    const QString text = run.text(u"DeleteText"_s);
    run.rewriteEach([&](const QString &base, QString &out) { rules::deleteText(base, text, out); });
}

// Gives up, changing nothing, until the box is checked and both numbers are
// above 0.
void deleteSpan(RuleRun &run)
{
    const qint32 start = run.number(u"删除combox1"_s);
    const qint32 count = run.number(u"删除combox2"_s);
    if (!run.isChecked(u"删除check"_s) || start <= 0 || count <= 0)
        return;
    run.rewriteEach(
        [&](const QString &base, QString &out) { rules::deleteSpan(base, start, count, out); });
}

} // namespace

namespace ruleframes {

RuleFrame deleteFrame()
{
    using Control = FrameControl;
    return {
        .tab = u"删除"_s,
        .toolTip = u"删除文件名中指定文本或指定位置的文本"_s,
        .name = u"删除Frame"_s,
        .caption = u"删除文件名中的"_s,
        .controls =
            {
                Control::textBox(u"DeleteText"_s)
                    .labelledBy(u"删除文件名中"_s)
                    .clearedByDoubleClick(),
                Control::checkBox(u"删除check"_s, u"扩展删除从第"_s),
                Control::comboBox(u"删除combox1"_s)
                    .namedAfter(u"扩展删除从第"_s)
                    .withItems(numberItems(1, 50)),
                Control::comboBox(u"删除combox2"_s)
                    .labelledBy(u"个字符开始 删除"_s)
                    .withItems(numberItems(1, 50)),
                Control::caption(u"个字符"_s),
            },
        .rules = {{deleteText, u'C'}, {deleteSpan, u'D'}},
        .triggers =
            {
                {u"DeleteText"_s, ControlEvent::TextChanged, deleteText},
                {u"删除check"_s, ControlEvent::Toggled, deleteSpan},
                {u"删除combox1"_s, ControlEvent::EditTextChanged, deleteSpan},
                {u"删除combox1"_s, ControlEvent::Activated, deleteSpan, Condition::TextNotEmpty},
                {u"删除combox2"_s, ControlEvent::EditTextChanged, deleteSpan},
                {u"删除combox2"_s, ControlEvent::Activated, deleteSpan, Condition::TextNotEmpty},
            },
    };
}

} // namespace ruleframes
