#include "print/SongPages.h"

namespace versino {

bool leavesSongOff(const PageReport& report) {
    return !report.linesBelow.empty() || report.closingRemarkBelow || report.picture == PageReport::Picture::NoRoom;
}

std::vector<ComposedPage> composeSong(const SongDocument& doc, PageMeasures& measures) {
    std::vector<ComposedPage> pages;
    pages.push_back(composePage(doc, measures));
    if (doc.options().pages < 2 || !leavesSongOff(pages.front().report))
        return pages;
    PagePart first;
    first.endOfSong = false;
    first.stopAtFoot = true;
    pages.front() = composePage(doc, measures, first);
    PagePart second;
    second.continuation = true;
    second.lines = pages.front().continued;
    pages.push_back(composePage(doc, measures, second));
    return pages;
}

} // namespace versino
