#include "list/RenameEntry.h"

QString &RenameEntry::cell(int column)
{
    switch (column) {
    case OriginalName:
        return originalName;
    case PreviewName:
        return previewName;
    case Extension:
        return extension;
    case FullPath:
        return fullPath;
    case ResultText:
        return resultText;
    case PreviousPath:
        return previousPath;
    case TempName:
        return tempName;
    default:
        return sortKey;
    }
}

const QString &RenameEntry::cell(int column) const
{
    return const_cast<RenameEntry *>(this)->cell(column);
}
