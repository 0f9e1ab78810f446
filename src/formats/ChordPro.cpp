#include "formats/ChordPro.h"

#include "document/Cp1252.h"
#include "document/ImportedText.h"
#include "document/Notation.h"
#include "io/AtomicFile.h"
#include "io/RegularFile.h"
#include "music/Transpose.h"

#include <QFileInfo>
#include <QStringList>
#include <QStringDecoder>
#include <algorithm>
#include <charconv>
#include <map>
#include <cstdio>
#include <optional>

namespace versino::chordpro {
namespace {


// Directives that only the Versino export writes; other programs skip x_ directives.
constexpr std::string_view kClosingRemark = "x_versino_nachspiel";
constexpr std::string_view kPicture = "x_versino_graphik";
// Put before a chorus environment that fills the second field, called by ">>Refrain2".
constexpr std::string_view kSecondChorus = "x_versino_refrain2";
// Put before an environment that fills its field without a place in the lyrics.
constexpr std::string_view kUnplaced = "x_versino_unplaced";
// "{x_versino_notation: de ...}": the chords were German names, written in international ones.
constexpr std::string_view kNotation = "x_versino_notation";
// ChordPro's sign for diminished chords ("[C#°7]"), in Windows-1252. In the song notation the
// same character starts a chord's raised part, so it never passes into a chord unchanged.
constexpr char kDegree = '\xB0';

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

// ChordPro's markup in lyrics and comments: Pango's tags ("<b>", "</i>", "<span size=...>").
bool isMarkupTag(std::string_view name) {
    static constexpr std::string_view kTags[] = {"b",     "i",   "u",    "s",      "tt",     "sup",
                                                 "sub",   "big", "small", "span",  "strike", "em",
                                                 "strong", "font"};
    const std::string n = lower(name);
    for (std::string_view tag : kTags)
        if (n == tag)
            return true;
    return false;
}

// Names in the notation directive's table: blanks, tabs, "=", "%", "@" and "}" written as %XX.
std::string encodeName(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (static_cast<unsigned char>(c) <= ' ' || c == '=' || c == '%' || c == '@' || c == '}') {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", unsigned(static_cast<unsigned char>(c)));
            out += buf;
        } else {
            out += c;
        }
    }
    return out;
}

std::string decodeName(std::string_view name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        unsigned value = 0;
        if (name[i] == '%' && i + 2 < name.size() &&
            std::from_chars(name.data() + i + 1, name.data() + i + 3, value, 16).ptr == name.data() + i + 3) {
            out += char(value);
            i += 2;
        } else {
            out += name[i];
        }
    }
    return out;
}

// The German names of a song that the export wrote in international ones: each chord goes back by
// the rule (transpose::germanName) unless the table names it, by its international name or by its
// place among the song's chords ("@12").
class GermanNames {
public:
    bool active() const { return active_; }

    void read(std::string_view table) {
        active_ = true;
        std::size_t pos = 0;
        while (pos < table.size()) {
            const std::size_t end = std::min(table.find(' ', pos), table.size());
            const std::string_view entry = table.substr(pos, end - pos);
            pos = end + 1;
            const std::size_t eq = entry.find('=');
            if (eq == std::string_view::npos || eq == 0)
                continue;
            const std::string key = decodeName(entry.substr(0, eq));
            const std::string name = decodeName(entry.substr(eq + 1));
            if (!fitsAChord(name))
                continue;
            int index = 0;
            if (key[0] == '@' && std::from_chars(key.data() + 1, key.data() + key.size(), index).ptr ==
                                     key.data() + key.size())
                byPlace_[index] = name;
            else
                byName_[key] = name;
        }
    }

    // A name the export could have written: one that a chord holds whole and a field can take.
    static bool fitsAChord(std::string_view name) {
        for (char c : name) {
            const auto b = static_cast<unsigned char>(c);
            if ((b < ' ' && c != '\t') || b == 127 || c == notation::kChordClose || c == notation::kRaise)
                return false;
        }
        return true;
    }

    // The next chord of the song, as the German name it had.
    std::string next(std::string name) {
        const int place = place_++;
        if (!active_)
            return name;
        if (const auto p = byPlace_.find(place); p != byPlace_.end())
            return p->second;
        if (const auto n = byName_.find(name); n != byName_.end())
            return n->second;
        return transpose::germanName(name).value_or(name);
    }

private:
    bool active_ = false;
    int place_ = 0;
    std::map<int, std::string> byPlace_;
    std::map<std::string, std::string> byName_;
};

// What converting text from ChordPro changed, for the import report.
struct TextChanges {
    int lessThan = 0; // literal "<" written as "‹"
    int degree = 0;   // "°" in a chord written "o"
    int closing = 0;  // ">" in a chord written "›"
    int markup = 0;   // tags removed
};

// Converts one line of ChordPro text into the song notation in a single pass: "[Am]" becomes a
// chord, "[*Bis]" text on the chord row (a chord with only a raised part), markup tags go, a
// backslash before one of []{}#\ stands for that character, and whatever "<" is left stays text.
// `chords` false reads the line as plain text (a title, a comment) where "[" is no chord.
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

std::string convertLine(std::string_view line, TextChanges& changes, GermanNames& names, bool chords) {
    return LineConverter(line, changes, names).run(chords);
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

    // `text` is Windows-1252 with "\n" line ends.
    Import run(std::string_view text) {
        std::size_t pos = 0;
        while (pos <= text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string_view::npos)
                end = text.size();
            std::string line(text.substr(pos, end - pos));
            dropControls(line);
            take(line);
            if (end == text.size())
                break;
            pos = end + 1;
        }
        if (env_ == Env::Skipped)
            env_ = resumeEnv_; // a tab left open ends with the file; the chorus around it is kept
        endEnvironment();
        finish();
        return {std::move(content_), std::move(dropped_)};
    }

    // A sentence for the report about what was changed rather than left out.
    void note(const QString& sentence) {
        if (std::find(dropped_.begin(), dropped_.end(), std::pair(sentence, 0)) == dropped_.end())
            dropped_.emplace_back(sentence, 0);
    }

private:
    enum class Env { None, Chorus, Bridge, Lyrics, Skipped };
    // Which chorus "{chorus}" repeats: the one defined most recently.
    enum class LastChorus { None, First, Second, Lines };

    std::string& text(FieldId id) { return content_.texts[static_cast<std::size_t>(id)]; }

    void drop(const QString& kind, int times = 1) {
        for (auto& [k, count] : dropped_)
            if (k == kind && count > 0) {
                count += times;
                return;
            }
        dropped_.emplace_back(kind, times);
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
                if (name.rfind("end_of_", 0) == 0 || name == "eot" || name == "eog") {
                    env_ = resumeEnv_;
                    // The end of the chorus around the tab ends both.
                    if (name != "eot" && name != "eog" && skippedEnvironment("start_of_" + name.substr(7)).isEmpty())
                        endEnvironment();
                }
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
        lyric(convertLine(line, changes_, germanNames_, true));
    }

    // Text of a directive, as it goes into a field: markup removed, "<" kept as text.
    std::string plain(std::string_view value) { return convertLine(value, changes_, germanNames_, false); }

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
        // Trimmed after the markup is gone: "<i> x" is " x" without it.
        const std::string v(trim(plain(value)));

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
            single(FieldId::Nachspiel, std::string(value), QStringLiteral("weitere Schlussbemerkungen"));
        } else if (name == kPicture) {
            single(FieldId::Graphik, std::string(value), QStringLiteral("weitere Bilder"));
        } else if (name == kNotation) {
            readNotation(value);
        } else if (name == "image") {
            image(std::string(value));
        } else if (isFontDirective(name)) {
            font(name, std::string(value));
        } else if (isNewSong(name)) {
            if (seenLyric_ || set_[static_cast<std::size_t>(FieldId::Titel)]) {
                ++laterSongs_;
                drop(QStringLiteral("weitere Songs der Datei"));
            }
        } else if (name == "start_of_chorus" || name == "soc" || name == "start_of_bridge" || name == "sob") {
            startEnvironment(name == "start_of_chorus" || name == "soc" ? Env::Chorus : Env::Bridge);
            envLabel_ = v;
            if (!v.empty())
                drop(QStringLiteral("Abschnittsbezeichnungen"));
        } else if (name == "end_of_chorus" || name == "eoc" || name == "end_of_bridge" || name == "eob" ||
                   name.rfind("end_of_", 0) == 0 || name == "eov") {
            endEnvironment();
        } else if (name == "chorus") {
            if (env_ == Env::None || env_ == Env::Lyrics)
                recallChorus();
            else
                drop(QStringLiteral("Refrain-Aufrufe innerhalb eines Refrains"));
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
            // A tab or grid inside a chorus is left out, and the chorus goes on after it.
            if (env_ == Env::Chorus || env_ == Env::Bridge) {
                resumeEnv_ = env_;
            } else {
                endEnvironment();
                resumeEnv_ = Env::None;
            }
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
        if (seenLyric_) {
            // The page has one lyrics font and one chord font for the whole song.
            drop(QStringLiteral("Schriftangaben mitten im Song"));
            return;
        }
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
        notation::Directive call = notation::Directive::None;
        if (env == Env::Chorus && !second && !chorusSet_) {
            chorus = std::move(body), chorusSet_ = true, call = notation::Directive::Refrain;
        } else if (env == Env::Chorus && !second && chorus == body) {
            call = notation::Directive::Refrain;
        } else if (!bridgeSet_) {
            bridge = std::move(body), bridgeSet_ = true;
            call = env == Env::Chorus ? notation::Directive::Refrain2 : notation::Directive::Bridge;
        } else if (bridge == body) {
            call = env == Env::Chorus ? notation::Directive::Refrain2 : notation::Directive::Bridge;
        } else {
            if (env == Env::Chorus) {
                // Versino has two chorus fields; a third chorus stands in the lyrics as it is.
                nameThirdChorus(body);
                lastChorus_ = LastChorus::Lines;
                lastChorusLines_ = body;
            }
            for (const std::string& l : lines::split(body))
                lines::add(text(FieldId::Text), l);
            return;
        }
        if (env == Env::Chorus)
            lastChorus_ = call == notation::Directive::Refrain ? LastChorus::First : LastChorus::Second;
        if (!unplaced)
            lines::add(text(FieldId::Text), notation::directiveLine(call));
    }

    void nameThirdChorus(const std::string& body) {
        QString name = latin(envLabel_);
        if (name.isEmpty())
            name = latin(notation::lyricText(std::string_view(body).substr(0, body.find_first_of("\r\n")))).trimmed();
        if (name.size() > 40)
            name = name.left(39) + QChar(0x2026);
        note(QStringLiteral("Ein weiterer Refrain steht als Strophe im Text: \u201E%1\u201C").arg(name));
    }

    // "{chorus}" repeats the chorus defined most recently before it.
    void recallChorus() {
        switch (lastChorus_) {
        case LastChorus::None:
        case LastChorus::First:
            lyric(notation::directiveLine(notation::Directive::Refrain));
            break;
        case LastChorus::Second:
            lyric(notation::directiveLine(notation::Directive::Refrain2));
            break;
        case LastChorus::Lines:
            for (const std::string& l : lines::split(lastChorusLines_))
                lyric(l);
            break;
        }
    }

    // "{x_versino_notation: de Bb=B F#m=fis @12=Hb}": the song was written in German names.
    void readNotation(std::string_view value) {
        if (value.substr(0, 2) != "de" || (value.size() > 2 && value[2] != ' ')) {
            drop(QStringLiteral("Anweisung {%1}").arg(latin(kNotation)));
            return;
        }
        germanNames_.read(value.substr(std::min<std::size_t>(3, value.size())));
    }

    void report() {
        if (changes_.lessThan > 0)
            note(QStringLiteral("%1 \u00D7 \u201E<\u201C im Text als \u201E\u2039\u201C \u00FCbernommen "
                                "(\u201E<\u201C beginnt in Versino einen Akkord)")
                     .arg(changes_.lessThan));
        if (changes_.degree > 0)
            note(QStringLiteral("%1 \u00D7 \u201E\u00B0\u201C in Akkorden als \u201Eo\u201C (vermindert) "
                                "\u00FCbernommen").arg(changes_.degree));
        if (changes_.closing > 0)
            note(QStringLiteral("%1 \u00D7 \u201E>\u201C in Akkorden als \u201E\u203A\u201C \u00FCbernommen")
                     .arg(changes_.closing));
        if (changes_.markup > 0)
            drop(QStringLiteral("Textauszeichnungen (fett, kursiv \u2026)"), changes_.markup);
    }

    void finish() {
        std::string& lyrics = text(FieldId::Text);
        while (lines::dropEmptyLastLine(lyrics)) {
        }
        report();
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
    Env resumeEnv_ = Env::None;
    std::string envLabel_;
    LastChorus lastChorus_ = LastChorus::None;
    std::string lastChorusLines_;
    TextChanges changes_;
    GermanNames germanNames_;
};

// The chord names of an export: German names become international ones, and the table of the
// notation directive says how each comes back where the rule (transpose::germanName) would not.
class ChordNames {
public:
    explicit ChordNames(bool german) : german_(german) {}

    std::string exported(std::string_view name) {
        std::string out(name);
        if (german_) {
            if (std::optional<std::string> international =
                    transpose::internationalName(name, transpose::Notation::German))
                out = std::move(*international);
            changed_ = changed_ || out != name;
            written_.push_back({out, std::string(name)});
        }
        // ChordPro writes diminished with a degree sign: "C#o7" as "C#°7".
        if (transpose::parseChord(out, transpose::Notation::International)) {
            const std::size_t root = out.size() > 1 && (out[1] == '#' || out[1] == 'b') ? 2 : 1;
            if (root < out.size() && out[root] == 'o')
                out[root] = kDegree;
        }
        return out;
    }

    // "de Bb=B F#m=fis @12=Hb", or empty when the names were written as they are.
    std::string directive() const {
        if (!changed_)
            return {};
        // An international name that stands for one German name throughout is named once; where it
        // stands for several, each place is.
        std::map<std::string, std::string> single;
        std::map<std::string, bool> several;
        for (const auto& [international, name] : written_) {
            const auto [it, fresh] = single.emplace(international, name);
            if (!fresh && it->second != name)
                several[international] = true;
        }
        std::string value = "de";
        for (const auto& [international, name] : single)
            if (!several.count(international) && back(international) != name)
                value += ' ' + encodeName(international) + '=' + encodeName(name);
        for (std::size_t i = 0; i < written_.size(); ++i) {
            const auto& [international, name] = written_[i];
            if (several.count(international) && back(international) != name)
                value += " @" + std::to_string(i) + '=' + encodeName(name);
        }
        return value;
    }

private:
    static std::string back(const std::string& international) {
        return transpose::germanName(international).value_or(international);
    }

    bool german_;
    bool changed_ = false;
    std::vector<std::pair<std::string, std::string>> written_; // international, German
};

void appendEscaped(std::string& out, std::string_view text, std::string_view escaped) {
    for (char c : text) {
        if (escaped.find(c) != std::string_view::npos)
            out += '\\';
        out += c;
    }
}

// A line in the song notation as a ChordPro lyric line that reads back as the same text.
void writeLyric(std::string& out, std::string_view line, ChordNames& names) {
    const std::size_t firstNonBlank = line.find_first_not_of(" \t");
    notation::forEachPiece(line, [&](const notation::Piece& p) {
        if (p.kind == notation::Piece::Kind::Text) {
            for (std::size_t i = 0; i < p.text.size(); ++i) {
                const char c = p.text[i];
                const bool lineStart = p.offset + i == firstNonBlank;
                if (c == '[' || c == '\\' || ((c == '{' || c == '#') && lineStart))
                    out += '\\';
                out += c;
            }
            return;
        }
        out += '[';
        if (p.chord.text.empty() && p.chord.hasRaised) {
            // Text on the chord row: a ChordPro annotation.
            out += '*';
            appendEscaped(out, p.chord.raised, "]\\");
        } else {
            if (!p.chord.text.empty() && p.chord.text[0] == '*')
                out += '*'; // "[*x]" would read back as an annotation without its star
            // Other programs know no raised part: it joins its chord.
            appendEscaped(out, names.exported(p.chord.text), "]\\");
            appendEscaped(out, p.chord.raised, "]\\");
        }
        out += ']';
    });
    out += '\n';
}

void writeDirective(std::string& out, std::string_view name, std::string_view value) {
    out += '{';
    out += name;
    out += ": ";
    out += value;
    out += "}\n";
}

void writeEnvironment(std::string& out, std::string_view kind, std::string_view body, ChordNames& names) {
    out += "{start_of_";
    out += kind;
    out += "}\n";
    for (const std::string& l : lines::split(body))
        writeLyric(out, l, names);
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

Import parse(std::string_view bytes, const std::array<FontSetting, 4>& fontsBefore) {
    const cp1252::ImportedText text = cp1252::importBytes(bytes);
    Importer importer(fontsBefore);
    if (!text.replaced.empty())
        importer.note(text.summary());
    return importer.run(text.text);
}

std::vector<Import> parseSongs(std::string_view bytes, const std::array<FontSetting, 4>& fontsBefore) {
    const cp1252::ImportedText imported = cp1252::importBytes(bytes);
    const std::string& text = imported.text;
    std::vector<Import> songs;
    const auto take = [&](std::size_t from, std::size_t to) {
        Importer importer(fontsBefore);
        // What the decoding replaced is told once, with the first song.
        if (songs.empty() && !imported.replaced.empty())
            importer.note(imported.summary());
        Import song = importer.run(std::string_view(text).substr(from, to - from));
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
    // The reader takes a backslash before []{}#\ as an escape in text directives too.
    const auto putText = [&out](std::string_view name, const std::string& value) {
        std::string escaped;
        appendEscaped(escaped, value, "\\");
        if (!value.empty())
            writeDirective(out, name, escaped);
    };
    putText("title", doc.TitelEdit().text());
    putText("subtitle", doc.InterpretEdit().text());
    putText("capo", doc.KapoEdit().text());
    putText("comment", doc.VorspielEdit().text());
    const auto font = [&out](std::string_view kind, const FontSetting& f) {
        writeDirective(out, std::string(kind) + "font", f.name);
        writeDirective(out, std::string(kind) + "size", std::to_string(f.size));
        writeDirective(out, std::string(kind) + "colour", colourText(f.color));
    };
    font("text", doc.TextFont);
    font("chord", doc.AkkordFont);
    put(kClosingRemark, doc.NachspielEdit().text());
    put(kPicture, doc.GraphikEdit().text());

    const std::string chorus = doc.RefrainEdit().text();
    const std::string bridge = doc.BridgeEdit().text();
    const std::string lyrics = doc.TextEdit().text();
    ChordNames names(transpose::guessNotation({lyrics, chorus, bridge}) == transpose::Notation::German);
    std::string body;
    bool chorusWritten = false, bridgeWritten = false;
    // "{chorus}" repeats the chorus written last, so another chorus in between is written again.
    notation::Directive lastChorus = notation::Directive::None;
    const std::vector<std::string> lyricLines = lines::split(lyrics);
    // Blank lines before the first line of a song belong to its header when read; an empty verse
    // first makes them lyrics.
    if (!lyricLines.empty() && lyricLines.front().empty())
        body += "{start_of_verse}\n{end_of_verse}\n";
    for (const std::string& line : lyricLines) {
        switch (notation::directiveOf(line)) {
        case notation::Directive::Refrain:
            if (lastChorus == notation::Directive::Refrain)
                body += "{chorus}\n";
            else
                writeEnvironment(body, "chorus", chorus, names);
            chorusWritten = true;
            lastChorus = notation::Directive::Refrain;
            break;
        case notation::Directive::Refrain2:
            if (lastChorus == notation::Directive::Refrain2) {
                body += "{chorus}\n";
            } else {
                body += "{" + std::string(kSecondChorus) + "}\n";
                writeEnvironment(body, "chorus", bridge, names);
            }
            bridgeWritten = true;
            lastChorus = notation::Directive::Refrain2;
            break;
        case notation::Directive::Bridge:
            writeEnvironment(body, "bridge", bridge, names);
            bridgeWritten = true;
            break;
        case notation::Directive::NewColumn:
            body += "{column_break}\n";
            break;
        case notation::Directive::RefrainWord:
        case notation::Directive::None:
            writeLyric(body, line, names);
            break;
        }
    }
    // A chorus or bridge that no line calls still belongs to the song.
    if (!chorusWritten && !chorus.empty()) {
        body += "{" + std::string(kUnplaced) + "}\n";
        writeEnvironment(body, "chorus", chorus, names);
    }
    if (!bridgeWritten && !bridge.empty()) {
        body += "{" + std::string(kUnplaced) + "}\n";
        writeEnvironment(body, "bridge", bridge, names);
    }
    put(kNotation, names.directive());
    out += '\n';
    out += body;
    const QString unicode = cp1252::toUnicode(out);
    const QByteArray utf8 = unicode.toUtf8();
    return std::string(utf8.constData(), std::size_t(utf8.size()));
}

QString droppedMessage(const Dropped& dropped) {
    QStringList left, changed;
    for (const auto& [kind, count] : dropped) {
        if (count > 0)
            left << QStringLiteral("%1 \u00D7 %2").arg(count).arg(kind);
        else
            changed << kind;
    }
    QString text;
    if (!left.isEmpty())
        text = QStringLiteral("Nicht alles aus der ChordPro-Datei hat in einem Versino-Song Platz. "
                              "Ausgelassen wurden:\n") +
               left.join(QLatin1Char('\n'));
    if (!changed.isEmpty()) {
        if (!text.isEmpty())
            text += QStringLiteral("\n\n");
        text += QStringLiteral("Ge\u00E4ndert wurde:\n") + changed.join(QLatin1Char('\n'));
    }
    return text;
}

Dropped ReadChordProFile(SongDocument& doc, const QString& path) {
    // An imported song starts from the default fonts, never from those of the song open before.
    Import result = parse(readRegularFile(path),
                          {defaultTitelFont(), defaultInterpretFont(), defaultTextFont(), defaultAkkordFont()});
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
