#include "rename/RenamePlan.h"

#include "list/RenameEntry.h"
#include "rename/DiskView.h"

#include <QMultiHash>

#include <algorithm>
#include <bit>
#include <climits>

namespace {

// The longest name Linux file systems take, in bytes.
constexpr qsizetype kMaxNameBytes = 255;

bool isControl(char16_t c)
{
    return (c >= 0x01 && c < 0x20) || c == 0x7F;
}

quint64 mixedHash(quint64 hash, qint32 folder)
{
    hash ^= quint64(quint32(folder)) * 0x9E3779B97F4A7C15ull;
    hash ^= hash >> 29;
    hash *= 0xBF58476D1CE4E5B9ull;
    return hash ^ (hash >> 32);
}

// The same name, whichever way each of the two is cut in two.
bool sameName(QStringView aHead, QStringView aTail, QStringView bHead, QStringView bTail)
{
    if (aHead.size() + aTail.size() != bHead.size() + bTail.size())
        return false;
    if (aHead.size() > bHead.size()) {
        std::swap(aHead, bHead);
        std::swap(aTail, bTail);
    }
    // aHead is the shorter head: it lines up with the start of bHead.
    const qsizetype cut = aHead.size();
    return bHead.left(cut) == aHead && aTail.left(bHead.size() - cut) == bHead.mid(cut) &&
           aTail.mid(bHead.size() - cut) == bTail;
}

} // namespace

struct RenamePlanner::Target
{
    int folder = -1;
    QStringView head;
    QStringView tail;
    quint64 hash = 0;
    Scan scan;
};

namespace {

template <typename Scan> void scanName(QStringView text, Scan &scan)
{
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (c < 0x80) {
            ++scan.utf8Bytes;
            if (c < 0x20 || c == 0x7F) {
                if (c == 0)
                    scan.nul = true;
                else
                    scan.control = true;
            } else if (c == u'/') {
                scan.separator = true;
            }
            continue;
        }
        scan.ascii = false;
        if (c < 0x800) {
            scan.utf8Bytes += 2;
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            scan.utf8Bytes += 4;
            ++i;
        } else if (QChar::isSurrogate(c)) {
            // Half of a pair has no bytes on disk: it would be written as
            // another character than the row shows.
            scan.halfSurrogate = true;
            scan.utf8Bytes += 3;
        } else {
            scan.utf8Bytes += 3;
        }
    }
}

} // namespace

void RenamePlanner::start(const DiskView &disk, const std::vector<RenameEntry> &rows, Mode mode,
                          const std::vector<int> *order)
{
    m_disk = &disk;
    m_rows = &rows;
    m_mode = mode;
    m_moved.assign(rows.size(), 0);
    m_movedBy.assign(size_t(disk.entryCount()), -1);
    m_takenBy.assign(size_t(disk.entryCount()), -1);
    m_entryRowBuilt = false;
    m_position.clear();
    if (order) {
        m_position.assign(rows.size(), INT_MAX);
        for (size_t i = 0; i < order->size(); ++i)
            m_position[size_t((*order)[i])] = qint32(i);
    }
    // Room for as many new names as the last batch had, without a rehash.
    m_newSlots.assign(std::bit_ceil(std::max<size_t>(m_newNames.size() * 2, 1024)), 0);
    m_newNames.clear();
    m_extensionData = nullptr;
    m_extensionSize = -1;
}

bool RenamePlanner::inBatch(int row) const
{
    const RenameEntry &e = (*m_rows)[size_t(row)];
    if (!e.checked)
        return false;
    if (m_mode == Mode::Rename)
        return !e.previewName.isEmpty();
    return !e.previousPath.isEmpty() && e.previousPath != e.fullPath;
}

int RenamePlanner::targetFolderOf(int row) const
{
    const RenameEntry &e = (*m_rows)[size_t(row)];
    if (m_mode == Mode::Rename)
        return e.disk.folder;
    const QStringView folder = folderPartOf(e.previousPath);
    return folder == folderPartOf(e.fullPath) ? e.disk.folder : m_disk->knownFolder(folder);
}

bool RenamePlanner::targetOf(int row, Target &target) const
{
    if (!inBatch(row))
        return false;
    const RenameEntry &e = (*m_rows)[size_t(row)];
    target.folder = targetFolderOf(row);
    if (m_mode == Mode::Undo) {
        target.head = namePartOf(e.previousPath);
        target.hash = nameHash(target.head);
        return true;
    }
    target.head = e.previewName;
    target.tail = e.extension;
    scanName(target.head, target.scan);
    const quint64 headHash = nameHash(target.head);
    if (!target.tail.isEmpty()) {
        // Rows mostly share their extension's text: it is scanned once.
        if (m_extensionData != target.tail.utf16() || m_extensionSize != target.tail.size()) {
            m_extensionScan = Scan();
            scanName(target.tail, m_extensionScan);
            m_extensionScan.hash = nameHash(target.tail);
            m_extensionData = target.tail.utf16();
            m_extensionSize = target.tail.size();
        }
        const Scan &ext = m_extensionScan;
        target.scan.utf8Bytes += ext.utf8Bytes;
        target.scan.separator |= ext.separator;
        target.scan.nul |= ext.nul;
        target.scan.halfSurrogate |= ext.halfSurrogate;
        target.scan.control |= ext.control;
        target.scan.ascii &= ext.ascii;
        target.hash = joinNameHashes(headHash, ext.hash, target.tail.size());
    } else {
        target.hash = headHash;
    }
    return true;
}

PlanMark RenamePlanner::badName(const RenameEntry &row, const Target &target) const
{
    const auto bad = [](BadNameKind kind, qint32 other = -1) {
        return PlanMark{PlanReason::BadName, quint8(kind), other};
    };
    const Scan &s = target.scan;
    if (s.separator)
        return bad(BadNameKind::Separator);
    if (s.nul)
        return bad(BadNameKind::Nul);
    if (s.halfSurrogate)
        return bad(BadNameKind::HalfSurrogate);
    const qsizetype size = target.head.size() + target.tail.size();
    if (size <= 2 && sameName(target.head, target.tail, QStringView(u"..").left(size), {}))
        return bad(BadNameKind::Dots);
    if (s.control) {
        // A control character the name has on disk already may stay.
        const QStringView current = namePartOf(row.fullPath);
        for (const QStringView part : {target.head, target.tail}) {
            for (const QChar c : part) {
                if (isControl(c.unicode()) && !current.contains(c))
                    return bad(BadNameKind::Control, c.unicode());
            }
        }
    }
    if (s.utf8Bytes > kMaxNameBytes)
        return PlanMark{PlanReason::NameTooLong, 0, qint32(s.utf8Bytes)};
    return PlanMark();
}

qint32 RenamePlanner::global(int folder, int entry) const
{
    return m_disk->folder(folder).firstEntry + entry;
}

qint32 RenamePlanner::movedBy(int folder, int entry) const
{
    const qint32 row = m_movedBy[size_t(global(folder, entry))];
    return row >= 0 && m_moved[size_t(row)] ? row : -1;
}

qint32 RenamePlanner::takenBy(int folder, int entry) const
{
    const qint32 row = m_takenBy[size_t(global(folder, entry))];
    return row >= 0 && m_moved[size_t(row)] ? row : -1;
}

qint32 RenamePlanner::newNameTakenBy(const Target &target) const
{
    const quint64 hash = mixedHash(target.hash, target.folder);
    const size_t mask = m_newSlots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const quint32 slot = m_newSlots[i];
        if (slot == 0)
            return -1;
        const NewName &name = m_newNames[slot - 1];
        if (name.hash != hash || name.folder != target.folder || !m_moved[size_t(name.row)])
            continue;
        Target other;
        targetOf(name.row, other);
        if (sameName(target.head, target.tail, other.head, other.tail))
            return name.row;
    }
}

void RenamePlanner::addNewName(const Target &target, int row)
{
    if (m_newNames.size() * 2 >= m_newSlots.size()) {
        m_newSlots.assign(m_newSlots.size() * 2, 0);
        const size_t mask = m_newSlots.size() - 1;
        for (size_t n = 0; n < m_newNames.size(); ++n) {
            size_t i = m_newNames[n].hash & mask;
            while (m_newSlots[i] != 0)
                i = (i + 1) & mask;
            m_newSlots[i] = quint32(n + 1);
        }
    }
    const quint64 hash = mixedHash(target.hash, target.folder);
    m_newNames.push_back(NewName{hash, target.folder, row});
    const size_t mask = m_newSlots.size() - 1;
    size_t i = hash & mask;
    while (m_newSlots[i] != 0)
        i = (i + 1) & mask;
    m_newSlots[i] = quint32(m_newNames.size());
}

PlanMark RenamePlanner::heldBy(int row, int folder, int entry)
{
    // Built at the first such failure of a batch: most batches have none.
    if (!m_entryRowBuilt) {
        m_entryRow.assign(size_t(m_disk->entryCount()), -1);
        for (size_t r = 0; r < m_rows->size(); ++r) {
            const DiskRef &disk = (*m_rows)[r].disk;
            if (disk.entry >= 0 && disk.folder >= 0) {
                qint32 &first = m_entryRow[size_t(global(disk.folder, disk.entry))];
                if (first < 0)
                    first = qint32(r);
            }
        }
        m_entryRowBuilt = true;
    }
    const qint32 holder = m_entryRow[size_t(global(folder, entry))];
    if (holder < 0 || holder == row)
        return PlanMark{PlanReason::TargetExists, 0, -1};
    const bool later =
        m_position.empty() ? holder > row : m_position[size_t(holder)] > m_position[size_t(row)];
    if (later && inBatch(holder))
        return PlanMark{PlanReason::TargetHeldBelow, 0, holder};
    return PlanMark{PlanReason::TargetHeldStays, 0, holder};
}

RowVerdict RenamePlanner::plan(int row)
{
    Target target;
    if (!targetOf(row, target))
        return RowVerdict();
    const RenameEntry &e = (*m_rows)[size_t(row)];
    const auto fail = [](PlanMark mark) { return RowVerdict{RowVerdict::Action::Fail, mark}; };

    if (m_mode == Mode::Rename) {
        const PlanMark bad = badName(e, target);
        if (bad.reason != PlanReason::None)
            return fail(bad);
    }

    const int sourceFolder = e.disk.folder;
    const int source = e.disk.entry;
    const FolderRead *into = target.folder >= 0 ? &m_disk->folder(target.folder).read : nullptr;
    const NameKey key(target.head, target.tail, target.hash);
    const int taken =
        into && into->state == FolderRead::State::Listed ? into->listing.find(key) : -1;

    // The new name is the name it has: nothing to do.
    if (target.folder == sourceFolder &&
        (source >= 0 ? taken == source : key.equals(namePartOf(e.fullPath))))
        return RowVerdict{RowVerdict::Action::Skip, PlanMark()};

    if (source == DiskRef::Missing)
        return fail(PlanMark{PlanReason::SourceMissing, 0, -1});
    if (source == DiskRef::Replaced)
        return fail(PlanMark{PlanReason::SourceReplaced, 0, -1});
    if (source >= 0) {
        const qint32 first = movedBy(sourceFolder, source);
        if (first >= 0)
            return fail(PlanMark{PlanReason::SameFile, 0, first});
    }
    if (taken >= 0) {
        const qint32 first = takenBy(target.folder, taken);
        if (first >= 0)
            return fail(PlanMark{PlanReason::SameTarget, 0, first});
        if (movedBy(target.folder, taken) < 0)
            return fail(heldBy(row, target.folder, taken));
    } else if (target.folder >= 0) {
        const qint32 first = newNameTakenBy(target);
        if (first >= 0)
            return fail(PlanMark{PlanReason::SameTarget, 0, first});
    }

    // It renames: the rows after it see its entry gone and its name taken.
    m_moved[size_t(row)] = 1;
    if (source >= 0)
        m_movedBy[size_t(global(sourceFolder, source))] = row;
    if (taken >= 0)
        m_takenBy[size_t(global(target.folder, taken))] = row;
    else if (target.folder >= 0)
        addNewName(target, row);

    PlanMark note;
    if (into && into->state == FolderRead::State::Listed && !target.scan.ascii) {
        const int alike = into->listing.findLookalike(key);
        if (alike >= 0 && movedBy(target.folder, alike) < 0)
            note = PlanMark{PlanReason::LooksAlike, 0, -1};
    }
    return RowVerdict{RowVerdict::Action::Rename, note};
}

void RenamePlanner::retract(int row)
{
    m_moved[size_t(row)] = 0;
}

std::vector<RowVerdict> planRenameBatch(const DiskView &disk, const std::vector<RenameEntry> &rows)
{
    RenamePlanner planner;
    planner.start(disk, rows, RenamePlanner::Mode::Rename);
    std::vector<RowVerdict> verdicts(rows.size());
    for (size_t row = 0; row < rows.size(); ++row)
        verdicts[row] = planner.plan(int(row));
    return verdicts;
}

std::vector<int> undoOrder(const DiskView &disk, const std::vector<RenameEntry> &rows)
{
    RenamePlanner planner;
    planner.start(disk, rows, RenamePlanner::Mode::Undo);
    // Where each entry is now, by folder and name: the row that holds it.
    const auto keyOf = [](int folder, QStringView name) {
        return mixedHash(nameHash(name), folder);
    };
    QMultiHash<quint64, int> holder;
    std::vector<int> moves;
    for (size_t row = 0; row < rows.size(); ++row) {
        if (!planner.inBatch(int(row)))
            continue;
        moves.push_back(int(row));
        holder.insert(keyOf(rows[row].disk.folder, namePartOf(rows[row].fullPath)), int(row));
    }
    // The row that must go before `row`: the one whose entry holds the name
    // `row` goes back to.
    const auto before = [&](int row) {
        const int folder = planner.targetFolderOf(row);
        const QStringView name = namePartOf(rows[size_t(row)].previousPath);
        for (auto it = holder.constFind(keyOf(folder, name));
             it != holder.constEnd() && it.key() == keyOf(folder, name); ++it) {
            const RenameEntry &other = rows[size_t(*it)];
            if (*it != row && other.disk.folder == folder && namePartOf(other.fullPath) == name)
                return *it;
        }
        return -1;
    };

    enum : quint8 { Waiting, Visiting, Done };
    std::vector<quint8> state(rows.size(), Waiting);
    std::vector<int> order;
    order.reserve(rows.size());
    std::vector<int> path;
    for (const int move : moves) {
        // Walk back along the chain of names to its start, then take it
        // from there; a cycle stops the walk where it closes.
        for (int row = move; row >= 0 && state[size_t(row)] == Waiting; row = before(row)) {
            state[size_t(row)] = Visiting;
            path.push_back(row);
        }
        for (auto it = path.rbegin(); it != path.rend(); ++it) {
            state[size_t(*it)] = Done;
            order.push_back(*it);
        }
        path.clear();
    }
    for (size_t row = 0; row < rows.size(); ++row) {
        if (state[row] == Waiting)
            order.push_back(int(row));
    }
    return order;
}

void readUndoTargets(DiskView &disk, const std::vector<RenameEntry> &rows)
{
    for (const RenameEntry &e : rows) {
        const QStringView folder = folderPartOf(e.previousPath);
        if (e.checked && !e.previousPath.isEmpty() && folder != folderPartOf(e.fullPath))
            disk.folderFor(folder);
    }
}

std::vector<RowVerdict> planUndoBatch(const DiskView &disk, const std::vector<RenameEntry> &rows)
{
    const std::vector<int> order = undoOrder(disk, rows);
    RenamePlanner planner;
    planner.start(disk, rows, RenamePlanner::Mode::Undo, &order);
    std::vector<RowVerdict> verdicts(rows.size());
    for (const int row : order)
        verdicts[size_t(row)] = planner.plan(row);
    return verdicts;
}
