#include "core/row_menu_state.h"

namespace quorvex {

void RowMenuState::EnableRowItems(const TMyRec &rec)
{
    const bool hasPath = !rec.ProcessPath.empty();
    ProcInfo = hasPath;
    EndProc = hasPath;
    Locate = hasPath;
    Property = hasPath;
}

}  // namespace quorvex
