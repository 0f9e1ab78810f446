#include "commands/BookPlan.h"

namespace versino {

void SongPlacer::place(std::vector<int>& out, int song, int pages) {
    out.push_back(song);
    page_ += pages > 1 ? 2 : 1;
}

std::vector<int> SongPlacer::add(int song, int pages) {
    std::vector<int> out;
    // While songs wait, the page they wait on is odd.
    if (pages > 1 && page_ % 2 != 0) {
        if (!keepOrder_) {
            waiting_.push_back(song);
            return out;
        }
        out.push_back(-1);
        ++page_;
    }
    place(out, song, pages);
    // A one-page song filled the odd page: the songs of two pages behind it start on even pages.
    for (const int waiting : waiting_)
        place(out, waiting, 2);
    waiting_.clear();
    return out;
}

std::vector<int> SongPlacer::finish() {
    std::vector<int> out;
    if (waiting_.empty())
        return out;
    out.push_back(-1);
    ++page_;
    for (const int waiting : waiting_)
        place(out, waiting, 2);
    waiting_.clear();
    return out;
}

BookPlan planSongPages(const std::vector<int>& pageCounts, int firstPage, bool keepOrder) {
    BookPlan plan;
    plan.firstPage.assign(pageCounts.size(), 0);
    SongPlacer placer(firstPage, keepOrder);
    int page = firstPage;
    const auto take = [&](const std::vector<int>& placed) {
        for (const int song : placed) {
            plan.sequence.push_back(song);
            if (song < 0) {
                ++page;
                continue;
            }
            plan.firstPage[std::size_t(song)] = page;
            page += pageCounts[std::size_t(song)] > 1 ? 2 : 1;
        }
    };
    for (std::size_t i = 0; i < pageCounts.size(); ++i)
        take(placer.add(int(i), pageCounts[i]));
    take(placer.finish());
    plan.pages = page - firstPage;
    return plan;
}

} // namespace versino
