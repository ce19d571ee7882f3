#pragma once

#include <functional>

#include <QTreeView>

#include "core/list_mouse.h"

namespace quorvex {

class ListHeader;
class RowDelegate;

/// The connection list's view: flat rows of 22 px, one whole row selected
/// at a time, the header of `ListHeader`. It decides nothing about clicks
/// and keys: it reports them with the row and column under the mouse (the
/// main window hands them to the core's WindowController) and carries out
/// what comes back (focusCell). A mouse press selects nothing by itself,
/// and dragging never selects.
class ConnectionView : public QTreeView {
    Q_OBJECT
public:
    /// Milliseconds of a monotonic clock, the time stamps of typed text.
    using Clock = std::function<qint64()>;

    explicit ConnectionView(QWidget *parent = nullptr);

    ListHeader *listHeader() const { return m_header; }
    RowDelegate *rowDelegate() const { return m_delegate; }
    void setModel(QAbstractItemModel *model) override;

    /// Shows or hides the file-detail columns (ColPath, ColDescription,
    /// ColCompany); widths survive.
    void setInfoColumnsVisible(bool visible);

    /// Selects the row and makes it the focused row with `column` as the
    /// focused column, and scrolls it into view.
    void focusCell(int row, int column);
    /// The focused column, which incremental search reads: the current
    /// index's column while it is visible, else the first visible column.
    int focusedColumn() const;
    /// Where the menu key opens the row menu: over the focused row, in the
    /// focused column, on the screen.
    QPoint focusedRowMenuPosition() const;

    void setSearchClock(Clock clock) { m_clock = std::move(clock); }
    void keyboardSearch(const QString &search) override;

signals:
    /// A press, release or double click in the row area: `row` and `column`
    /// under the mouse, -1 where there is none (below the last row).
    void mouseReported(quorvex::ClickKind kind, quorvex::MouseButton button, int row, int column,
                       QPoint globalPos);
    /// The keyboard's menu key (or another keyboard request for a menu).
    void menuKeyPressed();
    /// Text typed while the list has the keyboard focus, with its time.
    void textTyped(const QString &text, qint64 timeMs);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void report(ClickKind kind, QMouseEvent *event);

    ListHeader *m_header;
    RowDelegate *m_delegate;
    Clock m_clock;
};

}  // namespace quorvex
