#pragma once

#include <QTreeView>

#include <functional>

class QDrag;
class QMimeData;

// The list L1: a report view over the file list model that takes files
// dropped from the file manager and lets rows be dragged to reorder them or
// out of the window to remove them.
class FileListView : public QTreeView
{
    Q_OBJECT

public:
    explicit FileListView(QWidget *parent = nullptr);

    // Runs a row drag to its end and returns the action the target took.
    using DragRunner = std::function<Qt::DropAction(QDrag &drag)>;

    // True while a drag that started on one of our rows is under way.
    bool rowDragActive() const { return m_rowDragActive; }

    // Replaces QDrag::exec for row drags. Tests need it on platforms whose
    // drag returns at once without a loop (offscreen); an empty runner
    // restores QDrag::exec.
    void setDragRunner(DragRunner runner);

    void setModel(QAbstractItemModel *model) override;

Q_SIGNALS:
    // A drop landed on the list; localPaths holds the local files it carried,
    // in the file manager's order (empty for a row drag or for plain text).
    void dropReceived(const QStringList &localPaths);
    // A row drag moves over the list: the current row and the row under the
    // pointer (the first or last row beyond them; -1 for none).
    void rowDragMoved(int currentRow, int rowUnderPointer);
    // A row drag ended; nothingAccepted when it was released where no one took it.
    void rowDragFinished(bool nothingAccepted);
    // The mouse moved with the left button held, the current row being currentRow.
    void leftButtonMoved(int currentRow);
    void rightButtonPressed(const QPoint &globalPos);
    void listClicked();
    void listDoubleClicked();
    // F2, Enter or Return on the list: the current row is to be renamed by hand.
    void renameKeyPressed();
    // The Menu key or Shift+F10: the list's menu, at globalPos.
    void menuKeyPressed(const QPoint &globalPos);

protected:
    void changeEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;

private:
    void updateListColours();
    bool acceptsDrag(const QDropEvent *event) const;
    // The row at this height in the viewport, clamped into the rows' band.
    int rowAtHeight(int y) const;
    bool isOwnRowDrag(const QDropEvent *event) const;
    // Where a menu opened from the keyboard appears: below the current row.
    QPoint keyboardMenuPosition() const;

    bool m_rowDragActive = false;
    // The data our row drag carries; it tells our drag apart from others.
    const QMimeData *m_rowDragData = nullptr;
    DragRunner m_dragRunner;
};
