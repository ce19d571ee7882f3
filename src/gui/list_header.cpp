#include "gui/list_header.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include "core/columns.h"

namespace quorvex {

namespace {
const QColor HotCaption(layout::HotCaptionColour.R, layout::HotCaptionColour.G, layout::HotCaptionColour.B);
const QColor DividerColor(208, 208, 208);
}  // namespace

ListHeader::ListHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    // Qt's own clicking would flip the indicator by itself and stays silent
    // for a press and release over different sections: clicks are ours.
    setSectionsClickable(false);
    setSectionsMovable(false);
    setHighlightSections(false);
    setStretchLastSection(false);
    setSortIndicatorShown(true);
    setSortIndicator(-1, Qt::AscendingOrder);
    setMouseTracking(true);
    setFixedHeight(Height);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont f(QString::fromLatin1(layout::HeaderFontFace));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(layout::HeaderFontHeight);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::Button, Qt::white);
    pal.setColor(QPalette::ButtonText, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
}

void ListHeader::setModel(QAbstractItemModel *model)
{
    QHeaderView::setModel(model);
    applyColumnLimits();
}

void ListHeader::applyColumnLimits()
{
    if (count() <= ColManage)
        return;
    for (int column = 0; column < count() && column < ColumnCount; ++column) {
        const ColumnInfo &info = GetColumnInfo(column);
        if (info.Fixed) {
            setSectionResizeMode(column, QHeaderView::Fixed);
            resizeSection(column, info.Width);
        }
    }
}

void ListHeader::setSortState(int column, Qt::SortOrder order)
{
    setSortIndicator(column, order);
    viewport()->update();
}

void ListHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    painter->save();
    painter->fillRect(rect, Qt::white);
    painter->setPen(DividerColor);
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());

    QRect textRect = rect.adjusted(4, 0, -4, 0);
    const bool sorted = sortIndicatorSection() == logicalIndex && logicalIndex >= 0;
    if (sorted) {
        const int s = 7;
        const QRect glyph(rect.right() - 4 - s, rect.center().y() - s / 2 + 1, s, s / 2 + 1);
        QPolygon tri;
        if (sortIndicatorOrder() == Qt::AscendingOrder)
            tri << QPoint(glyph.left(), glyph.bottom()) << QPoint(glyph.right(), glyph.bottom())
                << QPoint(glyph.center().x(), glyph.top());
        else
            tri << QPoint(glyph.left(), glyph.top()) << QPoint(glyph.right(), glyph.top())
                << QPoint(glyph.center().x(), glyph.bottom());
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(96, 96, 96));
        painter->drawPolygon(tri);
        textRect.setRight(glyph.left() - 3);
    }
    const Qt::Alignment align =
        GetColumnInfo(logicalIndex).Fixed ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
    const QString caption = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    painter->setPen(logicalIndex == m_hot ? HotCaption : QColor(Qt::black));
    painter->setFont(font());
    painter->drawText(textRect, align,
                      painter->fontMetrics().elidedText(caption, Qt::ElideRight, textRect.width()));
    painter->restore();
}

bool ListHeader::onDivider(int x) const
{
    // Where QHeaderView starts a resize: near the right edge of a section,
    // which then is the one resized, or near the left edge of a section,
    // where the nearest visible section before it is. Only a section the
    // user may resize makes a divider there; the left edge of the first
    // visible section, and both edges of the fixed manage column, are
    // ordinary parts of the caption and take clicks.
    const int margin = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
    int visual = visualIndexAt(x);
    if (visual < 0)
        return false;
    const int logical = logicalIndex(visual);
    const int pos = sectionViewportPosition(logical);
    int handle = -1;
    if (x < pos + margin) {
        while (--visual >= 0 && handle < 0) {
            if (!isSectionHidden(logicalIndex(visual)))
                handle = logicalIndex(visual);
        }
    } else if (x > pos + sectionSize(logical) - margin) {
        handle = logical;
    }
    return handle >= 0 && sectionResizeMode(handle) == QHeaderView::Interactive;
}

bool ListHeader::startPress(QMouseEvent *event)
{
    const int x = event->position().toPoint().x();
    if (event->button() != Qt::LeftButton)
        return false;
    const int pressed = onDivider(x) ? NoColumn : logicalIndexAt(x);
    m_clicks.Press(pressed);
    // QHeaderView decides at the press whether a drag moves the section.
    setSectionsMovable(pressed == MovableColumn);
    return pressed >= 0;
}

void ListHeader::mousePressEvent(QMouseEvent *event)
{
    startPress(event);
    QHeaderView::mousePressEvent(event);
}

void ListHeader::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a quick double click counts as a press of its own;
    // on a divider Qt's handling fits the column.
    if (!startPress(event))
        QHeaderView::mouseDoubleClickEvent(event);
}

void ListHeader::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    const bool moved = sectionsMovable() && visualIndex(MovableColumn) != visualIndexAt(p.x());
    QHeaderView::mouseReleaseEvent(event);
    setSectionsMovable(false);
    if (event->button() != Qt::LeftButton)
        return;
    if (const std::optional<int> column = m_clicks.Release(rect().contains(p) ? logicalIndexAt(p.x()) : NoColumn, moved))
        emit headerClicked(*column);
}

void ListHeader::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    setHot(rect().contains(p) ? logicalIndexAt(p.x()) : -1);
    QHeaderView::mouseMoveEvent(event);
}

void ListHeader::leaveEvent(QEvent *event)
{
    setHot(-1);
    QHeaderView::leaveEvent(event);
}

void ListHeader::setHot(int section)
{
    if (section == m_hot)
        return;
    m_hot = section;
    viewport()->update();
}

}  // namespace quorvex
