#pragma once

// A small table model over ConnectionList for the widget tests: display
// texts from VTSGetText, captions from the column table, and row-by-row
// notifications from the list's observer.

#include <QAbstractTableModel>

#include "core/columns.h"
#include "core/connection_list.h"

namespace quorvex::test {

class ListTestModel : public QAbstractTableModel, private ConnectionListObserver {
public:
    explicit ListTestModel(ConnectionList &list) : m_list(list) { m_list.SetObserver(this); }
    ~ListTestModel() override { m_list.SetObserver(nullptr); }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_list.RowCount(); }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : ColumnCount; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return QString::fromStdString(VTSGetText(&m_list.Record(index.row()), index.column()));
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (o != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
            return {};
        return QString::fromUtf8(GetColumnInfo(section).Caption);
    }

private:
    void RowsAboutToBeRemoved(int first, int last) override { beginRemoveRows({}, first, last); }
    void RowsRemoved() override { endRemoveRows(); }
    void RowsAboutToBeInserted(int first, int last) override { beginInsertRows({}, first, last); }
    void RowsInserted() override { endInsertRows(); }
    void RowsChanged(int first, int last) override
    {
        emit dataChanged(index(first, 0), index(last, ColumnCount - 1));
    }
    void LayoutAboutToBeChanged() override { emit layoutAboutToBeChanged(); }
    void LayoutChanged(const std::vector<int> &oldToNew) override
    {
        const auto persistent = persistentIndexList();
        for (const auto &idx : persistent)
            changePersistentIndex(idx, index(oldToNew[static_cast<size_t>(idx.row())], idx.column()));
        emit layoutChanged();
    }
    void SelectionChanged() override {}

    ConnectionList &m_list;
};

}  // namespace quorvex::test

#include "gui/connection_view.h"
#include "platform/fake/fake_platform.h"

namespace quorvex::test {

// Widths and visibility as the main window creates them.
inline void ConfigureColumns(ConnectionView &view)
{
    for (int c = 0; c < ColumnCount; ++c) {
        if (c != ColManage)
            view.setColumnWidth(c, GetColumnInfo(c).Width);
        view.setColumnHidden(c, !GetColumnInfo(c).VisibleAtStart);
    }
}

// Four rows; "idle" has no path.
inline TcpUdpTables SampleTables()
{
    TcpUdpTables t;
    t.TcpRecs = {FakeTcp("10.0.0.2", 80, "1.2.3.4", 5000, 5, 10, "bravo", "/usr/bin/bravo"),
                 FakeTcp("192.168.1.9", 22, "1.2.3.5", 6000, 2, 11, "alpha", "/usr/bin/alpha"),
                 FakeTcp("10.0.0.10", 443, "1.2.3.6", 7000, 5, 12, "idle", "")};
    t.UdpRecs = {FakeUdp("0.0.0.0", 53, 13, "Charlie", "/usr/sbin/charlie")};
    return t;
}

}  // namespace quorvex::test
