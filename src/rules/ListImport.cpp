#include "rules/ListImport.h"

#include "list/FileListModel.h"

namespace rules {

QStringList cutLines(const QString &text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString cleanNewName(const QString &name)
{
    static constexpr QStringView forbidden = u"\r\n\\*?/:<>|\"";
    QString cleaned;
    cleaned.reserve(name.size());
    for (const QChar ch : name) {
        if (!forbidden.contains(ch))
            cleaned.append(ch);
    }
    return cleaned;
}

QHash<QString, QString> parseTwoColumns(const QString &text)
{
    QHash<QString, QString> table;
    const QStringList lines = cutLines(text);
    for (const QString &line : lines) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() < 2)
            continue;
        table.insert(fields.at(0), cleanNewName(fields.at(1)));
    }
    return table;
}

bool applyTwoColumns(FileListModel &model, const QString &text)
{
    const QHash<QString, QString> table = parseTwoColumns(text);
    if (table.isEmpty())
        return false;
    model.editRows(RenameEntry::PreviewName, RenameEntry::PreviewName,
                   [&table](RenameEntry &e, int) {
                       const auto it = table.constFind(e.originalName);
                       if (it == table.constEnd() || e.previewName == *it)
                           return false;
                       e.previewName = *it;
                       return true;
                   });
    return true;
}

bool applyOneColumn(FileListModel &model, const QString &text)
{
    if (text.isEmpty())
        return false;
    const QStringList lines = cutLines(text);
    model.editRows(RenameEntry::PreviewName, RenameEntry::PreviewName,
                   [&lines](RenameEntry &e, int row) {
                       if (row >= lines.size())
                           return false;
                       const QString name = cleanNewName(lines.at(row));
                       if (e.previewName == name)
                           return false;
                       e.previewName = name;
                       return true;
                   });
    return true;
}

QString originalNamesText(const FileListModel &model)
{
    QStringList names;
    names.reserve(model.count());
    for (const RenameEntry &e : model.entries())
        names.append(e.originalName);
    return names.join(QStringLiteral("\r\n"));
}

} // namespace rules
