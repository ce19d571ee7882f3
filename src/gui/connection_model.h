#pragma once

#include <QAbstractTableModel>

#include "core/connection_list.h"

namespace quorvex {

class IconCache;

/// The connection list as a Qt table. It follows the list's own change
/// notices row by row (removals, insertions, changed runs, the sort as a
/// layout change) and is never reset, so the view keeps its selection and
/// scroll position through a refresh.
class ConnectionModel : public QAbstractTableModel, private ConnectionListObserver {
    Q_OBJECT
public:
    explicit ConnectionModel(ConnectionList &list, QObject *parent = nullptr);
    ~ConnectionModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    ConnectionList &List() { return m_list; }
    /// The row icons of the process column (ColProcess); none until the icon
    /// caches exist.
    void SetSmallIcons(IconCache *icons) { m_smallIcons = icons; }

signals:
    /// The list's selected or focused row changed.
    void listSelectionChanged();
    /// The list's order changed (after a sort).
    void listSorted();

private:
    void RowsAboutToBeRemoved(int first, int last) override;
    void RowsRemoved() override;
    void RowsAboutToBeInserted(int first, int last) override;
    void RowsInserted() override;
    void RowsChanged(int first, int last) override;
    void LayoutAboutToBeChanged() override;
    void LayoutChanged(const std::vector<int> &oldToNew) override;
    void SelectionChanged() override;

    ConnectionList &m_list;
    IconCache *m_smallIcons = nullptr;
    // The row count as announced to the views. The list may already hold
    // its new rows when it announces them; the views must see the count
    // change between the begin and end notices and nowhere else.
    int m_rows = 0;
    int m_pending = 0;
};

}  // namespace quorvex
