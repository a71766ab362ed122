#include "app/Shell.h"

#include <QProcess>

void OpenInFileManager(const QString &path)
{
    QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}
