#pragma once

#include "music/SongDiagrams.h"
#include "print/ComposedPage.h"

#include <climits>
#include <vector>

namespace versino {

// The band of chord diagrams below a song's lyrics: one diagram per chord, left to right from the
// left margin, in as many rows as the page is wide enough for, each named in the chord font. A
// diagram that would reach below the page is left out and reported, as is every chord without a
// diagram (a name Versino cannot read, or one no fingering plays).
//
// A string diagram: the strings, the frets of its rows, the nut as a thick bar (or the base
// fret's number left of the first row), a dot per pressed string, a barre as one bar, and above
// the strings "x" (muted) or "o" (open). A piano diagram: two octaves of keys, a dot on each key
// of the chord, a ring on the bass key where a slash bass differs from the root.
struct DiagramBandPlace {
    int top = 0;   // the band's first row starts here
    int left = 0;  // and its diagrams here
    int right = 0; // no diagram reaches past this
};

// Draws the names with `s` (the composer's surface), adds the figures to the page, and returns the
// bottom of the band's last row, or INT_MIN when it shows no diagram. The current font is the
// chord font afterwards.
int placeDiagramBand(PrintSurface& s, ComposedPage& page, const FontSetting& chordFont, music::Instrument instrument,
                     const std::vector<music::SongChord>& chords, const DiagramBandPlace& place);

// The size of one diagram's figure without its name, in device units: what a row must hold.
PageBox diagramFigureSize(music::Instrument instrument);

} // namespace versino
