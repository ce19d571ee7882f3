#include "gui/row_delegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include "core/columns.h"

static void initManageResource()
{
    Q_INIT_RESOURCE(manage);
}

namespace quorvex {

RowDelegate::RowDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

const QImage &RowDelegate::manageIcon()
{
    // An image rather than a pixmap: it may outlive the application object.
    static const QImage icon = [] {
        initManageResource();
        return QImage(QStringLiteral(":/icons/manage.png")).convertToFormat(QImage::Format_RGB32);
    }();
    return icon;
}

QSize RowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    return {QStyledItemDelegate::sizeHint(option, index).width(), RowHeight};
}

void RowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const bool selected = opt.state & QStyle::State_Selected;
    const QWidget *view = opt.widget;
    // The focus is the view's, not the window's: a list that lost the focus
    // to another control of an active window still dims its text.
    const bool focused = view && view->hasFocus();

    painter->save();
    if (selected) {
        // Background and border in one colour, focused or not.
        painter->fillRect(opt.rect, SelectedColor);
        const QColor text = focused ? opt.palette.color(QPalette::Active, QPalette::HighlightedText)
                                    : opt.palette.color(QPalette::Active, QPalette::Text);
        opt.palette.setColor(QPalette::Text, text);
        opt.palette.setColor(QPalette::HighlightedText, text);
        opt.state &= ~QStyle::State_Selected;
    } else {
        // A highlighted change (the model's background) under the grid.
        if (opt.backgroundBrush.style() != Qt::NoBrush)
            painter->fillRect(opt.rect, opt.backgroundBrush);
        painter->setPen(GridColor);
        painter->drawLine(opt.rect.topRight(), opt.rect.bottomRight());
        painter->drawLine(opt.rect.bottomLeft(), opt.rect.bottomRight());
    }
    opt.state &= ~QStyle::State_HasFocus;
    opt.backgroundBrush = Qt::NoBrush;
    const QStyle *style = view ? view->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, view);
    painter->restore();

    VTSAfterCellPaint(painter, index, option.rect);
}

void RowDelegate::VTSAfterCellPaint(QPainter *painter, const QModelIndex &index, const QRect &cellRect) const
{
    if (!index.isValid() || index.column() != ColManage)
        return;
    painter->drawImage(cellRect.left() + layout::ManageIconLeft, cellRect.top() + layout::ManageIconTop, manageIcon());
}

bool RowDelegate::isElided(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (opt.text.isEmpty())
        return false;
    const QWidget *view = opt.widget;
    const QStyle *style = view ? view->style() : QApplication::style();
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, view);
    // The style keeps a small margin on each side of the text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    return opt.fontMetrics.horizontalAdvance(opt.text) > textRect.width() - 2 * margin;
}

bool RowDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                            const QModelIndex &index)
{
    if (!event || !view || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    if (index.isValid() && isElided(option, index)) {
        QToolTip::showText(event->globalPos(), index.data(Qt::DisplayRole).toString(), view->viewport(),
                           option.rect);
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

}  // namespace quorvex
