#include "gui/connection_model.h"

#include <QColor>

#include "core/columns.h"
#include "gui/icon_cache.h"
#include "gui/system_text.h"

namespace quorvex {

ConnectionModel::ConnectionModel(FilterView &rows, QObject *parent)
    : QAbstractTableModel(parent), m_rows(rows), m_count(rows.RowCount())
{
    m_rows.SetObserver(this);
}

ConnectionModel::~ConnectionModel()
{
    m_rows.SetObserver(nullptr);
}

int ConnectionModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_count;
}

int ConnectionModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ConnectionModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.RowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        // Taken from the record at every call; nothing is cached.
        return FromSystemText(VTSGetText(&m_rows.Record(index.row()), index.column()));
    case Qt::DecorationRole:
        // Asked at every paint of the cell; the cache answers from memory.
        if (index.column() == ColProcess && m_smallIcons)
            return m_smallIcons->Decoration(m_rows.Record(index.row()).ProcessPath);
        return {};
    case Qt::BackgroundRole: {
        const RowChange change = m_rows.Change(index.row());
        if (change == RowChange::None)
            return {};
        const Rgb colour = change == RowChange::Added ? AddedRowColour : LeavingRowColour;
        return QColor(colour.Red, colour.Green, colour.Blue);
    }
    case Qt::TextAlignmentRole:
        if (index.column() == ColManage)
            return QVariant::fromValue(Qt::AlignCenter);
        if (GetColumnInfo(index.column()).AlignRight)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant ConnectionModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return FromFixedText(GetColumnInfo(section).Caption);
    if (role == Qt::TextAlignmentRole && section == ColManage)
        return QVariant::fromValue(Qt::AlignCenter);
    return {};
}

Qt::ItemFlags ConnectionModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void ConnectionModel::RowsAboutToBeRemoved(int first, int last)
{
    m_pending = last - first + 1;
    beginRemoveRows({}, first, last);
}

void ConnectionModel::RowsRemoved()
{
    m_count -= m_pending;
    m_pending = 0;
    endRemoveRows();
}

void ConnectionModel::RowsAboutToBeInserted(int first, int last)
{
    m_pending = last - first + 1;
    beginInsertRows({}, first, last);
}

void ConnectionModel::RowsInserted()
{
    m_count += m_pending;
    m_pending = 0;
    endInsertRows();
}

void ConnectionModel::RowsChanged(int first, int last)
{
    emit dataChanged(index(first, ColPid), index(last, ColumnCount - 1));
}

void ConnectionModel::LayoutAboutToBeChanged()
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ConnectionModel::LayoutChanged(const std::vector<int> &oldToNew)
{
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &old : from) {
        const auto row = static_cast<size_t>(old.row());
        const int moved = row < oldToNew.size() ? oldToNew[row] : old.row();
        to.append(moved >= 0 ? index(moved, old.column()) : QModelIndex());
    }
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    emit listSorted();
}

void ConnectionModel::SelectionChanged()
{
    emit listSelectionChanged();
}

}  // namespace quorvex
