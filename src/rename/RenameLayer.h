#pragma once

#include <QByteArray>
#include <QString>

#include "shared/UniqueFd.h"

#include <fcntl.h>

#include <functional>
#include <optional>

// Why a rename did not happen: the error number (errno) and its text.
struct RenameFailure
{
    int code = 0;
    QString description;
};

// Renames the entry at `from` to `to`; std::nullopt on success. Never
// replaces an existing entry.
using RenameFunction =
    std::function<std::optional<RenameFailure>(const QString &from, const QString &to)>;

// The real rename of a file or folder. An existing target is never replaced,
// also where the file system does not know RENAME_NOREPLACE; a change of
// letter case only succeeds on a case-insensitive file system too.
std::optional<RenameFailure> renameOnDisk(const QString &from, const QString &to);

// The bytes the system gets for a path (UTF-8, as QFile::encodeName gives
// them) appended to `out` with a closing NUL. False, with nothing appended,
// for a path the system would read as another: empty, or with a NUL inside.
bool appendNativePath(QByteArray &out, QStringView path);

// renameOnDisk for paths whose bytes appendNativePath has given: a batch
// encodes a run of paths first and then renames them back to back. Given a
// folder (an open descriptor of the folder both paths are in), the bytes are
// the two names in it: the system then finds them from the folder rather
// than walking every folder above it, twice for every rename.
std::optional<RenameFailure> renameEncodedOnDisk(const QString &from, const QString &to,
                                                 const char *nativeFrom, const char *nativeTo,
                                                 int folder = AT_FDCWD);

// A folder opened to rename entries in it by name (renameEncodedOnDisk);
// not valid where it cannot be opened, and a rename by full paths then does.
UniqueFd openFolderForRenames(const QString &path);

// The result cell texts.
QString successText();
QString failureText(const RenameFailure &failure);

// A failure with the system's description of the error number.
RenameFailure failureFromErrno(int code);

// The pieces of renameOnDisk, public so that each can be tried on its own.

// True when `to` spells the entry at `from` differently only in letter case,
// in the same folder, and both names lead to the same entry: the same inode,
// or, where a file system numbers each spelling apart, the folder lists the
// old spelling and not the new one. That is what a case-insensitive file
// system reports as an existing target when only the case of a name changes. Two names of one
// hard-linked file that differ by more than case are two entries, and give false.
bool isSameEntryCaseChange(const QString &from, const QString &to);

// Renames through a fresh hidden name in the same folder, in two steps that
// each refuse to replace anything. When the second step fails the entry goes
// back to `from` and the second step's failure is reported.
std::optional<RenameFailure> renameViaTemporary(const QString &from, const QString &to);

// The rename for file systems that refuse RENAME_NOREPLACE: a file is linked
// under the new name and then unlinked under the old one. Where hard links
// are refused too (FAT and exFAT through FUSE), and for folders, the target
// is first claimed with an empty file made with O_EXCL or an empty folder,
// and the entry is renamed onto that claim, so that nothing another program
// puts there meanwhile can be replaced.
std::optional<RenameFailure> renameWithoutNoReplaceFlag(const QString &from, const QString &to);
