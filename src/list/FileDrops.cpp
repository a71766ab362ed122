#include "list/FileDrops.h"

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <algorithm>

namespace {

bool survivesDecoding(const QUrl &url)
{
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toUtf8());
    return QFile::encodeName(url.path(QUrl::FullyDecoded)) == bytes;
}

bool isDragEvent(const QEvent *event)
{
    return event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
           event->type() == QEvent::Drop;
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

FileDropForwarder::FileDropForwarder(QObject *parent) : QObject(parent)
{}

void FileDropForwarder::watch(QWidget *widget)
{
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
}

bool FileDropForwarder::eventFilter(QObject *watched, QEvent *event)
{
    if (!isDragEvent(event))
        return QObject::eventFilter(watched, event);
    auto *drop = static_cast<QDropEvent *>(event);
    if (!carriesFiles(drop->mimeData()))
        return QObject::eventFilter(watched, event);
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop)
        Q_EMIT filesDropped(localPathsOf(drop->mimeData()));
    return true;
}

FileDropBlocker::FileDropBlocker(QObject *parent) : QObject(parent)
{}

void FileDropBlocker::watch(QWidget *widget)
{
    widget->installEventFilter(this);
}

bool FileDropBlocker::eventFilter(QObject *watched, QEvent *event)
{
    if (isDragEvent(event) && carriesFiles(static_cast<QDropEvent *>(event)->mimeData())) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
