// The tab "整体": one name for every row, one extension, and the letter case
// of the names (rules H and I) or of the extensions.
#include "list/PathPart.h"
#include "list/RenameEntry.h"
#include "rules/PreviewLimit.h"
#include "rules/RuleFrame.h"
#include "rules/TextRules.h"

using namespace Qt::StringLiterals;

namespace {

void wholeName(RuleRun &run)
{
    run.chain().nameCheckedRows(run.text(u"整体Text"_s));
}

void extensionName(RuleRun &run)
{
    const QString extension = run.text(u"后缀Text"_s);
    // One text shared by every row.
    QString dotted = extension.isEmpty() ? QString() : u'.' + extension;
    rules::capPreview(dotted);
    run.chain().renameExtensions([&dotted](const RenameEntry &row, QString &out) {
        if (row.extension.isEmpty())
            return false;
        // An empty box puts back the extension the entry has on disk.
        out = dotted.isEmpty() ? extensionCellOf(row.fullPath) : dotted;
        return true;
    });
}

void nameToUpper(RuleRun &run)
{
    run.rewriteEach([](const QString &base, QString &out) { rules::toUpperSimple(base, out); });
}

void nameToLower(RuleRun &run)
{
    run.rewriteEach([](const QString &base, QString &out) { rules::toLowerSimple(base, out); });
}

void extensionToUpper(RuleRun &run)
{
    run.chain().renameExtensions([](const RenameEntry &row, QString &out) {
        rules::toUpperSimple(row.extension, out);
        return true;
    });
}

void extensionToLower(RuleRun &run)
{
    run.chain().renameExtensions([](const RenameEntry &row, QString &out) {
        rules::toLowerSimple(row.extension, out);
        return true;
    });
}

} // namespace

namespace ruleframes {

RuleFrame wholeFrame()
{
    using Control = FrameControl;
    return {
        .tab = u"整体"_s,
        .toolTip = u"整体命名,如批量改大小写,改后缀"_s,
        .name = u"整体Frame"_s,
        .caption = u"整体命名"_s,
        .controls =
            {
                Control::textBox(u"整体Text"_s).labelledBy(u"文件名改成"_s).clearedByDoubleClick(),
                Control::textBox(u"后缀Text"_s)
                    .labelledBy(u"后缀名统一改成"_s)
                    .clearedByDoubleClick(),
                Control::optionButton(u"整体Op1"_s, u"文件名全部大写"_s),
                Control::optionButton(u"整体Op2"_s, u"文件名全部小写"_s),
                Control::optionButton(u"后缀Op1"_s, u"后缀名改成大写"_s),
                Control::optionButton(u"后缀Op2"_s, u"后缀名改成小写"_s),
            },
        // The whole name and the extensions stand outside the chain.
        .rules =
            {
                {wholeName, QChar()},
                {extensionName, QChar()},
                {nameToUpper, u'H'},
                {nameToLower, u'I'},
                {extensionToUpper, QChar()},
                {extensionToLower, QChar()},
            },
        .triggers =
            {
                {u"整体Text"_s, ControlEvent::TextChanged, wholeName},
                {u"后缀Text"_s, ControlEvent::TextChanged, extensionName},
                {u"整体Op1"_s, ControlEvent::Chosen, nameToUpper},
                {u"整体Op2"_s, ControlEvent::Chosen, nameToLower},
                {u"后缀Op1"_s, ControlEvent::Chosen, extensionToUpper},
                {u"后缀Op2"_s, ControlEvent::Chosen, extensionToLower},
            },
    };
}

} // namespace ruleframes
