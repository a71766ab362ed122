#include "list/ListExport.h"

#include "list/RowStore.h"
#include "shared/OwnFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

QString exportFolder(const QString &programFolder)
{
    const QFileInfo program(programFolder);
    if (program.isDir() && program.isWritable() && !isSystemFolder(programFolder))
        return program.absoluteFilePath();
    // An installed program cannot, or when run as root should not, write
    // beside itself.
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

ExportResult exportNames(const RowStore &store, const QString &programFolder)
{
    ExportResult result;
    const QString folder = exportFolder(programFolder);
    result.path = QDir(folder).filePath(QStringLiteral("文件列表.txt"));
    if (!QDir().mkpath(folder)) {
        result.error = QStringLiteral("无法创建文件夹");
        return result;
    }

    if (!isOwnFileSpot(result.path)) {
        result.error = QStringLiteral("这个位置已有一个链接、设备或文件夹，没有改动它");
        return result;
    }

    QByteArray content;
    for (const RenameEntry &row : store.entries()) {
        content += row.originalName.toUtf8();
        content += "\r\n";
    }
    QSaveFile file(result.path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() ||
        !file.commit()) {
        result.error = file.errorString();
        return result;
    }
    result.written = true;
    return result;
}
