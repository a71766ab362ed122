// The tab "正则表达式命名": every match of a pattern replaced (rule G).
#include "rules/EcmaRegex.h"
#include "rules/RuleFrame.h"

#include <QDeadlineTimer>

using namespace Qt::StringLiterals;

namespace {

// What a regex pass may take before it stops, leaving a keystroke well under
// half a second whatever the pattern.
constexpr int kRegexPassBudgetMs = 300;

void regexReplace(RuleRun &run)
{
    const QString pattern = run.text(u"zzFindText"_s);
    const QString replacement = run.text(u"zzReplaceText"_s);
    run.showMessage(QString());
    if (pattern.isEmpty() || run.chain().rowCount() < 1)
        return;
    const EcmaRegex regex(pattern);
    if (!regex.isValid()) {
        run.showMessage(u"正则命令格式错误"_s + regex.errorText());
        return;
    }
    // However the pattern backtracks, a keystroke gets this long; the rows
    // not reached by then keep their previews, as does a row whose match ran
    // past the regex's own limit.
    const QDeadlineTimer deadline(kRegexPassBudgetMs);
    qsizetype kept = 0;
    bool outOfTime = false;
    qsizetype visited = 0;
    run.pass([&](const QString &base, const RenameEntry &, QString &out) {
        // A name's search is bounded by the regex's own limit: the clock is
        // read every 64 names, which a million names felt.
        if (!outOfTime && ++visited % 64 == 0)
            outOfTime = deadline.hasExpired();
        if (!outOfTime) {
            regex.replaceAll(base, replacement, out, deadline);
            outOfTime = regex.stop() == EcmaRegex::Stop::OutOfTime;
            if (regex.stop() == EcmaRegex::Stop::AtEnd)
                return true;
        }
        ++kept;
        return false;
    });
    if (outOfTime)
        run.showMessage(u"正则表达式过于复杂，运算已停止：%1 行未更新"_s.arg(kept));
    else if (kept > 0)
        run.showMessage(u"正则表达式过于复杂：%1 行未更新"_s.arg(kept));
}

} // namespace

namespace ruleframes {

RuleFrame regexFrame()
{
    using Control = FrameControl;
    return {
        .tab = u"正则表达式命名"_s,
        .toolTip = u"利用正则表达式进行文件查找替换"_s,
        .name = u"正则Frame"_s,
        .caption = u"正则表达式命名"_s,
        .controls =
            {
                Control::comboBox(u"zzFindText"_s)
                    .labelledBy(u"查找"_s)
                    .withItems({u"[0-9]"_s, u"[A-Za-z]"_s, u"[一-\uFA29]"_s})
                    .showingCharacters(20)
                    .stretched()
                    .clearedByDoubleClick(),
                Control::comboBox(u"zzReplaceText"_s)
                    .labelledBy(u"替换成"_s)
                    .showingCharacters(20)
                    .stretched()
                    .clearedByDoubleClick(),
            },
        .rules = {{regexReplace, u'G'}},
        .triggers =
            {
                // An emptied pattern leaves the last result shown.
                {u"zzFindText"_s, ControlEvent::EditTextChanged, regexReplace,
                 Condition::TextNotEmpty},
                {u"zzFindText"_s, ControlEvent::Activated, regexReplace},
                {u"zzReplaceText"_s, ControlEvent::EditTextChanged, regexReplace},
                {u"zzReplaceText"_s, ControlEvent::Activated, regexReplace},
            },
    };
}

} // namespace ruleframes
