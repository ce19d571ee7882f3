#include "core/incremental_search.h"

#include "core/columns.h"
#include "core/filter_view.h"

namespace quorvex {

int IncrementalSearch::KeyTyped(const std::string &typed, int64_t timeMs, const FilterView &list, int column)
{
    if (typed.empty())
        return -1;
    const bool extend = !m_text.empty() && timeMs - m_lastKeyMs < PauseMs;
    m_lastKeyMs = timeMs;
    m_text = extend ? m_text + typed : typed;

    const int rows = list.RowCount();
    const int start = list.FocusedRow() >= 0 ? list.FocusedRow() : 0;
    for (int i = 0; i < rows; ++i) {
        const int row = (start + i) % rows;
        if (VTSGetText(&list.Record(row), column).starts_with(m_text))
            return row;
    }
    return -1;
}

}  // namespace quorvex
