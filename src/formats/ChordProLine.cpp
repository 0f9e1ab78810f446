#include "formats/ChordProLine.h"

#include "document/Notation.h"
#include "formats/ChordProText.h"

namespace versino::chordpro {
namespace {

class LineConverter {
public:
    LineConverter(std::string_view line, TextChanges& changes, GermanNames& names)
        : line_(line), changes_(changes), names_(names) {}

    std::string run(bool chords) {
        const std::size_t n = line_.size();
        for (std::size_t i = 0; i < n; ++i) {
            const char c = line_[i];
            if (c == '\\' && i + 1 < n && escapable(line_[i + 1])) {
                text_ += line_[++i];
            } else if (c == '[' && chords && !unclosedChord_) {
                i = chord(i);
            } else if (c == '<') {
                i = markup(i);
            } else {
                text_ += c;
            }
        }
        flushText();
        return std::move(out_);
    }

private:
    void flushText() {
        changes_.lessThan += int(notation::appendLyricText(out_, text_));
        text_.clear();
    }

    // Returns the position of the chord's "]", or of the "[" when it is text.
    std::size_t chord(std::size_t open) {
        std::string body;
        const std::size_t n = line_.size();
        for (std::size_t j = open + 1; j < n; ++j) {
            if (line_[j] == '\\' && j + 1 < n && escapable(line_[j + 1])) {
                body += line_[++j];
            } else if (line_[j] == ']') {
                flushText();
                writeChord(body);
                return j;
            } else {
                body += line_[j];
            }
        }
        // No "]" to the end of the line: this "[" is text, and so is every later one, since their
        // search would cross the same characters.
        unclosedChord_ = true;
        text_ += '[';
        return open;
    }

    void writeChord(std::string& body) {
        for (char& c : body) {
            if (c == notation::kChordClose) {
                c = kClosingAngle;
                ++changes_.closing;
            }
        }
        if (!body.empty() && body[0] == '*' && !(body.size() > 1 && body[1] == '*')) {
            // An annotation: text on the chord row that is no chord, so it is written as a raised
            // part without a chord name, which transposition never touches.
            notation::appendChord(out_, {}, std::string_view(body).substr(1), true);
            return;
        }
        if (!body.empty() && body[0] == '*')
            body.erase(0, 1); // "[**x]" is a chord that begins with a star
        for (char& c : body) {
            if (c == kDegree) {
                c = 'o'; // diminished in ChordPro, not the start of a raised part
                ++changes_.degree;
            }
        }
        notation::appendChord(out_, names_.next(std::move(body)));
    }

    // Skips a markup tag; returns the position of its ">", or of the "<" when it is text.
    std::size_t markup(std::size_t open) {
        std::size_t i = open + 1;
        if (i < line_.size() && line_[i] == '/')
            ++i;
        const std::size_t nameStart = i;
        while (i < line_.size() && ((line_[i] >= 'a' && line_[i] <= 'z') || (line_[i] >= 'A' && line_[i] <= 'Z')))
            ++i;
        const std::string_view name = line_.substr(nameStart, i - nameStart);
        if (!name.empty() && isMarkupTag(name) && i < line_.size()) {
            std::size_t close = std::string_view::npos;
            if (line_[i] == '>')
                close = i;
            else if (line_[i] == ' ' || line_[i] == '\t')
                close = attributesEnd(i);
            if (close != std::string_view::npos) {
                ++changes_.markup;
                return close;
            }
        }
        text_ += '<';
        return open;
    }

    // The ">" after a tag's attributes ("size=\"9\""), or npos when what follows the name reads as
    // text: no "=" before the ">", or another "<" first ("<b c <i>" is text).
    std::size_t attributesEnd(std::size_t from) {
        const std::size_t close = nextClose(from);
        if (close == std::string_view::npos)
            return close;
        const std::string_view attributes = line_.substr(from, close - from);
        if (attributes.find('<') != std::string_view::npos || attributes.find('=') == std::string_view::npos)
            return std::string_view::npos;
        return close;
    }

    // The next ">" at or after `from`. The answer is kept, so a line of many "<span " costs one
    // search, not one per tag.
    std::size_t nextClose(std::size_t from) {
        if (!closeKnown_ || (close_ != std::string_view::npos && close_ < from)) {
            close_ = line_.find('>', from);
            closeKnown_ = true;
        }
        return close_;
    }

    static constexpr char kClosingAngle = '\x9B'; // "›"

    std::string_view line_;
    TextChanges& changes_;
    GermanNames& names_;
    std::string out_;
    std::string text_;
    bool unclosedChord_ = false;
    bool closeKnown_ = false;
    std::size_t close_ = std::string_view::npos;
};

} // namespace

std::string convertLine(std::string_view line, TextChanges& changes, GermanNames& names, bool chords) {
    return LineConverter(line, changes, names).run(chords);
}


} // namespace versino::chordpro
