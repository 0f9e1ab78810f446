#include "commands/BookPlan.h"

namespace versino {

BookPlan planSongPages(const std::vector<int>& pageCounts, int firstPage, bool keepOrder) {
    BookPlan plan;
    plan.firstPage.assign(pageCounts.size(), 0);
    int page = firstPage;
    std::size_t nextSingle = 0; // no one-page song before it is still to be placed
    const auto place = [&](std::size_t song) {
        plan.firstPage[song] = page;
        plan.sequence.push_back(int(song));
        page += pageCounts[song] > 1 ? 2 : 1;
    };
    for (std::size_t i = 0; i < pageCounts.size(); ++i) {
        if (plan.firstPage[i] != 0)
            continue; // moved forward already
        if (pageCounts[i] > 1 && page % 2 != 0) {
            bool filled = false;
            if (!keepOrder) {
                if (nextSingle <= i)
                    nextSingle = i + 1;
                while (nextSingle < pageCounts.size() && (pageCounts[nextSingle] > 1 || plan.firstPage[nextSingle] != 0))
                    ++nextSingle;
                if (nextSingle < pageCounts.size()) {
                    place(nextSingle);
                    filled = true;
                }
            }
            if (!filled) {
                plan.sequence.push_back(-1);
                ++page;
            }
        }
        place(i);
    }
    plan.pages = page - firstPage;
    return plan;
}

} // namespace versino
