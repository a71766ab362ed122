#include "rename/FolderReadAhead.h"

ReadAhead readAhead(FolderReader &reader, const QStringList &paths,
                    const QSet<QString> &knownFolders)
{
    ReadAhead ahead;
    ahead.paths = paths;
    ahead.folderOf.reserve(size_t(paths.size()));
    ahead.entryOf.reserve(size_t(paths.size()));
    ahead.inodeOf.reserve(size_t(paths.size()));
    QHash<QStringView, qint32> met; // views into `paths`, which outlive it
    QStringView lastText;
    qint32 last = -1;
    for (const QString &path : paths) {
        // Paths mostly come folder by folder.
        const QStringView text = folderPartOf(path);
        if (ahead.folderOf.empty() || text != lastText) {
            lastText = text;
            const auto seen = met.constFind(text);
            if (seen != met.constEnd()) {
                last = *seen;
            } else if (knownFolders.contains(text.toString())) {
                last = -1;
                met.insert(text, last);
            } else {
                ReadAhead::Folder folder{text.toString(), reader.read(text.toString())};
                folder.read.listing.index();
                last = qint32(ahead.folders.size());
                ahead.folders.push_back(std::move(folder));
                met.insert(text, last);
            }
        }
        ahead.folderOf.push_back(last);
        const FolderRead *read = last >= 0 ? &ahead.folders[size_t(last)].read : nullptr;
        const int entry = read && read->state == FolderRead::State::Listed
                              ? read->listing.find(namePartOf(path))
                              : -1;
        ahead.entryOf.push_back(entry);
        ahead.inodeOf.push_back(entry >= 0 ? read->listing.inode(entry) : 0);
    }
    return ahead;
}

FolderReadAhead::FolderReadAhead(std::unique_ptr<FolderReader> reader, QStringList paths,
                                 QSet<QString> knownFolders)
    : m_result(std::async(std::launch::async, [reader = std::move(reader), paths = std::move(paths),
                                               known = std::move(knownFolders)] {
          return readAhead(*reader, paths, known);
      }))
{}

FolderReadAhead::~FolderReadAhead()
{
    if (m_result.valid())
        m_result.wait();
}

ReadAhead FolderReadAhead::take()
{
    return m_result.valid() ? m_result.get() : ReadAhead();
}
