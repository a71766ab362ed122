#pragma once

#include <QString>

// One row of the file list: a file or folder the user wants to rename.
struct RenameEntry
{
    // The columns of the list, in display order.
    enum Column {
        OriginalName = 0,
        PreviewName,
        Extension,
        FullPath,
        ResultText,
        PreviousPath,
        TempName,
        SortKey,
        ColumnCount
    };

    // Colour of the result cell after a rename or undo.
    enum class Outcome : quint8 { None, Failure, Success };

    QString originalName;
    QString previewName;
    QString extension;
    QString fullPath;
    QString resultText;
    QString previousPath;
    QString tempName;
    QString sortKey;
    bool checked = true;
    bool blue = false; // folders and files without extension are shown in blue
    Outcome outcome = Outcome::None;

    QString &cell(int column);
    const QString &cell(int column) const;
};
