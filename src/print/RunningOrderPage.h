#pragma once

// The running order of an evening on one page in large type, to tape to the floor: each song's
// number, title, key and note, under a heading. Composed like a song page and drawn by drawPage.

#include "platform/PrintSurface.h"
#include "print/ComposedPage.h"

#include <string>
#include <vector>

namespace versino {

// One song of the evening, in Windows-1252 bytes; key and note may be empty.
struct RunningOrderRow {
    std::string title, key, note;
};

// The one page: the type is as large as lets every song stand on it (at most 32 points, at least
// 6; below that the last rows are left out). Titles and notes too long for their column are cut.
ComposedPage composeRunningOrder(PageMeasures& m, const std::vector<RunningOrderRow>& rows, const std::string& heading);

} // namespace versino
