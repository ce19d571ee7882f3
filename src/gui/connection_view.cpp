#include "gui/connection_view.h"

#include <QContextMenuEvent>
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
    for (int column : InfoColumns)
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

void ConnectionView::focusCell(int row, int column)
{
    if (!model() || row < 0 || row >= model()->rowCount(rootIndex()))
        return;
    const QModelIndex index = model()->index(row, column >= 0 ? column : focusedColumn(), rootIndex());
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

QPoint ConnectionView::focusedRowMenuPosition() const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return viewport()->mapToGlobal(QPoint(0, 0));
    const QRect cell = visualRect(model()->index(current.row(), focusedColumn(), rootIndex()));
    return viewport()->mapToGlobal(QPoint(cell.left() + 8, cell.center().y()));
}

void ConnectionView::keyboardSearch(const QString &search)
{
    if (!search.isEmpty())
        emit textTyped(search, m_clock());
}

void ConnectionView::report(ClickKind kind, QMouseEvent *event)
{
    event->accept();
    MouseButton button = MouseButton::Other;
    if (event->button() == Qt::LeftButton)
        button = MouseButton::Left;
    else if (event->button() == Qt::RightButton)
        button = MouseButton::Right;
    const QModelIndex index = indexAt(event->position().toPoint());
    emit mouseReported(kind, button, index.isValid() ? index.row() : -1, index.isValid() ? index.column() : -1,
                       event->globalPosition().toPoint());
}

void ConnectionView::mousePressEvent(QMouseEvent *event)
{
    report(ClickKind::Press, event);
}

void ConnectionView::mouseReleaseEvent(QMouseEvent *event)
{
    report(ClickKind::Release, event);
}

void ConnectionView::mouseMoveEvent(QMouseEvent *event)
{
    // No selection by dragging; without a button the move shows tooltips
    // and hover as usual.
    if (event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QTreeView::mouseMoveEvent(event);
}

void ConnectionView::mouseDoubleClickEvent(QMouseEvent *event)
{
    report(ClickKind::DoubleClick, event);
}

void ConnectionView::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    // A right click is answered at the button's release; only the menu key
    // (and other keyboard requests) arrive here.
    if (event->reason() != QContextMenuEvent::Mouse)
        emit menuKeyPressed();
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
