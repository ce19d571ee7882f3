#pragma once

#include <cstddef>
#include <vector>

namespace quorvex {

// Asks the kernel to back the pages of [data, data + bytes) with transparent
// huge pages where whole 2 MiB pages fit. A snapshot of tens of thousands of endpoints
// fills arrays of many megabytes once; with 4 KiB pages every page costs a
// fault, which on virtual machines is a large share of the snapshot's time.
// Does nothing where the kernel offers no huge pages.
void AdviseHugePages(const void *data, size_t bytes);

// Reserves room for `count` elements in an empty vector and advises it as above.
template <typename T>
void ReserveLarge(std::vector<T> &vector, size_t count)
{
    vector.reserve(count);
    AdviseHugePages(vector.data(), vector.capacity() * sizeof(T));
}

}  // namespace quorvex
