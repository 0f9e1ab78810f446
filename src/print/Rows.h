#pragma once

#include <algorithm>

namespace versino {

// Positions far beyond any page are held at this bound (about 20 km at 600 dots per inch), so that
// the rows of an absurdly long song or the widths of an absurdly long line never wrap round past
// the int range and land on the page again.
constexpr int kFarOffPage = 1 << 29;

inline int advance(int position, long long by) {
    return static_cast<int>(std::clamp<long long>(position + by, -kFarOffPage, kFarOffPage));
}

} // namespace versino
