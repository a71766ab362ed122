#include "rename/FolderReadAhead.h"

void ReadAhead::readFolders(FolderReader &reader, const QSet<QString> &knownFolders,
                            const std::atomic<bool> *cancelled)
{
    QStringView last;
    for (const QString &path : std::as_const(paths)) {
        if (cancelled && cancelled->load(std::memory_order_relaxed))
            return;
        // Paths mostly come folder by folder.
        const QStringView text = folderPartOf(path);
        if (!m_folderIndex.isEmpty() && text == last)
            continue;
        last = text;
        if (m_folderIndex.contains(text))
            continue;
        qint32 index = -1;
        if (!knownFolders.contains(text.toString())) {
            Folder folder{text.toString(), reader.read(text.toString())};
            folder.read.listing.index();
            index = qint32(folders.size());
            folders.push_back(std::move(folder));
        }
        m_folderIndex.insert(text, index);
    }
}

void ReadAhead::lookUpRows()
{
    const qsizetype rows = paths.size();
    folderOf.reserve(size_t(rows));
    entryOf.reserve(size_t(rows));
    inodeOf.reserve(size_t(rows));
    QStringView lastText;
    qint32 last = -1;
    for (qsizetype row = 0; row < rows; ++row) {
        const QString &path = pathOfRow(row);
        const QStringView text = folderPartOf(path);
        if (row == 0 || text != lastText) {
            lastText = text;
            last = m_folderIndex.value(text, -1);
        }
        const FolderRead *read = last >= 0 ? &folders[size_t(last)].read : nullptr;
        const int entry = read && read->state == FolderRead::State::Listed
                              ? read->listing.find(namePartOf(path))
                              : -1;
        folderOf.push_back(last);
        entryOf.push_back(entry);
        inodeOf.push_back(entry >= 0 ? read->listing.inode(entry) : 0);
    }
}

FolderReadAhead::FolderReadAhead(std::unique_ptr<FolderReader> reader, QStringList paths,
                                 QSet<QString> knownFolders)
    : m_paths(paths)
{
    m_result = std::async(std::launch::async, [reader = std::move(reader), paths = std::move(paths),
                                               known = std::move(knownFolders),
                                               order = m_order.get_future(),
                                               cancelled = &m_cancelled]() mutable {
        ReadAhead ahead;
        ahead.paths = std::move(paths);
        ahead.readFolders(*reader, known, cancelled);
        std::optional<std::vector<int>> given = order.get();
        if (!given || (!given->empty() && qsizetype(given->size()) != ahead.paths.size()))
            return ReadAhead();
        ahead.order = std::move(*given);
        ahead.lookUpRows();
        return ahead;
    });
}

FolderReadAhead::~FolderReadAhead()
{
    m_cancelled = true;
    if (!m_orderGiven)
        m_order.set_value(std::nullopt);
    if (m_result.valid())
        m_result.wait();
}

void FolderReadAhead::setOrder(std::vector<int> order)
{
    if (m_orderGiven)
        return;
    m_orderGiven = true;
    m_order.set_value(std::move(order));
}

ReadAhead FolderReadAhead::take()
{
    if (!m_orderGiven)
        setOrder({}); // never waits for an order that cannot come any more
    return m_result.valid() ? m_result.get() : ReadAhead();
}
