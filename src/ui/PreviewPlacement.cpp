#include "ui/PreviewPlacement.h"

#include <algorithm>

namespace versino::ui {

namespace {

QRect leftHalf(const QRect& r) {
    return {r.left(), r.top(), r.width() / 2, r.height()};
}

} // namespace

QRect previewPlacement(const QRect& screen, const QRect& mainFrame, const QRect& lyricField) {
    // Edges as exclusive coordinates: a room's width is the difference of two of them.
    const int screenLeft = screen.left();
    const int screenRight = screen.left() + screen.width();
    const int mainLeft = mainFrame.left();
    const int mainRight = mainFrame.left() + mainFrame.width();
    // A portrait page as high as the screen is about three quarters as wide; more is grey ground.
    const int widest = std::max(kMinPreviewWidth, screen.height() * 3 / 4);

    const int leftRoom = mainLeft - kPreviewGap - screenLeft;
    const int rightRoom = screenRight - (mainRight + kPreviewGap);
    int x = 0;
    int width = 0;
    if (std::max(leftRoom, rightRoom) >= kMinPreviewWidth) {
        if (rightRoom >= leftRoom) {
            width = std::min(rightRoom, widest);
            x = mainRight + kPreviewGap;
        } else {
            width = std::min(leftRoom, widest);
            x = mainLeft - kPreviewGap - width;
        }
    } else {
        // Over the main window's right-hand part, up to the middle of the lyric field at most.
        const int lyricMiddle = lyricField.left() + lyricField.width() / 2;
        const int overlapRoom = screenRight - std::max(lyricMiddle, screenLeft);
        if (overlapRoom >= leftRoom && overlapRoom > 0) {
            width = std::min(kMinPreviewWidth, overlapRoom);
            x = screenRight - width;
        } else if (leftRoom > 0) {
            width = leftRoom;
            x = screenLeft;
        } else {
            // A main window wider than the screen: nothing can stay free.
            width = std::min(kMinPreviewWidth, screen.width());
            x = screenRight - width;
        }
    }
    return {x, screen.top(), width, screen.height()};
}

bool coversLyricStarts(const QRect& preview, const QRect& lyricField) {
    return preview.intersects(leftHalf(lyricField));
}

} // namespace versino::ui
