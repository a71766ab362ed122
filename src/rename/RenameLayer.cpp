#include "rename/RenameLayer.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <dirent.h>
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

// Without RENAME_NOREPLACE a plain rename(2) replaces whatever is at the
// target, and checking first leaves a window in which another program can
// put something there. So the target's name is claimed first, with a call
// that fails when anything is there (an empty file made with O_EXCL, or an
// empty folder), and the entry is renamed onto that claim: the only thing
// the rename can then replace is our own empty placeholder.
class TargetClaim
{
public:
    TargetClaim(const char *path, bool folder) : m_path(path), m_folder(folder)
    {
        if (folder) {
            if (::mkdir(path, 0700) != 0 || ::lstat(path, &m_made) != 0) {
                m_error = errno;
                return;
            }
        } else {
            const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd < 0) {
                m_error = errno;
                return;
            }
            if (::fstat(fd, &m_made) != 0)
                m_error = errno;
            ::close(fd);
            if (m_error != 0)
                return;
        }
        m_held = true;
    }
    TargetClaim(const TargetClaim &) = delete;
    TargetClaim &operator=(const TargetClaim &) = delete;
    // A claim that was not used is taken back, but only while the path still
    // holds our own empty placeholder: whatever someone put there stays.
    ~TargetClaim()
    {
        if (!m_held || !stillOurs())
            return;
        if (m_folder)
            ::rmdir(m_path); // fails, as it should, once something was put inside
        else
            ::unlink(m_path);
    }

    int error() const { return m_error; }

    bool stillOurs() const
    {
        struct stat now
        {
        };
        if (::lstat(m_path, &now) != 0)
            return false;
        return now.st_dev == m_made.st_dev && now.st_ino == m_made.st_ino &&
               (now.st_mode & S_IFMT) == (m_made.st_mode & S_IFMT) &&
               (m_folder || now.st_size == 0);
    }

    // The entry now lies where the placeholder was: nothing to take back.
    void consumed() { m_held = false; }

private:
    const char *m_path;
    bool m_folder;
    bool m_held = false;
    int m_error = 0;
    struct stat m_made
    {
    };
};

int renameOntoClaim(const char *from, const char *to, bool folder)
{
    TargetClaim claim(to, folder);
    if (claim.error() != 0)
        return claim.error();
    // Someone removed our placeholder and put something of theirs there.
    if (!claim.stillOurs())
        return EEXIST;
    if (::rename(from, to) != 0)
        return errno;
    claim.consumed();
    return 0;
}

int renameWithoutFlag(const char *from, const char *to)
{
    struct stat st
    {
    };
    if (::lstat(from, &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return renameOntoClaim(from, to, true);

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
        return renameOntoClaim(from, to, false); // no hard links on this file system
    return err;
}

// True when the folder lists an entry spelt exactly `listed` and none spelt
// exactly `unlisted`.
bool listsOnlyFirst(const QString &folder, const QString &listed, const QString &unlisted)
{
    const QByteArray dirPath = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QByteArray want = QFile::encodeName(listed);
    const QByteArray avoid = QFile::encodeName(unlisted);
    const std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(dirPath.constData()), ::closedir);
    if (!dir)
        return false;
    bool found = false;
    while (const dirent *entry = ::readdir(dir.get())) {
        if (avoid == entry->d_name)
            return false;
        found = found || want == entry->d_name;
    }
    return found;
}

// EINVAL is also the answer of a file system that does not know
// RENAME_NOREPLACE (some FUSE and network file systems). A truly invalid
// rename, such as a folder into itself, fails the same way again without it.
bool mayLackNoReplace(int err)
{
    return err == EINVAL || err == ENOSYS;
}

// 0 or the errno of the failure; never replaces an existing entry.
int renameNoReplace(const char *from, const char *to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    const int err = errno;
    if (!mayLackNoReplace(err))
        return err;
    return renameWithoutFlag(from, to);
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
    if (a.st_dev == b.st_dev && a.st_ino == b.st_ino)
        return true;
    // Some FUSE layers (exFAT through exfat-fuse) give each spelling its own
    // inode number. The folder's listing still tells: the entry is listed
    // under the old spelling only, and the new one "exists" only because the
    // file system folds case when it looks a name up.
    return listsOnlyFirst(folderPrefix(from), lastComponent(from), lastComponent(to));
}

bool appendNativePath(QByteArray &out, QStringView path)
{
    // A NUL would cut the native path short and name another entry.
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return false;
    const qsizetype start = out.size();
    // Most names are plain ASCII: their bytes are their characters.
    if (std::all_of(path.begin(), path.end(), [](QChar c) { return c.unicode() < 0x80; })) {
        out.resize(start + path.size() + 1);
        char *bytes = out.data() + start;
        for (const QChar c : path)
            *bytes++ = char(c.unicode());
        *bytes = '\0';
        return true;
    }
    QStringEncoder toUtf8(QStringEncoder::Utf8);
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

UniqueFd openFolderForRenames(const QString &path)
{
    QByteArray native;
    return UniqueFd(appendNativePath(native, path)
                        ? ::open(native.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC)
                        : -1);
}

std::optional<RenameFailure> renameEncodedOnDisk(const QString &from, const QString &to,
                                                 const char *nativeFrom, const char *nativeTo,
                                                 int folder)
{
    int err = 0;
    if (folder == AT_FDCWD) {
        err = renameNoReplace(nativeFrom, nativeTo);
    } else if (::renameat2(folder, nativeFrom, folder, nativeTo, RENAME_NOREPLACE) != 0) {
        err = errno;
        // The ways round a missing flag work on full paths.
        if (mayLackNoReplace(err)) {
            QByteArray fullFrom;
            QByteArray fullTo;
            err = encodeBoth(from, to, fullFrom, fullTo)
                      ? renameWithoutFlag(fullFrom.constData(), fullTo.constData())
                      : EINVAL;
        }
    }
    // On a case-insensitive file system "Photo.jpg" exists when "photo.jpg"
    // does: it is the same entry, so the rename takes a detour.
    if (err == EEXIST && isSameEntryCaseChange(from, to))
        return renameViaTemporary(from, to);
    return failureOf(err);
}
