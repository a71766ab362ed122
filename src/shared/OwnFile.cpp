#include "shared/OwnFile.h"

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
    static const QStringList systemTops = {QStringLiteral("usr"),   QStringLiteral("opt"),
                                           QStringLiteral("bin"),   QStringLiteral("sbin"),
                                           QStringLiteral("lib"),   QStringLiteral("lib32"),
                                           QStringLiteral("lib64"), QStringLiteral("libx32")};
    return systemTops.contains(real.section(QLatin1Char('/'), 1, 1));
}
