#include "formats/ChordPro.h"

#include "io/AtomicFile.h"
#include "document/Cp1252.h"
#include "io/RegularFile.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <charconv>
#include <cstdio>
#include <optional>

namespace versino::chordpro {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr char kSuperscript = '\xB0';

// Directives that only the Versino export writes; other programs skip x_ directives.
constexpr std::string_view kClosingRemark = "x_versino_nachspiel";
constexpr std::string_view kPicture = "x_versino_graphik";
// Put before a chorus environment that fills the second field, called by ">>Refrain2".
constexpr std::string_view kSecondChorus = "x_versino_refrain2";
// Put before an environment that fills its field without a place in the lyrics.
constexpr std::string_view kUnplaced = "x_versino_unplaced";

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

QString latin(std::string_view cp1252Text) {
    return cp1252::toUnicode(cp1252Text);
}

std::optional<std::int32_t> parseInt(std::string_view s) {
    s = trim(s);
    std::int32_t value = 0;
    const char* end = s.data() + s.size();
    const auto [ptr, ec] = std::from_chars(s.data(), end, value);
    if (s.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

// "#RRGGBB" or a few colour names, as 0x00BBGGRR.
std::optional<std::int32_t> parseColour(std::string_view s) {
    const std::string v = lower(trim(s));
    struct Named {
        const char* name;
        std::int32_t rgb;
    };
    static constexpr Named kNames[] = {
        {"black", 0x000000}, {"white", 0xFFFFFF},  {"red", 0xFF0000},     {"green", 0x008000},
        {"blue", 0x0000FF},  {"yellow", 0xFFFF00}, {"magenta", 0xFF00FF}, {"cyan", 0x00FFFF},
        {"grey", 0x808080},  {"gray", 0x808080},   {"orange", 0xFFA500},  {"purple", 0x800080},
    };
    std::int32_t rgb = -1;
    for (const Named& n : kNames)
        if (v == n.name)
            rgb = n.rgb;
    if (rgb < 0 && v.size() == 7 && v[0] == '#') {
        std::uint32_t x = 0;
        const auto [ptr, ec] = std::from_chars(v.data() + 1, v.data() + v.size(), x, 16);
        if (ec == std::errc() && ptr == v.data() + v.size())
            rgb = static_cast<std::int32_t>(x);
    }
    if (rgb < 0)
        return std::nullopt;
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

std::string colourText(std::int32_t bgr) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", unsigned(bgr & 0xFF), unsigned((bgr >> 8) & 0xFF),
                  unsigned((bgr >> 16) & 0xFF));
    return buf;
}

bool escapable(char c) {
    return c == '[' || c == ']' || c == '{' || c == '}' || c == '#' || c == '\\';
}

// A lyric line of ChordPro as a line with chord markup: "[Am]" becomes "<Am>", an annotation
// "[*text]" becomes "<text>", and a backslash before one of []{}#\ stands for that character.
std::string convertLyric(std::string_view line) {
    std::string out;
    out.reserve(line.size());
    const std::size_t n = line.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = line[i];
        if (c == '\\' && i + 1 < n && escapable(line[i + 1])) {
            out += line[++i];
        } else if (c == '[') {
            std::string chord;
            std::size_t j = i + 1;
            bool closed = false;
            for (; j < n; ++j) {
                if (line[j] == '\\' && j + 1 < n && escapable(line[j + 1])) {
                    chord += line[++j];
                } else if (line[j] == ']') {
                    closed = true;
                    break;
                } else {
                    chord += line[j];
                }
            }
            if (!closed) { // a lone "[" is text
                out += c;
                continue;
            }
            if (!chord.empty() && chord[0] == '*')
                chord.erase(0, 1);
            out += '<';
            out += chord;
            out += '>';
            i = j;
        } else {
            out += c;
        }
    }
    return out;
}

// Characters that would break a field: control characters other than tab.
void dropControls(std::string& line) {
    std::size_t w = 0;
    for (char c : line) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 32 && b != 127) || b == '\t')
            line[w++] = c;
    }
    line.resize(w);
}

class Importer {
public:
    explicit Importer(const std::array<FontSetting, 4>& fonts) { content_.fonts = fonts; }

    Import run(std::string_view text) {
        std::size_t pos = 0;
        while (pos <= text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string_view::npos)
                end = text.size();
            std::string line(text.substr(pos, end - pos));
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            dropControls(line);
            take(line);
            if (end == text.size())
                break;
            pos = end + 1;
        }
        endEnvironment();
        finish();
        return {std::move(content_), std::move(dropped_)};
    }

private:
    enum class Env { None, Chorus, Bridge, Lyrics, Skipped };

    std::string& text(FieldId id) { return content_.texts[static_cast<std::size_t>(id)]; }

    void drop(const QString& kind) {
        for (auto& [k, count] : dropped_)
            if (k == kind) {
                ++count;
                return;
            }
        dropped_.emplace_back(kind, 1);
    }

    void lyric(std::string_view line) {
        if (line.empty() && !seenLyric_)
            return; // blank lines between the header and the song
        seenLyric_ = true;
        if (env_ == Env::Chorus || env_ == Env::Bridge)
            lines::add(envText_, line);
        else
            lines::add(text(FieldId::Text), line);
    }

    void take(const std::string& line) {
        if (laterSongs_ > 0) {
            // Only the first song of a file is read; the start of each further one is counted.
            const std::string_view t = trim(line);
            if (t.size() > 2 && t.front() == '{' && t.back() == '}' && isNewSong(directiveName(t)))
                drop(QStringLiteral("weitere Songs der Datei"));
            return;
        }
        if (env_ == Env::Skipped) {
            const std::string_view t = trim(line);
            if (t.size() > 2 && t.front() == '{' && t.back() == '}') {
                const std::string name = directiveName(t);
                if (name.rfind("end_of_", 0) == 0 || name == "eot" || name == "eog")
                    env_ = Env::None;
            }
            return;
        }
        if (!line.empty() && line[0] == '#') {
            drop(QStringLiteral("Kommentarzeilen (#)"));
            return;
        }
        const std::string_view t = trim(line);
        if (t.size() >= 2 && t.front() == '{' && t.back() == '}') {
            directive(t);
            return;
        }
        lyric(convertLyric(line));
    }

    static std::size_t nameEnd(std::string_view inner) {
        std::size_t i = 0;
        while (i < inner.size() && inner[i] != ':' && inner[i] != ' ' && inner[i] != '\t')
            ++i;
        return i;
    }

    static std::string directiveName(std::string_view t) {
        const std::string_view inner = t.substr(1, t.size() - 2);
        return lower(trim(inner.substr(0, nameEnd(inner))));
    }

    // "{name: value}" or "{name value}"
    void directive(std::string_view t) {
        const std::string_view inner = t.substr(1, t.size() - 2);
        const std::size_t i = nameEnd(inner);
        const std::string name = lower(trim(inner.substr(0, i)));
        std::string_view value = i < inner.size() ? trim(inner.substr(i + 1)) : std::string_view();
        if (i < inner.size() && inner[i] != ':' && !value.empty() && value.front() == ':')
            value = trim(value.substr(1));
        const std::string v(value);

        if (name == "title" || name == "t") {
            single(FieldId::Titel, v, QStringLiteral("weitere Titel"));
        } else if (name == "subtitle" || name == "st" || name == "artist") {
            single(FieldId::Interpret, v, QStringLiteral("weitere Untertitel oder Interpreten"));
        } else if (name == "capo") {
            single(FieldId::Kapo, v, QStringLiteral("weitere Kapo-Angaben"));
        } else if (name == "comment" || name == "c" || name == "comment_italic" || name == "ci" ||
                   name == "comment_box" || name == "cb" || name == "highlight") {
            if (!seenLyric_ && text(FieldId::Vorspiel).empty() && env_ == Env::None)
                text(FieldId::Vorspiel) = v;
            else
                lyric(v);
        } else if (name == kClosingRemark) {
            single(FieldId::Nachspiel, v, QStringLiteral("weitere Schlussbemerkungen"));
        } else if (name == kPicture) {
            single(FieldId::Graphik, v, QStringLiteral("weitere Bilder"));
        } else if (name == "image") {
            image(v);
        } else if (isFontDirective(name)) {
            font(name, v);
        } else if (isNewSong(name)) {
            if (seenLyric_ || set_[static_cast<std::size_t>(FieldId::Titel)]) {
                ++laterSongs_;
                drop(QStringLiteral("weitere Songs der Datei"));
            }
        } else if (name == "start_of_chorus" || name == "soc" || name == "start_of_bridge" || name == "sob") {
            startEnvironment(name == "start_of_chorus" || name == "soc" ? Env::Chorus : Env::Bridge);
            if (!v.empty())
                drop(QStringLiteral("Abschnittsbezeichnungen"));
        } else if (name == "end_of_chorus" || name == "eoc" || name == "end_of_bridge" || name == "eob" ||
                   name.rfind("end_of_", 0) == 0 || name == "eov") {
            endEnvironment();
        } else if (name == "chorus") {
            if (env_ == Env::None || env_ == Env::Lyrics)
                lyric(">>Refrain");
            if (!v.empty())
                drop(QStringLiteral("Abschnittsbezeichnungen"));
        } else if (name == "column_break" || name == "colb") {
            if (env_ == Env::None || env_ == Env::Lyrics)
                lyric(">>neue Spalte");
            else
                drop(QStringLiteral("Spaltenwechsel innerhalb eines Refrains"));
        } else if (name == kSecondChorus) {
            nextSecondChorus_ = true;
        } else if (name == kUnplaced) {
            nextUnplaced_ = true;
        } else if (const QString kind = skippedEnvironment(name); !kind.isEmpty()) {
            drop(kind);
            endEnvironment();
            env_ = Env::Skipped;
        } else if (name.rfind("start_of_", 0) == 0 || name == "sov") {
            // Verses and other sections: their lines are lyrics; a label has no place.
            endEnvironment();
            env_ = Env::Lyrics;
            seenLyric_ = true;
            if (!v.empty())
                drop(QStringLiteral("Abschnittsbezeichnungen"));
        } else if (isMetaData(name)) {
            drop(QStringLiteral("Angabe {%1}").arg(latin(name)));
        } else {
            drop(QStringLiteral("Anweisung {%1}").arg(latin(name)));
        }
    }

    static bool isNewSong(const std::string& name) { return name == "new_song" || name == "ns"; }

    static bool isMetaData(const std::string& name) {
        static const char* const kMeta[] = {"key",   "tempo",     "time",     "duration",  "year",
                                            "album", "composer",  "lyricist", "copyright", "arranger",
                                            "meta",  "sorttitle", "tag",      "k"};
        for (const char* m : kMeta)
            if (name == m)
                return true;
        return false;
    }

    static QString skippedEnvironment(const std::string& name) {
        if (name == "start_of_tab" || name == "sot")
            return QStringLiteral("Tabulaturen");
        if (name == "start_of_grid" || name == "sog")
            return QStringLiteral("Akkordraster");
        if (name == "start_of_abc")
            return QStringLiteral("ABC-Noten");
        if (name == "start_of_ly")
            return QStringLiteral("Lilypond-Noten");
        if (name == "start_of_svg")
            return QStringLiteral("SVG-Grafiken");
        return {};
    }

    // A single-line field takes the first value; a different later one is reported.
    void single(FieldId id, const std::string& value, const QString& kindOfSecond) {
        const auto i = static_cast<std::size_t>(id);
        if (set_[i]) {
            if (text(id) != value)
                drop(kindOfSecond);
            return;
        }
        text(id) = value;
        set_[i] = true;
    }

    void image(const std::string& value) {
        // "{image: src=name.bmp width=...}" or "{image: name.bmp}"
        std::string file = value;
        const std::size_t src = value.find("src=");
        if (src != std::string::npos) {
            std::size_t b = src + 4, e;
            if (b < value.size() && (value[b] == '"' || value[b] == '\'')) {
                const char q = value[b++];
                e = value.find(q, b);
            } else {
                e = value.find_first_of(" \t", b);
            }
            file = value.substr(b, e == std::string::npos ? std::string::npos : e - b);
        }
        const std::string ext = lower(file.size() >= 4 ? std::string_view(file).substr(file.size() - 4) : "");
        if (ext != ".bmp") {
            drop(QStringLiteral("Bilder, die keine BMP-Dateien sind"));
            return;
        }
        single(FieldId::Graphik, file, QStringLiteral("weitere Bilder"));
    }

    static bool isFontDirective(const std::string& name) {
        for (const char* kind : {"text", "chord"})
            for (const char* attr : {"font", "size", "colour", "color"})
                if (name == std::string(kind) + attr)
                    return true;
        return false;
    }

    // {textfont}, {textsize}, {textcolour} and their chord twins.
    void font(const std::string& name, const std::string& value) {
        const bool text = name.rfind("text", 0) == 0;
        FontSetting& setting = content_.fonts[text ? 2 : 3];
        const std::string attr = name.substr(text ? 4 : 5);
        if (attr == "font") {
            if (!value.empty())
                setting.name = value;
        } else if (attr == "size") {
            if (const std::optional<std::int32_t> size = parseInt(value); size && *size > 0)
                setting.size = *size;
            else
                drop(QStringLiteral("Schriftgrößen, die keine ganzen Punktzahlen sind"));
        } else if (const std::optional<std::int32_t> colour = parseColour(value)) {
            setting.color = *colour;
        } else {
            drop(QStringLiteral("unbekannte Farben"));
        }
    }

    void startEnvironment(Env env) {
        endEnvironment();
        env_ = env;
        seenLyric_ = true;
        envText_.clear();
    }

    // Places a finished chorus or bridge: into its field (with the directive line that calls it in
    // the lyrics), as a call of an equal field, or else as plain lyric lines.
    void endEnvironment() {
        const Env env = env_;
        env_ = Env::None;
        if (env != Env::Chorus && env != Env::Bridge)
            return;
        const bool unplaced = std::exchange(nextUnplaced_, false);
        const bool second = std::exchange(nextSecondChorus_, false);
        std::string body = std::move(envText_);
        envText_.clear();
        while (lines::dropEmptyLastLine(body)) {
        }
        std::string& chorus = text(FieldId::Refrain);
        std::string& bridge = text(FieldId::Bridge);
        const char* call = nullptr;
        if (env == Env::Chorus && !second && !chorusSet_) {
            chorus = std::move(body), chorusSet_ = true, call = ">>Refrain";
        } else if (env == Env::Chorus && !second && chorus == body) {
            call = ">>Refrain";
        } else if (!bridgeSet_) {
            bridge = std::move(body), bridgeSet_ = true;
            call = env == Env::Chorus ? ">>Refrain2" : ">>Bridge";
        } else if (bridge == body) {
            call = env == Env::Chorus ? ">>Refrain2" : ">>Bridge";
        } else {
            for (const std::string& l : lines::split(body))
                lines::add(text(FieldId::Text), l);
            return;
        }
        if (!unplaced)
            lines::add(text(FieldId::Text), call);
    }

    void finish() {
        std::string& lyrics = text(FieldId::Text);
        while (lines::dropEmptyLastLine(lyrics)) {
        }
    }

    LayoutContent content_;
    Dropped dropped_;
    Env env_ = Env::None;
    std::string envText_;
    bool seenLyric_ = false;
    std::array<bool, kFieldCount> set_{};
    bool chorusSet_ = false, bridgeSet_ = false;
    bool nextSecondChorus_ = false, nextUnplaced_ = false;
    int laterSongs_ = 0;
};

// A line with chord markup as a ChordPro lyric line that reads back as the same text.
void writeLyric(std::string& out, std::string_view line) {
    const std::size_t n = line.size();
    const std::size_t firstNonBlank = line.find_first_not_of(" \t");
    for (std::size_t i = 0; i < n; ++i) {
        const char c = line[i];
        if (c == '<') {
            std::size_t end = i + 1;
            while (end < n && line[end] != '>')
                ++end;
            std::string_view chord = line.substr(i + 1, end - i - 1);
            out += '[';
            if (!chord.empty() && chord[0] == '*')
                out += '*'; // "[*x]" would read back as an annotation without its star
            bool superscript = false;
            for (char cc : chord) {
                if (cc == kSuperscript && !superscript) {
                    superscript = true; // other programs know no superscript: the parts join
                    continue;
                }
                if (cc == ']' || cc == '\\')
                    out += '\\';
                out += cc;
            }
            out += ']';
            i = end;
        } else if (c == '[' || c == '\\' || ((c == '{' || c == '#') && i == firstNonBlank)) {
            out += '\\';
            out += c;
        } else {
            out += c;
        }
    }
    out += '\n';
}

void writeDirective(std::string& out, std::string_view name, std::string_view value) {
    out += '{';
    out += name;
    out += ": ";
    out += value;
    out += "}\n";
}

void writeEnvironment(std::string& out, std::string_view kind, std::string_view body) {
    out += "{start_of_";
    out += kind;
    out += "}\n";
    for (const std::string& l : lines::split(body))
        writeLyric(out, l);
    out += "{end_of_";
    out += kind;
    out += "}\n";
}

} // namespace

bool isChordProFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("cho") || suffix == QLatin1String("crd") ||
           suffix == QLatin1String("chopro") || suffix == QLatin1String("chordpro") ||
           suffix == QLatin1String("pro");
}

QString layoutNameFor(const QString& path) {
    const QFileInfo info(path);
    const QString base = info.completeBaseName().isEmpty() ? info.fileName() : info.completeBaseName();
    return base + QStringLiteral(".vsn");
}

std::string decode(std::string_view bytes) {
    bool utf8 = false;
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
        utf8 = true;
    }
    bool ascii = true;
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return std::string(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    // A file that declares UTF-8 but is damaged keeps what decodes; the rest shows as "?".
    if (!decoder.hasError() || utf8)
        return cp1252::fromUnicode(text);
    // Not UTF-8: an 8-bit file, read as the Windows code page that extends Latin-1.
    return std::string(bytes);
}

Import parse(std::string_view bytes, const std::array<FontSetting, 4>& fontsBefore) {
    return Importer(fontsBefore).run(decode(bytes));
}

std::vector<Import> parseSongs(std::string_view bytes, const std::array<FontSetting, 4>& fontsBefore) {
    const std::string text = decode(bytes);
    std::vector<Import> songs;
    const auto take = [&](std::size_t from, std::size_t to) {
        Import song = Importer(fontsBefore).run(std::string_view(text).substr(from, to - from));
        const auto& t = song.content.texts;
        if (!t[std::size_t(FieldId::Titel)].empty() || !t[std::size_t(FieldId::Text)].empty() ||
            !t[std::size_t(FieldId::Refrain)].empty())
            songs.push_back(std::move(song));
    };
    // Each part between "{new_song}" lines is read as a file of its own.
    std::size_t start = 0, pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string_view t = trim(std::string_view(text).substr(pos, end - pos));
        if (!t.empty() && t.back() == '\r')
            t = trim(t.substr(0, t.size() - 1));
        if (t.size() > 2 && t.front() == '{' && t.back() == '}') {
            const std::string_view inner = t.substr(1, t.size() - 2);
            const std::string name = lower(trim(inner.substr(0, inner.find_first_of(": \t"))));
            if (name == "new_song" || name == "ns") {
                take(start, pos);
                start = end + 1;
            }
        }
        pos = end + 1;
    }
    take(std::min(start, text.size()), text.size());
    return songs;
}

std::string format(const SongDocument& doc) {
    std::string out;
    const auto put = [&out](std::string_view name, const std::string& value) {
        if (!value.empty())
            writeDirective(out, name, value);
    };
    put("title", doc.TitelEdit().text());
    put("subtitle", doc.InterpretEdit().text());
    put("capo", doc.KapoEdit().text());
    put("comment", doc.VorspielEdit().text());
    const auto font = [&out](std::string_view kind, const FontSetting& f) {
        writeDirective(out, std::string(kind) + "font", f.name);
        writeDirective(out, std::string(kind) + "size", std::to_string(f.size));
        writeDirective(out, std::string(kind) + "colour", colourText(f.color));
    };
    font("text", doc.TextFont);
    font("chord", doc.AkkordFont);
    put(kClosingRemark, doc.NachspielEdit().text());
    put(kPicture, doc.GraphikEdit().text());
    out += '\n';

    const std::string chorus = doc.RefrainEdit().text();
    const std::string bridge = doc.BridgeEdit().text();
    bool chorusWritten = false, bridgeWritten = false;
    for (const std::string& line : doc.TextEdit().lineList()) {
        if (line == ">>Refrain") {
            if (chorusWritten)
                out += "{chorus}\n";
            else
                writeEnvironment(out, "chorus", chorus);
            chorusWritten = true;
        } else if (line == ">>Refrain2") {
            out += "{" + std::string(kSecondChorus) + "}\n";
            writeEnvironment(out, "chorus", bridge);
            bridgeWritten = true;
        } else if (line == ">>Bridge") {
            writeEnvironment(out, "bridge", bridge);
            bridgeWritten = true;
        } else if (line == ">>neue Spalte") {
            out += "{column_break}\n";
        } else {
            writeLyric(out, line);
        }
    }
    // A chorus or bridge that no line calls still belongs to the song.
    if (!chorusWritten && !chorus.empty()) {
        out += "{" + std::string(kUnplaced) + "}\n";
        writeEnvironment(out, "chorus", chorus);
    }
    if (!bridgeWritten && !bridge.empty()) {
        out += "{" + std::string(kUnplaced) + "}\n";
        writeEnvironment(out, "bridge", bridge);
    }
    const QString unicode = cp1252::toUnicode(out);
    const QByteArray utf8 = unicode.toUtf8();
    return std::string(utf8.constData(), std::size_t(utf8.size()));
}

QString droppedMessage(const Dropped& dropped) {
    if (dropped.empty())
        return {};
    QString text = QStringLiteral("Nicht alles aus der ChordPro-Datei hat in einem Versino-Song Platz. "
                                  "Ausgelassen wurden:");
    for (const auto& [kind, count] : dropped)
        text += QStringLiteral("\n%1 \u00D7 %2").arg(count).arg(kind);
    return text;
}

Dropped ReadChordProFile(SongDocument& doc, const QString& path) {
    Import result =
        parse(readRegularFile(path), {doc.TitelFont, doc.InterpretFont, doc.TextFont, doc.AkkordFont});
    applyLayoutContent(doc, std::move(result.content));
    return std::move(result.dropped);
}

void WriteChordProFile(const SongDocument& doc, const QString& path) {
    const std::string bytes = format(doc);
    AtomicFile file(path);
    file.write(bytes);
    file.commit();
}

} // namespace versino::chordpro
