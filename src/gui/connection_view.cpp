#include "gui/connection_view.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QElapsedTimer>
#include <QMouseEvent>

#include "core/columns.h"
#include "gui/list_header.h"
#include "gui/row_delegate.h"

namespace quorvex {

namespace {
qint64 MonotonicMs()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}
}  // namespace

ConnectionView::ConnectionView(QWidget *parent)
    : QTreeView(parent), m_header(new ListHeader(this)), m_delegate(new RowDelegate(this)), m_clock(MonotonicMs)
{
    setHeader(m_header);
    setItemDelegate(m_delegate);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // No focus frame: the style would lay it over the selected row and its
    // manage icon.
    setAllColumnsShowFocus(false);
    setSortingEnabled(false);
    setDragEnabled(false);
    setIconSize(QSize(16, 16));
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setContextMenuPolicy(Qt::DefaultContextMenu);

    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(11);
    setFont(f);
    QPalette pal = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base, Qt::white);
        // Whatever the style paints for a selection stays green as well.
        pal.setColor(group, QPalette::Highlight, RowDelegate::SelectedColor);
    }
    setPalette(pal);
}

void ConnectionView::setModel(QAbstractItemModel *model)
{
    QTreeView::setModel(model);
    m_header->applyColumnLimits();
}

void ConnectionView::setInfoColumnsVisible(bool visible)
{
    // QHeaderView remembers a hidden section's size, so the user's width
    // comes back with the column.
    for (int column : {ColPath, ColDescription, ColCompany})
        setColumnHidden(column, !visible);
}

int ConnectionView::focusedColumn() const
{
    const QModelIndex current = currentIndex();
    if (current.isValid() && !isColumnHidden(current.column()))
        return current.column();
    for (int visual = 0; visual < m_header->count(); ++visual) {
        const int logical = m_header->logicalIndex(visual);
        if (!m_header->isSectionHidden(logical))
            return logical;
    }
    return 0;
}

void ConnectionView::focusRow(int row)
{
    if (!model() || row < 0 || row >= model()->rowCount(rootIndex()))
        return;
    const QModelIndex index = model()->index(row, focusedColumn(), rootIndex());
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void ConnectionView::keyboardSearch(const QString &search)
{
    if (!model() || search.isEmpty())
        return;
    const qint64 now = m_clock();
    const bool extend = !m_searchText.isEmpty() && now - m_lastSearchKey < SearchPauseMs;
    m_lastSearchKey = now;
    m_searchText = extend ? m_searchText + search : search;

    const int rows = model()->rowCount(rootIndex());
    const int column = focusedColumn();
    const int start = currentIndex().isValid() ? currentIndex().row() : 0;
    for (int i = 0; i < rows; ++i) {
        const int row = (start + i) % rows;
        const QString text = model()->index(row, column, rootIndex()).data(Qt::DisplayRole).toString();
        if (text.startsWith(m_searchText, Qt::CaseSensitive)) {
            focusRow(row);
            return;
        }
    }
}

void ConnectionView::pressRow(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ConnectionView::mousePressEvent(QMouseEvent *event)
{
    m_pressColumn = -1;
    const Qt::MouseButton button = event->button();
    if (button != Qt::LeftButton && button != Qt::RightButton) {
        event->accept();
        return;
    }
    // Both buttons select the row under the mouse and make it the focused
    // row, the right one before the popup request. A press below the rows
    // keeps the selection, and dragging selects nothing.
    pressRow(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (button == Qt::LeftButton && index.isValid())
        m_pressColumn = index.column();
    event->accept();
}

void ConnectionView::mouseReleaseEvent(QMouseEvent *event)
{
    const int pressColumn = m_pressColumn;
    m_pressColumn = -1;
    event->accept();
    if (event->button() == Qt::RightButton) {
        // The menu of a right click comes at the release, as on Windows,
        // after the press has made the row the focused one.
        // If the mouse moved to another row meanwhile, that row is the one
        // the menu is for, so it becomes the focused row too.
        const QModelIndex index = indexAt(event->position().toPoint());
        if (!index.isValid())
            return;
        if (index.row() != currentIndex().row())
            pressRow(event);
        emit popupRequested(index.row(), event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton || pressColumn < 0)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || index.column() != pressColumn || pressColumn != ColManage)
        return;
    const QModelIndex current = currentIndex();
    if (current.isValid())
        emit manageColumnClicked(current.row(), QCursor::pos());
}

void ConnectionView::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QTreeView::mouseMoveEvent(event);
}

void ConnectionView::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_pressColumn = -1;
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    pressRow(event);
    emit rowDoubleClicked();
}

void ConnectionView::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    // A right click is answered at the button's release; only the menu key
    // (and other keyboard requests) arrive here.
    if (event->reason() == QContextMenuEvent::Mouse)
        return;
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    const QRect cell = visualRect(model()->index(current.row(), focusedColumn(), rootIndex()));
    emit popupRequested(current.row(), viewport()->mapToGlobal(QPoint(cell.left() + 8, cell.center().y())));
}

void ConnectionView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTreeView::currentChanged(current, previous);
    emit focusedRowChanged(current.isValid() ? current.row() : -1);
}

void ConnectionView::focusInEvent(QFocusEvent *event)
{
    QTreeView::focusInEvent(event);
    viewport()->update();
}

void ConnectionView::focusOutEvent(QFocusEvent *event)
{
    QTreeView::focusOutEvent(event);
    viewport()->update();
}

}  // namespace quorvex
