#include "list/FileListView.h"

#include "list/DropPaths.h"
#include "list/FileDrops.h"
#include "list/FileListModel.h"
#include "list/ListColours.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace {

// Notes an Esc pressed while a drag runs. The drag loop of the desktop
// platforms watches the keys through an application event filter that it
// installs when the loop starts, and swallows them; filters run newest
// first, so ours is installed from inside the loop.
class EscapeWatch : public QObject
{
public:
    EscapeWatch()
    {
        QTimer::singleShot(0, this,
                           [this] { QCoreApplication::instance()->installEventFilter(this); });
    }
    ~EscapeWatch() override { QCoreApplication::instance()->removeEventFilter(this); }

    bool pressed() const { return m_pressed; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress &&
            static_cast<const QKeyEvent *>(event)->key() == Qt::Key_Escape)
            m_pressed = true;
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_pressed = false;
};

} // namespace

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

void FileListView::setModel(QAbstractItemModel *model)
{
    QTreeView::setModel(model);
    updateListColours();
}

void FileListView::changeEvent(QEvent *event)
{
    QTreeView::changeEvent(event);
    // A new application palette (a style, the desktop's dark mode) reaches
    // us as a PaletteChange too, once it has changed our own palette.
    if (event->type() == QEvent::PaletteChange)
        updateListColours();
}

void FileListView::updateListColours()
{
    // The rows' colours must read on the background this view paints them on.
    if (auto *list = qobject_cast<FileListModel *>(model()))
        list->setColours(ListColours::forPalette(palette()));
}

bool FileListView::acceptsDrag(const QDropEvent *event) const
{
    // Anything may be dragged over the list; only files add rows.
    Q_UNUSED(event);
    return true;
}

void FileListView::setDragRunner(DragRunner runner)
{
    m_dragRunner = std::move(runner);
}

bool FileListView::isOwnRowDrag(const QDropEvent *event) const
{
    // The source is only known while QDrag::exec runs; the data object is
    // ours for the whole drag, whoever runs it.
    return m_rowDragActive && (event->source() == this || event->mimeData() == m_rowDragData);
}

void FileListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (!acceptsDrag(event)) {
        event->ignore();
        return;
    }
    if (isOwnRowDrag(event))
        event->setDropAction(Qt::MoveAction);
    event->accept();
}

int FileListView::rowAtHeight(int y) const
{
    if (!model() || model()->rowCount() < 1)
        return -1;
    // Above the first row or below the last, the pointer still points at it:
    // the rows' band is as high as all rows together.
    const QRect first = visualRect(model()->index(0, 0));
    y = std::clamp(y, first.top(), first.top() + first.height() * model()->rowCount() - 1);
    const QModelIndex under = indexAt(QPoint(first.left() + 1, y));
    return under.isValid() ? under.row() : -1;
}

void FileListView::dragMoveEvent(QDragMoveEvent *event)
{
    if (isOwnRowDrag(event)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
        const QModelIndex current = currentIndex();
        if (current.isValid())
            Q_EMIT rowDragMoved(current.row(), rowAtHeight(event->position().toPoint().y()));
        return;
    }
    // Files from the file manager may be dropped anywhere; they never reorder.
    event->accept();
}

void FileListView::dragLeaveEvent(QDragLeaveEvent *event)
{
    event->accept();
}

void FileListView::dropEvent(QDropEvent *event)
{
    const bool ownRows = isOwnRowDrag(event);
    const QStringList paths = ownRows ? QStringList() : localPathsOf(event->mimeData());
    if (ownRows)
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
    const QPointer<QDrag> dragGuard(drag);
    m_rowDragData = drag->mimeData();
    m_rowDragActive = true;
    const EscapeWatch escape;
    const Qt::DropAction action = m_dragRunner
                                      ? m_dragRunner(*drag)
                                      : drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
    m_rowDragActive = false;
    m_rowDragData = nullptr;
    // exec schedules the deletion itself; a stand-in runner does not.
    if (dragGuard)
        dragGuard->deleteLater();
    // Both a release where nothing takes the drop and Esc end the drag with
    // no action; only the release removes rows. The button state cannot tell
    // them apart: the platform reports no button held once the drag has left
    // a window or was cancelled.
    Q_EMIT rowDragFinished(action == Qt::IgnoreAction && !escape.pressed());
}

void FileListView::mousePressEvent(QMouseEvent *event)
{
    QTreeView::mousePressEvent(event);
    if (event->button() == Qt::RightButton)
        Q_EMIT rightButtonPressed(event->globalPosition().toPoint());
}

void FileListView::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() == Qt::LeftButton && currentIndex().isValid())
        Q_EMIT leftButtonMoved(currentIndex().row());
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

void FileListView::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier &&
        (key == Qt::Key_F2 || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        Q_EMIT renameKeyPressed();
        return;
    }
    // The Menu key reaches contextMenuEvent; Shift+F10 is its usual twin.
    if (modifiers == Qt::ShiftModifier && key == Qt::Key_F10) {
        Q_EMIT menuKeyPressed(keyboardMenuPosition());
        return;
    }
    QTreeView::keyPressEvent(event);
}

void FileListView::contextMenuEvent(QContextMenuEvent *event)
{
    // A right click opens the menu on its press already.
    if (event->reason() == QContextMenuEvent::Keyboard)
        Q_EMIT menuKeyPressed(keyboardMenuPosition());
    event->accept();
}

QPoint FileListView::keyboardMenuPosition() const
{
    const QRect row = visualRect(currentIndex());
    const QPoint local = row.isValid() && viewport()->rect().intersects(row)
                             ? QPoint(row.left() + row.height(), row.bottom())
                             : viewport()->rect().center();
    return viewport()->mapToGlobal(local);
}

void FileListView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                               const QList<int> &roles)
{
    // A rule pass changes every row with one signal. QTreeView works out the
    // area to repaint row by row, which over 100,000 rows takes longer than
    // the rule itself; only the rows on screen can need a repaint. Assistive
    // tools are told about the whole range, as they may read any row.
    if (!topLeft.isValid() || !bottomRight.isValid() || topLeft.row() == bottomRight.row() ||
        topLeft.parent().isValid() || QAccessible::isActive()) {
        QTreeView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    const QModelIndex firstShown = indexAt(QPoint(0, 0));
    if (!firstShown.isValid())
        return; // no row is on screen
    const QModelIndex lastShown = indexAt(QPoint(0, viewport()->height() - 1));
    const int first = std::max(topLeft.row(), firstShown.row());
    const int last = std::min(bottomRight.row(),
                              lastShown.isValid() ? lastShown.row() : model()->rowCount() - 1);
    if (first > last)
        return;
    QTreeView::dataChanged(topLeft.sibling(first, topLeft.column()),
                           bottomRight.sibling(last, bottomRight.column()), roles);
}
