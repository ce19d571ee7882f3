#pragma once

#include <functional>

#include <QTreeView>

namespace quorvex {

class ListHeader;
class RowDelegate;

/// The connection list's view: flat rows of 22 px, one whole row selected
/// at a time, the header of `ListHeader`, and the list's own reports of
/// clicks (popup requests, manage-column clicks, double clicks) for the
/// main window to answer. Incremental search is case-sensitive, on the
/// focused column, from the focused row on, with a 200 ms pause between
/// characters starting a new search.
class ConnectionView : public QTreeView {
    Q_OBJECT
public:
    /// Milliseconds of a monotonic clock, for the incremental search.
    using Clock = std::function<qint64()>;

    explicit ConnectionView(QWidget *parent = nullptr);

    ListHeader *listHeader() const { return m_header; }
    RowDelegate *rowDelegate() const { return m_delegate; }
    void setModel(QAbstractItemModel *model) override;

    /// Shows or hides the file-detail columns 10 to 12; widths survive.
    void setInfoColumnsVisible(bool visible);

    /// Selects the row and makes it the focused row, keeping the focused column.
    void focusRow(int row);
    /// The column that incremental search reads: the current index's column
    /// while it is visible, else the first visible column.
    int focusedColumn() const;

    void setSearchClock(Clock clock) { m_clock = std::move(clock); }
    void keyboardSearch(const QString &search) override;

    static constexpr int SearchPauseMs = 200;

signals:
    /// A right click on a row or the menu key over the focused row.
    void popupRequested(int row, QPoint globalPos);
    /// A left click in the manage column on a row; the press made it focused.
    void manageColumnClicked(int row, QPoint globalCursorPos);
    /// A double click of the left button anywhere in the row area.
    void rowDoubleClicked();
    /// The focused row changed (-1 for none).
    void focusedRowChanged(int row);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void pressRow(QMouseEvent *event);

    ListHeader *m_header;
    RowDelegate *m_delegate;
    Clock m_clock;
    QString m_searchText;
    qint64 m_lastSearchKey = 0;
    int m_pressColumn = -1;  // column of the left press on a row, for the column click
};

}  // namespace quorvex
