#pragma once

#include <array>
#include <cstddef>
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
    /// The item of a command.
    QAction *action(RowCommand command) const { return m_actions[static_cast<size_t>(command)]; }
    QAction *procInfoAction() const { return action(RowCommand::ProcInfo); }
    QAction *endProcAction() const { return action(RowCommand::EndProc); }
    QAction *copyAction() const { return action(RowCommand::Copy); }
    QAction *locateAction() const { return action(RowCommand::Locate); }
    QAction *propertyAction() const { return action(RowCommand::Property); }
    QAction *closeConnectionAction() const { return action(RowCommand::CloseConnection); }
    QAction *exportAction() const { return action(RowCommand::Export); }

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
    // The menu's action of each command, by RowCommand's value.
    std::array<QAction *, static_cast<size_t>(RowCommand::Export) + 1> m_actions{};
    Opener m_opener;
    CursorSource m_cursor;
};

}  // namespace quorvex
