#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

// Text brought in from elsewhere (ChordPro files, chord sheets, the clipboard) into the song's
// Windows-1252 bytes, without a silent loss: what the code page lacks becomes its nearest plain
// letter, and every such change is counted for the import report.
namespace versino::cp1252 {

struct Replacement {
    char32_t from = 0; // the character of the source
    char to = '?';     // what it became
    int count = 0;
};

struct ImportedText {
    std::string text;                  // Windows-1252, line ends made "\n"
    std::vector<Replacement> replaced; // in order of first appearance
    int replacedCount() const;
    // "3 Zeichen ersetzt: Ż→Z, ł→l, ą→a" (at most ten named), or empty when nothing was replaced.
    QString summary() const;
};

// Decodes UTF-8 (with or without a byte-order mark), UTF-16 with a byte-order mark, or else
// Windows-1252 bytes. Line ends LF, CR LF and a lone CR all become "\n".
ImportedText importBytes(std::string_view bytes);
// The same for text that is already Unicode (the clipboard); line ends as above.
ImportedText importUnicode(const QString& text);

// The nearest character of Windows-1252 for one that it lacks: the letter without its accent
// ("Ż" → "Z", "ł" → "l"), the umlaut for a double acute ("ő" → "ö"), plain punctuation for
// typographic signs; "?" where there is none. A character the code page holds is returned as it is.
char nearestCharacter(char32_t c);

} // namespace versino::cp1252
