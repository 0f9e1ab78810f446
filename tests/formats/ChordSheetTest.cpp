// Chord sheets (chords over lyrics) read into the song notation.

#include "formats/ChordSheet.h"
#include "formats/ChordSheetLines.h"

#include "document/Cp1252.h"

#include <gtest/gtest.h>
#include <random>

using namespace versino;
using namespace versino::chordsheet;

namespace {

std::string field(const Import& i, FieldId id) {
    return i.content.texts[std::size_t(id)];
}

Import read(std::string_view bytes) {
    return parse(bytes, QStringLiteral("/tmp/Mein Lied.txt"), {});
}

// The lines (Windows-1252, without line ends) as they come out of a paste into the lyrics; where no
// chord line stands above a text line, the paste keeps them as they are.
std::vector<std::string> converted(const std::vector<std::string_view>& in, Report* report = nullptr) {
    QString text;
    for (std::size_t i = 0; i < in.size(); ++i)
        text += (i ? QStringLiteral("\n") : QString()) + cp1252::toUnicode(std::string(in[i]));
    const std::optional<Pasted> pasted = convertPaste(text);
    if (!pasted)
        return {in.begin(), in.end()};
    if (report)
        *report = pasted->report;
    std::vector<std::string> lines(1);
    for (const char c : pasted->text)
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back() += c;
    return lines;
}

} // namespace

TEST(ChordSheet, tellsChordLinesFromText) {
    struct Case {
        const char* line;
        bool chords;
    };
    for (const Case& c : std::initializer_list<Case>{{"Am  C/G  F  C", true},
                                                     {"H7   fis   e", true},
                                                     {"Bb  F#m7b5  Dsus4  Cmaj7", true},
                                                     {"D/F#  N.C.  (Am)", true},
                                                     {"| Am | G |  (2x)", true},
                                                     {"Am - G - C  x2", true},
                                                     {"\tAm\t\tG", true},
                                                     {"|:Am  G:|  2x", true},
                                                     {"C\xB0"
                                                      "7  Gm(add9)",
                                                      true},
                                                     {"Let it be, let it be", false},
                                                     {"A  Bass  C", false},
                                                     {"Am, G", false},
                                                     {"| - |", false},
                                                     {"x2", false},
                                                     {"Intro: Am G", false},
                                                     {"", false}})
        EXPECT_EQ(classify(c.line) == Kind::Chords, c.chords) << c.line;
}

TEST(ChordSheet, mergesChordsByColumnWithTabStopsAndPastTheEnd) {
    struct Case {
        const char* chords;
        const char* text;
        const char* merged;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"     Am", "Let it be", "Let i<Am>t be"},
             {"Am         C/G", "Let it be, let it be", "<Am>Let it be, <C/G>let it be"},
             {"G       D", "Wenn der Abend", "<G>Wenn der<D> Abend"},
             {"\tD", "Wenn der Abend", "Wenn der<D> Abend"},
             {"  G     D", "x\ty", "x<G>\t<D>y"},
             {"C          G   D7", "H\xFCgel", "<C>H\xFCgel      <G>    <D7>"},
             {"Am    G", "1 < 2", "<Am>1 \x8B 2 <G>"},
             {" C\xB0"
              "7",
              "Wenn", "W<Co7>enn"}}) {
        const std::vector<std::string> out = converted({c.chords, c.text});
        ASSERT_EQ(out.size(), 1u) << c.text;
        EXPECT_EQ(out[0], c.merged);
    }
}

TEST(ChordSheet, chordLinesWithoutTextBelowStandAloneAndOtherLinesStay) {
    Report report;
    const std::vector<std::string> out = converted(
        {"Am  G    C", "", "Am   G", "F      C", "Ein Lied", "[Refrain]", "Em", "Chorus:", "Strophe 2",
         "e|---3---|", "B|-1h3--|", "Am: x02210", "D x-0-0-2-3-2  G 320003", "D"},
        &report);
    // A row of chords alone keeps the blanks between its chords.
    EXPECT_EQ(out, (std::vector<std::string>{"<Am>  <G>    <C>", "", "<Am>   <G>", "<F>Ein Lie<C>d", "[Refrain]",
                                             "<Em>", "Chorus:", "Strophe 2", "<D>"}));
    EXPECT_EQ(report.tablatureLines, 2);
    EXPECT_EQ(report.diagramLines, 2);
    EXPECT_TRUE(report.message().contains(QStringLiteral("2 \u00D7 Tabulaturzeile")));
}

TEST(ChordSheet, takesTitleAndPerformerFromTheFirstLineElseTheFileName) {
    struct Case {
        const char* sheet;
        const char* title;
        const char* performer;
        const char* lyrics;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"\nLet It Be - The Beatles\nAm\nLet it be\n", "Let It Be", "The Beatles", "<Am>Let it be\r\n"},
             {"Abendlied\n\nDer Mond\n", "Abendlied", "", "Der Mond\r\n"},
             {"Der Mond\nist aufgegangen\n", "Mein Lied", "", "Der Mond\r\nist aufgegangen\r\n"},
             {"C\nDer Mond\n\nzwei", "Mein Lied", "", "<C>Der Mond\r\n\r\nzwei\r\n"},
             {"", "Mein Lied", "", ""},
             {"Lied\n\nCapo: 3rd fret\n\nC\nText\nCapo 2\n", "Lied", "", "<C>Text\r\nCapo 2\r\n"}}) {
        const Import i = read(c.sheet);
        EXPECT_EQ(field(i, FieldId::Titel), c.title) << c.sheet;
        EXPECT_EQ(field(i, FieldId::Interpret), c.performer) << c.sheet;
        EXPECT_EQ(field(i, FieldId::Text), c.lyrics) << c.sheet;
        EXPECT_EQ(field(i, FieldId::Kapo),
                  std::string_view(c.sheet).find("3rd") != std::string_view::npos ? "3" : "");
    }
}

TEST(ChordSheet, chorusMovesOnlyWhenItIsClearlyOneBlock) {
    const Import clear = read("Lied - Wir\n\n[Verse 1]\nG\nEins\n\n[Chorus]\nD\nLa la\nLa\n\n"
                              "Zwei\n\ne|---3---|\n\nChorus:\n");
    EXPECT_EQ(field(clear, FieldId::Refrain), "<D>La la\r\nLa\r\n");
    EXPECT_EQ(field(clear, FieldId::Text),
              "[Verse 1]\r\n<G>Eins\r\n\r\n>>Refrain\r\n\r\nZwei\r\n\r\n>>Refrain\r\n");

    // Two different choruses: in doubt everything stays in the lyrics.
    const std::string doubtful = "Refrain\nLa la\n\nRefrain 2\nLi li\n";
    const Import kept = read(doubtful);
    EXPECT_EQ(field(kept, FieldId::Refrain), "");
    EXPECT_EQ(field(kept, FieldId::Text), "Refrain\r\nLa la\r\n\r\nRefrain 2\r\nLi li\r\n");
}

TEST(ChordSheet, readsEveryEncodingAndReportsWhatItReplaced) {
    const std::string utf8 = "\xEF\xBB\xBF"
                             "\xC3\x84rger - \xC5\x81"
                             "ukasz\nC\nGr\xC3\xBC\xC3\x9F"
                             "e\n";
    const std::string latin = "\xC4rger - Lukasz\r\nC\r\nGr\xFC\xDF"
                              "e";
    std::string utf16 = "\xFF\xFE";
    for (QChar ch : QString::fromUtf8(utf8.substr(3)))
        utf16 += char(ch.unicode() & 0xFF), utf16 += char(ch.unicode() >> 8);
    for (const std::string& bytes : {utf8, latin, utf16}) {
        const Import i = read(bytes);
        EXPECT_EQ(field(i, FieldId::Titel), "\xC4rger");
        EXPECT_EQ(field(i, FieldId::Interpret), "Lukasz");
        EXPECT_EQ(field(i, FieldId::Text), "<C>Gr\xFC\xDF"
                                           "e\r\n");
        EXPECT_EQ(i.report.empty(), bytes == latin);
    }
    EXPECT_TRUE(read(utf8).report.message().contains(QStringLiteral("1 Zeichen ersetzt")));
}

TEST(ChordSheet, pasteConvertsOnlyWhenAChordLineStandsAboveText) {
    EXPECT_FALSE(convertPaste(QStringLiteral("Nur Text\nohne Akkorde\n")));
    EXPECT_FALSE(convertPaste(QStringLiteral("Am G\n\nText")));
    EXPECT_EQ(convertPaste(QStringLiteral("B\u266D F\u266Fm\nLa la\n"))->text, "<Bb>La <F#m>la\n");
    const std::optional<Pasted> p = convertPaste(QStringLiteral("[Refrain]\r\n   G\r\nSch\u00F6n ist\r\n"));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->text, "[Refrain]\nSch<G>\xF6n ist\n");
}

// A song written as chords over lyrics (each chord at the column of its character, monospaced)
// reads back as the same lyric lines.
TEST(ChordSheet, chordsOverLyricsReadBackAsTheSameLines) {
    const char* const chords[] = {"Am", "C",      "G7",    "D/F#",  "H7", "fis",
                                  "Bb", "F#m7b5", "Dsus4", "Cmaj7", "es"};
    const char* const words[] = {"Wenn",
                                 "der",
                                 "Abend",
                                 "\xFC"
                                 "bers",
                                 "Land",
                                 "zieht,",
                                 "legt",
                                 "sich",
                                 "Stille",
                                 "nieder",
                                 "let",
                                 "it",
                                 "be",
                                 "K\xF6nig"};
    std::mt19937 rng(18);
    const auto pick = [&rng](auto& list) { return std::string(list[rng() % std::size(list)]); };
    for (int song = 0; song < 300; ++song) {
        std::vector<std::string> expected, sheet;
        for (int l = 0, n = 1 + int(rng() % 6); l < n; ++l) {
            std::string lyric, over, line;
            for (int w = 0, count = 1 + int(rng() % 6); w < count; ++w)
                lyric += (w ? " " : "") + pick(words);
            std::size_t at = 0;
            for (std::size_t col = rng() % 4; col < lyric.size() + 6; col += 1 + rng() % 8) {
                const std::string c = pick(chords);
                over.resize(col, ' ');
                over += c;
                line += lyric.substr(std::min(at, lyric.size()),
                                     col <= lyric.size() ? col - at : std::string::npos);
                if (col > lyric.size())
                    line.append(col - std::max(at, lyric.size()), ' ');
                line += "<" + c + ">";
                at = col;
                col += c.size();
            }
            if (at < lyric.size())
                line += lyric.substr(at);
            if (rng() % 5 == 0)
                over.clear(), line = lyric; // a line without chords
            if (!over.empty())
                sheet.push_back(over);
            sheet.push_back(lyric);
            expected.push_back(line);
        }
        const std::vector<std::string_view> views(sheet.begin(), sheet.end());
        ASSERT_EQ(converted(views), expected) << song;
    }
}
