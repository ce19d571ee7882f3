#pragma once

#include <cstddef>
#include <vector>

namespace quorvex {

// Asks the kernel to back the pages of [data, data + bytes) with transparent
// huge pages where whole 2 MiB pages fit, and maps the range at once. A
// snapshot of tens of thousands of endpoints fills arrays of many megabytes
// once; page by page, every 4 KiB costs a fault, which on virtual machines is
// a large share of the snapshot's time. Ranges under 2 MiB are left alone.
void AdviseHugePages(const void *data, size_t bytes);

// Reserves room for `count` elements in an empty vector and advises it as above.
template <typename T>
void ReserveLarge(std::vector<T> &vector, size_t count)
{
    vector.reserve(count);
    AdviseHugePages(vector.data(), vector.capacity() * sizeof(T));
}

}  // namespace quorvex
