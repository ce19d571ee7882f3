#pragma once

#include <functional>

#include <QObject>
#include <QPoint>

#include "core/row_menu_state.h"

class QAction;
class QMenu;
class QWidget;

namespace quorvex {

/// The row menu `PmTree`, built once and reused. Which items are enabled is
/// the core's RowMenuState (set by WindowController's VTSGetPopupMenu and
/// VTSColumnClick, read by the bottom bar's end-process button as well);
/// the menu shows it when it opens. A chosen item is reported with its
/// command; whether it acts is the WindowController's decision.
class RowMenu : public QObject {
    Q_OBJECT
public:
    /// Opens the menu at a screen position; `exec` by default.
    using Opener = std::function<void(QMenu *menu, QPoint globalPos)>;
    /// The mouse cursor's screen position; QCursor::pos() by default.
    using CursorSource = std::function<QPoint()>;

    RowMenu(const RowMenuState &state, QWidget *parent = nullptr);

    QMenu *menu() const { return m_menu; }
    QAction *procInfoAction() const { return m_procInfo; }
    QAction *endProcAction() const { return m_endProc; }
    QAction *copyAction() const { return m_copy; }
    QAction *locateAction() const { return m_locate; }
    QAction *propertyAction() const { return m_property; }

    void setOpener(Opener opener) { m_opener = std::move(opener); }
    void setCursorSource(CursorSource source) { m_cursor = std::move(source); }
    QPoint cursorPos() const { return m_cursor(); }

    /// Shows the state on the items and opens the menu at `globalPos`;
    /// returns when it has closed.
    void open(QPoint globalPos);
    /// Makes the actions show the state (after someone else changed it).
    void syncActions();

signals:
    void commandChosen(quorvex::RowCommand command);

private:
    const RowMenuState &m_state;
    QMenu *m_menu;
    QAction *m_procInfo = nullptr;
    QAction *m_endProc = nullptr;
    QAction *m_copy = nullptr;
    QAction *m_locate = nullptr;
    QAction *m_property = nullptr;
    Opener m_opener;
    CursorSource m_cursor;
};

}  // namespace quorvex
