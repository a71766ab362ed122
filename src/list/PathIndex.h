#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// Every full path dropped onto the list since it was last cleared. Removing
// single rows keeps their paths here, so a later drop of them is refused.
class PathIndex
{
public:
    struct Accepted
    {
        QStringList newPaths; // in the order they were met
        bool hadDuplicates = false;
    };

    // Takes the paths not seen before (also within this one drop) and
    // remembers them.
    Accepted accept(const QStringList &paths);
    bool contains(const QString &path) const { return m_keys.contains(path); }
    qsizetype size() const { return m_keys.size(); }
    void clear() { m_keys.clear(); }

private:
    QSet<QString> m_keys;
};
