#pragma once

#include "list/PlanMark.h"

#include <QString>

// Where a row's entry stands in the disk view behind the rename plan: the
// folder that holds it, its place in that folder's listing, and its inode
// (with the folder's device, the entry's identity). A symbolic link is an
// entry of its own; links in the folders above are followed.
struct DiskRef
{
    // Values of `entry` below zero.
    enum : qint32 {
        Unresolved = -1, // not looked up yet
        Missing = -2,    // nothing is at the path
        Replaced = -3,   // another entry than the row's is at the path
        Unknown = -4,    // the folder cannot be read: the disk alone can tell
    };
    qint32 folder = -1;
    qint32 entry = Unresolved;
    quint64 inode = 0; // 0 until the entry was first seen
};

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
    PlanMark mark;
    DiskRef disk;

    QString &cell(int column);
    const QString &cell(int column) const;
};
