#pragma once

#include <QHeaderView>

#include "core/list_mouse.h"
#include "core/window_layout.h"

namespace quorvex {

/// The list's header: flat and white with black captions, the caption under
/// the mouse in blue, a sort glyph for the sort column (none for -1), and a
/// click report that Qt's own header lacks: the column when the left button
/// is pressed and released over the same column, -1 when it is released
/// elsewhere. Only the remark column can be dragged to another place; the
/// manage column keeps its fixed width.
class ListHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit ListHeader(QWidget *parent = nullptr);

    /// Shows the glyph for `column` (none for -1) in the given direction.
    void setSortState(int column, Qt::SortOrder order);
    int hotSection() const { return m_hot; }

    /// Applies the fixed size of the manage column; call after a model is set.
    void applyColumnLimits();
    void setModel(QAbstractItemModel *model) override;

    static constexpr int Height = layout::HeaderHeight;

signals:
    /// A header click as the list reports it: a column, or -1.
    void headerClicked(int column);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    bool onDivider(int x) const;
    void setHot(int section);
    bool startPress(QMouseEvent *event);

    HeaderMouseRules m_clicks;
    int m_hot = -1;
};

}  // namespace quorvex
