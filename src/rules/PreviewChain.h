#pragma once

#include <QString>

#include <functional>

class RowStore;
struct RenameEntry;

// The previews of the list as the rules build them one on another. The coded
// rules (the letters A to I) chain: each starts from the previews the rule
// before it left, while the same rule run again starts over from the base it
// saved in TempName, so that typing into one box never piles its text up.
// RuleMarker, the code of the rule that last wrote the previews, decides
// which; a few events start the chain afresh from the names on disk.
// The rules outside the chain (the whole name and the extension) write the
// rows through here too, and leave RuleMarker and TempName alone.
class PreviewChain
{
public:
    // Writes one row's new preview, computed from its base name, into `out`
    // (whose storage is reused from row to row); false leaves the row's
    // preview as it is.
    using RowRule = std::function<bool(const QString &base, const RenameEntry &row, QString &out)>;
    // Writes a checked row's new extension, dot included, into `extension`;
    // false leaves the row alone.
    using ExtensionRule = std::function<bool(const RenameEntry &row, QString &extension)>;

    explicit PreviewChain(RowStore &rows);
    PreviewChain(const PreviewChain &) = delete;
    PreviewChain &operator=(const PreviewChain &) = delete;

    // Empty while no coded rule has written the previews since the chain
    // started afresh.
    const QString &ruleMarker() const { return m_ruleMarker; }

    int rowCount() const;
    int checkedRowCount() const;

    // One pass of the coded rule `code` over the checked rows: each row's
    // base is chosen by RuleMarker, the preview written, the base saved when
    // another rule ran before, and `code` recorded. An empty list changes
    // nothing, RuleMarker included.
    void runPass(QChar code, const RowRule &rule);

    // Gives every checked row this preview; an empty name changes nothing.
    void nameCheckedRows(QString name);
    // Gives checked rows a new extension and their name on disk back as the
    // preview, so that the new extension goes with the original name.
    void renameExtensions(const ExtensionRule &rule);

    // The rows' names on disk changed; the next rule starts from them.
    void batchRan();
    // The list holds the rows of a new folder scan and nothing else.
    void listRefilled();
    // Rows are about to be added to a list that was empty.
    void rowsDroppedOnEmptyList();

private:
    RowStore &m_rows;
    QString m_ruleMarker;
};
