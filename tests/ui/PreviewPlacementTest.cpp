// Where the page preview and the songbook window open, as a function of the screen, the main
// window, its lyric field and the windows already open.
#include "ui/PreviewPlacement.h"

#include <QDebug>
#include <gtest/gtest.h>

using namespace versino::ui;

namespace {

// The main window's frame (672 x 688 client area, menu bar, title bar and border) and its lyric field.
QRect mainAt(const QRect& screen, int left) {
    return {left, screen.top() + 40, 682, 745};
}
QRect lyricsOf(const QRect& main) {
    return {main.left() + 13, main.top() + 348, 657, 313};
}

TEST(PreviewPlacement, besideTheMainWindowWhereThereIsRoomOtherwiseTheMainWindowMakesRoom) {
    const struct {
        const char* what;
        QRect screen;
        int mainLeft;
        QRect expected;
        int mainAfter;
    } rows[] = {
        {"1600 wide, centred: the main window moves left", {0, 0, 1600, 860}, 459, {690, 0, 645, 860}, 0},
        {"1920 wide, centred", {0, 0, 1920, 1040}, 619, {1309, 0, 611, 1040}, 619},
        {"main at the left: right, as wide as a page needs", {0, 0, 1600, 860}, 100, {790, 0, 645, 860}, 100},
        {"main at the right: left", {0, 0, 1600, 860}, 900, {247, 0, 645, 860}, 900},
        {"1280 wide, centred: the main window moves left", {0, 0, 1280, 984}, 299, {690, 0, 590, 984}, 0},
        {"1024 wide, main at the right: readable, over the line ends",
         {0, 0, 1024, 728},
         342,
         {484, 0, 540, 728},
         0},
        {"1024 wide, a little right room", {0, 0, 1024, 728}, 300, {484, 0, 540, 728}, 0},
        {"second screen, panel at the top", {1920, 28, 1600, 872}, 2379, {2610, 28, 654, 872}, 1920},
    };
    for (const auto& r : rows) {
        const QRect main = mainAt(r.screen, r.mainLeft);
        const Placement placed = placeWindow(r.screen, main, lyricsOf(main), {}, previewWish(r.screen));
        EXPECT_EQ(placed.frame, r.expected) << r.what << ": " << QDebug::toString(placed.frame).toStdString();
        EXPECT_EQ(placed.mainFrame, QPoint(r.mainAfter, main.top())) << r.what;
        const QRect movedLyrics = lyricsOf(QRect(placed.mainFrame, main.size()));
        EXPECT_TRUE(r.screen.contains(placed.frame)) << r.what;
        EXPECT_FALSE(coversLyricStarts(placed.frame, movedLyrics)) << r.what;
    }
}

// Screens of every common size, the main window where it first stands (centred) or pushed to an
// edge, and the preview and the songbook window opened in either order: each window lies on the
// screen at a usable size, and wherever the screen is wide enough for all of them side by side
// nothing covers another window or the beginnings of the lyric lines.
TEST(PreviewPlacement, windowsOpenedInAnyOrderCoverNothingWhereTheScreenHasRoom) {
    const QRect screens[] = {{0, 0, 1024, 728},  {0, 0, 1280, 770},  {0, 0, 1366, 738},    {0, 0, 1600, 870},
                             {0, 0, 1920, 1040}, {0, 0, 2560, 1400}, {1920, 28, 1600, 872}};
    enum Kind { Preview, Songbook };
    const std::vector<std::vector<Kind>> orders = {
        {Preview}, {Songbook}, {Preview, Songbook}, {Songbook, Preview}};
    for (const QRect& screen : screens)
        for (const int where : {0, 1, 2}) {
            const int width = 682;
            const int left = where == 0   ? screen.left() + (screen.width() - width) / 2
                             : where == 1 ? screen.left()
                                          : screen.left() + screen.width() - width;
            for (const std::vector<Kind>& order : orders) {
                QRect main = mainAt(screen, left);
                std::vector<QRect> open;
                int needed = main.width();
                for (const Kind kind : order) {
                    const WindowWish wish = kind == Preview ? previewWish(screen) : songbookWish();
                    const Placement p = placeWindow(screen, main, lyricsOf(main), open, wish);
                    const std::string what = QDebug::toString(screen).toStdString() + " main " +
                                             std::to_string(where) + " window " + std::to_string(open.size());
                    EXPECT_TRUE(open.empty() || p.mainFrame == main.topLeft())
                        << what << ": moved under a window";
                    main.moveTopLeft(p.mainFrame);
                    EXPECT_TRUE(screen.contains(p.frame)) << what;
                    EXPECT_GE(p.frame.width(), std::min(wish.least, screen.width())) << what;
                    needed += kPreviewGap + wish.least;
                    if (needed <= screen.width()) {
                        EXPECT_FALSE(coversLyricStarts(p.frame, lyricsOf(main))) << what;
                        EXPECT_FALSE(p.frame.intersects(main)) << what;
                        for (const QRect& o : open)
                            EXPECT_FALSE(p.frame.intersects(o)) << what;
                    }
                    open.push_back(p.frame);
                }
            }
        }
}

} // namespace
