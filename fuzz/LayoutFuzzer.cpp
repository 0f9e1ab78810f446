// Feeds arbitrary bytes to the layout reader. Every input must end in a document or in the one
// error the reader knows ("Invalid numeric input"), a failed read must leave the document exactly
// as it was, and every document that was read must survive a save and a reload: the single-line
// fields and fonts unchanged, the multi-line fields changed only by the trimming of their trailing
// empty lines.
#include "FuzzCheck.h"

#include "io/FileError.h"
#include "formats/LayoutFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

using namespace versino;
using versino::fuzz::check;
using versino::fuzz::fail;

namespace {

struct State {
    std::array<std::string, kFieldCount> texts;
    std::array<FontSetting, 4> fonts;
    bool modified = false;

    static State of(const SongDocument& doc) {
        State s;
        for (std::size_t i = 0; i < kAllFields.size(); ++i)
            s.texts[i] = doc.field(kAllFields[i]).text();
        s.fonts = {doc.TitelFont, doc.InterpretFont, doc.TextFont, doc.AkkordFont};
        s.modified = doc.Modified;
        return s;
    }
};

// A document that is not a new one, so that a read which touches it shows.
void prepare(SongDocument& doc) {
    doc.TitelEdit().setText("vorher");
    doc.TextEdit().setText("alte Zeile\r\n\r\n\r\n\r\n");
    doc.TitelFont = {"Vorher", FontStyle::Bold | FontStyle::Italic, 0x123456, 31};
    doc.AkkordFont.style = FontStyle::Underline;
    doc.Modified = false;
}

// What the reader promises about the texts it produces.
void checkShape(const State& s) {
    for (std::size_t i = 0; i < kAllFields.size(); ++i) {
        const std::string& t = s.texts[i];
        check(t.find('\x1A') == std::string::npos, "a field holds byte 26", t);
        if (!isMultiLine(kAllFields[i])) {
            check(t.find_first_of("\r\n") == std::string::npos, "a single-line field holds a line break", t);
            continue;
        }
        check(t.empty() || t.size() >= 2, "a multi-line field holds a partial line break", t);
        if (!t.empty())
            check(t.compare(t.size() - 2, 2, "\r\n") == 0,
                  "a multi-line field read from a file lacks its final break", t);
        std::size_t start = 0;
        while (start < t.size()) {
            const std::size_t end = t.find("\r\n", start);
            check(end != std::string::npos, "unterminated line in a multi-line field", t);
            const std::string_view line(t.data() + start, end - start);
            check(line.find_first_of("\r\n") == std::string_view::npos, "a stray CR or LF inside a line", t);
            // A line that is exactly a tag may stand here: the file wrote it with a blank after the
            // tag, which the reader takes off again. Saving and reading again keeps it (below).
            start = end + 2;
        }
    }
}

// The text without its trailing empty lines, and how many there were.
std::pair<std::string, std::size_t> splitTrailingEmpty(std::string text) {
    std::size_t empties = 0;
    for (;;) {
        if (text == "\r\n") {
            text.clear();
            ++empties;
            break;
        }
        if (text.size() >= 4 && text.compare(text.size() - 4, 4, "\r\n\r\n") == 0) {
            text.resize(text.size() - 2);
            ++empties;
            continue;
        }
        break;
    }
    return {text, empties};
}

void readComplete(std::string_view bytes, SongDocument& doc) {
    parseLayout(bytes, doc);
    TrimTrailingEmptyLines(doc);
}

std::string writeComplete(SongDocument& doc) {
    TrimTrailingEmptyLines(doc);
    return formatLayout(doc);
}

} // namespace

void versino::fuzz::layoutInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    SongDocument doc;
    prepare(doc);
    const State before = State::of(doc);
    try {
        readComplete(bytes, doc);
    } catch (const FileError& e) {
        check(e.kind() == FileError::Kind::InvalidNumber || e.kind() == FileError::Kind::NotASong,
              "unexpected error kind", e.what());
        const State after = State::of(doc);
        check(after.texts == before.texts && after.fonts == before.fonts && after.modified == before.modified,
              "a failed read changed the document");
        return;
    }
    const State read = State::of(doc);
    checkShape(read);
    for (std::size_t f = 0; f < 4; ++f)
        check(read.fonts[f].style == before.fonts[f].style, "a read changed a style set");

    // Save and reload.
    const std::string written = writeComplete(doc);
    SongDocument again;
    prepare(again);
    try {
        readComplete(written, again);
    } catch (const FileError& e) {
        fail("a written file cannot be read back", e.what() + std::string("\n") + written);
    }
    const State reread = State::of(again);
    for (std::size_t i = 0; i < kAllFields.size(); ++i) {
        if (!isMultiLine(kAllFields[i])) {
            check(reread.texts[i] == read.texts[i], "a single-line field changed in a save and reload",
                  read.texts[i] + "\n->\n" + reread.texts[i]);
            continue;
        }
        // Saving trims up to three trailing empty lines, the writer's final line break adds one
        // back, and the reload trims up to three again: five fewer in all, never below none.
        const auto [body, empties] = splitTrailingEmpty(read.texts[i]);
        std::string expected = body;
        for (std::size_t k = 5; k < empties; ++k)
            expected += "\r\n";
        check(reread.texts[i] == expected, "a multi-line field changed beyond trimming in a save and reload",
              read.texts[i] + "\n->\n" + reread.texts[i]);
    }
    for (std::size_t f = 0; f < 4; ++f) {
        const FontSetting& a = read.fonts[f];
        const FontSetting& b = reread.fonts[f];
        check(a.name == b.name && a.size == b.size && a.color == b.color,
              "a font changed in a save and reload",
              a.name + "/" + std::to_string(a.size) + "/" + std::to_string(a.color) + " -> " + b.name + "/" +
                  std::to_string(b.size) + "/" + std::to_string(b.color));
    }

    // A document without trailing empty lines is a fixed point: saving it again writes the same bytes.
    const std::string writtenAgain = writeComplete(again);
    bool anyTrailing = false;
    for (FieldId id : {FieldId::Refrain, FieldId::Bridge, FieldId::Text})
        anyTrailing = anyTrailing || splitTrailingEmpty(read.texts[std::size_t(id)]).second > 0;
    if (!anyTrailing)
        check(writtenAgain == written,
              "a document without trailing empty lines saves differently the second time");
}

VERSINO_FUZZ_ENTRY(versino::fuzz::layoutInput)
