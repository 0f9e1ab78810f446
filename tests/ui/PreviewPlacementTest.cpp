// Where the page preview opens, as a function of the screen, the main window and its lyric field.
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

TEST(PreviewPlacement, besideTheMainWindowWhereThereIsRoomOtherwiseOverItsRightHandPart) {
    const struct {
        const char* what;
        QRect screen;
        int mainLeft;
        QRect expected;
    } rows[] = {
        {"1600 wide, centred: right, all the room", {0, 0, 1600, 860}, 459, {1149, 0, 451, 860}},
        {"1920 wide, centred", {0, 0, 1920, 1040}, 619, {1309, 0, 611, 1040}},
        {"main at the left: right, as wide as a page needs", {0, 0, 1600, 860}, 100, {790, 0, 645, 860}},
        {"main at the right: left", {0, 0, 1600, 860}, 900, {247, 0, 645, 860}},
        {"1280 wide, centred: overlap at the screen's right", {0, 0, 1280, 984}, 299, {920, 0, 360, 984}},
        {"1024 wide, main at the right: not over the lyric middle", {0, 0, 1024, 728}, 342, {683, 0, 341, 728}},
        {"1024 wide, a little right room", {0, 0, 1024, 728}, 300, {664, 0, 360, 728}},
        {"second screen, panel at the top", {1920, 28, 1600, 872}, 2379, {3069, 28, 451, 872}},
    };
    for (const auto& r : rows) {
        const QRect main = mainAt(r.screen, r.mainLeft);
        const QRect lyrics = lyricsOf(main);
        const QRect placed = previewPlacement(r.screen, main, lyrics);
        EXPECT_EQ(placed, r.expected) << r.what << ": " << QDebug::toString(placed).toStdString();
        EXPECT_TRUE(r.screen.contains(placed)) << r.what;
        EXPECT_FALSE(coversLyricStarts(placed, lyrics)) << r.what;
    }
}

} // namespace
