#pragma once

#include "document/AsciiText.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What each line of a chord sheet is: blank, tablature, a chord diagram, a row of chords, a
// section label, text. Judged line by line, each in time linear in its length.
namespace versino::chordsheet {

inline constexpr int kTabWidth = 8;

// Calls fn(word, column) for each blank-separated word, with the column it starts in (tab stops
// every eight columns; one byte is one character of Windows-1252).
template <typename Fn> void forEachWord(std::string_view line, Fn&& fn) {
    int column = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == '\t') {
            column = (column / kTabWidth + 1) * kTabWidth;
            ++i;
        } else if (line[i] == ' ') {
            ++column, ++i;
        } else {
            const std::size_t start = i;
            while (i < line.size() && !ascii::isSpaceOrTab(line[i]))
                ++i;
            if (!fn(line.substr(start, i - start), column))
                return;
            column += int(i - start);
        }
    }
}

enum class Kind { Blank, Tablature, Diagram, Chords, Label, Text, Capo, Underline };

// One symbol of a chord line at its column. Bars glued to a chord ("|Am", "G|") stand apart.
struct Symbol {
    int column = 0;
    std::string_view text;
    bool chord = false;
};

Kind classify(std::string_view line);

// The symbols of a line when it is a chord line; false (and `out` unspecified) when it is not.
bool chordSymbols(std::string_view line, std::vector<Symbol>* out);

// "Capo 2", "Kapo: 3", "Capo on 2", "capo 2nd fret", "Capo 3. Bund": the fret, or nothing.
std::optional<std::string_view> capoOf(std::string_view t);

// A section label: "[Verse 1]", "Chorus:", "Refrain", "Strophe 2", "2. Strophe", "Chorus (x2)".
// Returns the label's section words through `chorus`: true when it names the chorus alone.
bool isLabel(std::string_view t, bool* chorus = nullptr);

} // namespace versino::chordsheet
