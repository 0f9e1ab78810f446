#include "ui/PreviewPlacement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace versino::ui {

namespace {

QRect leftHalf(const QRect& r) {
    return {r.left(), r.top(), r.width() / 2, r.height()};
}

// Edges as exclusive coordinates: a room's width is the difference of two of them.
int rightOf(const QRect& r) {
    return r.left() + r.width();
}

struct Column {
    int left = 0;
    int right = 0; // exclusive
    int width() const { return right - left; }
};

// The stretches of the screen's width that no window stands on, a gap kept from each window.
std::vector<Column> freeColumns(const QRect& screen, const std::vector<QRect>& taken) {
    std::vector<Column> columns{{screen.left(), rightOf(screen)}};
    for (const QRect& t : taken) {
        const int from = t.left() - kPreviewGap;
        const int to = rightOf(t) + kPreviewGap;
        std::vector<Column> next;
        for (const Column& c : columns) {
            if (to <= c.left || from >= c.right) {
                next.push_back(c);
                continue;
            }
            if (from > c.left)
                next.push_back({c.left, from});
            if (to < c.right)
                next.push_back({to, c.right});
        }
        columns = std::move(next);
    }
    return columns;
}

int heightOn(const QRect& screen, const WindowWish& wish) {
    return wish.height <= 0 ? screen.height() : std::min(wish.height, screen.height());
}

// The top of a window of height `height` level with the main window, kept on the screen.
int topBeside(const QRect& screen, const QRect& main, int height) {
    return std::clamp(main.top(), screen.top(), screen.top() + screen.height() - height);
}

// The narrowest free column that holds the wish's least width, the right one among equals, so that
// a wider column stays for a window that needs more; the window stands next to the main window
// where the column touches it.
bool placeInColumn(const QRect& screen, const QRect& main, const std::vector<QRect>& open,
                   const WindowWish& wish, QRect& frame) {
    std::vector<QRect> taken = open;
    taken.push_back(main);
    const Column* best = nullptr;
    const std::vector<Column> columns = freeColumns(screen, taken);
    for (const Column& c : columns)
        if (c.width() >= wish.least && (!best || c.width() <= best->width()))
            best = &c;
    if (!best)
        return false;
    const int width = std::min(best->width(), std::max(wish.width, wish.least));
    const int height = heightOn(screen, wish);
    const int top = wish.height <= 0 ? screen.top() : topBeside(screen, main, height);
    // Beside the main window when the column lies to its left; otherwise from the column's left.
    const int x = best->right <= main.left() ? best->right - width : best->left;
    frame = {x, top, width, height};
    return true;
}

std::int64_t overlap(const QRect& a, const QRect& b) {
    const QRect i = a.intersected(b);
    return i.isEmpty() ? 0 : std::int64_t(i.width()) * i.height();
}

} // namespace

WindowWish previewWish(const QRect& screen) {
    return {std::max(kMinPreviewWidth, screen.height() * 3 / 4), kMinPreviewWidth, 0};
}

WindowWish songbookWish() {
    return {kSongbookWidth, kMinSongbookWidth, kSongbookHeight};
}

Placement placeWindow(const QRect& screen, const QRect& mainFrame, const QRect& lyricField,
                      const std::vector<QRect>& open, const WindowWish& wish) {
    Placement p{{}, mainFrame.topLeft()};
    if (placeInColumn(screen, mainFrame, open, wish, p.frame))
        return p;

    // Room made by the main window standing at the edge of the screen it is nearer to (the other
    // edge next); only while it is alone, so that it never moves under another window.
    if (open.empty()) {
        const int atLeft = screen.left();
        const int atRight = std::max(screen.left(), rightOf(screen) - mainFrame.width());
        const bool leftFirst = mainFrame.left() - screen.left() <= rightOf(screen) - rightOf(mainFrame);
        for (const int x : {leftFirst ? atLeft : atRight, leftFirst ? atRight : atLeft}) {
            const QRect moved(QPoint(x, mainFrame.top()), mainFrame.size());
            if (placeInColumn(screen, moved, open, wish, p.frame)) {
                p.mainFrame = moved.topLeft();
                return p;
            }
        }
    }

    // No room: the least width, where it hides the least of what matters; a main window that is
    // alone may stand at either edge for that.
    const int width = std::min(wish.least, screen.width());
    const int height = heightOn(screen, wish);
    std::vector<int> mains = {mainFrame.left()};
    if (open.empty())
        mains = {mainFrame.left(), screen.left(),
                 std::max(screen.left(), rightOf(screen) - mainFrame.width())};
    const std::vector<int> xs = {rightOf(screen) - width, screen.left()};
    std::vector<int> ys = {screen.top()};
    if (wish.height > 0)
        ys = {topBeside(screen, mainFrame, height), screen.top() + screen.height() - height, screen.top()};
    std::int64_t lowest = std::numeric_limits<std::int64_t>::max();
    for (const int m : mains) {
        const QRect main(QPoint(m, mainFrame.top()), mainFrame.size());
        const QRect lyricStarts = leftHalf(lyricField.translated(m - mainFrame.left(), 0));
        for (const int y : ys)
            for (const int x : xs) {
                const QRect frame(x, y, width, height);
                std::int64_t cost = 64 * overlap(frame, lyricStarts) + 4 * overlap(frame, main);
                for (const QRect& o : open)
                    cost += overlap(frame, o);
                // Strictly lower only: the main window stays where it is unless moving helps.
                if (cost < lowest) {
                    lowest = cost;
                    p = {frame, main.topLeft()};
                }
            }
    }
    return p;
}

bool coversLyricStarts(const QRect& preview, const QRect& lyricField) {
    return preview.intersects(leftHalf(lyricField));
}

} // namespace versino::ui
