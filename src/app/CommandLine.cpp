#include "app/CommandLine.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

LaunchPaths launchPathsFrom(const QStringList &arguments, const QDir &workingDir)
{
    LaunchPaths result;
    for (const QString &argument : arguments) {
        if (argument.isEmpty())
            continue;
        QString path = argument;
        if (argument.startsWith(QLatin1String("file:"))) {
            const QUrl url(argument);
            if (!url.isLocalFile()) {
                result.missing.push_back(argument);
                continue;
            }
            path = url.toLocalFile();
        }
        // A trailing "/" or a "." in the middle must not reach the list: the
        // name and folder columns are split from the path's text.
        path = QDir::cleanPath(workingDir.absoluteFilePath(path));
        const QFileInfo info(path);
        // A dangling link is still something the user can rename.
        if (info.exists() || info.isSymLink())
            result.paths.push_back(path);
        else
            result.missing.push_back(argument);
    }
    return result;
}

QStringList decodeArguments(int argc, const char *const *argv, QByteArrayList &undecodable)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        const QString text = QFile::decodeName(bytes);
        if (i > 0 && QFile::encodeName(text) != bytes)
            undecodable.push_back(bytes);
        else
            arguments.push_back(text);
    }
    return arguments;
}
