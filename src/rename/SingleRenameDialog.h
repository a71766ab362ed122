#pragma once

#include <QDialog>
#include <QPersistentModelIndex>

class FileListModel;
class QLineEdit;

// "单个文件重命名": the new name of one row typed by hand. Only the row's
// preview is written; the next rename batch carries it out. Shown without
// blocking the main window; deletes itself when closed.
class SingleRenameDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SingleRenameDialog(FileListModel &model, QWidget *parent = nullptr);

    // Fills the box with the row's preview (its original name when there is
    // none), selects it all and shows the dialog. Called again while open, it
    // switches to the new row.
    void openFor(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void acceptName();

    FileListModel &m_model;
    QLineEdit *m_text = nullptr;
    // The row the dialog was opened for. It follows the row when the list is
    // sorted or reordered meanwhile and becomes invalid when the row is
    // removed, so "确定" never writes into a row the user did not pick.
    QPersistentModelIndex m_row;
};
