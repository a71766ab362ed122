#include "scan/FolderWalk.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <set>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A pattern parsed once, so a walk does not re-read the filter for every file.
class CompiledWildcard
{
public:
    explicit CompiledWildcard(QStringView pattern) { m_valid = parse(pattern); }

    bool isValid() const { return m_valid; }

    bool matches(QStringView text) const
    {
        if (!m_valid)
            return false;
        // Every token but * takes exactly one character, so going back to the
        // last star seen is enough: no earlier star needs to be retried.
        const qsizetype n = text.size();
        const size_t m = m_tokens.size();
        qsizetype t = 0;
        size_t p = 0;
        size_t starToken = npos;
        qsizetype starText = 0;
        while (t < n) {
            if (p < m && m_tokens[p].kind == Token::Star) {
                starToken = p++;
                starText = t;
            } else if (p < m && matchesOne(m_tokens[p], text[t].unicode())) {
                ++p;
                ++t;
            } else if (starToken != npos) {
                p = starToken + 1;
                t = ++starText;
            } else {
                return false;
            }
        }
        while (p < m && m_tokens[p].kind == Token::Star)
            ++p;
        return p == m;
    }

private:
    static constexpr size_t npos = static_cast<size_t>(-1);

    struct Range
    {
        char16_t first;
        char16_t last;
    };

    struct Token
    {
        enum Kind { Literal, AnyOne, Digit, Star, List };
        Kind kind = Literal;
        char16_t ch = 0;
        bool negated = false;
        std::vector<Range> ranges;
    };

    static bool matchesOne(const Token &token, char16_t c)
    {
        switch (token.kind) {
        case Token::Literal:
            return c == token.ch;
        case Token::AnyOne:
            return true;
        case Token::Digit:
            return c >= u'0' && c <= u'9';
        case Token::List: {
            const bool inList =
                std::any_of(token.ranges.begin(), token.ranges.end(),
                            [c](const Range &r) { return c >= r.first && c <= r.last; });
            return inList != token.negated;
        }
        case Token::Star:
            break;
        }
        return false;
    }

    bool parse(QStringView pattern)
    {
        const qsizetype n = pattern.size();
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t c = pattern[i].unicode();
            Token token;
            switch (c) {
            case u'*':
                // A run of stars means the same as one.
                if (!m_tokens.empty() && m_tokens.back().kind == Token::Star)
                    continue;
                token.kind = Token::Star;
                break;
            case u'?':
                token.kind = Token::AnyOne;
                break;
            case u'#':
                token.kind = Token::Digit;
                break;
            case u'[': {
                token.kind = Token::List;
                qsizetype j = i + 1;
                if (j < n && pattern[j] == u'!') {
                    token.negated = true;
                    ++j;
                }
                const qsizetype close = pattern.indexOf(u']', j);
                if (close < 0)
                    return false;
                while (j < close) {
                    const char16_t first = pattern[j].unicode();
                    // "a-z" is a range; a hyphen first or last in the list is itself.
                    if (j + 2 < close && pattern[j + 1] == u'-') {
                        const char16_t last = pattern[j + 2].unicode();
                        if (last < first)
                            return false;
                        token.ranges.push_back({first, last});
                        j += 3;
                    } else {
                        token.ranges.push_back({first, first});
                        ++j;
                    }
                }
                i = close;
                break;
            }
            default:
                token.ch = c;
                break;
            }
            m_tokens.push_back(std::move(token));
        }
        return true;
    }

    std::vector<Token> m_tokens;
    bool m_valid = false;
};

// Office programs keep a lock file "~$name" beside an open document.
bool isOfficeLockFile(QStringView name)
{
    return name.startsWith(u"~$");
}

struct DirEntry
{
    QString name;
    QByteArray nativeName;
    bool isFolder = false;
    bool isLink = false;
};

class DirHandle
{
public:
    explicit DirHandle(int fd) : m_dir(fd >= 0 ? ::fdopendir(fd) : nullptr)
    {
        if (fd >= 0 && !m_dir)
            ::close(fd);
    }
    ~DirHandle()
    {
        if (m_dir)
            ::closedir(m_dir);
    }
    DirHandle(const DirHandle &) = delete;
    DirHandle &operator=(const DirHandle &) = delete;

    DIR *get() const { return m_dir; }

private:
    DIR *m_dir;
};

class Walker
{
public:
    Walker(const WalkOptions &options, const WalkProgress &progress)
        : m_options(options), m_progress(progress),
          m_filter(QString(QLatin1Char('*') + options.filter))
    {}

    WalkResult run(const QString &folder)
    {
        QString prefix = folder;
        while (prefix.endsWith(QLatin1Char('/')))
            prefix.chop(1);
        const QByteArray native = prefix.isEmpty() ? QByteArray("/") : QFile::encodeName(prefix);
        // The folder the user named may itself be a link; only links met
        // inside the walk are left alone.
        walk(native, prefix, false);
        return std::move(m_result);
    }

private:
    void walk(const QByteArray &native, const QString &prefix, bool refuseLink)
    {
        std::vector<DirEntry> entries;
        if (!readFolder(native, refuseLink, entries))
            return;

        const auto byName = [](const DirEntry &a, const DirEntry &b) { return a.name < b.name; };
        std::sort(entries.begin(), entries.end(), byName);

        const QString separator = QStringLiteral("/");
        for (const DirEntry &entry : entries) {
            if (entry.isFolder || isOfficeLockFile(entry.name))
                continue;
            QString path = prefix + separator + entry.name;
            if (m_filter.matches(path))
                m_result.paths.append(std::move(path));
        }
        for (const DirEntry &entry : entries) {
            if (!entry.isFolder)
                continue;
            const QString path = prefix + separator + entry.name;
            if (m_options.recurse && !entry.isLink)
                walk(native + '/' + entry.nativeName, path, true);
            // Paths are unique by construction (no folder is entered twice and
            // every name maps to one text), so appending keeps the set's promise.
            if (m_options.listFolders)
                m_result.paths.append(path);
            if (m_progress)
                m_progress(path);
        }
    }

    // Reads all entries of one folder and closes it before any recursion, so a
    // deep tree does not hold one open descriptor per level.
    bool readFolder(const QByteArray &native, bool refuseLink, std::vector<DirEntry> &entries)
    {
        const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (refuseLink ? O_NOFOLLOW : 0);
        const DirHandle dir(::open(native.constData(), flags));
        if (!dir.get()) {
            ++m_result.skippedFolders;
            return false;
        }
        const int fd = ::dirfd(dir.get());
        struct stat self
        {
        };
        if (::fstat(fd, &self) == 0 && !m_visited.insert({self.st_dev, self.st_ino}).second)
            return false; // a bind mount leading back up: already walked

        for (;;) {
            errno = 0;
            const dirent *e = ::readdir(dir.get());
            if (!e) {
                if (errno != 0) {
                    // Keep what was read, but say the folder was not read whole.
                    ++m_result.skippedFolders;
                }
                break;
            }
            const char *raw = e->d_name;
            if (raw[0] == '.' && (raw[1] == '\0' || (raw[1] == '.' && raw[2] == '\0')))
                continue;

            DirEntry entry;
            entry.nativeName = QByteArray(raw);
            entry.name = QFile::decodeName(entry.nativeName);
            if (!isAscii(entry.nativeName) && QFile::encodeName(entry.name) != entry.nativeName) {
                ++m_result.skippedNames;
                continue;
            }
            classify(fd, raw, e->d_type, entry);
            entries.push_back(std::move(entry));
        }
        return true;
    }

    static void classify(int dirFd, const char *name, unsigned char type, DirEntry &entry)
    {
        if (type == DT_UNKNOWN) {
            struct stat st
            {
            };
            if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                return; // vanished or unreadable: offer it as a file
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
        }
        if (type == DT_DIR) {
            entry.isFolder = true;
        } else if (type == DT_LNK) {
            entry.isLink = true;
            struct stat target
            {
            };
            entry.isFolder = ::fstatat(dirFd, name, &target, 0) == 0 && S_ISDIR(target.st_mode);
        }
    }

    static bool isAscii(const QByteArray &bytes)
    {
        return std::all_of(bytes.begin(), bytes.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    }

    const WalkOptions &m_options;
    const WalkProgress &m_progress;
    const CompiledWildcard m_filter;
    WalkResult m_result;
    std::set<std::pair<dev_t, ino_t>> m_visited;
};

} // namespace

bool WildcardMatch(const QString &text, const QString &pattern)
{
    return CompiledWildcard(pattern).matches(text);
}

bool isValidWildcard(const QString &pattern)
{
    return CompiledWildcard(pattern).isValid();
}

WalkResult FileSearchFso(const QString &folder, const WalkOptions &options,
                         const WalkProgress &progress)
{
    if (folder.isEmpty())
        return {};
    return Walker(options, progress).run(folder);
}
