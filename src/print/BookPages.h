#pragma once

// The songbook's own pages, composed like song pages and drawn by the same drawPage: the title
// page, the contents and the register of first lines, and the page number on each song page.

#include "platform/PrintSurface.h"
#include "print/ComposedPage.h"

#include <QString>
#include <string>
#include <vector>

namespace versino::book {

// A line of a contents or register page: text, an optional second text, and the page number.
struct ListEntry {
    std::string text;
    std::string second; // the performer
    bool italic = false; // a chorus's first line
    int page = 0;
    int order = 0;
};

// Sorts the way a German reader looks things up: Ä with A, ß as ss, case ignored.
void sortGerman(std::vector<ListEntry>& entries);

// How a contents or register list falls onto pages: one column when everything fits on one page,
// else two columns on every page.
struct ListLayout {
    int rowHeight = 0;
    int firstRowY = 0;
    int rowsPerColumn = 1;
    int columns = 1;
    int pages = 0;
};

ListLayout layoutList(PageMeasures& m, std::size_t count);

// Page `pageIndex` of a list under its heading; each row holds the text (and performer) from the
// left, dot leaders and the page number at the right.
ComposedPage composeListPage(PageMeasures& m, const char* heading, const std::vector<ListEntry>& entries,
                             const ListLayout& l, int pageIndex);

// The book's title, centred a third down the page.
ComposedPage composeTitlePage(PageMeasures& m, const QString& title);

// A page that stays empty: the one before a song of two facing pages, when nothing fills it.
ComposedPage blankPage(const PageMeasures& m);

// Adds the page number in the bottom outer corner, else the top outer corner, where it covers
// nothing the page already holds; else nowhere. Outer: right on odd pages, left on even ones.
void addPageNumber(ComposedPage& page, PageMeasures& m, int number);

} // namespace versino::book
