#include "list/FileListModel.h"

#include "list/WarningIcon.h"

#include <QMimeData>

namespace {

// Our own drag format: a row dragged inside the list carries nothing a drop
// could add.
const QString kRowMimeType = QStringLiteral("application/x-quib-rows");

QList<int> rolesOf(RowStore::Change change)
{
    switch (change) {
    case RowStore::Change::Checks:
        return {Qt::CheckStateRole};
    case RowStore::Change::Marks:
        return {Qt::DecorationRole, Qt::ToolTipRole};
    case RowStore::Change::Texts:
    case RowStore::Change::Outcome:
        break;
    }
    return {}; // texts may change colours and tooltips too
}

} // namespace

FileListModel::FileListModel(QObject *parent) : QAbstractTableModel(parent)
{
    // Each change of the rows reaches the views as the matching model signal,
    // with the "about to" half before the rows change.
    connect(&m_store, &RowStore::rowsAboutToBeInserted, this,
            [this](int first, int last) { beginInsertRows({}, first, last); });
    connect(&m_store, &RowStore::rowsInserted, this, [this] { endInsertRows(); });
    connect(&m_store, &RowStore::rowsAboutToBeRemoved, this,
            [this](int first, int last) { beginRemoveRows({}, first, last); });
    connect(&m_store, &RowStore::rowsRemoved, this, [this] { endRemoveRows(); });
    connect(&m_store, &RowStore::aboutToBeReset, this, [this] { beginResetModel(); });
    connect(&m_store, &RowStore::wasReset, this, [this] { endResetModel(); });
    connect(&m_store, &RowStore::aboutToBeReordered, this,
            [this] { Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint); });
    connect(&m_store, &RowStore::reordered, this, &FileListModel::onReordered);
    connect(&m_store, &RowStore::rowAboutToMove, this, [this](int from, int to) {
        // beginMoveRows wants the destination as the position before which
        // the row lands, counted before the move.
        beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    });
    connect(&m_store, &RowStore::rowMoved, this, [this] { endMoveRows(); });
    connect(&m_store, &RowStore::cellsChanged, this,
            [this](int firstRow, int lastRow, int firstColumn, int lastColumn,
                   RowStore::Change change) {
                Q_EMIT dataChanged(index(firstRow, firstColumn), index(lastRow, lastColumn),
                                   rolesOf(change));
            });
}

void FileListModel::onReordered(const std::vector<int> &newPosition)
{
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &i : from)
        to.push_back(index(newPosition[static_cast<size_t>(i.row())], i.column()));
    changePersistentIndexList(from, to);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::setColours(const ListColours &colours)
{
    if (colours == m_colours)
        return;
    m_colours = colours;
    if (m_store.count() > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_store.count() - 1, RenameEntry::ColumnCount - 1),
                           {Qt::ForegroundRole});
}

QIcon FileListModel::warningIcon() const
{
    // The desktop's own warning sign where its icon theme has one; else a
    // yellow triangle of our own, so that every platform shows a mark.
    if (m_warningIcon.isNull())
        m_warningIcon = QIcon::fromTheme(QStringLiteral("dialog-warning"), drawnWarningIcon());
    return m_warningIcon;
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_store.count();
}

int FileListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : RenameEntry::ColumnCount;
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_store.count())
        return {};
    const RenameEntry &e = m_store.entry(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return e.cell(index.column());
    case Qt::ToolTipRole:
        // The preview cell says what the plan foresees for the row instead.
        if (index.column() == RenameEntry::PreviewName) {
            const QString tip = planMarkToolTip(e.mark);
            return tip.isEmpty() ? QVariant() : QVariant(tip);
        }
        return e.cell(index.column());
    case Qt::DecorationRole:
        if (index.column() == RenameEntry::PreviewName && e.mark.isFailure())
            return warningIcon();
        return {};
    case Qt::CheckStateRole:
        if (index.column() == 0)
            return e.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::ForegroundRole:
        if (index.column() == RenameEntry::PreviewName)
            return m_colours.preview();
        if (index.column() == RenameEntry::ResultText && e.outcome != RenameEntry::Outcome::None)
            return e.outcome == RenameEntry::Outcome::Failure ? m_colours.failure()
                                                              : m_colours.success();
        if (e.blue)
            return m_colours.folder();
        return {};
    default:
        return {};
    }
}

bool FileListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.row() >= m_store.count())
        return false;
    if (role == Qt::CheckStateRole && index.column() == 0) {
        m_store.setChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
        return true;
    }
    return false;
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return columnCaption(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags FileListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags f =
        Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
    if (index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

Qt::DropActions FileListModel::supportedDragActions() const
{
    return Qt::MoveAction;
}

Qt::DropActions FileListModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}

QStringList FileListModel::mimeTypes() const
{
    return {kRowMimeType, QStringLiteral("text/uri-list")};
}

QMimeData *FileListModel::mimeData(const QModelIndexList &indexes) const
{
    Q_UNUSED(indexes);
    auto *data = new QMimeData; // ownership passes to the drag
    data->setData(kRowMimeType, QByteArray());
    return data;
}

QString FileListModel::columnCaption(int column)
{
    static const char16_t *const captions[RenameEntry::ColumnCount] = {
        u"原文件名 蓝色表示文件夹与无后缀文件",
        u"修改后文件名(预览)",
        u"后缀名",
        u"文件路径",
        u"处理结果",
        u"上一次名称",
        u"临时名称",
        u"排序名称"};
    if (column < 0 || column >= RenameEntry::ColumnCount)
        return QString();
    return QString::fromUtf16(captions[column]);
}
