#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class RowStore;

namespace testsupport {

// Creates a file (and its missing parent folders) with the given content.
void writeFile(const QString &path, const QByteArray &content = QByteArray());
QByteArray readFile(const QString &path);

// One column's texts, row by row.
QStringList columnOf(const RowStore &rows, int column);

// Names of the entries directly in a folder, sorted.
QStringList entriesOf(const QString &folder);

} // namespace testsupport
