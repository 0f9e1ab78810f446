#include "platform/FreedMemory.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace versino {

void keepFreedMemory() {
#if defined(__GLIBC__)
    // Blocks up to 32 MB come from the heap (a fixed threshold, so glibc no longer moves it),
    // and the heap's top is trimmed only past 64 MB: both of a page's 16 MB buffers fit below.
    ::mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    ::mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
}

void releaseFreedMemory() {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

} // namespace versino
