#include "document/Notation.h"

#include <cstring>

namespace versino::notation {

namespace {

// memchr is the fastest way to the next byte of interest; string_view::find is not always as fast.
std::size_t findByte(std::string_view s, std::size_t from, char c) {
    if (from >= s.size())
        return std::string_view::npos;
    const void* p = std::memchr(s.data() + from, static_cast<unsigned char>(c), s.size() - from);
    return p ? std::size_t(static_cast<const char*>(p) - s.data()) : std::string_view::npos;
}

} // namespace

bool LineScanner::next(Piece& piece) {
    if (pos_ >= line_.size())
        return false;
    piece = Piece{};
    piece.offset = pos_;
    if (line_[pos_] != kChordOpen) {
        const std::size_t open = findByte(line_, pos_, kChordOpen);
        const std::size_t end = open == std::string_view::npos ? line_.size() : open;
        piece.kind = Piece::Kind::Text;
        piece.text = line_.substr(pos_, end - pos_);
        piece.length = end - pos_;
        pos_ = end;
        return true;
    }
    const std::size_t bodyStart = pos_ + 1;
    const std::size_t close = findByte(line_, bodyStart, kChordClose);
    const std::size_t bodyEnd = close == std::string_view::npos ? line_.size() : close;
    const std::string_view body = line_.substr(bodyStart, bodyEnd - bodyStart);
    piece.kind = Piece::Kind::Chord;
    const std::size_t raise = body.find(kRaise);
    if (raise == std::string_view::npos) {
        piece.chord.text = body;
    } else {
        piece.chord.text = body.substr(0, raise);
        piece.chord.raised = body.substr(raise + 1);
        piece.chord.hasRaised = true;
    }
    piece.chord.closed = close != std::string_view::npos;
    pos_ = piece.chord.closed ? close + 1 : line_.size();
    piece.length = pos_ - piece.offset;
    return true;
}

bool hasChord(std::string_view line) { return findByte(line, 0, kChordOpen) != std::string_view::npos; }

bool hasOpenChord(std::string_view line) {
    // Only the last chord of a line can be left open: it runs to the end of the line.
    bool open = false;
    forEachPiece(line, [&](const Piece& p) { open = p.kind == Piece::Kind::Chord && !p.chord.closed; });
    return open;
}

std::string lyricText(std::string_view line) {
    std::string out;
    out.reserve(line.size());
    forEachPiece(line, [&](const Piece& p) {
        if (p.kind == Piece::Kind::Text)
            out += p.text;
    });
    return out;
}

void appendChord(std::string& out, std::string_view text, std::string_view raised, bool hasRaised) {
    out += kChordOpen;
    out += text;
    if (hasRaised || !raised.empty()) {
        out += kRaise;
        out += raised;
    }
    out += kChordClose;
}

std::size_t appendLyricText(std::string& out, std::string_view text) {
    std::size_t replaced = 0;
    for (std::size_t from = 0;;) {
        const std::size_t open = findByte(text, from, kChordOpen);
        if (open == std::string_view::npos) {
            out.append(text.substr(from));
            return replaced;
        }
        out.append(text.substr(from, open - from));
        out += kTextLessThan;
        ++replaced;
        from = open + 1;
    }
}

namespace {
constexpr std::string_view kDirectiveLines[] = {"", "Refrain", ">>Refrain", ">>Refrain2", ">>Bridge",
                                                ">>neue Spalte"};
} // namespace

Directive directiveOf(std::string_view line) {
    // Most lines are text; the first byte settles nearly all of them.
    if (line.empty() || (line[0] != '>' && line[0] != 'R'))
        return Directive::None;
    for (int d = 1; d < int(std::size(kDirectiveLines)); ++d)
        if (line == kDirectiveLines[d])
            return Directive(d);
    return Directive::None;
}

std::string_view directiveLine(Directive directive) { return kDirectiveLines[int(directive)]; }

} // namespace versino::notation
