#include "rename/RenameBatch.h"

#include "list/FileListModel.h"
#include "list/PathPart.h"

#include <QSet>
#include <QStringList>

#include <algorithm>
#include <cerrno>

namespace {

// Every folder that holds, at any depth, the full path or previous path of a
// row, so that after a folder rename one look-up tells whether rows must
// follow it; without it every folder rename would walk the whole list. A
// folder stays in the set once added: a stale one costs only a walk.
class FoldersWithRows
{
public:
    explicit FoldersWithRows(const FileListModel &model)
    {
        for (const RenameEntry &e : model.entries()) {
            addFoldersOf(e.fullPath);
            addFoldersOf(e.previousPath);
        }
    }

    bool contains(const QString &folder) const { return m_folders.contains(folder); }

    // Adds the folders above the entry at `path`.
    void addFoldersOf(const QString &path)
    {
        const qsizetype sep = path.lastIndexOf(QLatin1Char('/'));
        if (sep > 0)
            addFolder(path.left(sep));
    }

    // The rows inside oldFolder now live inside newFolder.
    void follow(const QString &oldFolder, const QString &newFolder)
    {
        const QString prefix = oldFolder + QLatin1Char('/');
        QStringList moved{newFolder};
        for (const QString &folder : std::as_const(m_folders)) {
            if (folder.startsWith(prefix))
                moved << newFolder + folder.mid(oldFolder.size());
        }
        for (const QString &folder : std::as_const(moved))
            addFolder(folder);
    }

private:
    // Adds a folder and those above it; a folder already present has its
    // ancestors present too.
    void addFolder(QString folder)
    {
        while (!folder.isEmpty() && !m_folders.contains(folder)) {
            m_folders.insert(folder);
            folder.truncate(std::max<qsizetype>(folder.lastIndexOf(QLatin1Char('/')), 0));
        }
    }

    QSet<QString> m_folders;
};

// A new name must stay a name: with a separator or a NUL it would move the
// entry elsewhere, and "." or ".." name the folders themselves.
bool isPlainName(const QString &name)
{
    if (name.contains(QLatin1Char('/')) || name.contains(QChar(u'\0')) ||
        name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    // Half of a surrogate pair has no bytes on disk: it would be written as
    // another character than the row shows.
    const qsizetype size = name.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < size && name.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return false;
    }
    return true;
}

QString parentFolderOf(const QString &path)
{
    const QString parent = PathPart(path, PathSelector::Parent);
    if (parent.isEmpty() && path.startsWith(QLatin1Char('/')))
        return QStringLiteral("/");
    return parent;
}

// Carries out one batch over the rows and keeps its counts.
class BatchRunner
{
public:
    BatchRunner(FileListModel &model, const RenameFunction &rename)
        : m_model(model), m_rename(rename ? rename : RenameFunction(renameOnDisk)), m_folders(model)
    {}

    void attempt(int row, const QString &from, const QString &to)
    {
        // Another row of this run has just moved its entry to `from`: this
        // row's own entry has left that path (a second row for one entry),
        // and the file there now is not the one this row shows.
        if (m_movedHere.contains(from)) {
            recordFailure(row, failureFromErrno(ENOENT));
            return;
        }
        if (const std::optional<RenameFailure> failure = m_rename(from, to))
            recordFailure(row, *failure);
        else
            recordSuccess(row, from, to);
    }

    void recordFailure(int row, const RenameFailure &failure)
    {
        m_model.editRow(row, RenameEntry::ResultText, RenameEntry::PreviousPath,
                        [&failure](RenameEntry &e) {
                            e.resultText = failureText(failure);
                            e.outcome = RenameEntry::Outcome::Failure;
                            e.previousPath.clear();
                        });
        ++m_result.failed;
    }

    void recordSuccess(int row, const QString &from, const QString &to)
    {
        // Normally the folder stays the same; an undo goes wherever the
        // stored previous path says.
        const qsizetype sep = to.lastIndexOf(QLatin1Char('/'));
        if (sep != from.lastIndexOf(QLatin1Char('/')) ||
            QStringView(to).left(sep) != QStringView(from).left(sep))
            m_folders.addFoldersOf(to);
        m_model.editRow(row, RenameEntry::OriginalName, RenameEntry::PreviousPath,
                        [&](RenameEntry &e) {
                            e.resultText = successText();
                            e.outcome = RenameEntry::Outcome::Success;
                            e.fullPath = to;
                            e.originalName = PathPart(to, PathSelector::BaseName);
                            // The extension follows the name on disk, or the next batch
                            // would drop or double whatever the new name has after its
                            // last dot.
                            e.extension = extensionCellOf(to);
                            e.previousPath = from;
                        });
        ++m_result.succeeded;
        m_movedHere.insert(to);

        // Rows inside a renamed folder follow it to its new place.
        if (m_folders.contains(from) && isFolder(to)) {
            m_model.rebaseInside(from, to);
            m_folders.follow(from, to);
            followInside(from, to);
        }
    }

    BatchResult &result() { return m_result; }

private:
    // The entries moved into a renamed folder are now below its new name.
    void followInside(const QString &oldFolder, const QString &newFolder)
    {
        const QString prefix = oldFolder + QLatin1Char('/');
        QStringList moved;
        for (auto it = m_movedHere.begin(); it != m_movedHere.end();) {
            if (it->startsWith(prefix)) {
                moved << newFolder + it->mid(oldFolder.size());
                it = m_movedHere.erase(it);
            } else {
                ++it;
            }
        }
        for (const QString &path : std::as_const(moved))
            m_movedHere.insert(path);
    }

    FileListModel &m_model;
    const RenameFunction m_rename;
    FoldersWithRows m_folders;
    // Where the rows that succeeded in this run have put their entries.
    QSet<QString> m_movedHere;
    BatchResult m_result;
};

} // namespace

BatchResult runRenameBatch(FileListModel &model, const RenameFunction &rename,
                           const ProgressFunction &progress)
{
    BatchRunner runner(model, rename);
    // The rows are fixed here; nothing in the loop adds, removes or reorders.
    const int count = model.count();
    QString lastProcessed;
    for (int row = 0; row < count && row < model.count(); ++row) {
        const RenameEntry &e = model.entry(row);
        if (e.checked && !e.previewName.isEmpty()) {
            const QString from = e.fullPath;
            const QString name = e.previewName + e.extension;
            lastProcessed = from;
            if (!isPlainName(name)) {
                runner.recordFailure(row, failureFromErrno(EINVAL));
            } else {
                const QString to = from.left(from.lastIndexOf(QLatin1Char('/')) + 1) + name;
                if (to != from)
                    runner.attempt(row, from, to);
            }
        }
        if (progress)
            progress(row + 1, count);
    }
    // The folder of the lowest row processed, whatever its outcome.
    if (!lastProcessed.isEmpty())
        runner.result().lastFolder = parentFolderOf(lastProcessed);
    return runner.result();
}

BatchResult runUndoBatch(FileListModel &model, const RenameFunction &rename,
                         const ProgressFunction &progress)
{
    BatchRunner runner(model, rename);
    const int count = model.count();
    // Bottom to top: the exact reverse of the batch, so that a chain renamed
    // b→c then a→b is undone as b→a first, then c→b.
    for (int done = 0; done < count; ++done) {
        const int row = count - 1 - done;
        if (row < model.count()) {
            const RenameEntry &e = model.entry(row);
            if (e.checked && !e.previousPath.isEmpty() && e.previousPath != e.fullPath) {
                const QString from = e.fullPath;
                const QString to = e.previousPath;
                runner.attempt(row, from, to);
            }
        }
        if (progress)
            progress(done + 1, count);
    }
    return runner.result();
}

QString summaryText(const BatchResult &result)
{
    return QStringLiteral("重命名完成,一共%1条文件 成功 %2条;失败%3条")
        .arg(result.failed + result.succeeded)
        .arg(result.succeeded)
        .arg(result.failed);
}

QString progressText(int position, int count)
{
    return QStringLiteral("正在更名 %1/%2").arg(position).arg(count);
}
