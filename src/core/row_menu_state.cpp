#include "core/row_menu_state.h"

#include "core/close_connection.h"

namespace quorvex {

void RowMenuState::EnableRowItems(const TMyRec &rec)
{
    const bool hasPath = !rec.ProcessPath.empty();
    ProcInfo = hasPath;
    EndProc = hasPath;
    Locate = hasPath;
    Property = hasPath;
    CloseConnection = CanCloseConnection(rec);
    Copy = true;
}

void RowMenuState::DisableRowItems()
{
    ProcInfo = false;
    EndProc = false;
    Locate = false;
    Property = false;
    Copy = false;
    CloseConnection = false;
}

bool RowMenuState::Enabled(RowCommand command) const
{
    switch (command) {
    case RowCommand::ProcInfo: return ProcInfo;
    case RowCommand::EndProc: return EndProc;
    case RowCommand::Copy: return Copy;
    case RowCommand::Locate: return Locate;
    case RowCommand::Property: return Property;
    case RowCommand::CloseConnection: return CloseConnection;
    case RowCommand::Export: break;
    }
    return true;
}

}  // namespace quorvex
