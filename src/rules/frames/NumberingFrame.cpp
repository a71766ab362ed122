// The tab "以序号命名": names built from a template with a running counter
// (rule F).
#include "list/RenameEntry.h"
#include "rules/NumberingRule.h"
#include "rules/RuleFrame.h"

using namespace Qt::StringLiterals;

namespace {

void number(RuleRun &run)
{
    rules::NumberingSettings settings;
    settings.start = run.number(u"序号combox1"_s);
    settings.increment = run.number(u"序号combox2"_s);
    settings.digits = run.number(u"序号combox3"_s);
    settings.pad = run.isChecked(u"序号check"_s);
    settings.tmpl = run.text(u"序号mb"_s);
    if (settings.tmpl.isEmpty()) {
        settings.tmpl = u"#"_s;
        run.setText(u"序号mb"_s, settings.tmpl);
    }
    rules::Numbering numbering(settings);
    if (!numbering.isRunnable())
        return;
    // Only checked rows use up numbers, but counting them is needed only when
    // the whole list would not fit.
    PreviewChain &chain = run.chain();
    if (!numbering.fitsRows(chain.rowCount()) && !numbering.fitsRows(chain.checkedRowCount())) {
        run.showMessage(u"序号超出范围，名称没有改动"_s);
        return;
    }
    // The warning goes once the numbers fit again; other messages stay.
    run.withdrawMessage();
    run.pass([&](const QString &base, const RenameEntry &row, QString &out) {
        return numbering.next(base, row.fullPath, out);
    });
}

// Checking the box runs the numbering once over the empty list, which puts
// "#" into the empty template box; the numbers are typed in afterwards.
void startNumbering(const FrameFields &fields)
{
    fields.setChecked(u"序号check"_s, true);
    fields.setText(u"序号combox1"_s, u"1"_s);
    fields.setText(u"序号combox2"_s, u"1"_s);
    fields.setText(u"序号combox3"_s, u"2"_s);
}

} // namespace

namespace ruleframes {

RuleFrame numberingFrame()
{
    using Control = FrameControl;
    return {
        .tab = u"以序号命名"_s,
        .toolTip = u"给文件名中添加连续序号 如 1 2 3 4 5 6"_s,
        .name = u"序号Frame"_s,
        .caption = u"以序号命名"_s,
        .controls =
            {
                Control::comboBox(u"序号combox1"_s)
                    .labelledBy(u"起始值"_s)
                    .withItems(numberItems(0, 49)),
                Control::comboBox(u"序号combox2"_s)
                    .labelledBy(u"增值"_s)
                    .withItems(numberItems(1, 50)),
                Control::comboBox(u"序号combox3"_s)
                    .labelledBy(u"位数"_s)
                    .withItems(numberItems(1, 50)),
                Control::checkBox(u"序号check"_s, u"不足位补齐"_s),
                Control::comboBox(u"序号mb"_s)
                    .labelledBy(u"模板"_s, u"Label11"_s)
                    .withItems({u"# &File"_s, u"#"_s, u"# &Parent"_s, u"# &Size"_s, u"# &Date"_s})
                    .withToolTip(u"需在起始值和增值中有内容时才生效,模板可任意组合 如 &File&Size"_s)
                    .showingCharacters(12),
            },
        .rules = {{number, u'F'}},
        // Typing into the number boxes runs nothing until Enter; a pick does.
        .triggers =
            {
                {u"序号check"_s, ControlEvent::Toggled, number},
                {u"序号combox1"_s, ControlEvent::Activated, number},
                {u"序号combox1"_s, ControlEvent::EnterPressed, number},
                {u"序号combox2"_s, ControlEvent::Activated, number},
                {u"序号combox2"_s, ControlEvent::EnterPressed, number},
                {u"序号combox3"_s, ControlEvent::Activated, number},
                {u"序号combox3"_s, ControlEvent::EnterPressed, number},
                {u"序号mb"_s, ControlEvent::Activated, number},
                {u"序号mb"_s, ControlEvent::EditTextChanged, number},
            },
        .start = startNumbering,
    };
}

} // namespace ruleframes
