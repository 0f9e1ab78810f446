#include "formats/ChordPro.h"
#include "music/Fingering.h"

#include "document/AsciiText.h"
#include "document/Cp1252.h"
#include "document/ImportedText.h"
#include "document/Notation.h"
#include "formats/ChordProLine.h"
#include "formats/ChordProNames.h"
#include "formats/ChordProText.h"
#include "io/RegularFile.h"
#include "music/SongNotation.h"

#include <QStringList>
#include <algorithm>
#include <optional>
#include <unordered_map>

// Reading ChordPro: each line converted into the song notation, each directive carried out.
namespace versino::chordpro {
namespace {

// The sizes a ChordPro file may set: from the smallest the page draws to the largest at which a
// glyph at the printer's 600 dots per inch stays within the font engine's pixel sizes.
constexpr std::int32_t kMinImportedSize = 1;
constexpr std::int32_t kMaxImportedSize = 1638;

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
            const std::string_view t = ascii::trimSpaces(line);
            if (t.size() > 2 && t.front() == '{' && t.back() == '}' && isNewSong(directiveName(t)))
                drop(QStringLiteral("weitere Songs der Datei"));
            return;
        }
        if (env_ == Env::Skipped) {
            const std::string_view t = ascii::trimSpaces(line);
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
        const std::string_view t = ascii::trimSpaces(line);
        if (t.size() >= 2 && t.front() == '{' && t.back() == '}') {
            // "{chorus}{chorus}": each directive of the line is carried out.
            for (std::string_view one : directivesOf(t))
                directive(one);
            return;
        }
        lyric(convertLine(line, changes_, germanNames_, true));
    }

    // The directives of a line that starts with "{" and ends with "}": several when it is a row
    // of them ("{chorus} {chorus}"), else the whole line as one.
    static std::vector<std::string_view> directivesOf(std::string_view t) {
        std::vector<std::string_view> out;
        std::size_t pos = 0;
        while (pos < t.size()) {
            const std::size_t close = t.find('}', pos);
            if (t[pos] != '{' || close == std::string_view::npos ||
                t.substr(pos + 1, close - pos - 1).find('{') != std::string_view::npos)
                return {t};
            out.push_back(t.substr(pos, close - pos + 1));
            pos = close + 1;
            while (pos < t.size() && ascii::isSpaceOrTab(t[pos]))
                ++pos;
        }
        return out;
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
        return ascii::lower(ascii::trimSpaces(inner.substr(0, nameEnd(inner))));
    }

    // One directive as the handlers see it: its name in lower case, its value as written and its
    // value as text of a field (markup removed, trimmed).
    struct Call {
        std::string name;
        std::string_view value;
        std::string text;
    };
    using Handler = void (Importer::*)(const Call&);

    // "{name: value}" or "{name value}"
    void directive(std::string_view t) {
        const std::string_view inner = t.substr(1, t.size() - 2);
        const std::size_t i = nameEnd(inner);
        Call call;
        call.name = ascii::lower(ascii::trimSpaces(inner.substr(0, i)));
        call.value = i < inner.size() ? ascii::trimSpaces(inner.substr(i + 1)) : std::string_view();
        if (i < inner.size() && inner[i] != ':' && !call.value.empty() && call.value.front() == ':')
            call.value = ascii::trimSpaces(call.value.substr(1));
        // Trimmed after the markup is gone: "<i> x" is " x" without it.
        call.text = std::string(ascii::trimSpaces(plain(call.value)));
        (this->*handlerOf(call.name))(call);
    }

    // The handler of a directive: by its whole name from the table, else by the family its name
    // belongs to ("end_of_...", "start_of_...", fonts, metadata), else the one that reports it.
    static Handler handlerOf(const std::string& name) {
        static const std::unordered_map<std::string_view, Handler> kHandlers = {
            {"title", &Importer::onTitle},
            {"t", &Importer::onTitle},
            {"subtitle", &Importer::onPerformer},
            {"st", &Importer::onPerformer},
            {"artist", &Importer::onPerformer},
            {"capo", &Importer::onCapo},
            {"comment", &Importer::onComment},
            {"c", &Importer::onComment},
            {"comment_italic", &Importer::onComment},
            {"ci", &Importer::onComment},
            {"comment_box", &Importer::onComment},
            {"cb", &Importer::onComment},
            {"highlight", &Importer::onComment},
            {kClosingRemark, &Importer::onClosingRemark},
            {kPicture, &Importer::onPicture},
            {kNotation, &Importer::onNotation},
            {kDiagrams, &Importer::onVersinoDiagrams},
            {"define", &Importer::onDefine},
            {"chord", &Importer::onDefine},
            {"diagrams", &Importer::onDiagrams},
            {"image", &Importer::onImage},
            {"new_song", &Importer::onNewSong},
            {"ns", &Importer::onNewSong},
            {"start_of_chorus", &Importer::onStartOfChorus},
            {"soc", &Importer::onStartOfChorus},
            {"start_of_bridge", &Importer::onStartOfBridge},
            {"sob", &Importer::onStartOfBridge},
            {"eoc", &Importer::onEnd},
            {"eob", &Importer::onEnd},
            {"eov", &Importer::onEnd},
            {"chorus", &Importer::onChorus},
            {"column_break", &Importer::onColumnBreak},
            {"colb", &Importer::onColumnBreak},
            {kSecondChorus, &Importer::onSecondChorus},
            {kUnplaced, &Importer::onUnplaced},
            {"sov", &Importer::onSection},
            {"meta", &Importer::onMeta},
            {kSecondChorusBefore, &Importer::onSecondChorus},
        };
        if (const auto h = kHandlers.find(name); h != kHandlers.end())
            return h->second;
        if (!skippedEnvironment(name).isEmpty())
            return &Importer::onSkippedEnvironment;
        if (name.rfind("end_of_", 0) == 0)
            return &Importer::onEnd;
        if (name.rfind("start_of_", 0) == 0)
            return &Importer::onSection;
        if (isFontDirective(name))
            return &Importer::onFont;
        if (isMetaData(name))
            return &Importer::onMetaData;
        return &Importer::onUnknown;
    }

    void onTitle(const Call& c) { single(FieldId::Titel, c.text, QStringLiteral("weitere Titel")); }
    void onPerformer(const Call& c) {
        single(FieldId::Interpret, c.text, QStringLiteral("weitere Untertitel oder Interpreten"));
    }
    void onCapo(const Call& c) { single(FieldId::Kapo, c.text, QStringLiteral("weitere Kapo-Angaben")); }
    void onComment(const Call& c) {
        if (!seenLyric_ && text(FieldId::Vorspiel).empty() && env_ == Env::None)
            text(FieldId::Vorspiel) = c.text;
        else
            lyric(c.text);
    }
    void onClosingRemark(const Call& c) {
        single(FieldId::Nachspiel, std::string(c.value), QStringLiteral("weitere Schlussbemerkungen"));
    }
    void onPicture(const Call& c) { single(FieldId::Graphik, std::string(c.value), QStringLiteral("weitere Bilder")); }
    void onNotation(const Call& c) { readNotation(c.value); }
    // "{define: Am base-fret 1 frets x 0 2 2 1 0}" and "{chord: ...}": a fingering of the song's
    // own, kept as written; one that names no frets Versino can read is left out.
    void onDefine(const Call& c) {
        const std::optional<music::Definition> d = music::parseDefinition(c.value);
        if (!d) {
            drop(QStringLiteral("Griffdefinitionen ohne lesbare Bünde"));
            return;
        }
        std::vector<std::string>& own = content_.options.fingerings;
        const std::string text(c.value);
        if (std::find(own.begin(), own.end(), text) == own.end())
            own.push_back(text);
        if (!definedStrings_)
            definedStrings_ = d->fingering.frets.size();
    }
    void onDiagrams(const Call& c) {
        if (ascii::lower(c.value) == "off")
            diagramsOff_ = true;
    }
    void onVersinoDiagrams(const Call& c) {
        const std::string value = ascii::lower(c.value);
        if (value == "gitarre" || value == "ukulele" || value == "klavier" || value.empty())
            versinoDiagrams_ = value;
        else
            drop(QStringLiteral("Anweisung {%1}").arg(latin(kDiagrams)));
    }
    void onImage(const Call& c) { image(std::string(c.value)); }
    void onFont(const Call& c) { font(c.name, std::string(c.value)); }
    void onNewSong(const Call&) {
        if (seenLyric_ || set_[static_cast<std::size_t>(FieldId::Titel)]) {
            ++laterSongs_;
            drop(QStringLiteral("weitere Songs der Datei"));
        }
    }
    void onStartOfChorus(const Call& c) { startLabelled(Env::Chorus, c.text); }
    void onStartOfBridge(const Call& c) { startLabelled(Env::Bridge, c.text); }
    void startLabelled(Env env, const std::string& label) {
        startEnvironment(env);
        envLabel_ = label;
        if (!label.empty())
            drop(QStringLiteral("Abschnittsbezeichnungen"));
    }
    void onEnd(const Call&) { endEnvironment(); }
    void onChorus(const Call& c) {
        if (env_ == Env::None || env_ == Env::Lyrics)
            recallChorus();
        else
            drop(QStringLiteral("Refrain-Aufrufe innerhalb eines Refrains"));
        if (!c.text.empty())
            drop(QStringLiteral("Abschnittsbezeichnungen"));
    }
    void onColumnBreak(const Call&) {
        if (env_ == Env::None || env_ == Env::Lyrics)
            lyric(notation::directiveLine(notation::Directive::NewColumn));
        else
            drop(QStringLiteral("Spaltenwechsel innerhalb eines Refrains"));
    }
    void onSecondChorus(const Call&) { nextSecondChorus_ = true; }
    void onUnplaced(const Call&) { nextUnplaced_ = true; }
    void onSkippedEnvironment(const Call& c) {
        drop(skippedEnvironment(c.name));
        // A tab or grid inside a chorus is left out, and the chorus goes on after it.
        if (env_ == Env::Chorus || env_ == Env::Bridge) {
            resumeEnv_ = env_;
        } else {
            endEnvironment();
            resumeEnv_ = Env::None;
        }
        env_ = Env::Skipped;
    }
    void onSection(const Call& c) {
        // Verses and other sections: their lines are lyrics; a label has no place.
        endEnvironment();
        env_ = Env::Lyrics;
        seenLyric_ = true;
        if (!c.text.empty())
            drop(QStringLiteral("Abschnittsbezeichnungen"));
    }
    // "{meta: title Name}": the metadata every program reads, as the directive of its name.
    void onMeta(const Call& c) {
        std::size_t i = 0;
        while (i < c.value.size() && !ascii::isSpaceOrTab(c.value[i]))
            ++i;
        Call inner;
        inner.name = ascii::lower(c.value.substr(0, i));
        inner.value = ascii::trimSpaces(c.value.substr(i));
        inner.text = std::string(ascii::trimSpaces(plain(inner.value)));
        if (inner.name == "title" || inner.name == "subtitle" || inner.name == "artist" || inner.name == "capo")
            (this->*handlerOf(inner.name))(inner);
        else
            drop(QStringLiteral("Angabe {meta: %1}").arg(latin(inner.name)));
    }
    void onMetaData(const Call& c) { drop(QStringLiteral("Angabe {%1}").arg(latin(c.name))); }
    void onUnknown(const Call& c) { drop(QStringLiteral("Anweisung {%1}").arg(latin(c.name))); }

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
        const std::string ext = ascii::lower(file.size() >= 4 ? std::string_view(file).substr(file.size() - 4) : "");
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
            const std::optional<std::int32_t> size = parseInt(value);
            if (size && *size >= kMinImportedSize && *size <= kMaxImportedSize)
                setting.size = *size;
            else if (size)
                drop(QStringLiteral("Schriftgrößen außerhalb von %1 bis %2 Punkt")
                         .arg(kMinImportedSize)
                         .arg(kMaxImportedSize));
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
            } else {
                // The bridge field holds a second chorus: the bridge stays in the lyrics under a
                // label, and the report says so.
                lines::add(text(FieldId::Text), envLabel_.empty() ? std::string("Bridge:") : envLabel_ + ':');
                ++bridgesAsText_;
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

    // Remembers the first few choruses that stand in the lyrics by their label or first line;
    // report() names them in one sentence, so that many of them cost no more than one each.
    void nameThirdChorus(const std::string& body) {
        if (++chorusesAsText_ > 3)
            return;
        QString name = latin(envLabel_);
        if (name.isEmpty())
            name = latin(notation::lyricText(std::string_view(body).substr(0, body.find_first_of("\r\n")))).trimmed();
        if (name.size() > 40)
            name = name.left(39) + QChar(0x2026);
        chorusNames_ << QStringLiteral("\u201E%1\u201C").arg(name);
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
        if (chorusesAsText_ == 1)
            note(QStringLiteral("Ein weiterer Refrain steht als Strophe im Text: %1").arg(chorusNames_.front()));
        else if (chorusesAsText_ > 1)
            note(QStringLiteral("%1 weitere Refrains stehen als Strophe im Text: %2%3")
                     .arg(chorusesAsText_)
                     .arg(chorusNames_.join(QStringLiteral(", ")))
                     .arg(chorusesAsText_ > chorusNames_.size() ? QStringLiteral(" \u2026") : QString()));
        if (bridgesAsText_ == 1)
            note(QStringLiteral("Eine Bridge steht mit der Zeile \u201EBridge:\u201C als Strophe im Text "
                                "(das Bridge-Feld hat schon den zweiten Refrain)"));
        else if (bridgesAsText_ > 1)
            note(QStringLiteral("%1 Bridges stehen mit der Zeile \u201EBridge:\u201C als Strophen im Text "
                                "(das Bridge-Feld hat schon den zweiten Refrain)")
                     .arg(bridgesAsText_));
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

    // The song's own fingerings show as diagrams of their instrument, unless the file turns
    // diagrams off; Versino's own directive says which instrument it was.
    void settleDiagrams() {
        std::string& diagrams = content_.options.diagrams;
        if (diagramsOff_)
            diagrams.clear();
        else if (versinoDiagrams_)
            diagrams = *versinoDiagrams_;
        else if (definedStrings_ == 6)
            diagrams = "gitarre";
        else if (definedStrings_ == 4)
            diagrams = "ukulele";
    }

    void finish() {
        settleDiagrams();
        std::string& lyrics = text(FieldId::Text);
        while (lines::dropEmptyLastLine(lyrics)) {
        }
        decideNotation();
        report();
    }

    // Chords from elsewhere are international unless the file shows German; the song keeps which
    // one was taken, and the report tells it where it was a guess that changes a chord.
    void decideNotation() {
        if (germanNames_.active())
            return; // Versino's own export of a German song
        const std::vector<std::string_view> texts = {text(FieldId::Text), text(FieldId::Refrain),
                                                     text(FieldId::Bridge)};
        const transpose::Notation notation = transpose::importedNotation(texts);
        transpose::markImportedNotation(content_.options, notation, texts);
        if (transpose::notationMatters(texts))
            note(assumedNotationNote(notation));
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
    int chorusesAsText_ = 0;
    QStringList chorusNames_;
    int bridgesAsText_ = 0;
    std::string lastChorusLines_;
    TextChanges changes_;
    GermanNames germanNames_;
    std::optional<std::size_t> definedStrings_; // strings of the first own fingering
    std::optional<std::string> versinoDiagrams_;
    bool diagramsOff_ = false;
};

} // namespace

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
        std::string_view t = ascii::trimSpaces(std::string_view(text).substr(pos, end - pos));
        if (!t.empty() && t.back() == '\r')
            t = ascii::trimSpaces(t.substr(0, t.size() - 1));
        if (t.size() > 2 && t.front() == '{' && t.back() == '}') {
            const std::string_view inner = t.substr(1, t.size() - 2);
            const std::string name = ascii::lower(ascii::trimSpaces(inner.substr(0, inner.find_first_of(": \t"))));
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

Dropped ReadChordProFile(SongDocument& doc, const QString& path) {
    // An imported song starts from the default fonts, never from those of the song open before.
    Import result = parse(readRegularFile(path),
                          {defaultTitelFont(), defaultInterpretFont(), defaultTextFont(), defaultAkkordFont()});
    applyLayoutContent(doc, std::move(result.content));
    return std::move(result.dropped);
}

} // namespace versino::chordpro
