#include "list/DropPaths.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace {

bool survivesDecoding(const QUrl &url)
{
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toUtf8());
    return QFile::encodeName(url.path(QUrl::FullyDecoded)) == bytes;
}

} // namespace

QStringList localPathsOf(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    const QList<QUrl> urls = data->urls();
    paths.reserve(urls.size());
    for (const QUrl &url : urls) {
        if (!url.isLocalFile() || !survivesDecoding(url))
            continue;
        QString path = url.toLocalFile();
        while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
            path.chop(1);
        paths.push_back(path);
    }
    return paths;
}

bool carriesFiles(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); });
}
