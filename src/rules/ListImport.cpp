#include "rules/ListImport.h"

#include "list/RowStore.h"
#include "rules/PreviewLimit.h"

#include <QStringTokenizer>

namespace rules {

QStringList cutLines(const QString &text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

namespace {

// The lines of cutLines, one at a time and without copying them: a paste may
// be megabytes long.
auto linesOf(const QString &text)
{
    return QStringTokenizer(text, u'\n', Qt::SkipEmptyParts);
}

} // namespace

QString cleanNewName(QStringView name)
{
    static constexpr QStringView forbidden = u"\r\n\\*?/:<>|\"";
    QString cleaned;
    cleaned.reserve(std::min(name.size(), kMaxPreviewLength));
    for (const QChar ch : name) {
        if (cleaned.size() >= kMaxPreviewLength)
            break;
        if (!forbidden.contains(ch))
            cleaned.append(ch);
    }
    capPreview(cleaned);
    return cleaned;
}

QHash<QString, QString> parseTwoColumns(const QString &text)
{
    QHash<QString, QString> table;
    for (const QStringView line : linesOf(text)) {
        const qsizetype tab = line.indexOf(u'\t');
        if (tab < 0)
            continue;
        const qsizetype next = line.indexOf(u'\t', tab + 1);
        const QStringView second = line.mid(tab + 1, next < 0 ? -1 : next - tab - 1);
        table.insert(line.left(tab).toString(), cleanNewName(second));
    }
    return table;
}

bool applyTwoColumns(RowStore &store, const QString &text)
{
    const QHash<QString, QString> table = parseTwoColumns(text);
    if (table.isEmpty())
        return false;
    store.editRows(RenameEntry::PreviewName, RenameEntry::PreviewName,
                   [&table](RenameEntry &e, int) {
                       const auto it = table.constFind(e.originalName);
                       if (it == table.constEnd() || e.previewName == *it)
                           return false;
                       e.previewName = *it;
                       return true;
                   });
    return true;
}

bool applyOneColumn(RowStore &store, const QString &text)
{
    if (text.isEmpty())
        return false;
    auto lines = linesOf(text);
    auto line = lines.begin();
    store.editRows(RenameEntry::PreviewName, RenameEntry::PreviewName, [&](RenameEntry &e, int) {
        if (line == lines.end())
            return false;
        const QString name = cleanNewName(*line++);
        if (e.previewName == name)
            return false;
        e.previewName = name;
        return true;
    });
    return true;
}

QString originalNamesText(const RowStore &store)
{
    QStringList names;
    names.reserve(store.count());
    for (const RenameEntry &e : store.entries())
        names.append(e.originalName);
    return names.join(QStringLiteral("\r\n"));
}

} // namespace rules
