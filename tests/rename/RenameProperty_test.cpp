// Random trees of hostile file names, random rule chains, a rename batch and
// an undo, over real files. After every step the disk must hold exactly the
// contents it held before, and every row must tell the truth about its file.
//
// QUIB_PROPERTY_SEEDS=N runs seeds 1..N instead of the fixed set;
// QUIB_PROPERTY_SEED=S replays one seed.
//
// Some entries are listed twice, as happens when a renamed file is dropped
// again: the stale row must never rename the file another row has just moved
// under its old path. QUIB_PROPERTY_DUPLICATES=0 leaves them out.

#include "list/FileListModel.h"
#include "list/PathPart.h"
#include "rename/RenameBatch.h"
#include "rules/EcmaRegex.h"
#include "rules/ListImport.h"
#include "rules/NumberingRule.h"
#include "rules/RulePass.h"
#include "rules/TextRules.h"
#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <iostream>
#include <map>
#include <ostream>
#include <random>
#include <set>
#include <sys/stat.h>
#include <vector>

// Readable QStrings in failure messages.
void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

constexpr int kDefaultSeeds = 20;
constexpr qsizetype kNameMax = 255; // bytes in one path component

// ---------------------------------------------------------------- random

class Random
{
public:
    explicit Random(unsigned seed) : m_engine(seed) {}

    int between(int low, int high) // inclusive
    {
        return std::uniform_int_distribution<int>(low, high)(m_engine);
    }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_engine); }
    template <typename List> const auto &pick(const List &list)
    {
        return list.at(between(0, static_cast<int>(list.size()) - 1));
    }
    std::mt19937 &engine() { return m_engine; }

private:
    std::mt19937 m_engine;
};

const QStringList kPieces = {
    QStringLiteral("a"),     QStringLiteral("B"),    QStringLiteral("photo"),
    QStringLiteral("Photo"), QStringLiteral("文件"), QStringLiteral("照片"),
    QStringLiteral("测试"),  QStringLiteral("名"),   QStringLiteral(" "),
    QStringLiteral("  "),    QStringLiteral("-"),    QStringLiteral("--"),
    QStringLiteral("."),     QStringLiteral(".."),   QStringLiteral("\\"),
    QStringLiteral("\\\\"),  QStringLiteral("0"),    QStringLiteral("1"),
    QStringLiteral("42"),    QStringLiteral("007"),  QStringLiteral("_"),
    QStringLiteral("(1)"),   QStringLiteral("[x]"),  QStringLiteral("#"),
    QStringLiteral("&"),     QStringLiteral("$1"),   QStringLiteral("~$"),
    QStringLiteral("'"),     QStringLiteral("\t"),   QStringLiteral("é"),
    QStringLiteral("Ä"),     QStringLiteral("ß"),
};

const QStringList kExtensions = {
    QString(),
    QString(),
    QStringLiteral(".txt"),
    QStringLiteral(".JPG"),
    QStringLiteral(".tar.gz"),
    QStringLiteral("."),
    QStringLiteral(".文档"),
    QStringLiteral(".1"),
    QStringLiteral(". "),
};

QString chinese(Random &random, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QChar(char16_t(random.between(0x4E00, 0x9FA5)));
    return text;
}

QString mixed(Random &random)
{
    QString text;
    for (int i = random.between(1, 5); i > 0; --i)
        text += random.pick(kPieces);
    return text;
}

QString swapAsciiCase(QString text)
{
    for (QChar &c : text) {
        if (c >= u'a' && c <= u'z')
            c = c.toUpper();
        else if (c >= u'A' && c <= u'Z')
            c = c.toLower();
    }
    return text;
}

qsizetype byteSize(const QString &name)
{
    return QFile::encodeName(name).size();
}

// A name for a new entry among `siblings`, or "" when this attempt gave
// nothing usable.
QString randomEntryName(Random &random, const QStringList &siblings)
{
    QString name;
    switch (random.between(0, 9)) {
    case 0:
        name = chinese(random, random.between(1, 8));
        break;
    case 1:
        name = QString::number(random.between(0, 99999)).rightJustified(random.between(1, 8), u'0');
        break;
    case 2:
        name = QStringLiteral("-") + mixed(random);
        break;
    case 3:
        name = QStringLiteral(".") + mixed(random);
        break;
    case 4:
        name = mixed(random) + QStringLiteral("\\") + mixed(random);
        break;
    case 5:
        name = QStringLiteral(" ") + mixed(random) + QStringLiteral(" ");
        break;
    case 6: {
        // Right at the limit, so that anything a rule adds is too long.
        const qsizetype target = random.between(240, kNameMax);
        while (byteSize(name) < target)
            name += random.chance(0.5) ? chinese(random, 1) : QStringLiteral("x");
        while (byteSize(name) > target)
            name.chop(1);
        return siblings.contains(name) || name.isEmpty() ? QString() : name;
    }
    case 7:
        if (!siblings.isEmpty())
            name = swapAsciiCase(random.pick(siblings));
        break;
    default:
        name = mixed(random);
        break;
    }
    if (random.chance(0.7))
        name += random.pick(kExtensions);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        byteSize(name) > kNameMax || siblings.contains(name) ||
        name.startsWith(QLatin1String(".quib-tmp-")))
        return QString();
    return name;
}

// Short texts for rule fields, hostile ones included.
QString randomFieldText(Random &random)
{
    switch (random.between(0, 9)) {
    case 0:
        return QString();
    case 1:
        return QStringLiteral("/");
    case 2:
        return QStringLiteral("..");
    case 3:
        return QStringLiteral("sub/x");
    case 4:
        return chinese(random, random.between(1, 3));
    default:
        return random.pick(kPieces);
    }
}

// ------------------------------------------------------------- the disk

struct Node
{
    bool folder = false;
    QByteArray content;
    bool operator==(const Node &) const = default;
};

// Every entry below the root, by native path, with the content of files.
using Tree = std::map<QByteArray, Node>;

void readTree(const QByteArray &folder, Tree &tree)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = folder + '/' + name;
        struct stat st
        {
        };
        if (::lstat(path.constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            tree[path] = Node{true, {}};
            readTree(path, tree);
        } else {
            QFile file(QFile::decodeName(path));
            QByteArray content;
            if (file.open(QIODevice::ReadOnly))
                content = file.readAll();
            tree[path] = Node{false, content};
        }
    }
    ::closedir(dir);
}

Tree treeOf(const QString &root)
{
    Tree tree;
    readTree(QFile::encodeName(root), tree);
    return tree;
}

std::multiset<QByteArray> contentHashes(const Tree &tree)
{
    std::multiset<QByteArray> hashes;
    for (const auto &[path, node] : tree) {
        if (!node.folder)
            hashes.insert(QCryptographicHash::hash(node.content, QCryptographicHash::Sha1));
    }
    return hashes;
}

std::string describe(const Tree &tree)
{
    std::string text;
    for (const auto &[path, node] : tree)
        text += "  " + path.toStdString() + (node.folder ? "/" : "") + "\n";
    return text;
}

// ------------------------------------------------------- reference model

// What the rename layer must do, on a copy of the tree: a rename either moves
// the entry (and everything inside a folder) or fails, and never replaces.
class ModelDisk
{
public:
    explicit ModelDisk(Tree tree) : m_tree(std::move(tree)) {}

    const Tree &tree() const { return m_tree; }

    int rename(const QString &from, const QString &to)
    {
        const QByteArray source = QFile::encodeName(from);
        const QByteArray target = QFile::encodeName(to);
        if (m_tree.find(source) == m_tree.end())
            return ENOENT;
        if (target.size() - target.lastIndexOf('/') - 1 > kNameMax)
            return ENAMETOOLONG;
        if (m_tree.find(target) != m_tree.end())
            return EEXIST;
        Tree moved;
        for (auto it = m_tree.begin(); it != m_tree.end();) {
            if (it->first == source || it->first.startsWith(source + '/')) {
                moved[target + it->first.mid(source.size())] = it->second;
                it = m_tree.erase(it);
            } else {
                ++it;
            }
        }
        m_tree.merge(moved);
        return 0;
    }

    bool isFolder(const QString &path) const
    {
        const auto it = m_tree.find(QFile::encodeName(path));
        return it != m_tree.end() && it->second.folder;
    }

private:
    Tree m_tree;
};

bool underFolder(const QString &path, const QString &folder)
{
    return path.size() > folder.size() && path.startsWith(folder) && path.at(folder.size()) == u'/';
}

bool isPlainName(const QString &name)
{
    return !name.contains(u'/') && !name.contains(QChar(u'\0')) && name != QLatin1String(".") &&
           name != QLatin1String("..");
}

// The rows and the disk as a batch or an undo must leave them.
struct Expected
{
    std::vector<RenameEntry> rows;
    std::vector<bool> attempted; // per row: renamed or failed in this step
    Tree tree;
    int succeeded = 0;
    int failed = 0;
};

class ExpectedBatch
{
public:
    ExpectedBatch(const FileListModel &model, const Tree &tree)
        : m_rows(model.entries()), m_attempted(m_rows.size(), false), m_disk(tree)
    {}

    Expected rename()
    {
        for (size_t i = 0; i < m_rows.size(); ++i) {
            const RenameEntry &e = m_rows[i];
            if (!e.checked || e.previewName.isEmpty())
                continue;
            const QString from = e.fullPath;
            const QString name = e.previewName + e.extension;
            if (!isPlainName(name)) {
                fail(i, EINVAL);
                continue;
            }
            const QString to = from.left(from.lastIndexOf(u'/') + 1) + name;
            if (to != from)
                attempt(i, from, to);
        }
        return result();
    }

    Expected undo()
    {
        for (size_t i = m_rows.size(); i-- > 0;) {
            const RenameEntry &e = m_rows[i];
            if (e.checked && !e.previousPath.isEmpty() && e.previousPath != e.fullPath)
                attempt(i, e.fullPath, e.previousPath);
        }
        return result();
    }

private:
    // By value: from and to may be cells of the row this changes.
    void attempt(size_t i, const QString from, const QString to)
    {
        m_attempted[i] = true;
        // The entry at `from` is one an earlier row of this run has just
        // moved there: it is that row's, and this row's own entry is gone.
        for (const size_t other : m_moved) {
            if (m_rows[other].fullPath == from) {
                fail(i, ENOENT);
                return;
            }
        }
        if (const int code = m_disk.rename(from, to)) {
            fail(i, code);
            return;
        }
        RenameEntry &e = m_rows[i];
        e.resultText = successText();
        e.outcome = RenameEntry::Outcome::Success;
        e.fullPath = to;
        e.originalName = PathPart(to, PathSelector::BaseName);
        e.extension = extensionCellOf(to);
        e.previousPath = from;
        ++m_succeeded;
        m_moved.push_back(i);
        if (m_disk.isFolder(to)) {
            for (RenameEntry &other : m_rows) {
                if (underFolder(other.fullPath, from))
                    other.fullPath.replace(0, from.size(), to);
                if (underFolder(other.previousPath, from))
                    other.previousPath.replace(0, from.size(), to);
            }
        }
    }

    void fail(size_t i, int code)
    {
        m_attempted[i] = true;
        RenameEntry &e = m_rows[i];
        e.resultText = failureText(failureFromErrno(code));
        e.outcome = RenameEntry::Outcome::Failure;
        e.previousPath.clear();
        ++m_failed;
    }

    Expected result() const
    {
        return Expected{m_rows, m_attempted, m_disk.tree(), m_succeeded, m_failed};
    }

    std::vector<RenameEntry> m_rows;
    std::vector<bool> m_attempted;
    std::vector<size_t> m_moved; // rows that succeeded in this run
    ModelDisk m_disk;
    int m_succeeded = 0;
    int m_failed = 0;
};

// --------------------------------------------------------------- the test

class PropertyRun
{
public:
    explicit PropertyRun(unsigned seed) : m_random(seed) {}

    void run()
    {
        ASSERT_TRUE(m_dir.isValid());
        buildTree();
        addRows();
        const Tree original = treeOf(m_dir.path());
        ASSERT_FALSE(original.empty());
        const std::multiset<QByteArray> hashes = contentHashes(original);

        for (int round = 1; round <= 2; ++round) {
            SCOPED_TRACE(::testing::Message() << "round " << round);
            applyRandomRules();
            const std::vector<RenameEntry> before = m_model.entries();
            const Tree treeBefore = treeOf(m_dir.path());
            const Expected expected = ExpectedBatch(m_model, treeBefore).rename();
            const BatchResult result = runRenameBatch(m_model, renameOnDisk);
            m_marker.clear();
            {
                SCOPED_TRACE("after the rename batch");
                checkStep(expected, result, hashes);
                checkRowsAgainstPreview(before);
            }
            if (::testing::Test::HasFailure())
                return;

            const Expected undone = ExpectedBatch(m_model, treeOf(m_dir.path())).undo();
            const BatchResult undoResult = runUndoBatch(m_model, renameOnDisk);
            SCOPED_TRACE("after the undo");
            checkStep(undone, undoResult, hashes);
            // The first undo takes back exactly what the one batch before it
            // did: every renamed entry is back under its old name.
            if (round == 1) {
                const Tree after = treeOf(m_dir.path());
                EXPECT_TRUE(after == treeBefore) << "on disk:\n"
                                                 << describe(after) << "before the batch:\n"
                                                 << describe(treeBefore);
            }
            if (::testing::Test::HasFailure())
                return;
        }
    }

private:
    QString root() const { return m_dir.path(); }

    void buildTree()
    {
        QStringList folders{root()};
        std::map<QString, QStringList> names; // folder -> names in it
        const auto newName = [&](const QString &folder) {
            for (int attempt = 0; attempt < 20; ++attempt) {
                const QString name = randomEntryName(m_random, names[folder]);
                if (!name.isEmpty()) {
                    names[folder] << name;
                    return folder + u'/' + name;
                }
            }
            return QString();
        };
        for (int i = m_random.between(0, 4); i > 0; --i) {
            const QString path = newName(m_random.pick(folders));
            if (!path.isEmpty() && QDir().mkdir(path)) {
                folders << path;
                m_folders << path;
            }
        }
        quint32 serial = 0;
        for (int i = m_random.between(4, 30); i > 0; --i) {
            const QString path = newName(m_random.pick(folders));
            if (path.isEmpty())
                continue;
            // A serial number first, so no two files have the same content.
            QByteArray content = QByteArray::number(++serial) + ':';
            for (int b = m_random.between(0, 48); b > 0; --b)
                content += char(m_random.between(0, 255));
            testsupport::writeFile(path, content);
            ASSERT_TRUE(QFile::exists(path)) << path.toStdString();
            m_files << path;
        }
    }

    void addRows()
    {
        QStringList paths;
        for (const QString &path : m_files + m_folders) {
            if (m_random.chance(0.85))
                paths << path;
            if (m_duplicates && m_random.chance(0.05))
                paths << path; // the same entry twice: one of the rows goes stale
        }
        std::shuffle(paths.begin(), paths.end(), m_random.engine());
        m_model.appendPaths(paths);
        for (int row = 0; row < m_model.count(); ++row) {
            if (m_random.chance(0.1))
                m_model.setChecked(row, false);
        }
    }

    void applyRandomRules()
    {
        for (int step = m_random.between(1, 4); step > 0; --step)
            applyRandomRule();
    }

    void applyRandomRule()
    {
        const auto pass = [this](char16_t code, const RowRule &rule) {
            runRulePass(m_model, m_marker, code, rule);
        };
        switch (m_random.between(0, 12)) {
        case 0: {
            const QString before = randomFieldText(m_random);
            const QString after = randomFieldText(m_random);
            pass(u'B', [&](const QString &base, const RenameEntry &) {
                return rules::addBeforeAfter(base, before, after);
            });
            break;
        }
        case 1: {
            const qint32 position = m_random.between(-2, 300);
            const QString text = randomFieldText(m_random);
            pass(u'A', [&](const QString &base, const RenameEntry &) {
                return rules::insertAt(base, position, text);
            });
            break;
        }
        case 2: {
            const QString text = m_random.pick(kPieces);
            pass(u'C', [&](const QString &base, const RenameEntry &) {
                return rules::deleteText(base, text);
            });
            break;
        }
        case 3: {
            const qint32 start = m_random.between(1, 10);
            const qint32 count = m_random.between(1, 60);
            pass(u'D', [&](const QString &base, const RenameEntry &) {
                return rules::deleteSpan(base, start, count);
            });
            break;
        }
        case 4: {
            const QString find = m_random.pick(kPieces);
            const QString replacement = randomFieldText(m_random);
            pass(u'E', [&](const QString &base, const RenameEntry &) {
                return rules::replaceText(base, find, replacement);
            });
            break;
        }
        case 5: {
            static const QStringList templates = {
                QStringLiteral("#"),     QStringLiteral("&File_#"), QStringLiteral("#&Parent"),
                QStringLiteral("&File"), QStringLiteral("x/#"),     QStringLiteral("&Size"),
                QStringLiteral(".."),    QStringLiteral("-#-"),     QStringLiteral("&Date"),
            };
            rules::NumberingSettings settings;
            settings.start = m_random.between(0, 3);
            settings.increment = m_random.between(0, 2); // 0: a run that changes nothing
            settings.digits = m_random.between(0, 4);
            settings.pad = m_random.chance(0.5);
            settings.tmpl = m_random.pick(templates);
            rules::Numbering numbering(settings);
            if (numbering.isRunnable()) {
                pass(u'F', [&](const QString &base, const RenameEntry &row) {
                    return numbering.next(base, row.fullPath);
                });
            }
            break;
        }
        case 6: {
            static const QStringList patterns = {
                QStringLiteral("\\d+"),
                QStringLiteral("^."),
                QStringLiteral("[a-z]"),
                QStringLiteral("(.)(.)"),
                QStringLiteral("\\s"),
                QStringLiteral("$"),
                QStringLiteral("-+"),
                QStringLiteral("\\."),
                QStringLiteral("[\\u4e00-\\u9fa5]+"),
                QStringLiteral(".*"),
            };
            static const QStringList replacements = {
                QStringLiteral("$1"), QStringLiteral("$2$1"), QString(),
                QStringLiteral("/"),  QStringLiteral(".."),   QStringLiteral("X$&"),
                QStringLiteral("$$"),
            };
            const EcmaRegex regex(m_random.pick(patterns));
            const QString replacement = m_random.pick(replacements);
            ASSERT_TRUE(regex.isValid());
            pass(u'G', [&](const QString &base, const RenameEntry &) {
                return regex.replaceAll(base, replacement);
            });
            break;
        }
        case 7: {
            const bool upper = m_random.chance(0.5);
            pass(upper ? u'H' : u'I', [upper](const QString &base, const RenameEntry &) {
                return upper ? rules::toUpperSimple(base) : rules::toLowerSimple(base);
            });
            break;
        }
        case 8: {
            // The extension rules write the extension cell and reset the preview.
            const bool upper = m_random.chance(0.5);
            const bool rename = m_random.chance(0.5);
            const QString extension = randomFieldText(m_random);
            m_model.editRows(
                RenameEntry::PreviewName, RenameEntry::Extension, [&](RenameEntry &row, int) {
                    if (!row.checked || (rename && row.extension.isEmpty()))
                        return false;
                    if (rename)
                        row.extension =
                            extension.isEmpty() ? extensionCellOf(row.fullPath) : u'.' + extension;
                    else
                        row.extension = upper ? rules::toUpperSimple(row.extension)
                                              : rules::toLowerSimple(row.extension);
                    row.previewName = row.originalName;
                    return true;
                });
            break;
        }
        case 9: {
            // One name for every checked row: all but one per folder collide.
            const QString name = randomEntryName(m_random, {});
            if (!name.isEmpty()) {
                m_model.editRows(RenameEntry::PreviewName, RenameEntry::PreviewName,
                                 [&](RenameEntry &row, int) {
                                     if (!row.checked)
                                         return false;
                                     row.previewName = name;
                                     return true;
                                 });
            }
            break;
        }
        case 10: {
            // A pasted list of the rows' own names, shuffled: swaps and chains.
            QStringList lines = rules::originalNamesText(m_model).split(QStringLiteral("\r\n"));
            std::shuffle(lines.begin(), lines.end(), m_random.engine());
            rules::applyOneColumn(m_model, lines.join(u'\n'));
            break;
        }
        default:
            pokePreviews();
            break;
        }
    }

    // Previews no rule writes: names of other rows, paths, and the empty text.
    void pokePreviews()
    {
        const int count = m_model.count();
        if (count == 0)
            return;
        for (int i = m_random.between(1, 4); i > 0; --i) {
            const int row = m_random.between(0, count - 1);
            const RenameEntry &other = m_model.entry(m_random.between(0, count - 1));
            static const QStringList hostile = {
                QStringLiteral(".."),
                QStringLiteral("."),
                QStringLiteral("../x"),
                QStringLiteral("a/b"),
                QString(),
                QStringLiteral("\\"),
                QStringLiteral(" "),
                QStringLiteral("-rf"),
                QStringLiteral("a\\..\\b"),
            };
            QString preview;
            switch (m_random.between(0, 3)) {
            case 0:
                preview = other.originalName; // a swap, a chain or a collision
                break;
            case 1:
                preview = swapAsciiCase(m_model.entry(row).originalName);
                break;
            case 2:
                // Into a subfolder that exists: still not a plain name.
                preview = m_folders.isEmpty()
                              ? QStringLiteral("x/y")
                              : PathPart(m_random.pick(m_folders), PathSelector::FileName) +
                                    QStringLiteral("/moved");
                break;
            default:
                preview = m_random.pick(hostile);
                break;
            }
            m_model.setCell(row, RenameEntry::PreviewName, preview);
        }
    }

    // The model must end exactly where the reference model ends, and the
    // disk must hold exactly what the reference disk holds.
    void checkStep(const Expected &expected, const BatchResult &result,
                   const std::multiset<QByteArray> &hashes)
    {
        const Tree now = treeOf(root());
        // Nothing lost, nothing duplicated, nothing overwritten, no leftovers.
        EXPECT_TRUE(contentHashes(now) == hashes) << describe(now);
        EXPECT_TRUE(now == expected.tree) << "on disk:\n"
                                          << describe(now) << "expected:\n"
                                          << describe(expected.tree);
        EXPECT_EQ(result.succeeded, expected.succeeded);
        EXPECT_EQ(result.failed, expected.failed);
        ASSERT_EQ(m_model.count(), static_cast<int>(expected.rows.size()));
        for (int i = 0; i < m_model.count(); ++i) {
            const RenameEntry &got = m_model.entry(i);
            const RenameEntry &want = expected.rows[static_cast<size_t>(i)];
            SCOPED_TRACE(::testing::Message() << "row " << i << " " << got.fullPath.toStdString());
            EXPECT_EQ(got.fullPath, want.fullPath);
            EXPECT_EQ(got.previousPath, want.previousPath);
            EXPECT_EQ(got.resultText, want.resultText);
            EXPECT_EQ(got.outcome, want.outcome);
            EXPECT_EQ(got.originalName, want.originalName);
            EXPECT_EQ(got.extension, want.extension);
            // A row that says it succeeded names an entry that is there under
            // exactly the name it shows.
            if (expected.attempted[static_cast<size_t>(i)] &&
                got.outcome == RenameEntry::Outcome::Success) {
                EXPECT_TRUE(now.count(QFile::encodeName(got.fullPath)) &&
                            QFile::decodeName(QFile::encodeName(got.fullPath)) == got.fullPath);
            }
        }
    }

    // Independently of the reference model: an attempted row is either under
    // its previewed name with "√成功", or shows a failure in red.
    void checkRowsAgainstPreview(const std::vector<RenameEntry> &before)
    {
        for (int i = 0; i < m_model.count(); ++i) {
            const RenameEntry &was = before[static_cast<size_t>(i)];
            const RenameEntry &now = m_model.entry(i);
            SCOPED_TRACE(::testing::Message() << "row " << i << " " << was.fullPath.toStdString());
            const QString previewed = was.previewName + was.extension;
            const bool attempted = was.checked && !was.previewName.isEmpty() &&
                                   PathPart(was.fullPath, PathSelector::FileName) != previewed;
            if (!attempted) {
                EXPECT_EQ(now.resultText, was.resultText);
                EXPECT_EQ(now.outcome, was.outcome);
            } else if (PathPart(now.fullPath, PathSelector::FileName) == previewed) {
                EXPECT_EQ(now.resultText, successText());
                EXPECT_EQ(now.outcome, RenameEntry::Outcome::Success);
            } else {
                EXPECT_TRUE(now.resultText.startsWith(QStringLiteral("！！失败 ")));
                EXPECT_EQ(now.outcome, RenameEntry::Outcome::Failure);
                EXPECT_EQ(now.previousPath, QString());
            }
        }
    }

    Random m_random;
    const bool m_duplicates = qgetenv("QUIB_PROPERTY_DUPLICATES") != "0";
    QTemporaryDir m_dir;
    FileListModel m_model;
    QString m_marker;
    QStringList m_files;
    QStringList m_folders;
};

std::vector<unsigned> seedsToRun()
{
    if (const char *one = std::getenv("QUIB_PROPERTY_SEED"))
        return {static_cast<unsigned>(std::strtoul(one, nullptr, 10))};
    int count = kDefaultSeeds;
    if (const char *many = std::getenv("QUIB_PROPERTY_SEEDS"))
        count = std::max(1, std::atoi(many));
    std::vector<unsigned> seeds;
    for (int i = 1; i <= count; ++i)
        seeds.push_back(static_cast<unsigned>(i));
    return seeds;
}

} // namespace

TEST(RenameProperty, RandomTreesRulesBatchesAndUndoNeverLoseAFile)
{
    for (const unsigned seed : seedsToRun()) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed);
        PropertyRun(seed).run();
        if (::testing::Test::HasFailure()) {
            std::cerr << "RenameProperty failed; replay with QUIB_PROPERTY_SEED=" << seed << "\n";
            return;
        }
    }
}
