#pragma once

#include <QPoint>
#include <QRect>
#include <vector>

namespace versino::ui {

// The narrowest width, in pixels, at which the page preview's page can be read.
inline constexpr int kReadablePageWidth = 480;
// The narrowest the page preview's frame is made: a readable page, its grey ground, a scroll bar
// and the frame.
inline constexpr int kMinPreviewWidth = kReadablePageWidth + 60;
// The songbook window as it opens, and the narrowest it is made.
inline constexpr int kSongbookWidth = 600;
inline constexpr int kSongbookHeight = 480;
inline constexpr int kMinSongbookWidth = 420;
// Free screen between two windows side by side, in pixels.
inline constexpr int kPreviewGap = 8;

// What a window to be placed asks for: the width it would like, the least width at which it is of
// use, and its height (0: as high as the screen).
struct WindowWish {
    int width = 0;
    int least = 0;
    int height = 0;
};
// The page preview's wish on `screen`: a portrait page as high as the screen is about three
// quarters as wide; more would be grey ground.
WindowWish previewWish(const QRect& screen);
WindowWish songbookWish();

struct Placement {
    QRect frame;      // the new window's frame in screen coordinates
    QPoint mainFrame; // where the main window's frame stands afterwards (its top-left corner)
};

// Where a new window of Versino opens beside the main window and the windows already `open` (their
// frames), all in screen coordinates within `screen`, the screen's available area:
// - in the narrowest free column of the screen that gives it at least its least width (leaving the
//   wider ones to the next window), as wide as it wishes or the column allows, next to the main
//   window where the column touches it;
// - when no column is wide enough but would be with the main window standing at one edge of the
//   screen and no other window open, the main window moves there to make room;
// - otherwise at its least width over the least important part: covering the beginnings of the
//   lyric lines (the left half of `lyricField`) weighs most, the rest of the main window next, the
//   other windows least.
Placement placeWindow(const QRect& screen, const QRect& mainFrame, const QRect& lyricField,
                      const std::vector<QRect>& open, const WindowWish& wish);

// True when a preview with frame `preview` would hide the left half of the lyric field.
bool coversLyricStarts(const QRect& preview, const QRect& lyricField);

} // namespace versino::ui
