#pragma once

#include "list/ListColours.h"
#include "list/RowStore.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>

// The rows of the store as the list shows them: eight columns of text, the
// check box, the colours and the plan's warning marks. The store is the one
// place the rows live; this adds nothing to them but how they look, so there
// is no proxy model between the view and the rows.
class FileListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit FileListModel(QObject *parent = nullptr);

    RowStore &store() { return m_store; }
    const RowStore &store() const { return m_store; }

    // The text colours for the background the rows are painted on; the view
    // that shows them says which, whenever its palette changes.
    void setColours(const ListColours &colours);
    const ListColours &colours() const { return m_colours; }

    // QAbstractItemModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;

    static QString columnCaption(int column);

private:
    void onReordered(const std::vector<int> &newPosition);
    QIcon warningIcon() const;

    RowStore m_store;
    mutable QIcon m_warningIcon;
    ListColours m_colours;
};
