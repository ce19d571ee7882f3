#include "core/window_layout.h"

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

int Scale(int length, int dpi)
{
    // Rounded half away from zero, as the system's MulDiv does.
    const long long product = static_cast<long long>(length) * dpi;
    const long long half = product >= 0 ? 48 : -48;
    return static_cast<int>((product + half) / 96);
}

}  // namespace quorvex::layout
