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

namespace {

// Writes a new preview into the storage of the old one when that has room.
// Assigning would free one name and keep another for each row: over 100,000
// rows whose names change length, the allocator's lists of freed pieces grow
// by as many, and sorting them out slowed a pass down three times.
void writePreview(QString &preview, const QString &text)
{
    if (preview.isDetached() && preview.capacity() >= text.size()) {
        preview.resize(0);
        preview.append(text);
    } else {
        preview = text;
    }
}

} // namespace

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
        if (const std::optional<QString> preview = rule(base, row))
            writePreview(row.previewName, *preview);
        if (!sameRule)
            row.tempName = base;
        return true;
    });
    ruleMarker = QString(code);
}
