// The tab "替换": every occurrence of a text in the name replaced (rule E).
#include "rules/RuleFrame.h"
#include "rules/TextRules.h"

using namespace Qt::StringLiterals;

namespace {

void replaceText(RuleRun &run)
{
    const QString find = run.text(u"FindText"_s);
    const QString replacement = run.text(u"ReplaceText"_s);
    run.rewriteEach([&](const QString &base, QString &out) {
        rules::replaceText(base, find, replacement, out);
    });
}

} // namespace

namespace ruleframes {

RuleFrame replaceFrame()
{
    using Control = FrameControl;
    return {
        .tab = u"替换"_s,
        .toolTip = u"替换文件名中指定文本"_s,
        .name = u"替换Frame"_s,
        .caption = u"替换文件名中的"_s,
        .controls =
            {
                Control::textBox(u"FindText"_s)
                    .labelledBy(u"把文件名中的"_s)
                    .clearedByDoubleClick(),
                Control::textBox(u"ReplaceText"_s).labelledBy(u"替换成"_s).clearedByDoubleClick(),
            },
        .rules = {{replaceText, u'E'}},
        .triggers =
            {
                // Emptying the text to find leaves the last replacement shown.
                {u"FindText"_s, ControlEvent::TextChanged, replaceText, Condition::TextNotEmpty},
                {u"ReplaceText"_s, ControlEvent::TextChanged, replaceText},
            },
    };
}

} // namespace ruleframes
