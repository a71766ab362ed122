#include "list/FileDrops.h"

#include "list/DropPaths.h"

#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

namespace {

bool isDragEvent(const QEvent *event)
{
    return event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
           event->type() == QEvent::Drop;
}

} // namespace

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
