#include "support/TestSupport.h"

#include "list/RowStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace testsupport {

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

QStringList entriesOf(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                               QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

QStringList columnOf(const RowStore &rows, int column)
{
    QStringList cells;
    for (const RenameEntry &row : rows.entries())
        cells.push_back(row.cell(column));
    return cells;
}

} // namespace testsupport
