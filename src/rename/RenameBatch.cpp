#include "rename/RenameBatch.h"

#include "list/FileListModel.h"
#include "list/PathPart.h"

#include <cerrno>
#include <set>
#include <vector>

namespace {

// The full paths and previous paths of all rows, in order, so that after a
// folder rename one look-up tells whether any row lies inside that folder.
// Without it every folder rename would walk the whole list.
class RowPaths
{
public:
    explicit RowPaths(const FileListModel &model)
    {
        for (const RenameEntry &e : model.entries()) {
            m_paths.insert(e.fullPath);
            if (!e.previousPath.isEmpty())
                m_paths.insert(e.previousPath);
        }
    }

    void replace(const QString &from, const QString &to)
    {
        if (!from.isEmpty()) {
            const auto it = m_paths.find(from);
            if (it != m_paths.end())
                m_paths.erase(it);
        }
        if (!to.isEmpty())
            m_paths.insert(to);
    }

    bool anyInside(const QString &folder) const
    {
        const QString prefix = folder + QLatin1Char('/');
        const auto it = m_paths.lower_bound(prefix);
        return it != m_paths.end() && it->startsWith(prefix);
    }

    void moveInside(const QString &oldFolder, const QString &newFolder)
    {
        const QString prefix = oldFolder + QLatin1Char('/');
        std::vector<QString> moved;
        auto it = m_paths.lower_bound(prefix);
        while (it != m_paths.end() && it->startsWith(prefix)) {
            moved.push_back(newFolder + it->mid(oldFolder.size()));
            it = m_paths.erase(it);
        }
        m_paths.insert(moved.begin(), moved.end());
    }

private:
    std::multiset<QString> m_paths;
};

// A new name must stay a name: with a separator or a NUL it would move the
// entry elsewhere, and "." or ".." name the folders themselves.
bool isPlainName(const QString &name)
{
    return !name.contains(QLatin1Char('/')) && !name.contains(QChar(u'\0')) &&
           name != QLatin1String(".") && name != QLatin1String("..");
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
        : m_model(model), m_rename(rename ? rename : RenameFunction(renameOnDisk)), m_paths(model)
    {}

    void attempt(int row, const QString &from, const QString &to)
    {
        if (const std::optional<RenameFailure> failure = m_rename(from, to))
            recordFailure(row, *failure);
        else
            recordSuccess(row, from, to);
    }

    void recordFailure(int row, const RenameFailure &failure)
    {
        m_model.setOutcome(row, failureText(failure), RenameEntry::Outcome::Failure);
        m_paths.replace(m_model.entry(row).previousPath, QString());
        m_model.setCell(row, RenameEntry::PreviousPath, QString());
        ++m_result.failed;
    }

    void recordSuccess(int row, const QString &from, const QString &to)
    {
        m_model.setOutcome(row, successText(), RenameEntry::Outcome::Success);
        m_paths.replace(from, to);
        m_paths.replace(m_model.entry(row).previousPath, from);
        m_model.setCell(row, RenameEntry::FullPath, to);
        m_model.setCell(row, RenameEntry::OriginalName, PathPart(to, PathSelector::BaseName));
        // The extension follows the name on disk, or the next batch would
        // drop or double whatever the new name has after its last dot.
        m_model.setCell(row, RenameEntry::Extension, extensionCellOf(to));
        m_model.setCell(row, RenameEntry::PreviousPath, from);
        ++m_result.succeeded;

        // Rows inside a renamed folder follow it to its new place.
        if (m_paths.anyInside(from) && isFolder(to)) {
            m_model.rebaseInside(from, to);
            m_paths.moveInside(from, to);
        }
    }

    BatchResult &result() { return m_result; }

private:
    FileListModel &m_model;
    const RenameFunction m_rename;
    RowPaths m_paths;
    BatchResult m_result;
};

} // namespace

BatchResult runRenameBatch(FileListModel &model, const RenameFunction &rename,
                           const ProgressFunction &progress)
{
    BatchRunner runner(model, rename);
    // The rows are fixed here; nothing in the loop adds, removes or reorders.
    const int count = model.count();
    for (int row = 0; row < count && row < model.count(); ++row) {
        const RenameEntry &e = model.entry(row);
        if (e.checked && !e.previewName.isEmpty()) {
            const QString from = e.fullPath;
            const QString name = e.previewName + e.extension;
            runner.result().lastFolder = parentFolderOf(from);
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
