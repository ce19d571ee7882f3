#include "gui/row_menu.h"

#include <QCursor>
#include <QKeySequence>
#include <QMenu>

#include "core/fixed_texts.h"
#include "gui/system_text.h"

namespace quorvex {

RowMenu::RowMenu(const RowMenuState &state, QWidget *parent)
    : QObject(parent), m_state(state), m_menu(new QMenu(parent)),
      m_opener([](QMenu *menu, QPoint pos) { menu->exec(pos); }), m_cursor([] { return QCursor::pos(); })
{
    m_menu->setObjectName(QStringLiteral("PmTree"));
    for (const RowMenuItem &item : RowMenuItems) {
        if (item.Separator) {
            m_menu->addSeparator();
            continue;
        }
        QAction *action = m_menu->addAction(FromFixedText(item.Caption));
        connect(action, &QAction::triggered, this, [this, command = item.Command] { emit commandChosen(command); });
        if (item.Key) {
            // The key is the window's own; here it is only named.
            action->setShortcut(QKeySequence(QString::fromLatin1(item.Key)));
            action->setShortcutContext(Qt::WidgetShortcut);
        }
        m_actions[static_cast<size_t>(item.Command)] = action;
    }
    syncActions();
}

void RowMenu::syncActions()
{
    for (size_t command = 0; command < m_actions.size(); ++command) {
        if (m_actions[command])
            m_actions[command]->setEnabled(m_state.Enabled(static_cast<RowCommand>(command)));
    }
}

void RowMenu::open(QPoint globalPos)
{
    syncActions();
    if (m_opener)
        m_opener(m_menu, globalPos);
}

}  // namespace quorvex
