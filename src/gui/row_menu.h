#pragma once

#include <functional>

#include <QObject>
#include <QPoint>

class QAction;
class QMenu;
class QWidget;

namespace quorvex {

struct RowMenuState;
struct TMyRec;

/// The row menu `PmTree`, built once and reused so that its items keep the
/// enabled state that the last popup request or manage-column click gave
/// them. The state itself is the core's `RowMenuState`, which the bottom
/// bar's end-process button reads as well.
class RowMenu : public QObject {
    Q_OBJECT
public:
    /// Opens the menu at a screen position; `exec` by default.
    using Opener = std::function<void(QMenu *menu, QPoint globalPos)>;
    /// The mouse cursor's screen position; QCursor::pos() by default.
    using CursorSource = std::function<QPoint()>;

    RowMenu(RowMenuState &state, QWidget *parent = nullptr);

    QMenu *menu() const { return m_menu; }
    QAction *procInfoAction() const { return m_procInfo; }
    QAction *endProcAction() const { return m_endProc; }
    QAction *copyAction() const { return m_copy; }
    QAction *locateAction() const { return m_locate; }
    QAction *propertyAction() const { return m_property; }

    void setOpener(Opener opener) { m_opener = std::move(opener); }
    void setCursorSource(CursorSource source) { m_cursor = std::move(source); }

    /// VTSGetPopupMenu: no row, no menu; otherwise the items follow the row
    /// and the menu opens at `globalPos`.
    void popupForRow(const TMyRec *row, QPoint globalPos);
    /// VTSColumnClick: for the manage column and a focused row, the items
    /// follow that row and the menu opens at the mouse cursor.
    void columnClick(int column, const TMyRec *focusedRow);
    /// VTSDblClick: invokes the process-information item, which acts only
    /// while it is enabled; the items are not set for the row first.
    void doubleClick();
    /// Makes the actions show the state (after someone else changed it).
    void syncActions();

signals:
    void procInfo();
    void endProc();
    void copy();
    void locate();
    void property();

private:
    void open(QPoint globalPos);

    RowMenuState &m_state;
    QMenu *m_menu;
    QAction *m_procInfo;
    QAction *m_endProc;
    QAction *m_copy;
    QAction *m_locate;
    QAction *m_property;
    Opener m_opener;
    CursorSource m_cursor;
};

}  // namespace quorvex
