#pragma once

#include "print/ComposedPage.h"

#include <vector>

namespace versino {

// The pages a song prints on. One page, as composePage lays it out, unless the song's options ask
// for a second page and the first cannot hold the song: then the first page shows what fits whole
// at its defined place (nothing on it moves), and the second page continues the lines that did not
// fit, in the same columns and fonts, under a small title row, with the closing remark and the
// picture at its end.
std::vector<ComposedPage> composeSong(const SongDocument& doc, PageMeasures& measures);

// Whether a one-page composition leaves part of the song off the page (lines, the closing remark,
// or the picture for want of room).
bool leavesSongOff(const PageReport& report);

} // namespace versino
