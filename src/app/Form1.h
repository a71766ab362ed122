#pragma once

#include "list/PathIndex.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class AboutDialog;
class ExistingRulesDialog;
class FileListModel;
class RowStore;
class FolderScanDialog;
class LivePlan;
class PreviewChain;
class SingleRenameDialog;
class FileListView;
class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class RuleBand;

// The main window: the rule band at the top, the rename button, the file
// list and the status strip under it.
class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    FileListModel &model() const { return *m_model; }
    const PreviewChain &previewChain() const { return *m_previewChain; }

    // Adds paths as a drop would (a single folder opens the folder scan).
    void addDroppedPaths(const QStringList &paths);

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void createMenus();
    void createCentralArea();
    void applyLayoutRule();

    // Menu and list commands.
    void startRenaming();
    void undoLastRenaming();
    void selectAll();
    void selectNone();
    void removeSelected();
    void restorePreview();
    void exportList();
    void clearAll();
    void showInstructions();
    void showFolderScan(const QString &presetPath = QString());
    void showExistingRules();
    void showAbout();

    // List events.
    void onListClicked();
    void onListDoubleClicked();
    void onHeaderClicked(int section);
    void onLeftButtonMoved(int currentRow);
    void onRowDragMoved(int currentRow, int rowUnderPointer);
    void onRowDragFinished(bool nothingAccepted);
    void onFolderScanned(const QStringList &paths);

    void setMessage(const QString &text);
    void showRowCount();
    void hideHint();

    FileListModel *m_model = nullptr;
    RowStore *m_rows = nullptr; // the model's rows
    LivePlan *m_livePlan = nullptr;
    FileListView *m_list = nullptr;
    RuleBand *m_rules = nullptr;
    QPushButton *m_renameButton = nullptr;
    QGroupBox *m_statusStrip = nullptr;
    QLabel *m_countLabel = nullptr;
    QLabel *m_messageLabel = nullptr;
    QLabel *m_planLabel = nullptr;
    QGroupBox *m_hint = nullptr;
    QMenu *m_listMenu = nullptr;
    QAction *m_undoAction = nullptr;
    QAction *m_removeAction = nullptr;

    PathIndex m_pathIndex;
    std::unique_ptr<PreviewChain> m_previewChain;
    bool m_dragArmed = false;
    int m_dragFromIndex = 0;

    QPointer<FolderScanDialog> m_folderScan;
    QPointer<ExistingRulesDialog> m_existingRules;
    QPointer<SingleRenameDialog> m_singleRename;
    QPointer<AboutDialog> m_about;
};
