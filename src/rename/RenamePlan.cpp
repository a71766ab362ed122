#include "rename/RenamePlan.h"
#include "list/PathPart.h"

#include "list/RenameEntry.h"
#include "rename/DiskView.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Classes of the ASCII characters: bit 0 "/", bit 1 NUL, bit 2 another
// control character.
constexpr std::array<quint8, 128> asciiClasses()
{
    std::array<quint8, 128> classes{};
    classes[0] = 2;
    for (int c = 1; c < 0x20; ++c)
        classes[size_t(c)] = 4;
    classes[0x7F] = 4;
    classes[size_t('/')] = 1;
    return classes;
}
constexpr std::array<quint8, 128> kAsciiClasses = asciiClasses();

// True when the text may hold what the exact scan below must look at: a
// character beyond ASCII, "/", DEL or one below U+0020. Most names hold
// none; eight characters are tested at once where the processor can.
bool mayHoldOddCharacters(const char16_t *p, qsizetype n)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i space = _mm_set1_epi16(0x20);
    const __m128i slash = _mm_set1_epi16(u'/');
    __m128i odd = _mm_setzero_si128();
    const auto test = [&](qsizetype at) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + at));
        // Signed: a character from U+8000 on counts as below U+0020, which
        // sends it to the exact scan as the rest beyond ASCII (and DEL) go.
        odd = _mm_or_si128(odd, _mm_cmplt_epi16(c, space));
        odd = _mm_or_si128(odd, _mm_cmpgt_epi16(c, _mm_set1_epi16(0x7E)));
        odd = _mm_or_si128(odd, _mm_cmpeq_epi16(c, slash));
    };
    if (n >= 8) {
        for (; i + 8 <= n; i += 8)
            test(i);
        // The last characters in one more test that overlaps the one before.
        if (i < n)
            test(n - 8);
        return _mm_movemask_epi8(odd) != 0;
    }
#endif
    for (; i < n; ++i) {
        const char16_t c = p[i];
        if (c < 0x20 || c >= 0x7F || c == u'/')
            return true;
    }
    return false;
}

// What a piece of a name holds that a file name may not, and its UTF-8
// length, into `scan` (whose hash it leaves alone).
void scanName(QStringView text, NameScan &scan)
{
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    scan.separator = scan.nul = scan.control = scan.halfSurrogate = false;
    scan.ascii = true;
    if (!mayHoldOddCharacters(p, n)) {
        scan.utf8Bytes = qint32(n);
        return;
    }
    // The exact count: each character's class and UTF-8 length; surrogate
    // pairs are four bytes, half a pair is no character at all.
    qsizetype bytes = 0;
    unsigned classes = 0;
    bool ascii = true;
    for (qsizetype j = 0; j < n; ++j) {
        const char16_t c = p[j];
        bytes += 1 + (c >= 0x80) + (c >= 0x800);
        if (c < 0x80) {
            classes |= kAsciiClasses[c];
            continue;
        }
        ascii = false;
        if (QChar::isSurrogate(c)) {
            if (QChar::isHighSurrogate(c) && j + 1 < n && QChar::isLowSurrogate(p[j + 1])) {
                bytes += 1; // 3 + 1 here, the low half counts nothing
                ++j;
            } else {
                scan.halfSurrogate = true;
            }
        }
    }
    scan.utf8Bytes = qint32(bytes);
    scan.separator = (classes & 1) != 0;
    scan.nul = (classes & 2) != 0;
    scan.control = (classes & 4) != 0;
    scan.ascii = ascii;
}

// Whether the listed entry is under the name key: exactly when looking key
// up would find that entry, since no two entries share a name.
bool isOwnName(const FolderListing &listing, int entry, const NameKey &key)
{
    return !listing.removed(entry) && key.equals(listing.name(entry));
}

bool takesPartInUndo(const RenameEntry &e)
{
    return e.checked && !e.previousPath.isEmpty() && e.previousPath != e.fullPath;
}

// The folder a row's previous name goes back into: nearly always its own.
int undoTargetFolder(const DiskView &disk, const RenameEntry &e)
{
    const QStringView folder = folderPartOf(e.previousPath);
    return folder == folderPartOf(e.fullPath) ? e.disk.folder : disk.knownFolder(folder);
}

} // namespace

void RenamePlanner::start(const DiskView &disk, const std::vector<RenameEntry> &rows, Mode mode,
                          const std::vector<int> *order)
{
    m_disk = &disk;
    m_rows = &rows;
    m_mode = mode;
    m_order = order;
    m_moved.assign(rows.size(), 0);
    m_countedOn.assign(rows.size(), 0);
    m_movedBy.assign(size_t(disk.entryCount()), -1);
    m_takenBy.assign(size_t(disk.entryCount()), -1);
    m_entryRowBuilt = false;
    m_position.clear();
    if (order) {
        m_position.assign(rows.size(), INT_MAX);
        for (size_t i = 0; i < order->size(); ++i)
            m_position[size_t((*order)[i])] = qint32(i);
    }
    sliceNewNames();
    m_extensionData = nullptr;
    m_extension = QString();
    m_extensionScan = NameScan();
    m_block.resize(kBlock);
}

void RenamePlanner::sliceNewNames()
{
    // The rows of a folder, and so the sizes of the slices, change only
    // when rows come or go or the view changes.
    const bool undo = m_mode == Mode::Undo;
    if (undo || m_slicedForUndo || m_slicedDisk != m_disk ||
        m_slicedGeneration != m_disk->generation() || m_slicedRows != m_rows->size()) {
        std::vector<quint32> rowsIn(size_t(m_disk->folderCount()), 0);
        for (size_t row = 0; row < m_rows->size(); ++row) {
            const int folder = targetFolderOf(int(row));
            if (folder >= 0)
                ++rowsIn[size_t(folder)];
        }
        m_sliceStart.resize(rowsIn.size());
        m_sliceSize.resize(rowsIn.size());
        quint32 next = 0;
        for (size_t folder = 0; folder < rowsIn.size(); ++folder) {
            // Every row takes at most one new name: no slice fills past two
            // thirds.
            const quint32 size = rowsIn[folder] ? rowsIn[folder] + rowsIn[folder] / 2 + 2 : 1;
            m_sliceStart[folder] = next;
            m_sliceSize[folder] = size;
            next += size;
        }
        m_newSlots.assign(next, 0);
        m_slicedDisk = m_disk;
        m_slicedGeneration = m_disk->generation();
        m_slicedRows = m_rows->size();
        m_slicedForUndo = undo;
        return;
    }
    std::fill(m_newSlots.begin(), m_newSlots.end(), 0);
}

bool RenamePlanner::inBatch(int row) const
{
    const RenameEntry &e = (*m_rows)[size_t(row)];
    if (!e.checked)
        return false;
    if (m_mode == Mode::Rename)
        return !e.previewName.isEmpty();
    return takesPartInUndo(e);
}

int RenamePlanner::targetFolderOf(int row) const
{
    const RenameEntry &e = (*m_rows)[size_t(row)];
    return m_mode == Mode::Rename ? e.disk.folder : undoTargetFolder(*m_disk, e);
}

void RenamePlanner::readTarget(int row, Target &target)
{
    target.row = row;
    target.ownEntry = -1;
    const RenameEntry &e = (*m_rows)[size_t(row)];
    if (m_mode == Mode::Rename) {
        target.inBatch = e.checked && !e.previewName.isEmpty();
        target.folder = e.disk.folder;
    } else {
        target.inBatch = takesPartInUndo(e);
        target.folder = target.inBatch ? undoTargetFolder(*m_disk, e) : -1;
    }
    if (!target.inBatch)
        return;
    if (m_mode == Mode::Undo) {
        target.head = namePartOf(e.previousPath);
        target.tail = QStringView();
        scanName(target.head, target.scan);
        target.scan.hash = nameHash(target.head);
        return;
    }
    target.head = e.previewName;
    target.tail = e.extension;
    scanName(target.head, target.scan);
    // More units than a name may have bytes: it fails whatever it holds and is
    // never looked up, so a runaway rule's previews of thousands of units are
    // not hashed.
    const bool tooLong = target.head.size() + target.tail.size() > kMaxNameBytes;
    if (target.tail.isEmpty()) {
        target.scan.hash = tooLong ? 0 : nameHash(target.head);
        noteOwnEntry(e, target);
        return;
    }
    // Rows mostly share their extension: it is scanned once.
    if (m_extensionData != target.tail.utf16() && QStringView(m_extension) != target.tail) {
        scanName(target.tail, m_extensionScan);
        m_extensionScan.hash = pieceHash(target.tail);
        m_extensionIsPiece =
            target.tail.front() == QLatin1Char('.') && lastIndexOfChar(target.tail, u'.') == 0;
        m_extension = e.extension;
    }
    m_extensionData = target.tail.utf16();
    const NameScan &ext = m_extensionScan;
    NameScan &s = target.scan;
    s.hash = tooLong              ? 0
             : m_extensionIsPiece ? joinPieceHashes(pieceHash(target.head), ext.hash)
                                  : nameHash(target.head, target.tail);
    s.utf8Bytes += ext.utf8Bytes;
    s.separator |= ext.separator;
    s.nul |= ext.nul;
    s.halfSurrogate |= ext.halfSurrogate;
    s.control |= ext.control;
    s.ascii &= ext.ascii;
    noteOwnEntry(e, target);
}

void RenamePlanner::noteOwnEntry(const RenameEntry &row, Target &target) const
{
    // The length of the name the row's path ends in, told by the length of
    // the folder's spelling (without reading the path): another spelling of
    // the folder only misses this shortcut.
    if (row.disk.entry < 0 || row.disk.folder != target.folder)
        return;
    const DiskView::Folder &folder = m_disk->folder(target.folder);
    const qsizetype spelling = folder.path.size();
    const qsizetype name = row.fullPath.size() - (spelling == 1 ? 1 : spelling + 1);
    if (name != target.head.size() + target.tail.size())
        return;
    target.ownEntry = row.disk.entry;
    // Where that name lies, for fetchAhead() to ask for it.
    folder.read.listing.prefetchName(target.ownEntry);
}

void RenamePlanner::fetchAhead(const Target &target) const
{
    if (!target.inBatch || target.folder < 0)
        return;
    const FolderRead &read = m_disk->folder(target.folder).read;
    if (read.state == FolderRead::State::Listed) {
        read.listing.prefetch(target.scan.hash);
        // The entry's own name, where judge() compares it: the listing has
        // the folder's order, not the rows', so it is rarely in the cache.
        if (target.ownEntry >= 0)
            __builtin_prefetch(read.listing.name(target.ownEntry).utf16());
    }
    const quint64 hash = mixedHash(target.scan.hash, target.folder);
    __builtin_prefetch(
        &m_newSlots[m_sliceStart[size_t(target.folder)] + homeIn(target.folder, hash)]);
}

PlanMark RenamePlanner::badName(const RenameEntry &row, const Target &target) const
{
    const auto bad = [](BadNameKind kind, qint32 other = -1) {
        return PlanMark{PlanReason::BadName, quint8(kind), other};
    };
    const NameScan &s = target.scan;
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

inline qint32 RenamePlanner::global(int folder, int entry) const
{
    return m_disk->folder(folder).firstEntry + entry;
}

inline qint32 RenamePlanner::movedBy(int folder, int entry) const
{
    const qint32 row = m_movedBy[size_t(global(folder, entry))];
    return row >= 0 && m_moved[size_t(row)] ? row : -1;
}

inline qint32 RenamePlanner::takenBy(int folder, int entry) const
{
    const qint32 row = m_takenBy[size_t(global(folder, entry))];
    return row >= 0 && m_moved[size_t(row)] ? row : -1;
}

qint32 RenamePlanner::takeNewName(const Target &target, int row)
{
    const quint64 hash = mixedHash(target.scan.hash, target.folder);
    const quint64 tag = hash & 0xFFFFFFFF00000000ull;
    quint64 *slice = &m_newSlots[m_sliceStart[size_t(target.folder)]];
    const quint32 size = m_sliceSize[size_t(target.folder)];
    quint32 i = homeIn(target.folder, hash);
    for (; slice[i] != 0; i = i + 1 == size ? 0 : i + 1) {
        const quint64 slot = slice[i];
        const int other = int(quint32(slot) - 1);
        if ((slot & 0xFFFFFFFF00000000ull) != tag || other == row || !m_moved[size_t(other)])
            continue;
        Target theirs;
        readTarget(other, theirs);
        if (theirs.folder == target.folder &&
            sameName(target.head, target.tail, theirs.head, theirs.tail))
            return other;
    }
    slice[i] = tag | quint64(row + 1);
    return -1;
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

void RenamePlanner::plan(int first, int count, RowVerdict *verdicts)
{
    for (int done = 0; done < count;) {
        const int n = std::min(kBlock, count - done);
        for (int i = 0; i < n; ++i) {
            // A row's first cache line holds all that is read of it here.
            if (const int ahead = first + done + i + 2 * kAhead; ahead < first + count)
                __builtin_prefetch(&(*m_rows)[size_t(rowAt(ahead))]);
            readTarget(rowAt(first + done + i), m_block[size_t(i)]);
        }
        for (int i = 0; i < std::min(kAhead, n); ++i)
            fetchAhead(m_block[size_t(i)]);
        for (int i = 0; i < n; ++i) {
            if (i + kAhead < n)
                fetchAhead(m_block[size_t(i + kAhead)]);
            judge(m_block[size_t(i)], verdicts[done + i]);
        }
        done += n;
    }
}

RowVerdict RenamePlanner::plan(int position)
{
    RowVerdict verdict;
    plan(position, 1, &verdict);
    return verdict;
}

void RenamePlanner::judge(const Target &target, RowVerdict &verdict)
{
    verdict.mark = PlanMark();
    if (!target.inBatch) {
        verdict.action = RowVerdict::Action::None;
        return;
    }
    verdict.action = RowVerdict::Action::Fail;
    const int row = target.row;
    const RenameEntry &e = (*m_rows)[size_t(row)];
    const auto fail = [&verdict](PlanMark mark) { verdict.mark = mark; };

    const NameScan &scan = target.scan;
    if (m_mode == Mode::Rename &&
        (scan.separator || scan.nul || scan.halfSurrogate || scan.control ||
         scan.utf8Bytes > kMaxNameBytes || target.head.size() + target.tail.size() <= 2)) {
        const PlanMark bad = badName(e, target);
        if (bad.reason != PlanReason::None)
            return fail(bad);
    }

    const int sourceFolder = e.disk.folder;
    const int source = e.disk.entry;
    const FolderRead *into = target.folder >= 0 ? &m_disk->folder(target.folder).read : nullptr;
    const NameKey key(target.head, target.tail, scan.hash);

    // The new name is the name it has: nothing to do. Where it may be, the
    // entry's own name is compared first, without a look-up.
    if (target.ownEntry >= 0 && isOwnName(into->listing, target.ownEntry, key)) {
        verdict.action = RowVerdict::Action::Skip;
        return;
    }
    const int taken =
        into && into->state == FolderRead::State::Listed ? into->listing.find(key) : -1;
    if (target.folder == sourceFolder &&
        (source >= 0 ? taken == source : key.equals(namePartOf(e.fullPath)))) {
        verdict.action = RowVerdict::Action::Skip;
        return;
    }

    if (source == DiskRef::Missing)
        return fail(PlanMark{PlanReason::SourceMissing, 0, -1});
    if (source == DiskRef::Replaced)
        return fail(PlanMark{PlanReason::SourceReplaced, 0, -1});
    if (source >= 0) {
        const qint32 first = movedBy(sourceFolder, source);
        if (first >= 0) {
            m_countedOn[size_t(first)] = 1;
            return fail(PlanMark{PlanReason::SameFile, 0, first});
        }
    }
    if (taken >= 0) {
        const qint32 first = takenBy(target.folder, taken);
        if (first >= 0) {
            m_countedOn[size_t(first)] = 1;
            return fail(PlanMark{PlanReason::SameTarget, 0, first});
        }
        const qint32 freer = movedBy(target.folder, taken);
        if (freer < 0)
            return fail(heldBy(row, target.folder, taken));
        m_countedOn[size_t(freer)] = 1;
    } else if (target.folder >= 0) {
        // The last check: a name no row has taken is this row's from now on.
        const qint32 first = takeNewName(target, row);
        if (first >= 0) {
            m_countedOn[size_t(first)] = 1;
            return fail(PlanMark{PlanReason::SameTarget, 0, first});
        }
    }

    // It renames: the rows after it see its entry gone and its name taken.
    m_moved[size_t(row)] = 1;
    if (source >= 0)
        m_movedBy[size_t(global(sourceFolder, source))] = row;
    if (taken >= 0)
        m_takenBy[size_t(global(target.folder, taken))] = row;

    verdict.action = RowVerdict::Action::Rename;
    if (into && into->state == FolderRead::State::Listed && !scan.ascii) {
        const int alike = into->listing.findLookalike(key);
        if (alike >= 0 && movedBy(target.folder, alike) < 0)
            verdict.mark = PlanMark{PlanReason::LooksAlike, 0, -1};
    }
}

void RenamePlanner::retract(int row)
{
    m_moved[size_t(row)] = 0;
}

void RenamePlanner::settleHeldMark(int row, PlanMark &mark) const
{
    if (mark.reason != PlanReason::TargetHeldBelow && mark.reason != PlanReason::TargetHeldStays)
        return;
    const int holder = mark.other;
    const bool later =
        m_position.empty() ? holder > row : m_position[size_t(holder)] > m_position[size_t(row)];
    mark.reason =
        later && inBatch(holder) ? PlanReason::TargetHeldBelow : PlanReason::TargetHeldStays;
}

qint32 RenamePlanner::moverOf(int folder, int entry) const
{
    return folder >= 0 && entry >= 0 ? movedBy(folder, entry) : -1;
}

std::vector<RowVerdict> planRenameBatch(const DiskView &disk, const std::vector<RenameEntry> &rows)
{
    RenamePlanner planner;
    planner.start(disk, rows, RenamePlanner::Mode::Rename);
    std::vector<RowVerdict> verdicts(rows.size());
    planner.plan(0, int(rows.size()), verdicts.data());
    return verdicts;
}

std::vector<int> undoOrder(const DiskView &disk, const std::vector<RenameEntry> &rows)
{
    // The row of the batch whose entry each listed entry is.
    std::vector<qint32> holder(size_t(disk.entryCount()), -1);
    std::vector<int> moves;
    for (size_t row = 0; row < rows.size(); ++row) {
        const RenameEntry &e = rows[row];
        if (!takesPartInUndo(e))
            continue;
        moves.push_back(int(row));
        if (e.disk.folder >= 0 && e.disk.entry >= 0) {
            qint32 &first = holder[size_t(disk.folder(e.disk.folder).firstEntry + e.disk.entry)];
            if (first < 0)
                first = qint32(row);
        }
    }
    // The row that must go before `row`: the one whose entry holds the name
    // `row` goes back to.
    const auto before = [&](int row) {
        const RenameEntry &e = rows[size_t(row)];
        const int folder = undoTargetFolder(disk, e);
        if (folder < 0 || disk.folder(folder).read.state != FolderRead::State::Listed)
            return -1;
        const int entry = disk.folder(folder).read.listing.find(namePartOf(e.previousPath));
        if (entry < 0)
            return -1;
        const qint32 other = holder[size_t(disk.folder(folder).firstEntry + entry)];
        return other == row ? -1 : other;
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
    std::vector<RowVerdict> inOrder(rows.size());
    planner.plan(0, int(order.size()), inOrder.data());
    std::vector<RowVerdict> verdicts(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        verdicts[size_t(order[i])] = inOrder[i];
    return verdicts;
}
