#pragma once

#include <QImage>
#include <QStyledItemDelegate>

#include "core/window_layout.h"

namespace quorvex {

/// Paints the list's cells: the selected row green with its texts in the
/// highlight-text colour while the list has the focus and in the normal text
/// colour otherwise, another row on the model's background (a highlighted
/// change) if it has one, grid lines, and the manage icon over the manage column
/// (ColManage) after the cell itself. Shows a cell's full text as a tooltip only when it is elided.
class RowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit RowDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

    /// True when the cell's text does not fit the room that the cell gives it.
    bool isElided(const QStyleOptionViewItem &option, const QModelIndex &index) const;

    /// The manage icon `Image1`: 19 x 18, 32 bits per pixel, opaque.
    static const QImage &manageIcon();

    static constexpr int RowHeight = layout::RowHeight;
    static inline const QColor SelectedColor{layout::SelectedRowColour.R, layout::SelectedRowColour.G,
                                             layout::SelectedRowColour.B};
    // Windows draws the grid in the active caption's system colour; Qt has no
    // role for it, so the classic default stands in.
    static inline const QColor GridColor{153, 180, 209};

private:
    // Runs after the cell has been painted.
    void VTSAfterCellPaint(QPainter *painter, const QModelIndex &index, const QRect &cellRect) const;
};

}  // namespace quorvex
