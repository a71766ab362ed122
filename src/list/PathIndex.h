#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Every full path dropped onto the list since it was last cleared. Removing
// single rows keeps their paths here, so a later drop of them is refused.
class PathIndex
{
public:
    struct Accepted
    {
        QStringList newPaths; // in the order they were met; the paths given, when all are new
        bool hadDuplicates = false;
    };

    // Takes the paths not seen before (also within this one drop) and
    // remembers them.
    Accepted accept(const QStringList &paths);
    bool contains(const QString &path) const;
    qsizetype size() const { return qsizetype(m_paths.size()); }
    void clear();

private:
    // A flat table over the paths (which share their text with the rows'):
    // a node allocated for each of a million dropped paths cost a quarter of
    // the drop.
    void insert(size_t index, size_t hash);
    std::vector<QString> m_paths;
    // (upper half of the hash << 32) | (index + 1); 0 is free.
    std::vector<quint64> m_slots;
};
