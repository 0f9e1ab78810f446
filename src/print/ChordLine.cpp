#include "print/ChordLine.h"
#include "document/Notation.h"
#include "print/Rows.h"
#include "print/SelectFont.h"
#include "print/TextRun.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace versino {

namespace {

using notation::Chord;

// A chord as it stands on the chord row. Its right end is measured only when it is needed: for
// the next chord on the row, or for a caller that asked how far the line reaches.
struct PlacedChord {
    Chord chord;
    int x = 0;
    std::optional<int> chordWidth; // of the chord text at full size, when measured
    std::optional<int> right;
    bool cut = false;
};

// A piece of the lyric row: the lyrics from byte `from` on stand from x. There is more than one
// only where chords would have covered each other.
struct Segment {
    int x;
    std::size_t from;
};

// Three points smaller than the chord, without wrapping around for absurd sizes.
int superscriptSize(std::int32_t chordSize) {
    return int(std::max<std::int64_t>(std::int64_t(chordSize) - 3, INT32_MIN));
}

class ChordLineRenderer {
public:
    ChordLineRenderer(const ChordLineContext& ctx, int left) : ctx_(ctx), s_(ctx.surface) {
        segments_.push_back({left, 0});
    }

    void print(int& y, std::string_view line);

private:
    bool placeChord(int y, const Chord& chord);
    int measureRight(PlacedChord& c);
    int blankWidth();
    void drawLyrics(int y);
    void reach(int right, bool cut) {
        if (ctx_.extent) {
            ctx_.extent->right = std::max(ctx_.extent->right, right);
            ctx_.extent->cutAtRight = ctx_.extent->cutAtRight || cut || right > s_.pageWidth();
        }
    }

    const ChordLineContext& ctx_;
    PrintSurface& s_;
    std::string lyric_;
    std::vector<Segment> segments_;
    std::optional<PlacedChord> previous_;
    std::optional<int> blank_;
};

void ChordLineRenderer::print(int& y, std::string_view line) {
    lyric_.reserve(line.size());
    bool anyChord = false;
    // Measuring the prefix afresh for each chord costs its length each time; past the page's right
    // edge nothing shows any more, so a very long line stays linear.
    bool onPage = true;
    notation::forEachPiece(line, [&](const notation::Piece& piece) {
        if (piece.kind == notation::Piece::Kind::Text) {
            lyric_ += piece.text;
            return;
        }
        anyChord = true;
        if (onPage)
            onPage = placeChord(y, piece.chord);
        else
            reach(advance(s_.pageWidth(), 1), true);
    });
    if (anyChord)
        y = advance(y, ctx_.ChordLineHeight);
    drawLyrics(y);
}

// Draws one chord above the lyric character that follows it. Returns false when that place lies
// right of the page, where every later chord of the line lies too: they need not be measured.
bool ChordLineRenderer::placeChord(int y, const Chord& chord) {
    // A chord that shows nothing ("<>", "<°>") takes no room on the chord row.
    if (chord.text.empty() && chord.raised.empty())
        return true;
    const Segment& seg = segments_.back();
    // Measured as one string in the text font, so the chord lands where the next lyric
    // character will be drawn.
    const std::string_view prefix = std::string_view(lyric_).substr(seg.from);
    int prefixWidth = 0;
    if (prefix.size() > kShortRun) {
        const TextRun prefixRun = fitRun(s_, seg.x, prefix, true);
        if (prefixRun.cut) {
            reach(advance(s_.pageWidth(), 1), true);
            return false;
        }
        prefixWidth = prefixRun.width;
    } else {
        prefixWidth = s_.textWidth(prefix);
    }
    int x = advance(seg.x, prefixWidth);
    if (x > s_.pageWidth()) {
        reach(advance(s_.pageWidth(), 1), true);
        return false;
    }
    selectFont(s_, ctx_.chordFont);
    if (previous_) {
        const int earliest = advance(measureRight(*previous_), blankWidth());
        if (x < earliest) {
            segments_.push_back({earliest, lyric_.size()});
            x = earliest;
        }
        if (x > s_.pageWidth()) {
            reach(advance(s_.pageWidth(), 1), true);
            selectFont(s_, ctx_.textFont);
            return false;
        }
    }
    PlacedChord placed;
    placed.x = x;
    const TextRun text = fitRun(s_, x, chord.text, false);
    if (!(text.cut && text.visible.empty()))
        s_.drawText(x, y, text.visible);
    placed.cut = text.cut;
    if (text.width >= 0)
        placed.chordWidth = text.width;
    if (chord.hasRaised && !text.cut) {
        if (!placed.chordWidth)
            placed.chordWidth = s_.textWidth(chord.text);
        const int supX = advance(x, *placed.chordWidth);
        s_.setFontSize(superscriptSize(ctx_.chordFont.size));
        const TextRun sup = fitRun(s_, supX, chord.raised, ctx_.extent != nullptr);
        if (!(sup.cut && sup.visible.empty()))
            s_.drawText(supX, y, sup.visible);
        s_.setFontSize(ctx_.chordFont.size);
        if (ctx_.extent)
            placed.right = runRight(s_, supX, sup);
        placed.cut = sup.cut;
    }
    if (placed.cut) // reaches past the page: how far no longer matters
        placed.right = std::max(placed.right.value_or(x), advance(s_.pageWidth(), 1));
    placed.chord = chord;
    if (ctx_.extent)
        reach(measureRight(placed), placed.cut);
    previous_ = std::move(placed);
    selectFont(s_, ctx_.textFont);
    return true;
}

// Right end of a drawn chord with its superscript, measured in the chord font (which must be
// current) the first time it is asked for.
int ChordLineRenderer::measureRight(PlacedChord& c) {
    if (c.right)
        return *c.right;
    if (!c.chordWidth)
        c.chordWidth = s_.textWidth(c.chord.text);
    int right = advance(c.x, *c.chordWidth);
    if (c.chord.hasRaised) {
        s_.setFontSize(superscriptSize(ctx_.chordFont.size));
        const TextRun sup = fitRun(s_, right, c.chord.raised, true);
        s_.setFontSize(ctx_.chordFont.size);
        right = runRight(s_, right, sup);
    }
    c.right = right;
    return right;
}

int ChordLineRenderer::blankWidth() {
    if (!blank_)
        blank_ = s_.textWidth(" ");
    return *blank_;
}

// The lyric row, piece by piece. The first piece is drawn even when empty, as a line without
// chords always is; nothing is drawn wholly below or right of the page.
void ChordLineRenderer::drawLyrics(int y) {
    if (y >= s_.pageHeight())
        return;
    const std::string_view lyric = lyric_;
    for (std::size_t k = 0; k < segments_.size(); ++k) {
        const Segment& seg = segments_[k];
        const std::size_t to = k + 1 < segments_.size() ? segments_[k + 1].from : lyric.size();
        const std::string_view piece = lyric.substr(seg.from, to - seg.from);
        if (k > 0 && piece.empty())
            continue;
        const TextRun run = fitRun(s_, seg.x, piece, ctx_.extent != nullptr);
        if (run.cut && run.visible.empty()) {
            reach(std::max(seg.x, advance(s_.pageWidth(), 1)), true);
            continue;
        }
        s_.drawText(seg.x, y, run.visible);
        if (ctx_.extent && !piece.empty())
            reach(runRight(s_, seg.x, run), run.cut);
    }
}

} // namespace

void PrintChordLine(const ChordLineContext& ctx, int left, int& y, std::string_view line) {
    ChordLineRenderer(ctx, left).print(y, line);
}

} // namespace versino
