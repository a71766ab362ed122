#include "list/FileListView.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>

FileListView::FileListView(QWidget *parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("L1"));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
}

bool FileListView::acceptsDrag(const QDropEvent *event) const
{
    // Anything may be dragged over the list; only files add rows.
    Q_UNUSED(event);
    return true;
}

void FileListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (!acceptsDrag(event)) {
        event->ignore();
        return;
    }
    if (event->source() == this)
        event->setDropAction(Qt::MoveAction);
    event->accept();
}

void FileListView::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->source() == this) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
        if (m_rowDragActive)
            Q_EMIT rowDragMoved(event->position().toPoint());
        return;
    }
    event->accept();
}

void FileListView::dragLeaveEvent(QDragLeaveEvent *event)
{
    event->accept();
}

void FileListView::dropEvent(QDropEvent *event)
{
    QStringList paths;
    if (event->source() != this && event->mimeData()->hasUrls()) {
        const QList<QUrl> urls = event->mimeData()->urls();
        paths.reserve(urls.size());
        for (const QUrl &url : urls) {
            if (url.isLocalFile()) {
                QString path = url.toLocalFile();
                // A folder URL may end in "/"; the row is the folder itself.
                while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
                    path.chop(1);
                paths.push_back(path);
            }
        }
    }
    if (event->source() == this)
        event->setDropAction(Qt::MoveAction);
    event->accept();
    Q_EMIT dropReceived(paths);
}

void FileListView::startDrag(Qt::DropActions supportedActions)
{
    Q_UNUSED(supportedActions);
    const QModelIndexList rows =
        selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    if (rows.isEmpty() || !model())
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(model()->mimeData(rows));
    m_rowDragActive = true;
    const Qt::DropAction action = drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
    m_rowDragActive = false;
    // Esc cancels with the button still held; a release where nothing takes
    // the drop lets the button go. Only the latter removes rows.
    const bool buttonHeld = QGuiApplication::mouseButtons() & Qt::LeftButton;
    Q_EMIT rowDragFinished(action == Qt::IgnoreAction && !buttonHeld);
}

void FileListView::mousePressEvent(QMouseEvent *event)
{
    QTreeView::mousePressEvent(event);
    if (event->button() == Qt::RightButton)
        Q_EMIT rightButtonPressed(event->globalPosition().toPoint());
}

void FileListView::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() == Qt::LeftButton)
        Q_EMIT leftButtonMoved();
    QTreeView::mouseMoveEvent(event);
}

void FileListView::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT listClicked();
}

void FileListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT listDoubleClicked();
}
