#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// The hash of a name: its base and its extension (from the last dot on)
// hashed apart and joined. A preview and its extension cell, which begins
// with that dot, give the same hash without being put together.
quint64 nameHash(QStringView name);
quint64 nameHash(QStringView head, QStringView tail);
// The pieces of that: one piece's hash (four characters to a multiply), and
// the join of a base's hash with an extension's.
quint64 pieceHash(QStringView text);
inline quint64 joinPieceHashes(quint64 base, quint64 extension)
{
    return (base ^ 0x632BE59BD9B4E019ull) * 0x9E3779B97F4A7C15ull + extension;
}

// A name given as one or two pieces of text: a preview and the extension
// after it. Looking a new name up this way needs no copy of it put together
// first, which over 100,000 rows on every keystroke matters.
class NameKey
{
public:
    explicit NameKey(QStringView head, QStringView tail = {})
        : m_head(head), m_tail(tail), m_hash(nameHash(head, tail))
    {}
    // For a caller that has the name's hash already.
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

// Names of one folder, each under a number given in the order they were
// added: a flat open-addressing table over one pool of text, about 60 bytes
// a name.
class NameTable
{
public:
    int count() const { return static_cast<int>(m_spans.size()); }
    void reserve(int names, size_t characters);

    int add(QStringView name);
    void remove(int index);
    // Names read in bulk, or renamed in bulk, are looked up once index() has
    // built the table over all of them in one go.
    int addUnindexed(QStringView name);
    void rename(int index, QStringView name);
    void index();

    // The number of the name equal to key, or -1.
    int find(const NameKey &key) const;
    int find(QStringView name) const { return find(NameKey(name)); }
    // Asks the processor for the memory find(key) will look at first, so
    // that a caller going through many names can look ahead.
    void prefetch(quint64 hash) const;
    // Asks for the memory that tells where a name's text is.
    void prefetchName(int index) const { __builtin_prefetch(&m_spans[size_t(index)]); }
    QStringView name(int index) const
    {
        const Span &span = m_spans[size_t(index)];
        return QStringView(m_text.data() + span.offset, span.length);
    }
    bool removed(int index) const { return m_spans[size_t(index)].removed; }

private:
    struct Span
    {
        quint32 offset = 0;
        quint16 length = 0;
        bool removed = false;
    };
    void insert(int index, quint64 hash);
    void erase(int index);
    void append(Span &span, QStringView name);
    void grow();

    std::vector<char16_t> m_text;
    std::vector<Span> m_spans;
    // (upper half of the mixed hash << 32) | (index + 1); 0 is free.
    std::vector<quint64> m_slots;
    // Characters of the pool that renamed or removed names left behind.
    size_t m_garbage = 0;
    bool m_unindexed = false;
};
