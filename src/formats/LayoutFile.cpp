#include "formats/LayoutFile.h"

#include "io/AtomicFile.h"
#include "io/FileError.h"
#include "io/RegularFile.h"
#include "formats/TextReader.h"
#include "document/Cp1252.h"

#include <algorithm>
#include <array>

namespace versino {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// The section tags in file order; index i belongs to kAllFields[i], the last one to the fonts.
constexpr std::array<std::string_view, 10> kTags = {
    "[Titel]", "[Interpret]", "[Vorspiel]", "[Kapo]",    "[Refrain]",
    "[Bridge]", "[Text]",     "[Nachspiel]", "[Graphik]", "[Fonts]",
};
constexpr std::string_view kFontsTag = "[Fonts]";

bool isTag(std::string_view line) {
    for (std::string_view tag : kTags)
        if (line == tag)
            return true;
    return false;
}

// A text line of a multi-line field that is a tag followed by `blanks` blanks. The writer adds one
// blank to such a line, so that a lyric line "[Kapo]" is not read back as the tag, and the reader
// takes one away again. Returns -1 for any other line.
int blanksAfterTag(std::string_view line) {
    if (line.empty() || line.front() != '[' || line.back() != ' ')
        return line.empty() || line.front() != '[' || !isTag(line) ? -1 : 0;
    const std::size_t end = line.find_last_not_of(' ');
    if (end == std::string_view::npos || !isTag(line.substr(0, end + 1)))
        return -1;
    return int(line.size() - end - 1);
}

constexpr std::array<FieldId, 3> kMultiLineFields = {FieldId::Refrain, FieldId::Bridge, FieldId::Text};

// Up to three empty last lines off one text; returns whether any went.
bool trimText(std::string& text) {
    bool trimmed = false;
    for (int pass = 0; pass < 3; ++pass)
        trimmed = lines::dropEmptyLastLine(text) || trimmed;
    return trimmed;
}

void apply(SongDocument& doc, LayoutContent&& content) {
    for (std::size_t i = 0; i < kAllFields.size(); ++i)
        doc.field(kAllFields[i]).takeText(std::move(content.texts[i]));
    doc.TitelFont = content.fonts[0];
    doc.InterpretFont = content.fonts[1];
    doc.TextFont = content.fonts[2];
    doc.AkkordFont = content.fonts[3];
    doc.setOptions(std::move(content.options));
}

constexpr std::string_view kPagesKey = "Seiten: ";
constexpr std::string_view kDiagramsKey = "Griffbilder: ";
constexpr std::string_view kFingeringKey = "Griff: ";
constexpr std::string_view kNotationKey = "Notation: ";
constexpr std::string_view kInternational = "international";

bool knownInstrument(std::string_view name) {
    return name == "gitarre" || name == "ukulele" || name == "klavier";
}

std::string formatOptions(const SongOptions& options) {
    std::string out;
    if (options.isDefault())
        return out;
    out.append(kOptionsTag).append(kCrLf);
    if (options.pages != 1)
        out.append(kPagesKey).append(std::to_string(options.pages)).append(kCrLf);
    if (!options.diagrams.empty())
        out.append(kDiagramsKey).append(options.diagrams).append(kCrLf);
    for (const std::string& fingering : options.fingerings)
        out.append(kFingeringKey).append(fingering).append(kCrLf);
    if (options.international)
        out.append(kNotationKey).append(kInternational).append(kCrLf);
    return out;
}

// Reads the lines of an options section up to an empty line, a tag or the end; returns the line
// that ended it, which becomes the current line.
std::string readOptions(TextReader& in, SongOptions& options) {
    options = SongOptions{};
    while (!in.atEnd()) {
        std::string line = in.readLine();
        if (line.empty() || line == kOptionsTag || isTag(line))
            return line;
        auto value = [&line](std::string_view key) -> std::optional<std::string_view> {
            if (line.compare(0, key.size(), key) != 0)
                return std::nullopt;
            return std::string_view(line).substr(key.size());
        };
        if (auto pages = value(kPagesKey)) {
            if (*pages == "2")
                options.pages = 2;
        } else if (auto diagrams = value(kDiagramsKey)) {
            if (knownInstrument(*diagrams))
                options.diagrams = std::string(*diagrams);
        } else if (auto fingering = value(kFingeringKey)) {
            if (!fingering->empty())
                options.fingerings.emplace_back(*fingering);
        } else if (auto notation = value(kNotationKey)) {
            options.international = *notation == kInternational;
        }
    }
    return std::string();
}

// Reads one multi-line section into `text`. It ends at the real end of the data or at a line that
// is exactly one of the tags, which is returned as the next current line; a line that begins with
// byte 26 is an empty line here, not the end. While every line ends in CR LF and needs no
// cleaning, the section's text is the file's bytes as they stand, so it is copied in one piece at
// the end instead of line by line.
std::string readSection(TextReader& in, std::string& text) {
    const std::string_view data = in.data();
    const std::size_t start = in.position();
    std::size_t plainEnd = start;
    bool plain = true;
    std::string scratch;
    std::string next;
    while (in.position() < data.size()) {
        const std::size_t lineStart = in.position();
        std::string_view line = in.readLineView(scratch);
        if (isTag(line)) {
            next = std::string(line);
            break;
        }
        const bool escaped = blanksAfterTag(line) > 0;
        // Clean only when the line is the data itself and what follows it is exactly CR LF: a byte 26
        // and a lone LF are two bytes as well, but the 26 and the rest of its line are no text.
        const bool clean = !escaped && line.data() == data.data() + lineStart &&
                           in.position() - lineStart == line.size() + 2 &&
                           data.substr(lineStart + line.size(), 2) == kCrLf;
        if (plain && clean) {
            plainEnd = in.position();
            continue;
        }
        if (plain) {
            text.assign(data.substr(start, lineStart - start));
            plain = false;
        }
        if (escaped)
            line.remove_suffix(1);
        text.append(line);
        text.append(kCrLf);
    }
    if (plain)
        text.assign(data.substr(start, plainEnd - start));
    return next;
}

// What the four fonts of "[Fonts]" are called in a note, in their order.
constexpr const char* kFontOwners[] = {"des Titels", "des Interpreten", "des Textes", "der Akkorde"};

// The token a failed number read took, found again from where the read began (the reader's rule:
// characters up to code 32 skipped, then at most 32 characters up to the next such character),
// and the number of the line it stands on.
std::pair<std::size_t, std::string_view> badToken(std::string_view data, std::size_t from) {
    while (from < data.size() && static_cast<unsigned char>(data[from]) <= 32)
        ++from;
    std::size_t end = from;
    while (end < data.size() && end - from < 32 && static_cast<unsigned char>(data[end]) > 32)
        ++end;
    const std::size_t line = 1 + std::size_t(std::count(data.begin(), data.begin() + std::ptrdiff_t(from), '\n'));
    return {line, data.substr(from, end - from)};
}

// A size or colour of "[Fonts]". Where `notes` is given, a value that is no number takes `fallback`
// and says so there; otherwise it fails the read as the format defines.
std::int32_t readFontNumber(TextReader& in, std::size_t font, bool colour, std::int32_t fallback,
                            std::vector<QString>* notes) {
    const std::size_t from = in.position();
    const std::optional<std::int32_t> n = in.readNumber();
    if (n)
        return *n;
    if (!notes)
        throw FileError(FileError::Kind::InvalidNumber);
    const auto [line, token] = badToken(in.data(), from);
    const QString value = QString::fromUtf8(colour ? "Farbe " : "Schriftgr\u00F6\u00DFe ") +
                          QString::fromUtf8(kFontOwners[font]);
    // All four at once, so that a "%1" in the file's token stays as it is.
    notes->push_back(QString::fromUtf8(kBadFontNumberNote)
                         .arg(QString::number(line), value, cp1252::toUnicode(token), QString::number(fallback)));
    return fallback;
}

} // namespace

void TrimTrailingEmptyLines(SongDocument& doc) {
    // The three passes over the three fields come to at most three deletions per field, done here
    // on each field's whole text at once.
    for (FieldId id : kMultiLineFields) {
        std::string text = doc.field(id).text();
        if (trimText(text))
            doc.field(id).takeText(std::move(text));
    }
}

namespace {

// A multi-line text as it stands, except that each line that reads as a tag (followed by any number
// of blanks) gets one blank more, so that it comes back as text.
template <typename Put> void putMultiLine(std::string_view text, Put& put) {
    std::size_t done = 0;
    for (std::size_t lineStart = 0; lineStart < text.size();) {
        const std::size_t lf = text.find('\n', lineStart);
        const std::size_t next = lf == std::string_view::npos ? text.size() : lf + 1;
        std::string_view line = text.substr(lineStart, next - lineStart);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.remove_suffix(1);
        if (blanksAfterTag(line) >= 0) {
            put(text.substr(done, lineStart + line.size() - done));
            put(" ");
            done = lineStart + line.size();
        }
        lineStart = next;
    }
    put(text.substr(done));
}

// Hands the layout file's bytes to `put` piece by piece, in file order. Saving writes the pieces
// straight to the file, so a large song is never assembled a second time in memory.
template <typename Put> void emitLayout(const SongDocument& doc, Put&& put) {
    for (std::size_t i = 0; i < kAllFields.size(); ++i) {
        put(kTags[i]);
        put(kCrLf);
        const std::string& text = doc.field(kAllFields[i]).text();
        if (isMultiLine(kAllFields[i]))
            putMultiLine(text, put);
        else
            put(text);
        put(kCrLf);
    }
    std::string fonts(kFontsTag);
    fonts += kCrLf;
    for (const FontSetting& font : fontsOf(doc)) {
        for (const std::string& value : {font.name, std::to_string(font.size), std::to_string(font.color)}) {
            fonts += value;
            fonts += kCrLf;
        }
    }
    fonts += formatOptions(doc.options());
    put(fonts);
}

} // namespace

std::string formatLayout(const SongDocument& doc) {
    std::string out;
    emitLayout(doc, [&out](std::string_view piece) { out.append(piece); });
    return out;
}

LayoutContent parseLayout(std::string_view bytes, const std::array<FontSetting, 4>& fontsBefore) {
    return parseLayout(bytes, fontsBefore, nullptr);
}

LayoutContent parseLayout(std::string_view bytes, const std::array<FontSetting, 4>& fontsBefore,
                          std::vector<QString>* numberNotes) {
    LayoutContent content;
    content.texts[static_cast<std::size_t>(FieldId::Kapo)] = "0";
    content.fonts = fontsBefore;
    TextReader in(bytes);
    std::string s = in.readLine();
    // A file that holds text but not one tag is no song (a picture, a letter): opening it as an
    // empty song would let the next save overwrite it. Empty lines alone are an empty song.
    bool anyTag = false;
    bool anyText = false;
    // One pass runs every test in file order, each seeing the line the tests before it left, so a
    // file in the writer's order is read in one pass. The end is tested only at the top of a pass.
    while (!in.atEnd()) {
        // Every tag that a pass consumes is the current line at the top of some pass.
        anyTag = anyTag || isTag(s);
        for (std::size_t i = 0; i < kAllFields.size(); ++i) {
            if (s != kTags[i])
                continue;
            if (isMultiLine(kAllFields[i])) {
                s = readSection(in, content.texts[i]);
            } else {
                content.texts[i] = in.readLine();
                s = in.readLine();
            }
        }
        if (s == kFontsTag) {
            const std::array<FontSetting, 4> defaults = {defaultTitelFont(), defaultInterpretFont(),
                                                         defaultTextFont(), defaultAkkordFont()};
            for (std::size_t f = 0; f < content.fonts.size(); ++f) {
                FontSetting& font = content.fonts[f];
                font.name = in.readLine();
                font.size = readFontNumber(in, f, false, defaults[f].size, numberNotes);
                font.color = readFontNumber(in, f, true, defaults[f].color, numberNotes);
            }
            s = in.readLine();
        }
        if (s == kOptionsTag)
            s = readOptions(in, content.options);
        // Empty lines, and lines that are no tag at all, are read past.
        if (!isTag(s)) {
            anyText = anyText || !s.empty();
            s = in.readLine();
        }
    }
    anyTag = anyTag || isTag(s);
    anyText = anyText || !s.empty();
    if (!anyTag && anyText)
        throw FileError(FileError::Kind::NotASong);
    return content;
}

void parseLayout(std::string_view bytes, SongDocument& doc) { apply(doc, parseLayout(bytes, fontsOf(doc))); }

void WriteLayoutFile(SongDocument& doc, const QString& path) {
    AtomicFile file(path);
    TrimTrailingEmptyLines(doc);
    emitLayout(doc, [&file](std::string_view piece) { file.write(piece); });
    file.commit();
}

void applyLayoutContent(SongDocument& doc, LayoutContent&& content) {
    apply(doc, std::move(content));
}

void ReadLayoutFile(SongDocument& doc, const QString& path) {
    LayoutContent content = parseLayout(readRegularFile(path), fontsOf(doc));
    for (FieldId id : kMultiLineFields)
        trimText(content.texts[static_cast<std::size_t>(id)]);
    apply(doc, std::move(content));
}

} // namespace versino
