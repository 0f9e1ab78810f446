#include "print/Drucken.h"
#include "print/Rows.h"
#include "print/SelectFont.h"

#include <algorithm>
#include <cstdint>

namespace versino {

namespace {

constexpr char kOpen = '<';
constexpr char kClose = '>';
constexpr char kSuperscript = '\xB0'; // "°" in Windows-1252

struct Chord {
    std::string text;
    std::string superscript;
    bool hasSuperscript = false;
};

// Three points smaller than the chord, without wrapping around for absurd sizes.
int superscriptSize(std::int32_t chordSize) {
    return int(std::max<std::int64_t>(std::int64_t(chordSize) - 3, INT32_MIN));
}

// Reads one chord starting after its "<". Returns the position after its ">", or the end of the
// line when the chord is never closed: the end of the line closes it.
std::size_t readChord(std::string_view line, std::size_t i, Chord& chord) {
    while (i < line.size()) {
        const char c = line[i++];
        if (c == kClose)
            return i;
        if (c == kSuperscript && !chord.hasSuperscript)
            chord.hasSuperscript = true;
        else
            (chord.hasSuperscript ? chord.superscript : chord.text) += c;
    }
    return i;
}

// Draws one chord above the lyric character that follows it. Returns false when that place lies
// right of the page, where every later chord of the line lies too: they need not be measured.
bool drawChord(const ChordLineContext& ctx, int left, int y, const std::string& lyricPrefix, const Chord& chord) {
    PrintSurface& s = ctx.surface;
    // Measured as one string in the text font, so the chord lands where the next lyric
    // character will be drawn.
    const int x = advance(left, s.textWidth(lyricPrefix));
    if (x > s.pageWidth())
        return false;
    selectFont(s, ctx.chordFont);
    s.drawText(x, y, chord.text);
    if (chord.hasSuperscript) {
        const int chordWidth = s.textWidth(chord.text);
        s.setFontSize(superscriptSize(ctx.chordFont.size));
        s.drawText(advance(x, chordWidth), y, chord.superscript);
        s.setFontSize(ctx.chordFont.size);
    }
    selectFont(s, ctx.textFont);
    return true;
}

} // namespace

void PrintChordLine(const ChordLineContext& ctx, int left, int& y, std::string_view line) {
    std::string lyric;
    lyric.reserve(line.size());
    bool anyChord = false;
    // Measuring the prefix afresh for each chord costs its length each time; past the page's right
    // edge nothing shows any more, so a very long line stays linear.
    bool onPage = true;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i++];
        if (c != kOpen) {
            lyric += c;
            continue;
        }
        anyChord = true;
        Chord chord;
        i = readChord(line, i, chord);
        if (onPage)
            onPage = drawChord(ctx, left, y, lyric, chord);
    }
    if (anyChord)
        y = advance(y, ctx.ChordLineHeight);
    ctx.surface.drawText(left, y, lyric);
}

} // namespace versino
