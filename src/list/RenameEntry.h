#pragma once

#include "list/PlanMark.h"

#include <QString>

// Where a row's entry stands in the disk view behind the rename plan: the
// folder that holds it and its place in that folder's listing.
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

    // The first 57 bytes hold all the rename plan reads of a row, which it
    // does for every row on every keystroke: one or two cache lines a row.
    // (Aligning rows to cache lines would make them 256 bytes apart, a
    // stride that crowds a few sets of the cache: passes ran three times
    // slower.)
    QString previewName;
    QString extension;
    DiskRef disk;
    bool checked = true;
    Outcome outcome = Outcome::None;
    bool blue = false; // folders and files without extension are shown in blue
    // What the plan foresees for the row, as the preview cell shows it.
    PlanMark mark;
    // Then what a rule pass reads besides, so that it reads two lines.
    QString originalName;
    QString tempName;
    QString fullPath;
    // The entry's inode, 0 until first seen: with its folder's device, the
    // identity of the row's entry. A symbolic link is an entry of its own;
    // links in the folders above it are followed.
    quint64 inode = 0;
    QString resultText;
    QString previousPath;
    QString sortKey;

    QString &cell(int column);
    const QString &cell(int column) const;
};
