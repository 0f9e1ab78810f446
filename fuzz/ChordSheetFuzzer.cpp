// Feeds arbitrary bytes to the chord sheet reader, as a file and as pasted text. Every input must
// give a song whose multi-line fields are whole lines ending in CR LF, whose single-line fields
// hold no line break, with no control character but tab anywhere, and whose chords are all closed
// and hold no "<" or ">": a chord sheet never produces markup that reads back differently.
#include "FuzzCheck.h"

#include "document/Notation.h"
#include "formats/ChordSheet.h"

#include <string>
#include <string_view>

using namespace versino;
using versino::fuzz::check;

namespace {

void checkLine(std::string_view line, const std::string& all) {
    check(line.find_first_of("\r\n") == std::string_view::npos, "a stray CR or LF inside a line", all);
    for (char c : line)
        check(static_cast<unsigned char>(c) >= 32 || c == '\t', "a control character in a line", all);
    notation::forEachPiece(line, [&](const notation::Piece& p) {
        if (p.kind != notation::Piece::Kind::Chord)
            return;
        check(p.chord.closed, "a chord left open", all);
        check(p.chord.text.find('<') == std::string_view::npos && !p.chord.empty(),
              "a chord that reads wrongly", all);
    });
}

void checkLines(const std::string& text, std::string_view lineEnd) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find(lineEnd, start);
        if (end == std::string::npos) {
            check(lineEnd == "\n", "a multi-line field lacks its final break", text);
            checkLine(std::string_view(text).substr(start), text);
            return;
        }
        checkLine(std::string_view(text).substr(start, end - start), text);
        start = end + lineEnd.size();
    }
}

} // namespace

void versino::fuzz::chordSheetInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const chordsheet::Import song = chordsheet::parse(bytes, QStringLiteral("Lied.txt"), {});
    for (FieldId id : kAllFields) {
        const std::string& text = song.content.texts[std::size_t(id)];
        if (isMultiLine(id))
            checkLines(text, "\r\n");
        else
            check(text.find_first_of("\r\n") == std::string::npos, "a line break in a single-line field",
                  text);
    }
    if (const auto pasted = chordsheet::convertPaste(QString::fromLatin1(bytes.data(), qsizetype(size))))
        checkLines(pasted->text, "\n");
}

VERSINO_FUZZ_ENTRY(versino::fuzz::chordSheetInput)
