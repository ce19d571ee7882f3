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
    m_procInfo = m_menu->addAction(FromFixedText(texts::ProcInfoItem));
    m_menu->addSeparator();
    m_endProc = m_menu->addAction(FromFixedText(texts::EndProcItem));
    m_closeConnection = m_menu->addAction(FromFixedText(texts::CloseConnectionItem));
    m_menu->addSeparator();
    m_copy = m_menu->addAction(FromFixedText(texts::CopyItem));
    m_locate = m_menu->addAction(FromFixedText(texts::LocateItem));
    m_property = m_menu->addAction(FromFixedText(texts::PropertyItem));
    m_menu->addSeparator();
    m_export = m_menu->addAction(FromFixedText(texts::ExportItem));
    // The key is the window's own; here it is only named.
    m_export->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m_export->setShortcutContext(Qt::WidgetShortcut);
    const std::pair<QAction *, RowCommand> items[] = {{m_procInfo, RowCommand::ProcInfo},
                                                      {m_endProc, RowCommand::EndProc},
                                                      {m_copy, RowCommand::Copy},
                                                      {m_locate, RowCommand::Locate},
                                                      {m_property, RowCommand::Property},
                                                      {m_closeConnection, RowCommand::CloseConnection},
                                                      {m_export, RowCommand::Export}};
    for (const auto &[action, command] : items)
        connect(action, &QAction::triggered, this, [this, command = command] { emit commandChosen(command); });
    syncActions();
}

void RowMenu::syncActions()
{
    m_procInfo->setEnabled(m_state.ProcInfo);
    m_endProc->setEnabled(m_state.EndProc);
    m_locate->setEnabled(m_state.Locate);
    m_property->setEnabled(m_state.Property);
    m_closeConnection->setEnabled(m_state.CloseConnection);
    m_copy->setEnabled(m_state.Copy);
}

void RowMenu::open(QPoint globalPos)
{
    syncActions();
    if (m_opener)
        m_opener(m_menu, globalPos);
}

}  // namespace quorvex
