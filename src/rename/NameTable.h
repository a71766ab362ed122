#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// A name given as one or two pieces of text: a preview and the extension
// after it. Looking a new name up this way needs no copy of it put together
// first, which over 100,000 rows on every keystroke matters.
class NameKey
{
public:
    explicit NameKey(QStringView head, QStringView tail = {});
    // For a caller that has the hash of both pieces already (nameHash below).
    NameKey(QStringView head, QStringView tail, quint64 hash)
        : m_head(head), m_tail(tail), m_hash(hash)
    {}

    QStringView head() const { return m_head; }
    QStringView tail() const { return m_tail; }
    qsizetype size() const { return m_head.size() + m_tail.size(); }
    quint64 hash() const { return m_hash; }
    bool equals(QStringView name) const;
    QString toString() const { return m_head.toString().append(m_tail); }

private:
    QStringView m_head;
    QStringView m_tail;
    quint64 m_hash = 0;
};

// The hash of a name, the same whichever way it is cut into pieces:
// nameHash(a + b) == joinNameHashes(nameHash(a), nameHash(b), b.size()).
quint64 nameHash(QStringView text);
quint64 joinNameHashes(quint64 head, quint64 tail, qsizetype tailSize);

// Names of one folder, each under a number given in the order they were
// added: a flat open-addressing table over one pool of text, about 60 bytes
// a name. Renaming or removing names leaves the table to be rebuilt with
// reindex() before the next look-up.
class NameTable
{
public:
    int count() const { return static_cast<int>(m_spans.size()); }
    void reserve(int names);

    int add(QStringView name);
    void rename(int index, QStringView name);
    void remove(int index);
    void reindex();

    // The number of the name equal to key, or -1.
    int find(const NameKey &key) const;
    int find(QStringView name) const { return find(NameKey(name)); }
    QStringView name(int index) const;
    bool removed(int index) const { return m_spans[size_t(index)].removed; }

private:
    struct Span
    {
        quint32 offset = 0;
        quint16 length = 0;
        bool removed = false;
    };
    void insert(int index, quint64 hash);
    void grow();

    std::vector<char16_t> m_text;
    std::vector<Span> m_spans;
    // (upper half of the mixed hash << 32) | (index + 1); 0 is free.
    std::vector<quint64> m_slots;
    bool m_stale = false;
};
