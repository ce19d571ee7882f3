#include "gui/row_menu.h"

#include <QCursor>
#include <QMenu>

#include "core/columns.h"
#include "core/fixed_texts.h"
#include "core/row_menu_state.h"
#include "gui/system_text.h"

namespace quorvex {

RowMenu::RowMenu(RowMenuState &state, QWidget *parent)
    : QObject(parent), m_state(state), m_menu(new QMenu(parent)),
      m_opener([](QMenu *menu, QPoint pos) { menu->exec(pos); }), m_cursor([] { return QCursor::pos(); })
{
    m_menu->setObjectName(QStringLiteral("PmTree"));
    m_procInfo = m_menu->addAction(FromFixedText(texts::ProcInfoItem));
    m_menu->addSeparator();
    m_endProc = m_menu->addAction(FromFixedText(texts::EndProcItem));
    m_menu->addSeparator();
    m_copy = m_menu->addAction(FromFixedText(texts::CopyItem));
    m_locate = m_menu->addAction(FromFixedText(texts::LocateItem));
    m_property = m_menu->addAction(FromFixedText(texts::PropertyItem));
    connect(m_procInfo, &QAction::triggered, this, &RowMenu::procInfo);
    connect(m_endProc, &QAction::triggered, this, &RowMenu::endProc);
    connect(m_copy, &QAction::triggered, this, &RowMenu::copy);
    connect(m_locate, &QAction::triggered, this, &RowMenu::locate);
    connect(m_property, &QAction::triggered, this, &RowMenu::property);
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
    if (m_opener)
        m_opener(m_menu, globalPos);
}

void RowMenu::popupForRow(const TMyRec *row, QPoint globalPos)
{
    if (!row)
        return;
    m_state.EnableRowItems(*row);
    syncActions();
    open(globalPos);
}

void RowMenu::columnClick(int column, const TMyRec *focusedRow)
{
    if (column != ColManage || !focusedRow)
        return;
    m_state.EnableRowItems(*focusedRow);
    syncActions();
    open(m_cursor());
}

void RowMenu::doubleClick()
{
    syncActions();
    // A disabled action ignores trigger(), exactly as a disabled item would.
    m_procInfo->trigger();
}

}  // namespace quorvex
