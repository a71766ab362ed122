#include "rules/RulePass.h"

#include "list/FileListModel.h"

const QString &baseNameFor(const RenameEntry &row, const QString &marker, QChar code)
{
    if (marker.size() == 1 && marker.at(0) == code)
        return row.tempName;
    if (marker.isEmpty())
        return row.originalName;
    // A row added after the previous rule ran has no preview yet; building on
    // that empty text would give a name made only of the rule's own text.
    if (row.previewName.isEmpty())
        return row.originalName;
    return row.previewName;
}

void runRulePass(FileListModel &model, QString &ruleMarker, QChar code, const RowRule &rule)
{
    const QString marker = ruleMarker;
    if (model.count() < 1)
        return;
    const bool sameRule = marker.size() == 1 && marker.at(0) == code;
    model.editRows(RenameEntry::PreviewName, RenameEntry::TempName, [&](RenameEntry &row, int) {
        if (!row.checked)
            return false;
        // Copy: the base may be the preview we are about to overwrite.
        const QString base = baseNameFor(row, marker, code);
        if (std::optional<QString> preview = rule(base, row))
            row.previewName = std::move(*preview);
        if (!sameRule)
            row.tempName = base;
        return true;
    });
    ruleMarker = QString(code);
}
