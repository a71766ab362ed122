#include "rules/RulePass.h"

#include "list/RowStore.h"
#include "rules/PreviewLimit.h"

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

// Writes a new preview into the storage of the old one when that has room,
// so that a keystroke over 100,000 rows allocates nothing. (Freeing one name
// and keeping another for each row also made the allocator's lists of freed
// pieces grow by as many, which slowed later passes down three times.)
void writePreview(QString &preview, const QString &text)
{
    if (!preview.isDetached() || preview.capacity() < text.size())
        preview = QString(); // shared or too small: this row gets storage of its own
    preview.resize(0);
    preview.append(text);
}

} // namespace

void runRulePass(RowStore &store, QString &ruleMarker, QChar code, const RowRule &rule)
{
    const QString marker = ruleMarker;
    if (store.count() < 1)
        return;
    const bool sameRule = marker.size() == 1 && marker.at(0) == code;
    QString next; // one buffer for every row's new name
    store.editRows(RenameEntry::PreviewName, RenameEntry::TempName, [&](RenameEntry &row, int) {
        if (!row.checked)
            return false;
        // The base may be the preview itself: it is kept before that changes.
        const QString &base = baseNameFor(row, marker, code);
        const bool changed = rule(base, row, next);
        if (!sameRule)
            row.tempName = base;
        if (changed) {
            rules::capPreview(next); // the rules stop there already; a new one might not
            writePreview(row.previewName, next);
        }
        return true;
    });
    ruleMarker = QString(code);
}
