#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Whole-text, case-sensitive match: * any run, ? one character, # one decimal
// digit, [list] one character of the list (single characters and ascending
// ranges a-z; a leading ! negates; inside brackets every other character,
// backslash included, stands for itself); every other character matches
// itself. Characters are UTF-16 code units, as everywhere else in the
// program. An empty list "[]" matches no character, "[!]" any one.
bool WildcardMatch(const QString &text, const QString &pattern);

// False for a pattern with an unclosed bracket or a descending range such as
// [z-a]; such a pattern matches nothing.
bool isValidWildcard(const QString &pattern);

struct WalkOptions
{
    bool recurse = true;
    bool listFolders = false;
    // Matched against each file's full path as "*" + filter.
    QString filter = QStringLiteral("*");
};

struct WalkResult
{
    // Files and (with listFolders) folders in the order they were met.
    QStringList paths;
    // Folders that could not be opened or read to the end.
    int skippedFolders = 0;
    // Entries whose names do not survive the trip through QString (bytes that
    // are not valid in the locale's encoding): a row for such a name would
    // point at a different path, so they are left out.
    int skippedNames = 0;
};

// Called after each subfolder has been handled, with its full path.
using WalkProgress = std::function<void(const QString &folder)>;

// Walks a folder: first its files, in code-unit order of their names
// (office lock files, whose names begin with "~$", are skipped; the rest are
// kept when their full path matches "*" + filter), then each direct
// subfolder in name order: its contents first (when recursing), then the
// subfolder itself (when listing folders, unfiltered), then progress.
// Paths are the folder without trailing "/" + "/" + name. Symbolic links to
// folders are never descended into; with listFolders they are listed like
// folders. A link to anything else is a file. The given folder itself is
// followed when it is a link, and never listed.
WalkResult FileSearchFso(const QString &folder, const WalkOptions &options,
                         const WalkProgress &progress = {});
