#include "list/PathPart.h"

#include <sys/stat.h>

#include <QFile>

namespace {

qsizetype lastSeparator(const QString &path)
{
    return lastIndexOfChar(path, u'/');
}

QString lastComponent(const QString &path)
{
    return path.mid(lastSeparator(path) + 1);
}

} // namespace

QString PathPart(const QString &path, int selector)
{
    switch (static_cast<PathSelector>(selector)) {
    case PathSelector::FileName:
        return lastComponent(path);
    case PathSelector::BaseName: {
        const QString name = lastComponent(path);
        const qsizetype dot = lastIndexOfChar(name, u'.');
        return dot < 0 ? name : name.left(dot);
    }
    case PathSelector::Extension: {
        const QString name = lastComponent(path);
        const qsizetype dot = lastIndexOfChar(name, u'.');
        return dot < 0 ? QString() : name.mid(dot + 1);
    }
    case PathSelector::Drive:
        // Linux has no drive letters; an ordinary absolute path has no drive.
        return QString();
    case PathSelector::Parent: {
        const qsizetype sep = lastSeparator(path);
        if (sep < 0)
            return QString();
        return path.left(sep);
    }
    }
    return QString();
}

QString extensionCellOf(const QString &path)
{
    const QString name = PathPart(path, PathSelector::FileName);
    const qsizetype dot = lastIndexOfChar(name, u'.');
    if (dot < 0)
        return QString();
    return name.mid(dot);
}

QString cleanedPath(const QString &path)
{
    // Most paths are clean already: they are given back without a copy.
    const bool clean = (!path.endsWith(u'/') || path.size() == 1) && !path.endsWith(u"/.") &&
                       !path.contains(u"//") && !path.contains(u"/./");
    if (clean)
        return path;

    QString out;
    out.reserve(path.size());
    if (path.startsWith(QLatin1Char('/')))
        out.append(QLatin1Char('/'));
    for (const QStringView part : QStringView(path).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (!out.isEmpty() && !out.endsWith(QLatin1Char('/')))
            out.append(QLatin1Char('/'));
        out.append(part);
    }
    return out.isEmpty() ? QStringLiteral(".") : out;
}

QStringList cleanedPaths(const QStringList &paths)
{
    QStringList cleaned;
    cleaned.reserve(paths.size());
    for (const QString &path : paths)
        cleaned.push_back(cleanedPath(path));
    return cleaned;
}

bool isFolder(const QString &path)
{
    if (path.isEmpty())
        return false;
    struct stat st
    {
    };
    const QByteArray native = QFile::encodeName(path);
    return ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QString sortKeyOf(QStringView name)
{
    const QChar *data = name.constData();
    const qsizetype size = name.size();
    qsizetype start = 0;
    while (start < size && !(data[start] >= u'0' && data[start] <= u'9'))
        ++start;
    if (start == size)
        return QString();
    qsizetype end = start;
    while (end < size && data[end] >= u'0' && data[end] <= u'9')
        ++end;
    // Leading zeros do not survive beyond the padding to four digits.
    qsizetype firstSignificant = start;
    while (firstSignificant < end - 1 && data[firstSignificant] == u'0')
        ++firstSignificant;
    QString digits(data + firstSignificant, end - firstSignificant);
    if (digits.size() < 4)
        digits.prepend(QString(4 - digits.size(), QLatin1Char('0')));
    return digits;
}
