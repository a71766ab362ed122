#include "list/PathIndex.h"

#include <bit>

namespace {

quint64 tagOf(size_t hash)
{
    return quint64(hash) & 0xFFFFFFFF00000000ull;
}

} // namespace

PathIndex::Accepted PathIndex::accept(const QStringList &paths)
{
    Accepted result;
    // While no path was seen before, the new paths are the paths: the list
    // is shared, not built again, and is then the very list the caller has.
    const size_t wanted = std::bit_ceil((m_paths.size() + size_t(paths.size())) * 2 + 16);
    if (m_slots.size() < wanted) {
        m_slots.assign(wanted, 0);
        for (size_t i = 0; i < m_paths.size(); ++i)
            insert(i, qHash(m_paths[i]));
    }
    m_paths.reserve(m_paths.size() + size_t(paths.size()));
    for (qsizetype p = 0; p < paths.size(); ++p) {
        const QString &path = paths.at(p);
        const size_t hash = qHash(path);
        const size_t mask = m_slots.size() - 1;
        size_t i = hash & mask;
        bool seen = false;
        for (; m_slots[i] != 0 && !seen; i = (i + 1) & mask) {
            seen = (m_slots[i] & 0xFFFFFFFF00000000ull) == tagOf(hash) &&
                   m_paths[size_t(quint32(m_slots[i]) - 1)] == path;
        }
        if (seen) {
            if (!result.hadDuplicates) {
                result.newPaths = paths.first(p);
                result.newPaths.reserve(paths.size());
            }
            result.hadDuplicates = true;
            continue;
        }
        m_paths.push_back(path);
        m_slots[i] = tagOf(hash) | quint64(m_paths.size());
        if (result.hadDuplicates)
            result.newPaths.push_back(path);
    }
    if (!result.hadDuplicates)
        result.newPaths = paths;
    return result;
}

bool PathIndex::contains(const QString &path) const
{
    if (m_slots.empty())
        return false;
    const size_t hash = qHash(path);
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask; m_slots[i] != 0; i = (i + 1) & mask) {
        if ((m_slots[i] & 0xFFFFFFFF00000000ull) == tagOf(hash) &&
            m_paths[size_t(quint32(m_slots[i]) - 1)] == path)
            return true;
    }
    return false;
}

void PathIndex::clear()
{
    m_paths.clear();
    m_slots.clear();
}

void PathIndex::insert(size_t index, size_t hash)
{
    const size_t mask = m_slots.size() - 1;
    size_t i = hash & mask;
    while (m_slots[i] != 0)
        i = (i + 1) & mask;
    m_slots[i] = tagOf(hash) | quint64(index + 1);
}
