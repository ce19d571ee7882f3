#pragma once

#include <QAbstractTableModel>

#include "core/filter_view.h"

namespace quorvex {

class IconCache;

/// The connection list as a Qt table: the rows the filter shows
/// (FilterView). It follows the view's change notices row by row (removals,
/// insertions, changed runs, the sort as a layout change) and is never
/// reset, so the view keeps its selection and scroll position through a
/// refresh and a new filter text. A row's highlighted change (RowChange) is
/// its background.
class ConnectionModel : public QAbstractTableModel, private ConnectionListObserver {
    Q_OBJECT
public:
    explicit ConnectionModel(FilterView &rows, QObject *parent = nullptr);
    ~ConnectionModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    FilterView &Rows() { return m_rows; }
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

    FilterView &m_rows;
    IconCache *m_smallIcons = nullptr;
    // The row count as announced to the views. The list may already hold
    // its new rows when it announces them; the views must see the count
    // change between the begin and end notices and nowhere else.
    int m_count = 0;
    int m_pending = 0;
};

}  // namespace quorvex
