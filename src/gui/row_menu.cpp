#include "gui/row_menu.h"

#include <QCursor>
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
        switch (item.Command) {
        case RowCommand::ProcInfo: m_procInfo = action; break;
        case RowCommand::EndProc: m_endProc = action; break;
        case RowCommand::Copy: m_copy = action; break;
        case RowCommand::Locate: m_locate = action; break;
        case RowCommand::Property: m_property = action; break;
        }
    }
    syncActions();
}

void RowMenu::syncActions()
{
    m_procInfo->setEnabled(m_state.ProcInfo);
    m_endProc->setEnabled(m_state.EndProc);
    m_locate->setEnabled(m_state.Locate);
    m_property->setEnabled(m_state.Property);
}

void RowMenu::open(QPoint globalPos)
{
    syncActions();
    if (m_opener)
        m_opener(m_menu, globalPos);
}

}  // namespace quorvex
