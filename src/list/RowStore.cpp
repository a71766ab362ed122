#include "list/RowStore.h"

#include "list/PathPart.h"

#include <algorithm>
#include <numeric>

#include <sys/mman.h>

namespace {

bool underFolder(const QString &path, const QString &folder)
{
    return path.size() > folder.size() && path.startsWith(folder) &&
           path.at(folder.size()) == QLatin1Char('/');
}

// The text as QString::compare(..., Qt::CaseInsensitive) sees it: every
// code point folded on its own (simple folding), lone surrogates kept.
QString caseFoldedKey(const QString &text)
{
    // Digits (the natural-sort keys) and lower-case ASCII fold to
    // themselves: the key is the text, with no copy.
    const char16_t *chars = reinterpret_cast<const char16_t *>(text.constData());
    bool folds = false;
    for (qsizetype i = 0; i < text.size() && !folds; ++i)
        folds = chars[i] >= 0x80 || (chars[i] >= u'A' && chars[i] <= u'Z');
    if (!folds)
        return text;
    QString key(text.size(), Qt::Uninitialized);
    const char16_t *in = reinterpret_cast<const char16_t *>(text.constData());
    char16_t *out = reinterpret_cast<char16_t *>(key.data());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = in[i];
        if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(in[i + 1])) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, in[i + 1]));
            out[i] = QChar::highSurrogate(folded);
            out[i + 1] = QChar::lowSurrogate(folded);
            ++i;
        } else if (c < 0x80) {
            out[i] = c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
        } else {
            out[i] = QChar::toCaseFolded(char32_t(c));
        }
    }
    return key;
}

// Memory not touched yet that will hold many rows is asked for in the
// processor's large pages where the system has them: a million rows are a
// quarter of a gigabyte, which in 4 KB pages costs 65,000 page faults while
// the rows are made.
void adviseLargePages(void *from, size_t bytes)
{
    constexpr uintptr_t kLargePage = 2 * 1024 * 1024;
    const uintptr_t start =
        (reinterpret_cast<uintptr_t>(from) + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(from) + bytes) & ~(kLargePage - 1);
    if (end > start)
        ::madvise(reinterpret_cast<void *>(start), end - start, MADV_HUGEPAGE);
}

// The rows in the order of their keys, ties in row order.
std::vector<int> stableOrder(const std::vector<QString> &keys, Qt::SortOrder order)
{
    std::vector<int> rows(keys.size());
    std::iota(rows.begin(), rows.end(), 0);
    const auto less = [&keys](int a, int b) {
        return QString::compare(keys[size_t(a)], keys[size_t(b)], Qt::CaseSensitive) < 0;
    };
    if (order == Qt::AscendingOrder)
        std::stable_sort(rows.begin(), rows.end(), less);
    else
        std::stable_sort(rows.begin(), rows.end(), [&less](int a, int b) { return less(b, a); });
    return rows;
}

// A path's file name and the place of the dot before its extension (-1 for
// none), split as a row splits them.
struct NameParts
{
    QStringView name;
    qsizetype dot;

    QStringView base() const { return dot < 0 ? name : name.left(dot); }
};

NameParts namePartsOf(QStringView path)
{
    const QStringView name = path.mid(lastIndexOfChar(path, u'/') + 1);
    return {name, lastIndexOfChar(name, u'.')};
}

} // namespace

RowStore::RowStore(QObject *parent) : QObject(parent)
{}

RenameEntry RowStore::entryFromPath(const QString &path, const QString *extensionBefore,
                                    const QString *sortKey)
{
    // One look at the name: base, extension and colour as PathPart splits
    // them, with one allocation for the base and, where the row before has
    // the same extension, none for it.
    const NameParts parts = namePartsOf(path);
    const auto [name, dot] = parts;
    RenameEntry e;
    e.originalName = parts.base().toString();
    if (dot >= 0) {
        const QStringView extension = name.mid(dot);
        if (extensionBefore && *extensionBefore == extension)
            e.extension = *extensionBefore;
        else
            e.extension = extension.toString();
    }
    e.fullPath = path;
    e.blue = dot < 0 || dot == name.size() - 1;
    e.tempName = e.originalName;
    e.sortKey = sortKey ? *sortKey : sortKeyOf(e.originalName);
    e.checked = true;
    return e;
}

void RowStore::setCell(int row, int column, const QString &text)
{
    if (row < 0 || row >= count() || column < 0 || column >= RenameEntry::ColumnCount)
        return;
    QString &cell = m_rows[static_cast<size_t>(row)].cell(column);
    if (cell == text)
        return;
    cell = text;
    Q_EMIT cellsChanged(row, row, column, column, Change::Texts);
}

void RowStore::setChecked(int row, bool checked)
{
    if (row < 0 || row >= count() || m_rows[static_cast<size_t>(row)].checked == checked)
        return;
    m_rows[static_cast<size_t>(row)].checked = checked;
    Q_EMIT cellsChanged(row, row, 0, 0, Change::Checks);
}

void RowStore::setOutcome(int row, const QString &resultText, RenameEntry::Outcome outcome)
{
    if (row < 0 || row >= count())
        return;
    RenameEntry &e = m_rows[static_cast<size_t>(row)];
    e.resultText = resultText;
    e.outcome = outcome;
    Q_EMIT cellsChanged(row, row, RenameEntry::ResultText, RenameEntry::ResultText,
                        Change::Outcome);
}

void RowStore::appendPaths(const QStringList &paths)
{
    appendCleanPaths(cleanedPaths(paths));
}

void RowStore::appendAndSortByKey(const QStringList &cleanPaths, Qt::SortOrder order)
{
    // The new rows are made in the order the sort will give them, so that
    // the sort finds them in place: moving a million made rows and packing
    // their names again took longer than making them. Their keys are made
    // once, for the order and for the rows.
    std::vector<QString> keys;
    keys.reserve(size_t(cleanPaths.size()));
    for (const QString &path : cleanPaths)
        keys.push_back(sortKeyOf(namePartsOf(path).base()));
    // The keys are the numbers in the names, which case folding leaves as
    // they are: folded copies are made only when one of them would differ.
    const bool folds = std::any_of(keys.begin(), keys.end(), [](const QString &key) {
        return !caseFoldedKey(key).isSharedWith(key);
    });
    const std::vector<int> sorted = [&keys, folds, order] {
        if (!folds)
            return stableOrder(keys, order);
        std::vector<QString> folded;
        folded.reserve(keys.size());
        for (const QString &key : keys)
            folded.push_back(caseFoldedKey(key));
        return stableOrder(folded, order);
    }();
    const bool wasEmpty = m_rows.empty();
    appendCleanPaths(cleanPaths, sorted, keys);
    if (wasEmpty) {
        // The rows are in that order already: nothing for the sort to check.
        m_sortEnabled = true;
        m_sortColumn = RenameEntry::SortKey;
        m_sortOrder = order;
    } else {
        setSort(RenameEntry::SortKey, order);
    }
}

void RowStore::appendCleanPaths(const QStringList &paths, const std::vector<int> &order,
                                const std::vector<QString> &sortKeys)
{
    if (paths.isEmpty())
        return;
    // The rows are built in place: a list of 100,000 rows is 20 MB, and
    // building it elsewhere first costs a second copy and its page faults.
    const int first = count();
    const int last = first + static_cast<int>(paths.size()) - 1;
    Q_EMIT pathsAboutToBeAppended(paths, order);
    Q_EMIT rowsAboutToBeInserted(first, last);
    reserveMore(static_cast<size_t>(paths.size()));
    // Rows from one folder mostly share their extension: one text for all
    // of them saves memory and lets a pass over the rows read it once.
    const bool keyed = sortKeys.size() == size_t(paths.size());
    for (qsizetype k = 0; k < paths.size(); ++k) {
        const qsizetype i = order.empty() ? k : order[size_t(k)];
        m_rows.push_back(entryFromPath(paths[i],
                                       m_rows.empty() ? nullptr : &m_rows.back().extension,
                                       keyed ? &sortKeys[size_t(i)] : nullptr));
    }
    Q_EMIT rowsInserted(first, last);
}

void RowStore::reserveMore(size_t rows)
{
    // Room for exactly the new rows would copy the whole list on every drop
    // of a single file; grow by at least half as much again instead.
    const size_t needed = m_rows.size() + rows;
    if (needed <= m_rows.capacity())
        return;
    m_rows.reserve(std::max(needed, m_rows.capacity() + m_rows.capacity() / 2));
    adviseLargePages(m_rows.data() + m_rows.size(),
                     (m_rows.capacity() - m_rows.size()) * sizeof(RenameEntry));
}

void RowStore::removeRowsAt(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(
        std::remove_if(rows.begin(), rows.end(), [this](int r) { return r < 0 || r >= count(); }),
        rows.end());
    if (rows.empty())
        return;

    // Contiguous runs, removed bottom to top so the positions above stay valid.
    std::vector<std::pair<int, int>> runs;
    for (int r : rows) {
        if (!runs.empty() && runs.back().second + 1 == r)
            runs.back().second = r;
        else
            runs.emplace_back(r, r);
    }
    if (runs.size() <= 16) {
        for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
            Q_EMIT rowsAboutToBeRemoved(it->first, it->second);
            m_rows.erase(m_rows.begin() + it->first, m_rows.begin() + it->second + 1);
            Q_EMIT rowsRemoved(it->first, it->second);
        }
        return;
    }
    // Many scattered rows: one compaction pass instead of one erase per run.
    Q_EMIT aboutToBeReset();
    std::vector<char> drop(m_rows.size(), 0);
    for (int r : rows)
        drop[static_cast<size_t>(r)] = 1;
    size_t out = 0;
    for (size_t in = 0; in < m_rows.size(); ++in) {
        if (!drop[in]) {
            if (out != in)
                m_rows[out] = std::move(m_rows[in]);
            ++out;
        }
    }
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(out), m_rows.end());
    Q_EMIT wasReset();
}

void RowStore::clear()
{
    if (m_rows.empty())
        return;
    Q_EMIT aboutToBeReset();
    m_rows.clear();
    m_rows.shrink_to_fit();
    Q_EMIT wasReset();
}

void RowStore::setSort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= RenameEntry::ColumnCount)
        return;
    m_sortEnabled = true;
    m_sortColumn = column;
    m_sortOrder = order;
    if (m_rows.size() < 2)
        return;

    // Folding each cell once and comparing the folded texts code unit by
    // code unit orders exactly as a case-insensitive compare would, without
    // folding both texts again in every one of the n log n comparisons.
    std::vector<QString> keys;
    keys.reserve(m_rows.size());
    for (const RenameEntry &row : m_rows)
        keys.push_back(caseFoldedKey(row.cell(column)));
    // Rows already in order, as those of a drop are, stay where they are.
    const auto before = [order](const QString &a, const QString &b) {
        const int c = QString::compare(a, b, Qt::CaseSensitive);
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    };
    if (std::is_sorted(keys.begin(), keys.end(), before))
        return;
    Q_EMIT aboutToBeReordered();
    const std::vector<int> order_ = stableOrder(keys, order);

    std::vector<int> newPosition(m_rows.size());
    for (size_t i = 0; i < order_.size(); ++i)
        newPosition[static_cast<size_t>(order_[i])] = static_cast<int>(i);
    // The rows move into place along the permutation's cycles, by swaps,
    // rather than into a second vector of rows.
    std::vector<bool> placed(m_rows.size(), false);
    bool moved = false;
    for (size_t start = 0; start < m_rows.size(); ++start) {
        if (placed[start])
            continue;
        // Walk the cycle: position i receives the row that was at order_[i].
        size_t i = start;
        while (static_cast<size_t>(order_[i]) != start) {
            const size_t from = static_cast<size_t>(order_[i]);
            std::swap(m_rows[i], m_rows[from]);
            placed[i] = true;
            moved = true;
            i = from;
        }
        placed[i] = true;
    }
    if (moved)
        repackNames();

    Q_EMIT reordered(newPosition);
}

void RowStore::repackNames()
{
    // The rows moved, the texts they point to did not: a rule pass walking
    // the rows in their new order would jump about memory for every name,
    // about three times slower over 100,000 rows. Copying the names a pass
    // starts from into fresh storage, in row order, makes that walk
    // sequential again.
    const auto freshCopy = [](const QString &text) {
        return QString(text.constData(), text.size());
    };
    // All copies are made before any old text is freed: the allocator would
    // otherwise hand the freed places, scattered as they are, to the copies.
    std::vector<QString> fresh;
    fresh.reserve(m_rows.size() * 2);
    for (const RenameEntry &e : m_rows) {
        fresh.push_back(freshCopy(e.originalName));
        fresh.push_back(e.tempName.isSharedWith(e.originalName) ? fresh.back()
                                                                : freshCopy(e.tempName));
    }
    for (size_t i = 0; i < m_rows.size(); ++i) {
        m_rows[i].originalName = std::move(fresh[2 * i]);
        m_rows[i].tempName = std::move(fresh[2 * i + 1]);
    }
}

bool RowStore::moveRowTo(int from, int to)
{
    if (from < 0 || from >= count() || to < 0 || to >= count() || from == to)
        return false;
    Q_EMIT rowAboutToMove(from, to);
    RenameEntry moved = std::move(m_rows[static_cast<size_t>(from)]);
    m_rows.erase(m_rows.begin() + from);
    m_rows.insert(m_rows.begin() + to, std::move(moved));
    Q_EMIT rowMoved(from, to);
    setChecked(to, true);
    return true;
}

void RowStore::restorePreview()
{
    editRows(RenameEntry::PreviewName, RenameEntry::TempName, [](RenameEntry &e, int) {
        e.previewName = e.originalName;
        e.tempName = e.originalName;
        return true;
    });
}

void RowStore::rebaseInside(const QString &oldFolder, const QString &newFolder)
{
    if (oldFolder.isEmpty() || oldFolder == newFolder)
        return;
    editRows(RenameEntry::FullPath, RenameEntry::PreviousPath, [&](RenameEntry &e, int) {
        bool changed = false;
        if (underFolder(e.fullPath, oldFolder)) {
            e.fullPath.replace(0, oldFolder.size(), newFolder);
            changed = true;
        }
        if (underFolder(e.previousPath, oldFolder)) {
            e.previousPath.replace(0, oldFolder.size(), newFolder);
            changed = true;
        }
        return changed;
    });
}

void RowStore::planMarksChanged(int first, int last)
{
    first = std::max(first, 0);
    last = std::min(last, count() - 1);
    if (first <= last)
        Q_EMIT cellsChanged(first, last, RenameEntry::PreviewName, RenameEntry::PreviewName,
                            Change::Marks);
}
