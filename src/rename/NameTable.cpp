#include "rename/NameTable.h"

#include <algorithm>
#include <array>
#include <bit>

namespace {

// h(c0 … cn-1) = c0·B^(n-1) + … + cn-1, modulo 2^64: a polynomial, so that
// the hash of a name cut into a preview and an extension can be joined from
// the hashes of the two without going over the characters again.
constexpr quint64 kBase = 0x100000001b3ull * 0x9E3779B97F4A7C15ull | 1;

constexpr std::array<quint64, 64> powersOfBase()
{
    std::array<quint64, 64> powers{};
    quint64 p = 1;
    for (quint64 &power : powers) {
        power = p;
        p *= kBase;
    }
    return powers;
}
constexpr std::array<quint64, 64> kPowers = powersOfBase();

quint64 powerOfBase(qsizetype exponent)
{
    if (exponent < qsizetype(kPowers.size()))
        return kPowers[size_t(exponent)];
    quint64 result = 1;
    quint64 square = kBase;
    for (quint64 e = quint64(exponent); e; e >>= 1) {
        if (e & 1)
            result *= square;
        square *= square;
    }
    return result;
}

// The polynomial hash keeps its weak low bits; the table needs them mixed.
quint64 mixed(quint64 hash)
{
    hash ^= hash >> 31;
    hash *= 0xD6E8FEB86659FD93ull;
    hash ^= hash >> 32;
    return hash;
}

bool sameText(QStringView a, QStringView b, qsizetype offset, QStringView name)
{
    return name.mid(0, a.size()) == a && name.mid(offset) == b;
}

} // namespace

quint64 nameHash(QStringView text)
{
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    quint64 h = 0;
    qsizetype i = 0;
    // Four characters a step: the products inside a step do not wait on h.
    const quint64 b2 = kPowers[2], b3 = kPowers[3], b4 = kPowers[4];
    for (; i + 4 <= n; i += 4)
        h = h * b4 + (p[i] * b3 + p[i + 1] * b2 + p[i + 2] * kBase + p[i + 3]);
    for (; i < n; ++i)
        h = h * kBase + p[i];
    return h;
}

quint64 joinNameHashes(quint64 head, quint64 tail, qsizetype tailSize)
{
    return head * powerOfBase(tailSize) + tail;
}

NameKey::NameKey(QStringView head, QStringView tail)
    : m_head(head), m_tail(tail),
      m_hash(tail.isEmpty() ? nameHash(head)
                            : joinNameHashes(nameHash(head), nameHash(tail), tail.size()))
{}

bool NameKey::equals(QStringView name) const
{
    return name.size() == size() && sameText(m_head, m_tail, m_head.size(), name);
}

void NameTable::reserve(int names)
{
    m_spans.reserve(size_t(names));
    m_text.reserve(size_t(names) * 16);
}

int NameTable::add(QStringView name)
{
    const int index = count();
    Span span;
    span.offset = quint32(m_text.size());
    span.length = quint16(std::min<qsizetype>(name.size(), 0xFFFF));
    m_text.insert(m_text.end(), name.utf16(), name.utf16() + span.length);
    m_spans.push_back(span);
    if (m_stale)
        return index;
    if (m_slots.size() < m_spans.size() * 2)
        grow();
    else
        insert(index, nameHash(this->name(index)));
    return index;
}

void NameTable::rename(int index, QStringView name)
{
    Span &span = m_spans[size_t(index)];
    span.offset = quint32(m_text.size());
    span.length = quint16(std::min<qsizetype>(name.size(), 0xFFFF));
    m_text.insert(m_text.end(), name.utf16(), name.utf16() + span.length);
    m_stale = true;
}

void NameTable::remove(int index)
{
    m_spans[size_t(index)].removed = true;
    m_stale = true;
}

void NameTable::reindex()
{
    m_stale = false;
    grow();
}

void NameTable::grow()
{
    m_slots.assign(std::bit_ceil(m_spans.size() * 2 + 16), 0);
    for (int i = 0; i < count(); ++i) {
        if (!m_spans[size_t(i)].removed)
            insert(i, nameHash(name(i)));
    }
}

void NameTable::insert(int index, quint64 hash)
{
    const quint64 m = mixed(hash);
    const size_t mask = m_slots.size() - 1;
    size_t i = m & mask;
    while (m_slots[i] != 0)
        i = (i + 1) & mask;
    m_slots[i] = (m & 0xFFFFFFFF00000000ull) | quint64(index + 1);
}

int NameTable::find(const NameKey &key) const
{
    Q_ASSERT(!m_stale);
    if (m_slots.empty())
        return -1;
    const quint64 m = mixed(key.hash());
    const quint64 tag = m & 0xFFFFFFFF00000000ull;
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

QStringView NameTable::name(int index) const
{
    const Span &span = m_spans[size_t(index)];
    return QStringView(m_text.data() + span.offset, span.length);
}
