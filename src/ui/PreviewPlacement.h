#pragma once

#include <QRect>

namespace versino::ui {

// The narrowest the page preview is made when it opens, in pixels.
inline constexpr int kMinPreviewWidth = 360;
// Free screen between the main window and a preview beside it, in pixels.
inline constexpr int kPreviewGap = 8;

// Where the page preview opens, as a frame rectangle in screen coordinates: beside the main window
// on the side with more free room, as wide as that room (up to about the width the whole page needs
// at the screen's height) and as high as the screen, so that it never hides the fields it reports
// on. Only when neither side has kMinPreviewWidth does it overlap the main window, and then over the
// right-hand part, never left of the lyric field's middle: the beginnings of the lines stay in view.
// `screen` is the screen's available area, `mainFrame` the main window's frame and `lyricField` the
// lyric field, all in screen coordinates.
QRect previewPlacement(const QRect& screen, const QRect& mainFrame, const QRect& lyricField);

// True when a preview with frame `preview` would hide the left half of the lyric field.
bool coversLyricStarts(const QRect& preview, const QRect& lyricField);

} // namespace versino::ui
