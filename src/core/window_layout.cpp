#include "core/window_layout.h"

#include <algorithm>
#include <cstdlib>

namespace quorvex::layout {

const ControlPlace &PlaceOf(BarControl id)
{
    for (const ControlPlace &place : BarControls)
        if (place.Id == id)
            return place;
    return BarControls[0];  // every id has its entry; unreachable
}

const InfoPlace &PlaceOf(InfoControl id)
{
    for (const InfoPlace &place : ProcInfoControls)
        if (place.Id == id)
            return place;
    return ProcInfoControls[0];  // every id has its entry; unreachable
}

Span FilterFieldSpan(int barWidth, int sentenceRight, int dpi)
{
    const int right = barWidth - Scale(PlaceOf(BarControl::BTNOptions).Left + FilterFieldGapRight, dpi);
    const int room = right - (sentenceRight + Scale(FilterFieldGapLeft, dpi));
    const int width = std::clamp(room, Scale(FilterFieldMinWidth, dpi), Scale(FilterFieldMaxWidth, dpi));
    return {right - width, width};
}

int Scale(int length, int dpi)
{
    // Rounded half away from zero, as the system's MulDiv does.
    const long long product = static_cast<long long>(length) * dpi;
    const long long half = product >= 0 ? 48 : -48;
    return static_cast<int>((product + half) / 96);
}

}  // namespace quorvex::layout
