#include "rename/RenameLayer.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringEncoder>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Folder part of a path including its trailing separator ("" for a bare name).
QString folderPrefix(const QString &path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString lastComponent(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// Renames only after making sure nothing is at the target. There is a short
// window between the check and the rename; it is the last resort, for a file
// system that neither takes RENAME_NOREPLACE nor hard links.
int checkedRename(const char *from, const char *to)
{
    struct stat st
    {
    };
    if (::lstat(to, &st) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return ::rename(from, to) == 0 ? 0 : errno;
}

int renameWithoutFlag(const char *from, const char *to)
{
    struct stat st
    {
    };
    if (::lstat(from, &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return checkedRename(from, to);

    // link() fails with EEXIST when the name is taken, without a window.
    if (::linkat(AT_FDCWD, from, AT_FDCWD, to, 0) == 0) {
        if (::unlink(from) == 0)
            return 0;
        const int err = errno;
        ::unlink(to);
        return err;
    }
    const int err = errno;
    if (err == EPERM || err == EOPNOTSUPP || err == ENOSYS || err == EMLINK)
        return checkedRename(from, to); // no hard links on this file system
    return err;
}

// 0 or the errno of the failure; never replaces an existing entry.
int renameNoReplace(const char *from, const char *to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    const int err = errno;
    // EINVAL is also the answer of a file system that does not know the flag
    // (some FUSE and network file systems). A truly invalid rename, such as a
    // folder into itself, fails the same way again below.
    if (err != EINVAL && err != ENOSYS)
        return err;
    return renameWithoutFlag(from, to);
}

bool hasNul(const QString &path)
{
    return path.contains(QChar(u'\0'));
}

// Both paths as the system gets them; false when either cannot be given.
bool encodeBoth(const QString &from, const QString &to, QByteArray &nativeFrom,
                QByteArray &nativeTo)
{
    return appendNativePath(nativeFrom, from) && appendNativePath(nativeTo, to);
}

std::optional<RenameFailure> failureOf(int err)
{
    if (err == 0)
        return std::nullopt;
    return failureFromErrno(err);
}

} // namespace

RenameFailure failureFromErrno(int code)
{
    char buffer[256] = {};
    // GNU strerror_r: returns the text, which may or may not be in buffer.
    const char *text = ::strerror_r(code, buffer, sizeof buffer);
    return RenameFailure{code, QString::fromLocal8Bit(text)};
}

QString successText()
{
    return QStringLiteral("√成功");
}

QString failureText(const RenameFailure &failure)
{
    switch (failure.code) {
    case EEXIST:
    case ENOTEMPTY:
    case EINVAL:
        return QStringLiteral("！！失败 文件名不能包含 \\/*?:<>|\"或者文件有重名");
    default:
        return QStringLiteral("！！失败 ") + QString::number(failure.code) + failure.description;
    }
}

bool isSameEntryCaseChange(const QString &from, const QString &to)
{
    if (from == to || folderPrefix(from) != folderPrefix(to))
        return false;
    if (QString::compare(lastComponent(from), lastComponent(to), Qt::CaseInsensitive) != 0)
        return false;
    struct stat a
    {
    };
    struct stat b
    {
    };
    if (::lstat(QFile::encodeName(from).constData(), &a) != 0 ||
        ::lstat(QFile::encodeName(to).constData(), &b) != 0)
        return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool appendNativePath(QByteArray &out, const QString &path)
{
    // A NUL would cut the native path short and name another entry.
    if (path.isEmpty() || hasNul(path))
        return false;
    QStringEncoder toUtf8(QStringEncoder::Utf8);
    const qsizetype start = out.size();
    out.resize(start + toUtf8.requiredSpace(path.size()) + 1);
    char *end = toUtf8.appendToBuffer(out.data() + start, path);
    *end++ = '\0';
    out.truncate(end - out.constData());
    return true;
}

std::optional<RenameFailure> renameViaTemporary(const QString &from, const QString &to)
{
    QByteArray source;
    QByteArray target;
    if (!encodeBoth(from, to, source, target))
        return failureFromErrno(EINVAL);
    const QString folder = folderPrefix(from);

    QByteArray temporary;
    int err = EEXIST;
    for (int attempt = 0; attempt < 16 && err == EEXIST; ++attempt) {
        const quint64 tag = QRandomGenerator::global()->generate64();
        temporary =
            QFile::encodeName(folder + QStringLiteral(".quib-tmp-") + QString::number(tag, 16));
        err = renameNoReplace(source.constData(), temporary.constData());
    }
    if (err != 0)
        return failureFromErrno(err);

    err = renameNoReplace(temporary.constData(), target.constData());
    if (err == 0)
        return std::nullopt;
    // Back to where it was. Should even this fail (the old name was taken in
    // the meantime), the entry stays under the hidden name, never replaced.
    renameNoReplace(temporary.constData(), source.constData());
    return failureFromErrno(err);
}

std::optional<RenameFailure> renameWithoutNoReplaceFlag(const QString &from, const QString &to)
{
    QByteArray nativeFrom;
    QByteArray nativeTo;
    if (!encodeBoth(from, to, nativeFrom, nativeTo))
        return failureFromErrno(EINVAL);
    return failureOf(renameWithoutFlag(nativeFrom.constData(), nativeTo.constData()));
}

std::optional<RenameFailure> renameOnDisk(const QString &from, const QString &to)
{
    QByteArray nativeFrom;
    QByteArray nativeTo;
    if (!encodeBoth(from, to, nativeFrom, nativeTo))
        return failureFromErrno(EINVAL);
    return renameEncodedOnDisk(from, to, nativeFrom.constData(), nativeTo.constData());
}

std::optional<RenameFailure> renameEncodedOnDisk(const QString &from, const QString &to,
                                                 const char *nativeFrom, const char *nativeTo)
{
    const int err = renameNoReplace(nativeFrom, nativeTo);
    // On a case-insensitive file system "Photo.jpg" exists when "photo.jpg"
    // does: it is the same entry, so the rename takes a detour.
    if (err == EEXIST && isSameEntryCaseChange(from, to))
        return renameViaTemporary(from, to);
    return failureOf(err);
}
