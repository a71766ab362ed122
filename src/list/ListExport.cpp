#include "list/ListExport.h"

#include "list/FileListModel.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

QString exportFolder(const QString &programFolder)
{
    const QFileInfo program(programFolder);
    if (program.isDir() && program.isWritable())
        return program.absoluteFilePath();
    // An installed program usually cannot write beside itself.
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

ExportResult exportNames(const FileListModel &model, const QString &programFolder)
{
    ExportResult result;
    const QString folder = exportFolder(programFolder);
    result.path = QDir(folder).filePath(QStringLiteral("文件列表.txt"));
    if (!QDir().mkpath(folder)) {
        result.error = QStringLiteral("无法创建文件夹");
        return result;
    }

    QByteArray content;
    for (const RenameEntry &row : model.entries()) {
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
