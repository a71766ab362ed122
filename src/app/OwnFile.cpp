#include "app/OwnFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

bool isOwnFileSpot(const QString &path)
{
    struct stat st
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT;
    return S_ISREG(st.st_mode);
}

bool isSystemFolder(const QString &folder)
{
    // Resolved first: on merged-/usr systems /bin leads to /usr/bin, and a
    // link elsewhere may lead into the system's folders as well.
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const QString real = canonical.isEmpty() ? QDir::cleanPath(folder) : canonical;
    const QString top = real.section(QLatin1Char('/'), 1, 1);
    return top == QLatin1String("usr") || top == QLatin1String("opt") ||
           top == QLatin1String("bin") || top == QLatin1String("sbin") ||
           top.startsWith(QLatin1String("lib"));
}
