#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The last place of `c` in `text`, or -1. Paths are taken apart many times
// a row in a batch; this short backward scan is inlined where Qt's general
// one is a call.
inline qsizetype lastIndexOfChar(QStringView text, char16_t c)
{
    const char16_t *p = text.utf16();
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (p[i] == c)
            return i;
    }
    return -1;
}

// Textual splitting of a path. Selectors: 0 file name, 1 base name (without
// the text from the last dot on), 2 extension without the dot, 3 drive,
// 4 parent folder without a trailing separator; any other gives "".
enum class PathSelector { FileName = 0, BaseName = 1, Extension = 2, Drive = 3, Parent = 4 };

QString PathPart(const QString &path, int selector);
inline QString PathPart(const QString &path, PathSelector selector)
{
    return PathPart(path, static_cast<int>(selector));
}

// The extension cell of a row built from this path: "." + extension, or ""
// when there is none. A name ending in a dot keeps "." so that a rename that
// leaves the name alone gives back the same name.
QString extensionCellOf(const QString &path);

// The path without doubled separators, "." components or a trailing
// separator ("/a//b/./c/" gives "/a/b/c"). ".." and symbolic links are left
// as they are: resolving them from the text alone could name another entry.
QString cleanedPath(const QString &path);
QStringList cleanedPaths(const QStringList &paths);

// True when a folder exists at the path (symbolic links are followed).
bool isFolder(const QString &path);

// Natural-sort key: the first run of digits, at least four digits wide.
QString sortKeyOf(QStringView name);
