#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "文件名": asks for a folder, a name filter and two switches, walks the
// folder and hands the found paths to whoever listens. It never touches the
// main list itself. Shown without blocking; deletes itself when closed.
class FolderScanDialog : public QDialog
{
    Q_OBJECT

public:
    // Returns the chosen folder, or "" when the user cancelled.
    using FolderPicker = std::function<QString()>;

    explicit FolderScanDialog(QWidget *parent = nullptr);

    // Replaces the remembered path, e.g. with a folder dropped on the list.
    void setPath(const QString &path);

    // Lets tests stand in for the system's folder picker.
    void setFolderPicker(FolderPicker picker);

    // Folders that could not be read during the last scan.
    int lastSkippedFolders() const { return m_lastSkippedFolders; }
    // What the last scan had to leave out, e.g. "（跳过2个无法读取的文件夹）";
    // "" when it read everything.
    const QString &skippedNote() const { return m_skippedNote; }

Q_SIGNALS:
    // Emitted once by a scan that found something, just before the dialog closes.
    void filesFound(const QStringList &paths);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startScan();
    void clearOrPickFolder();
    void inform(const QString &text);

    QLineEdit *m_path;
    QComboBox *m_filter;
    QCheckBox *m_recurse;
    QCheckBox *m_listFolders;
    QPushButton *m_start;
    QLabel *m_status;
    FolderPicker m_picker;
    int m_lastSkippedFolders = 0;
    QString m_skippedNote;
};
