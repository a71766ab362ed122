#include "list/PathIndex.h"

PathIndex::Accepted PathIndex::accept(const QStringList &paths)
{
    Accepted result;
    result.newPaths.reserve(paths.size());
    m_keys.reserve(m_keys.size() + paths.size());
    for (const QString &path : paths) {
        const qsizetype before = m_keys.size();
        m_keys.insert(path);
        if (m_keys.size() == before)
            result.hadDuplicates = true;
        else
            result.newPaths.push_back(path);
    }
    return result;
}
