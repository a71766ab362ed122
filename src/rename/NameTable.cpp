#include "rename/NameTable.h"
#include "list/PathPart.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

bool sameText(QStringView a, QStringView b, qsizetype offset, QStringView name)
{
    return name.mid(0, a.size()) == a && name.mid(offset) == b;
}

// The table needs the hash's low bits mixed with all the others.
quint64 mixed(quint64 hash)
{
    hash ^= hash >> 31;
    hash *= 0xD6E8FEB86659FD93ull;
    hash ^= hash >> 32;
    return hash;
}

} // namespace

quint64 pieceHash(QStringView text)
{
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    constexpr quint64 k = 0x9FB21C651E98DF25ull;
    quint64 h = quint64(n) * k;
    qsizetype i = 0;
    for (; i + 4 <= n; i += 4) {
        quint64 w;
        std::memcpy(&w, p + i, sizeof w);
        h = (h ^ w) * k;
        h ^= h >> 29;
    }
    if (i < n) {
        quint64 w = 0;
        if (n >= 4) {
            // The last four characters, overlapping the step before.
            std::memcpy(&w, p + n - 4, sizeof w);
        } else {
            // One to three, put together in a register: stored bytes read
            // back as one word would stall the load.
            for (int shift = 0; i < n; ++i, shift += 16)
                w |= quint64(p[i]) << shift;
        }
        h = (h ^ w) * k;
        h ^= h >> 29;
    }
    return h;
}

quint64 nameHash(QStringView name)
{
    const qsizetype dot = lastIndexOfChar(name, u'.');
    if (dot < 0)
        return joinPieceHashes(pieceHash(name), pieceHash({}));
    return joinPieceHashes(pieceHash(name.left(dot)), pieceHash(name.mid(dot)));
}

quint64 nameHash(QStringView head, QStringView tail)
{
    if (tail.isEmpty())
        return nameHash(head);
    // The extension cell is "." and what follows the name's last dot: the
    // two pieces are the name's own. Only an extension typed with dots of
    // its own needs the name put together.
    if (tail.front() == QLatin1Char('.') && lastIndexOfChar(tail, u'.') == 0)
        return joinPieceHashes(pieceHash(head), pieceHash(tail));
    return nameHash(QStringView(head.toString().append(tail)));
}

bool NameKey::equals(QStringView name) const
{
    return name.size() == size() && sameText(m_head, m_tail, m_head.size(), name);
}

void NameTable::reserve(int names, size_t characters)
{
    m_spans.reserve(size_t(names));
    m_text.reserve(characters);
}

void NameTable::append(Span &span, QStringView name)
{
    span.offset = quint32(m_text.size());
    span.length = quint16(std::min<qsizetype>(name.size(), 0xFFFF));
    m_text.insert(m_text.end(), name.utf16(), name.utf16() + span.length);
}

int NameTable::addUnindexed(QStringView name)
{
    Span span;
    append(span, name);
    m_spans.push_back(span);
    m_unindexed = true;
    return count() - 1;
}

void NameTable::index()
{
    if (!m_unindexed)
        return;
    m_unindexed = false;
    grow();
}

int NameTable::add(QStringView name)
{
    if (m_unindexed)
        return addUnindexed(name);
    const int index = count();
    Span span;
    append(span, name);
    m_spans.push_back(span);
    if (m_slots.size() < m_spans.size() * 2)
        grow();
    else
        insert(index, nameHash(this->name(index)));
    return index;
}

void NameTable::rename(int index, QStringView name)
{
    // A batch renames thousands at once: the table is built again once,
    // in one pass, by index().
    Span &span = m_spans[size_t(index)];
    if (name.size() <= span.length) {
        // A name no longer than the one it replaces takes its place: a batch
        // that renames a folder of 100,000 names then does not grow the pool.
        std::copy(name.utf16(), name.utf16() + name.size(), m_text.begin() + span.offset);
        m_garbage += span.length - size_t(name.size());
        span.length = quint16(name.size());
    } else {
        m_garbage += span.length;
        append(span, name);
    }
    m_unindexed = true;
}

void NameTable::remove(int index)
{
    if (!m_unindexed)
        erase(index);
    Span &span = m_spans[size_t(index)];
    span.removed = true;
    m_garbage += span.length;
}

void NameTable::erase(int index)
{
    // Backward-shift deletion: the names after the freed slot that probed
    // past it move up, so that no look-up stops short of them.
    const size_t mask = m_slots.size() - 1;
    size_t hole = mixed(nameHash(name(index))) & mask;
    while ((m_slots[hole] & 0xFFFFFFFFull) != quint64(index + 1))
        hole = (hole + 1) & mask;
    for (size_t next = (hole + 1) & mask; m_slots[next] != 0; next = (next + 1) & mask) {
        const size_t home = size_t(m_slots[next] >> 32) & mask;
        // It may move up into the hole unless its home lies after the hole.
        if (((next - home) & mask) >= ((next - hole) & mask)) {
            m_slots[hole] = m_slots[next];
            hole = next;
        }
    }
    m_slots[hole] = 0;
}

void NameTable::grow()
{
    // The pool is packed again when renamed names have left it mostly garbage.
    if (m_garbage > m_text.size() / 2) {
        std::vector<char16_t> text;
        text.reserve(m_text.size() - m_garbage);
        for (Span &span : m_spans) {
            const quint32 offset = quint32(text.size());
            if (!span.removed)
                text.insert(text.end(), m_text.begin() + span.offset,
                            m_text.begin() + span.offset + span.length);
            span.offset = offset;
        }
        m_text = std::move(text);
        m_garbage = 0;
    }
    m_slots.assign(std::bit_ceil(m_spans.size() * 2 + 16), 0);
    for (int i = 0; i < count(); ++i) {
        if (!m_spans[size_t(i)].removed)
            insert(i, nameHash(name(i)));
    }
}

void NameTable::insert(int index, quint64 hash)
{
    // A slot keeps the low half of the mixed hash, where the slot's home is
    // (tables stay far below 2^32 slots), beside the name's number + 1.
    const quint64 m = mixed(hash);
    const size_t mask = m_slots.size() - 1;
    size_t i = m & mask;
    while (m_slots[i] != 0)
        i = (i + 1) & mask;
    m_slots[i] = (m << 32) | quint64(index + 1);
}

void NameTable::prefetch(quint64 hash) const
{
    if (!m_slots.empty())
        __builtin_prefetch(&m_slots[mixed(hash) & (m_slots.size() - 1)]);
}

int NameTable::find(const NameKey &key) const
{
    Q_ASSERT(!m_unindexed);
    if (m_slots.empty())
        return -1;
    const quint64 m = mixed(key.hash());
    const quint64 tag = m << 32;
    const size_t mask = m_slots.size() - 1;
    for (size_t i = m & mask;; i = (i + 1) & mask) {
        const quint64 slot = m_slots[i];
        if (slot == 0)
            return -1;
        if ((slot & 0xFFFFFFFF00000000ull) == tag) {
            const int index = int(quint32(slot) - 1);
            if (key.equals(name(index)))
                return index;
        }
    }
}
