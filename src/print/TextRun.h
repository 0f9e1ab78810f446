#pragma once

#include "platform/PrintSurface.h"
#include "print/Rows.h"

#include <string_view>

namespace versino {

// The part of a text drawn from x that can show on the page. Shaping a text costs its length, so
// a run far longer than the page is wide is cut before it is measured or drawn.
struct TextRun {
    std::string_view visible; // what to draw: the whole text, or a prefix reaching past the edge
    bool cut = false;         // the text reaches past the right edge
    int width = -1;           // width of the whole text when measured and not cut, else -1
};

// Runs this short are drawn whole without measuring: their cost is bounded anyway.
inline constexpr std::size_t kShortRun = 256;
// Characters kept beyond the first one that surely starts right of the edge, so that nothing the
// shaper might join across the cut (a ligature) changes what shows inside the page.
inline constexpr std::size_t kCutSafety = 16;

// Finds the run of `text` at x that reaches the right edge. With `needWidth` the width is always
// known afterwards (or the text is cut); otherwise short texts are left unmeasured. A long text
// is measured on growing prefixes until one is wider than the room: the characters after that
// prefix all begin right of the page and are dropped. Uses the surface's current font.
inline TextRun fitRun(PrintSurface& s, int x, std::string_view text, bool needWidth) {
    TextRun run;
    if (text.empty()) {
        run.visible = text;
        run.width = 0;
        return run;
    }
    const long long room = static_cast<long long>(s.pageWidth()) - x;
    if (room <= 0) { // wholly right of the page
        run.cut = true;
        return run;
    }
    if (text.size() <= kShortRun && !needWidth) {
        run.visible = text;
        return run;
    }
    for (std::size_t n = kShortRun;; n *= 4) {
        if (n >= text.size()) {
            run.width = s.textWidth(text);
            run.visible = text;
            run.cut = run.width > room;
            if (run.cut)
                run.width = -1;
            return run;
        }
        if (s.textWidth(text.substr(0, n)) > room) {
            run.visible = text.substr(0, std::min(text.size(), n + kCutSafety));
            run.cut = true;
            return run;
        }
    }
}

// Right end of a run drawn at x: a cut run reaches just past the page.
inline int runRight(const PrintSurface& s, int x, const TextRun& run) {
    if (run.cut)
        return std::max(x, advance(s.pageWidth(), 1));
    return advance(x, run.width < 0 ? 0 : run.width);
}

} // namespace versino
