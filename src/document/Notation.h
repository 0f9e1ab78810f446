#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The song notation of lyric lines, owned here and nowhere else: chords written inline as
// "<chord>" or "<chord°raised>", and the five lines that are directives instead of text. Every
// reader of lyric lines (the page, the page check, transposition, the file formats) walks a line
// through LineScanner, and every writer of chords builds them with appendChord.
namespace versino::notation {

inline constexpr char kChordOpen = '<';
inline constexpr char kChordClose = '>';
// "°" in Windows-1252: inside a chord, the first one starts the raised part.
inline constexpr char kRaise = '\xB0';
// "‹" in Windows-1252: what a literal "<" of text from elsewhere becomes, since the notation has
// no way to write "<" as text.
inline constexpr char kTextLessThan = '\x8B';

// One chord of a line. The views point into the scanned line.
struct Chord {
    std::string_view text;   // up to the first "°" (or the end of the chord)
    std::string_view raised; // after the first "°"; further "°" belong to it
    bool hasRaised = false;  // a "°" was written, even with nothing after it
    bool closed = true;      // false when the end of the line closed it
    bool empty() const { return text.empty() && raised.empty() && !hasRaised; }
};

// A piece of a lyric line: a run of lyric text, or one chord.
struct Piece {
    enum class Kind { Text, Chord };
    Kind kind = Kind::Text;
    std::string_view text; // Text: the lyric characters of the run
    Chord chord;           // Chord: the chord
    std::size_t offset = 0; // where the piece begins in the line (a chord's "<")
    std::size_t length = 0; // bytes of the line it covers, markup included
};

// Walks one line (without its line break) from left to right, in time linear in its length.
// Chords do not nest: a "<" inside a chord is a chord character. ">" and "°" outside a chord are
// lyric text. A chord without its ">" is closed by the end of the line.
class LineScanner {
public:
    explicit LineScanner(std::string_view line) : line_(line) {}
    // The next piece; false at the end of the line. Text pieces are never empty.
    bool next(Piece& piece);

private:
    std::string_view line_;
    std::size_t pos_ = 0;
};

// Calls fn(const Piece&) for each piece of the line, left to right.
template <typename Fn>
void forEachPiece(std::string_view line, Fn&& fn) {
    LineScanner scanner(line);
    Piece piece;
    while (scanner.next(piece))
        fn(static_cast<const Piece&>(piece));
}

// True when the line holds at least one chord (and so a chord row on the page).
bool hasChord(std::string_view line);
// True when a chord of the line is closed only by the end of the line.
bool hasOpenChord(std::string_view line);
// The lyric text of the line: every chord left out.
std::string lyricText(std::string_view line);

// Appends a chord in the notation: "<text>", or "<text°raised>" when it has a raised part.
void appendChord(std::string& out, std::string_view text, std::string_view raised = {}, bool hasRaised = false);
// Appends lyric text from elsewhere: each "<" becomes "‹", so that it stays text. Returns how
// many were replaced.
std::size_t appendLyricText(std::string& out, std::string_view text);

// A whole line that is a command to the page instead of text. Only the exact line counts: same
// case, no blanks around it.
enum class Directive { None, RefrainWord, Refrain, Refrain2, Bridge, NewColumn };
Directive directiveOf(std::string_view line);
// The line that writes the directive ("Refrain", ">>Refrain", ...); empty for None.
std::string_view directiveLine(Directive directive);

} // namespace versino::notation
