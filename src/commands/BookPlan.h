#pragma once

#include <vector>

namespace versino {

// Where the songs of a book stand. A song of two pages starts on a left-hand (even) page, so that
// its pages face each other; the page before it stays blank unless a later one-page song may move
// forward into it (`keepOrder` false). Pages are numbered from 1, the book's first page.
//
// The songs are placed one at a time, as they are composed: a song of two pages that would start
// on an odd page waits, when it may, for the next one-page song of the list to fill that page; the
// songs behind it wait with it, so that the list's order changes no more than that.
class SongPlacer {
public:
    SongPlacer(int firstPage, bool keepOrder) : page_(firstPage), keepOrder_(keepOrder) {}

    // The list's next song and its pages (1 or 2). Returns what goes onto the next pages now, in
    // their order: songs, and -1 for a page left blank.
    std::vector<int> add(int song, int pages);
    // After the list's last song: the songs still waiting, after a blank page.
    std::vector<int> finish();

private:
    void place(std::vector<int>& out, int song, int pages);

    int page_;
    bool keepOrder_;
    std::vector<int> waiting_; // songs of two pages, in the list's order
};

struct BookPlan {
    std::vector<int> firstPage; // of each song, by its place in the list
    std::vector<int> sequence;  // the songs in the order of their pages; -1 for a blank page
    int pages = 0;              // the pages the songs and the blanks take
};

// `pageCounts` holds each song's pages (1 or 2) in the list's order; the first song may start at
// `firstPage`. The songs placed as SongPlacer places them.
BookPlan planSongPages(const std::vector<int>& pageCounts, int firstPage, bool keepOrder);

} // namespace versino
