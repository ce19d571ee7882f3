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
}

bool RowMenuState::Enabled(RowCommand command) const
{
    switch (command) {
    case RowCommand::ProcInfo: return ProcInfo;
    case RowCommand::EndProc: return EndProc;
    case RowCommand::Copy: break;
    case RowCommand::Locate: return Locate;
    case RowCommand::Property: return Property;
    case RowCommand::CloseConnection: return CloseConnection;
    }
    return true;
}

}  // namespace quorvex
