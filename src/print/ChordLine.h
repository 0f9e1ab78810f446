#pragma once

#include "document/SongDocument.h"
#include "platform/PrintSurface.h"

#include <string_view>

namespace versino {

// How far one printed line reaches to the right, for callers that need it (the second column's
// edge, the page check). Filled only when asked for, since it costs extra measuring.
struct LineExtent {
    int right = 0;           // right end of the rightmost cell drawn, at most just past the page
    bool cutAtRight = false; // some text or chord of the line reaches past the right edge
};

// What the chord-line renderer reads but does not own.
struct ChordLineContext {
    PrintSurface& surface;
    const FontSetting& chordFont; // the song's AkkordFont itself, so each use reads it afresh
    const FontSetting& textFont;  // the text font as captured when printing began
    int ChordLineHeight = 0;
    LineExtent* extent = nullptr; // when set, receives how far the line reaches
};

// Prints one lyric line at `left`. Chords ("<chord>" or "<chord°superscript>") are lifted onto a
// chord row at the entry y, each above the lyric character that follows it; the lyric row is then
// one ChordLineHeight lower. An empty chord ("<>") shows nothing and takes no room. A chord that
// would begin before the previous shown chord's end plus one blank of the chord font widens the lyric row there: the lyrics from that chord on move right, so every
// chord still stands above its syllable and none covers another. On return y is the top of the
// lyric row. The current font must be the text font on entry and is the text font again on return.
void PrintChordLine(const ChordLineContext& ctx, int left, int& y, std::string_view line);

} // namespace versino
