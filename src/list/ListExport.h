#pragma once

#include <QString>

class RowStore;

struct ExportResult
{
    bool written = false;
    QString path;  // where the file was (or would have been) written
    QString error; // why it could not be written
};

// Writes the rows' names, one per line with CR LF after each, UTF-8 without
// a byte-order mark, into "文件列表.txt" in programFolder when that folder is
// writable and not a system folder, else in the user's documents folder.
// Only a regular file is ever replaced: a link, device, FIFO or folder of
// that name makes the export fail with the reason.
ExportResult exportNames(const RowStore &store, const QString &programFolder);

// The folder the export goes to.
QString exportFolder(const QString &programFolder);
