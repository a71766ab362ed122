#include "rules/PreviewChain.h"

#include "list/RowStore.h"
#include "rules/PreviewLimit.h"

#include <algorithm>

namespace {

bool isMarker(const QString &marker, QChar code)
{
    return marker.size() == 1 && marker.at(0) == code;
}

// The base the rule `code` starts from for one row, given the marker read at
// the start of the pass.
const QString &baseNameFor(const RenameEntry &row, const QString &marker, QChar code)
{
    if (isMarker(marker, code))
        return row.tempName;
    if (marker.isEmpty())
        return row.originalName;
    // A row added after the previous rule ran has no preview yet; building on
    // that empty text would give a name made only of the rule's own text.
    if (row.previewName.isEmpty())
        return row.originalName;
    return row.previewName;
}

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

PreviewChain::PreviewChain(RowStore &rows) : m_rows(rows)
{}

int PreviewChain::rowCount() const
{
    return m_rows.count();
}

int PreviewChain::checkedRowCount() const
{
    const std::vector<RenameEntry> &rows = m_rows.entries();
    return int(std::count_if(rows.begin(), rows.end(),
                             [](const RenameEntry &row) { return row.checked; }));
}

void PreviewChain::runPass(QChar code, const RowRule &rule)
{
    const QString marker = m_ruleMarker;
    if (m_rows.count() < 1)
        return;
    const bool sameRule = isMarker(marker, code);
    QString next; // one buffer for every row's new name
    m_rows.editRows(RenameEntry::PreviewName, RenameEntry::TempName, [&](RenameEntry &row, int) {
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
    m_ruleMarker = QString(code);
}

void PreviewChain::nameCheckedRows(QString name)
{
    if (name.isEmpty())
        return;
    rules::capPreview(name);
    m_rows.editRows(RenameEntry::PreviewName, RenameEntry::PreviewName,
                    [&name](RenameEntry &row, int) {
                        if (!row.checked)
                            return false;
                        row.previewName = name;
                        return true;
                    });
}

void PreviewChain::renameExtensions(const ExtensionRule &rule)
{
    m_rows.editRows(RenameEntry::PreviewName, RenameEntry::Extension,
                    [&rule](RenameEntry &row, int) {
                        QString extension;
                        if (!row.checked || !rule(row, extension))
                            return false;
                        rules::capPreview(extension);
                        row.extension = std::move(extension);
                        row.previewName = row.originalName;
                        return true;
                    });
}

void PreviewChain::batchRan()
{
    m_ruleMarker.clear();
}

void PreviewChain::listRefilled()
{
    m_ruleMarker.clear();
}

void PreviewChain::rowsDroppedOnEmptyList()
{
    m_ruleMarker.clear();
}
