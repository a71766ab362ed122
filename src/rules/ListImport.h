#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class RowStore;

// Naming from a list the user already has, e.g. copied out of a spreadsheet:
// either two columns (old name TAB new name, in any order) or one column of
// new names given to the rows in list order. Only previews are written, to
// every row, checked or not.
namespace rules {

// The maximal runs of characters other than LF, in order. A CR is an
// ordinary character, so "x\r\n\r\nz" gives "x\r", "\r", "z" and "x\n\nz"
// gives "x", "z".
QStringList cutLines(const QString &text);

// Removes CR, LF, \ * ? / : < > | and " from a new name, which stops at the
// preview limit.
QString cleanNewName(QStringView name);

// Lines split at TAB; lines with one field are skipped; the first field is
// the old name (as is), the cleaned second field the new name; a later line
// with the same old name wins; fields after the second are ignored.
QHash<QString, QString> parseTwoColumns(const QString &text);

// Give every row whose original name is an old name of the table the new
// name. Returns false when the table is empty: nothing was applied.
bool applyTwoColumns(RowStore &store, const QString &text);

// The k-th line, cleaned, becomes the preview of the k-th row; extra lines
// are ignored, extra rows keep their preview. Returns false only for an
// empty text; an empty list counts as done.
bool applyOneColumn(RowStore &store, const QString &text);

// The original name of every row, joined by CR LF (none after the last).
QString originalNamesText(const RowStore &store);

} // namespace rules
