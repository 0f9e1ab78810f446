#pragma once

// How a cost grows with its input, measured so that a busy machine does not decide the outcome:
// the process's processor time rather than the wall clock (time spent waiting for the cores while
// other programs run does not count), the quicker of three runs of each size, taken in turns, so
// that one pause of the machine or one cold cache does not count either.

#include <algorithm>
#include <ctime>
#include <functional>
#include <malloc.h>

namespace versino::testing {

inline double processorSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The processor time of `run(4n)` over that of `run(n)`: about 4 when the cost is linear, 16 when it
// is quadratic. What `run` does before and after the part to be timed is timed too, so keep the
// setting-up small or inside the timed part on purpose.
//
// Fresh memory costs a page fault for every page the first time it is touched, and on a virtual
// machine that can be most of the cost of reading a large text. glibc hands large blocks back to
// the system when they are freed, so every run of the larger size would pay for its memory again
// while the smaller one reuses what an earlier run left: a linear cost would look like 12 times
// for four times the input. Keeping freed memory in the heap and running the larger size once
// before timing lets both sizes work in memory that has been touched before.
inline double growthOfFourTimes(const std::function<void(std::size_t)>& run, std::size_t n) {
    ::mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    ::mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
    run(4 * n);
    double small = 1e9, large = 1e9;
    for (int pass = 0; pass < 3; ++pass) {
        double start = processorSeconds();
        run(n);
        small = std::min(small, processorSeconds() - start);
        start = processorSeconds();
        run(4 * n);
        large = std::min(large, processorSeconds() - start);
    }
    return large / std::max(small, 1e-4);
}

} // namespace versino::testing
