#pragma once

#include <vector>

namespace versino {

// Where the songs of a book stand. A song of two pages starts on a left-hand (even) page, so that
// its pages face each other; the page before it stays blank unless a later one-page song may move
// forward into it (`keepOrder` false). Pages are numbered from 1, the book's first page.
struct BookPlan {
    std::vector<int> firstPage; // of each song, by its place in the list
    std::vector<int> sequence;  // the songs in the order of their pages; -1 for a blank page
    int pages = 0;              // the pages the songs and the blanks take
};

// `pageCounts` holds each song's pages (1 or 2) in the list's order; the first song may start at
// `firstPage`.
BookPlan planSongPages(const std::vector<int>& pageCounts, int firstPage, bool keepOrder);

} // namespace versino
