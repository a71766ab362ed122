#include "app/Form1.h"

#include "app/AboutDialog.h"
#include "app/Accessibility.h"
#include "app/AppIcon.h"
#include "app/Shell.h"
#include "list/FileDrops.h"
#include "list/FileListModel.h"
#include "list/FileListView.h"
#include "list/ListExport.h"
#include "list/PathPart.h"
#include "rename/LivePlan.h"
#include "rename/RenameBatch.h"
#include "rename/RenameLayer.h"
#include "rename/RenameProgress.h"
#include "rename/SingleRenameDialog.h"
#include "rules/ExistingRulesDialog.h"
#include "rules/PreviewChain.h"
#include "rules/RuleBand.h"
#include "scan/FolderScanDialog.h"
#include "shared/Twips.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("【Quib】文件批量重命名   V1.21 20190129");
const QString kMessageTitle = QStringLiteral("Quib 文件批量重命名");
const QString kAlreadyAdded = QStringLiteral("部分文件已添加");

// Design-time geometry, in twips.
constexpr int kInnerWidth = 16695;
constexpr int kInnerHeight = 7950;
constexpr int kListLeft = 30;
constexpr int kListTop = 1380;
constexpr int kStripHeight = 630;

// Column widths in twips; 0 hides the column.
constexpr int kColumnWidths[RenameEntry::ColumnCount] = {6750, 6750, 900, 0, 6000, 0, 0, 0};

} // namespace

Form1::Form1(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kTitle);
    setWindowIcon(pencilIcon());
    m_model = new FileListModel(this);
    m_rows = &m_model->store();
    m_livePlan = new LivePlan(*m_rows, this);
    m_previewChain = std::make_unique<PreviewChain>(*m_rows);
    createMenus();
    createCentralArea();

    // Start-up, in the order the rest of the window relies on.
    m_messageLabel->setText(QStringLiteral("温馨提示:可直接拖动文件到列表中"));
    m_countLabel->setText(QStringLiteral("还未添加文件"));
    m_rules->initialise();
    m_undoAction->setVisible(false);

    const Twips twips(this);
    resize(twips.toPixels(kInnerWidth),
           twips.toPixels(kInnerHeight) + menuBar()->sizeHint().height());
    setUpAccessibility(this);
}

Form1::~Form1()
{
    // The plan, the dialogs and the rule band refer to the rows and the
    // preview chain, which are gone by the time QWidget deletes the children.
    delete m_livePlan;
    delete m_folderScan;
    delete m_existingRules;
    delete m_singleRename;
    delete m_about;
    delete centralWidget();
}

void Form1::createMenus()
{
    const auto action = [this](const QString &name, const QString &caption, auto slot) {
        auto *a = new QAction(caption, this);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };

    m_listMenu = new QMenu(QStringLiteral("编辑列表(&L)"), this);
    m_listMenu->setObjectName(QStringLiteral("右键菜单"));
    m_listMenu->menuAction()->setObjectName(QStringLiteral("右键菜单"));
    m_listMenu->addAction(
        action(QStringLiteral("全不选"), QStringLiteral("全不选(&G)"), &Form1::selectNone));
    QAction *all = action(QStringLiteral("全选"), QStringLiteral("全选(&A)"), &Form1::selectAll);
    all->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    m_listMenu->addAction(all);
    m_listMenu->addSeparator()->setObjectName(QStringLiteral("munSep1"));
    m_removeAction =
        action(QStringLiteral("删除选定"), QStringLiteral("删除选定"), &Form1::removeSelected);
    // Delete removes rows only while the list has the focus; in a text box
    // it deletes text.
    m_removeAction->setShortcut(QKeySequence::Delete);
    m_removeAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_listMenu->addAction(m_removeAction);
    m_listMenu->addAction(action(QStringLiteral("预览列恢复成原样"),
                                 QStringLiteral("预览列恢复成原样(&F)"), &Form1::restorePreview));
    m_listMenu->addSeparator()->setObjectName(QStringLiteral("munSep2"));
    QAction *exportAction =
        action(QStringLiteral("导出列表"), QStringLiteral("导出列表(&Q)"), &Form1::exportList);
    exportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    m_listMenu->addAction(exportAction);
    m_listMenu->addAction(
        action(QStringLiteral("清空"), QStringLiteral("清空列表(&X)"), &Form1::clearAll));
    menuBar()->addMenu(m_listMenu);

    menuBar()->addAction(action(QStringLiteral("获取文件名"), QStringLiteral("获取文件名(&F)"),
                                [this] { showFolderScan(); }));
    menuBar()->addAction(
        action(QStringLiteral("清空列表"), QStringLiteral("清空列表(&X)"), &Form1::clearAll));
    m_undoAction = action(QStringLiteral("撤消更名"), QStringLiteral("撤消上一次更名(&Z)"),
                          &Form1::undoLastRenaming);
    menuBar()->addAction(m_undoAction);
    menuBar()->addAction(
        action(QStringLiteral("更名"), QStringLiteral("开始更名(&E)"), &Form1::startRenaming));

    auto *aboutMenu = new QMenu(QStringLiteral("关于(&H)"), this);
    aboutMenu->setObjectName(QStringLiteral("关于菜单"));
    aboutMenu->menuAction()->setObjectName(QStringLiteral("关于菜单"));
    aboutMenu->addAction(
        action(QStringLiteral("关于"), QStringLiteral("关于工具"), &Form1::showAbout));
    aboutMenu->addAction(
        action(QStringLiteral("说明"), QStringLiteral("查看操作说明"), &Form1::showInstructions));
    menuBar()->addMenu(aboutMenu);
}

void Form1::createCentralArea()
{
    const Twips twips(this);
    auto *central = new QWidget(this);
    setCentralWidget(central);

    m_rules = new RuleBand(*m_previewChain, central);
    connect(m_rules, &RuleBand::messageChanged, this, &Form1::setMessage);
    connect(m_rules, &RuleBand::existingRulesRequested, this, &Form1::showExistingRules);

    m_renameButton = new QPushButton(central);
    m_renameButton->setObjectName(QStringLiteral("Command1"));
    m_renameButton->setIcon(pencilIcon());
    m_renameButton->setIconSize(QSize(twips.toPixels(600), twips.toPixels(600)));
    m_renameButton->setText(QStringLiteral("开始更名\n(Alt+E)"));
    m_renameButton->setToolTip(QStringLiteral("快捷键Alt+E,撤消上一次更名用Alt+Z"));
    m_renameButton->setGeometry(twips.rect(13200, 330, 3495, 1050));
    connect(m_renameButton, &QPushButton::clicked, this, &Form1::startRenaming);

    m_list = new FileListView(central);
    m_list->setModel(m_model);
    m_list->move(twips.toPixels(kListLeft), twips.toPixels(kListTop));
    for (int column = 0; column < RenameEntry::ColumnCount; ++column) {
        if (kColumnWidths[column] == 0)
            m_list->setColumnHidden(column, true);
        else
            m_list->setColumnWidth(column, twips.toPixels(kColumnWidths[column]));
    }
    connect(m_list, &FileListView::dropReceived, this, &Form1::addDroppedPaths);
    connect(m_list, &FileListView::listClicked, this, &Form1::onListClicked);
    connect(m_list, &FileListView::listDoubleClicked, this, &Form1::onListDoubleClicked);
    connect(m_list, &FileListView::leftButtonMoved, this, &Form1::onLeftButtonMoved);
    connect(m_list, &FileListView::rowDragMoved, this, &Form1::onRowDragMoved);
    connect(m_list, &FileListView::rowDragFinished, this, &Form1::onRowDragFinished);
    m_list->addAction(m_removeAction);
    const auto showListMenu = [this](const QPoint &globalPos) {
        if (m_rows->count() >= 1)
            m_listMenu->popup(globalPos);
    };
    connect(m_list, &FileListView::rightButtonPressed, this, showListMenu);
    connect(m_list, &FileListView::menuKeyPressed, this, showListMenu);
    connect(m_list, &FileListView::renameKeyPressed, this, [this] {
        if (m_list->currentIndex().isValid())
            onListDoubleClicked();
    });
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &Form1::onHeaderClicked);

    m_statusStrip = new QGroupBox(central);
    m_statusStrip->setObjectName(QStringLiteral("Frame1"));
    m_statusStrip->move(twips.toPixels(kListLeft), 0);
    m_statusStrip->resize(m_statusStrip->width(), twips.toPixels(kStripHeight));
    m_countLabel = new QLabel(m_statusStrip);
    m_countLabel->setObjectName(QStringLiteral("gs"));
    m_countLabel->setGeometry(twips.rect(120, 150, 2955, 405));
    m_messageLabel = new QLabel(m_statusStrip);
    m_messageLabel->setObjectName(QStringLiteral("ts"));
    m_messageLabel->setGeometry(twips.rect(3030, 120, 6135, 405));
    // What the plan foresees, beside the messages: how many rows will fail.
    m_planLabel = new QLabel(m_statusStrip);
    m_planLabel->setObjectName(QStringLiteral("planLabel"));
    m_planLabel->setGeometry(twips.rect(9300, 120, 4500, 405));
    connect(m_livePlan, &LivePlan::failuresChanged, this, [this](int failures) {
        m_planLabel->setText(failures > 0 ? QStringLiteral("%1 个文件将无法更名").arg(failures)
                                          : QString());
    });

    m_hint = new QGroupBox(QStringLiteral("拖动文件到列表中或点击下方按钮获取"), central);
    m_hint->setObjectName(QStringLiteral("提示"));
    m_hint->setGeometry(twips.rect(4650, 3060, 5535, 2085));
    auto *hintLayout = new QVBoxLayout(m_hint);
    auto *scanButton = new QPushButton(QStringLiteral("获取文件夹(含子目录)中文件"), m_hint);
    scanButton->setObjectName(QStringLiteral("Command4"));
    scanButton->setMinimumHeight(twips.toPixels(700));
    hintLayout->addWidget(scanButton);
    connect(scanButton, &QPushButton::clicked, this, [this] { showFolderScan(); });
    m_hint->raise();

    // Files dropped on the hint over the empty list, or on the list's header
    // and scroll bars, are dropped on the list.
    auto *drops = new FileDropForwarder(this);
    for (QWidget *part : std::initializer_list<QWidget *>{m_hint, scanButton, m_list->header(),
                                                          m_list->horizontalScrollBar(),
                                                          m_list->verticalScrollBar()})
        drops->watch(part);
    connect(drops, &FileDropForwarder::filesDropped, this, &Form1::addDroppedPaths);
}

bool Form1::event(QEvent *event)
{
    // Back from another window, perhaps the file manager: what changed on
    // disk meanwhile changes what the plan foresees.
    if (event->type() == QEvent::WindowActivate)
        m_livePlan->refreshDisk();
    return QMainWindow::event(event);
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    applyLayoutRule();
}

void Form1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    applyLayoutRule();
}

void Form1::applyLayoutRule()
{
    // Sizes follow the window's outer size; a step whose result would be
    // negative (a tiny or minimised window) is skipped.
    const Twips twips(this);
    const QSize outer = frameGeometry().size();
    const int listWidth = outer.width() - twips.toPixels(300);
    const int listHeight = outer.height() - twips.toPixels(2625);
    if (listWidth >= 0)
        m_list->resize(listWidth, m_list->height());
    if (listHeight >= 0)
        m_list->resize(m_list->width(), listHeight);
    m_statusStrip->move(m_statusStrip->x(), m_list->y() + m_list->height());
    m_statusStrip->resize(m_list->width(), m_statusStrip->height());
}

void Form1::setMessage(const QString &text)
{
    m_messageLabel->setText(text);
}

void Form1::showRowCount()
{
    m_countLabel->setText(QString::number(m_rows->count()) + QStringLiteral("个文件"));
}

void Form1::hideHint()
{
    m_hint->hide();
}

void Form1::addDroppedPaths(const QStringList &dropped)
{
    if (dropped.size() == 1 && isFolder(dropped.front())) {
        showFolderScan(dropped.front());
        return;
    }
    // "a//b" and "a/./b" are "a/b": one entry, one row.
    const QStringList cleaned = cleanedPaths(dropped);
    // Their folders are read meanwhile: when every path is new, these are
    // the very paths of the new rows.
    m_livePlan->readAhead(cleaned);
    const PathIndex::Accepted accepted = m_pathIndex.accept(cleaned);
    if (accepted.hadDuplicates) {
        // The read goes on over the new paths only, or stops when none is.
        m_livePlan->readAhead(accepted.newPaths);
        setMessage(kAlreadyAdded);
    }
    if (!accepted.newPaths.isEmpty()) {
        if (m_rows->count() == 0)
            m_previewChain->rowsDroppedOnEmptyList();
        // Planned once, when the new rows are in their places.
        const LivePlan::Pause pause(*m_livePlan);
        m_rows->appendAndSortByKey(accepted.newPaths, m_rows->sortOrder());
        hideHint();
    }
    showRowCount();
}

void Form1::onFolderScanned(const QStringList &paths)
{
    clearAll();
    m_previewChain->listRefilled();
    {
        const LivePlan::Pause pause(*m_livePlan);
        const QStringList cleaned = cleanedPaths(paths);
        m_livePlan->readAhead(cleaned);
        m_rows->appendAndSortByKey(cleaned, m_rows->sortOrder());
    }
    showRowCount();
    hideHint();
    // The dialog closes after a scan that found files; what it could not
    // read must not go unsaid.
    if (m_folderScan)
        setMessage(m_folderScan->skippedNote());
}

void Form1::startRenaming()
{
    if (m_rows->count() == 0) {
        setMessage(QStringLiteral("还未添加文件"));
        return;
    }
    const BatchResult result = m_livePlan->rename(renameOnDisk, renamingProgressIn(m_messageLabel));
    if (result.succeeded > 0)
        m_undoAction->setVisible(true);
    setMessage(summaryText(result));
    if (!result.lastFolder.isEmpty())
        OpenInFileManager(result.lastFolder);
    m_previewChain->batchRan();
}

void Form1::undoLastRenaming()
{
    // The access key must do nothing while the item is hidden.
    if (!m_undoAction->isVisible())
        return;
    if (m_rows->count() == 0) {
        setMessage(QStringLiteral("还未添加文件"));
        return;
    }
    const BatchResult result = m_livePlan->undo(renameOnDisk, renamingProgressIn(m_messageLabel));
    m_undoAction->setVisible(false);
    setMessage(summaryText(result));
}

void Form1::selectAll()
{
    if (m_rows->count() > 0)
        m_list->selectAll();
}

void Form1::selectNone()
{
    if (m_rows->count() > 0)
        m_list->clearSelection();
}

void Form1::removeSelected()
{
    // selectedRows() checks every row against every range, which takes
    // seconds for thousands of scattered rows. The list selects whole rows,
    // so a range over all columns gives its rows at once; only a range over
    // some columns needs the row-by-row check.
    const QItemSelectionModel *selection = m_list->selectionModel();
    const int lastColumn = m_model->columnCount() - 1;
    std::vector<int> rows;
    for (const QItemSelectionRange &range : selection->selection()) {
        if (range.parent().isValid())
            continue;
        const bool wholeRows = range.left() == 0 && range.right() == lastColumn;
        for (int row = range.top(); row <= range.bottom(); ++row) {
            if (wholeRows || selection->isRowSelected(row))
                rows.push_back(row);
        }
    }
    m_rows->removeRowsAt(std::move(rows));
}

void Form1::restorePreview()
{
    m_rows->restorePreview();
}

void Form1::exportList()
{
    if (m_rows->count() == 0)
        return;
    const ExportResult result = exportNames(*m_rows, QCoreApplication::applicationDirPath());
    if (!result.written) {
        QMessageBox::information(
            this, kMessageTitle,
            QStringLiteral("无法写入文件列表：%1\n%2").arg(result.error, result.path));
        return;
    }
    // Nothing may open the file (no text editor installed): say where it is.
    setMessage(QStringLiteral("已导出到 ") + result.path);
    OpenInFileManager(result.path);
}

void Form1::clearAll()
{
    m_pathIndex.clear();
    m_rows->clear();
    setMessage(QString());
}

void Form1::showInstructions()
{
    const QStringList lines = {
        QStringLiteral("Quib文件指量重命名 操作说明\n"),
        QStringLiteral("1、列表中可以直接拖入要命名的文件"),
        QStringLiteral("2、从列表中往外拖可以删除选定的记录"),
        QStringLiteral("3、双击列表的记录可以单独手动命名"),
        QStringLiteral("4、所有文本框中双击可快速清空"),
        QStringLiteral("5、单击列表标题可排序"),
        QStringLiteral("6、按住名称不放可手动上下排序"),
    };
    QStringList unique;
    for (const QString &line : lines) {
        if (!unique.contains(line))
            unique.push_back(line);
    }
    QMessageBox::information(this, kMessageTitle, unique.join(QStringLiteral("\r\n")));
}

void Form1::showFolderScan(const QString &presetPath)
{
    if (!m_folderScan) {
        m_folderScan = new FolderScanDialog(this);
        connect(m_folderScan, &FolderScanDialog::filesFound, this, &Form1::onFolderScanned);
    }
    if (!presetPath.isEmpty())
        m_folderScan->setPath(presetPath);
    m_folderScan->show();
    m_folderScan->raise();
    m_folderScan->activateWindow();
}

void Form1::showExistingRules()
{
    if (m_rows->count() < 1) {
        QMessageBox::information(this, kMessageTitle,
                                 QStringLiteral("还未添加要命名的文件到列表中"));
        return;
    }
    if (!m_existingRules)
        m_existingRules = new ExistingRulesDialog(*m_rows, this);
    m_existingRules->show();
    m_existingRules->raise();
    m_existingRules->activateWindow();
}

void Form1::showAbout()
{
    if (!m_about)
        m_about = new AboutDialog(this);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void Form1::onListClicked()
{
    if (m_messageLabel->text() == kAlreadyAdded)
        setMessage(QString());
    if (m_rows->count() >= 1)
        hideHint();
}

void Form1::onListDoubleClicked()
{
    if (m_rows->count() < 1) {
        showFolderScan();
        return;
    }
    const QModelIndex current = m_list->currentIndex();
    if (!current.isValid())
        return;
    if (!m_singleRename)
        m_singleRename = new SingleRenameDialog(*m_model, this);
    m_singleRename->openFor(current.row());
}

void Form1::onHeaderClicked(int section)
{
    // One direction for the whole list, flipped by every header click.
    const Qt::SortOrder order =
        m_rows->sortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    m_rows->setSort(section, order);
    m_list->header()->setSortIndicatorShown(true);
    m_list->header()->setSortIndicator(section, order);
}

void Form1::onLeftButtonMoved(int currentRow)
{
    if (m_rows->count() < 1)
        return;
    m_dragArmed = true;
    m_dragFromIndex = currentRow;
}

void Form1::onRowDragMoved(int currentRow, int rowUnderPointer)
{
    if (!m_dragArmed || m_rows->count() < 1)
        return;
    setMessage(QStringLiteral("按住不放可以手动拖动排序.如果拖到列表外面，可删除选定的记录"));
    if (rowUnderPointer < 0)
        return;
    // The row walks one place per event toward the row under the pointer.
    if (currentRow != m_dragFromIndex) {
        if (rowUnderPointer < currentRow)
            m_rows->moveRowTo(currentRow, currentRow - 1);
        else if (rowUnderPointer > currentRow)
            m_rows->moveRowTo(currentRow, currentRow + 1);
    }
    m_dragFromIndex = rowUnderPointer;
}

void Form1::onRowDragFinished(bool nothingAccepted)
{
    // Reordering belongs to this one drag; files dragged in later must not
    // move or check rows.
    m_dragArmed = false;
    setMessage(QString());
    if (nothingAccepted)
        removeSelected();
}
