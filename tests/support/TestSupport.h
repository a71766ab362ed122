#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testsupport {

// Creates a file (and its missing parent folders) with the given content.
void writeFile(const QString &path, const QByteArray &content = QByteArray());
QByteArray readFile(const QString &path);

// Names of the entries directly in a folder, sorted.
QStringList entriesOf(const QString &folder);

} // namespace testsupport
