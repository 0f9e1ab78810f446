#include "formats/ChordPro.h"
#include "formats/ChordSheet.h"
#include "formats/LayoutFile.h"
#include "document/Notation.h"
#include "music/SongNotation.h"
#include "music/Transpose.h"
#include "support/Growth.h"

#include <random>
#include <gtest/gtest.h>

// Songs as other people write them, in ChordPro and as chord sheets from the web: what each
// reader makes of them, what goes out again, and how their chords move.
using namespace versino;

namespace {

const std::array<FontSetting, 4> kDefaults = {defaultTitelFont(), defaultInterpretFont(), defaultTextFont(),
                                              defaultAkkordFont()};

enum class Reader { ChordPro, Sheet };
// What a row looks at: a field of the imported song, the song exported as ChordPro, or the song
// moved up two semitones after a round through its layout file.
enum class Look { Titel, Interpret, Kapo, Text, Refrain, Export, NotInExport, UpTwo };

struct Imported {
    LayoutContent content;
    QString message;
};

Imported read(Reader reader, const std::string& bytes) {
    if (reader == Reader::ChordPro) {
        chordpro::Import in = chordpro::parse(bytes, kDefaults);
        return {std::move(in.content), chordpro::droppedMessage(in.dropped)};
    }
    chordsheet::Import in = chordsheet::parse(bytes, QStringLiteral("lied.txt"), kDefaults);
    return {std::move(in.content), in.report.message()};
}

void load(SongDocument& doc, LayoutContent content) {
    doc.InstallDefaultFonts();
    applyLayoutContent(doc, std::move(content));
}

std::string field(const LayoutContent& c, FieldId id) { return c.texts[std::size_t(id)]; }

std::string look(Look what, const LayoutContent& c) {
    switch (what) {
    case Look::Titel: return field(c, FieldId::Titel);
    case Look::Interpret: return field(c, FieldId::Interpret);
    case Look::Kapo: return field(c, FieldId::Kapo);
    case Look::Text: return field(c, FieldId::Text);
    case Look::Refrain: return field(c, FieldId::Refrain);
    case Look::Export:
    case Look::NotInExport: {
        SongDocument doc;
        load(doc, c);
        return chordpro::format(doc);
    }
    case Look::UpTwo: {
        SongDocument doc;
        load(doc, c);
        SongDocument reread;
        parseLayout(formatLayout(doc), reread);
        // As the transpose command does: the key of the song from its first chord.
        const std::string text = reread.TextEdit().text();
        transpose::Options up(2, transpose::songNotation(reread));
        up.spelling = transpose::resolveSpelling({text}, up);
        up.bassFromChord = true;
        transpose::Count count;
        return transpose::transposeText(text, up, count);
    }
    }
    return {};
}

std::vector<std::string> chordNames(const std::string& text) {
    std::vector<std::string> names;
    notation::forEachPiece(text, [&](const notation::Piece& p) {
        if (p.kind == notation::Piece::Kind::Chord)
            names.emplace_back(p.chord.text);
    });
    return names;
}

} // namespace

TEST(ForeignSongs, readAsTheirWritersMeantThem) {
    using R = Reader;
    using L = Look;
    const struct Row {
        Reader reader;
        std::string input;
        Look look;
        std::string expected; // a part of what is looked at (NotInExport: a part it must not have)
        const char* message;  // a part of the import message, or nullptr for any
    } rows[] = {
        // English songs keep B as B: out as they came, moved as an English player moves them.
        {R::ChordPro, "[G]la [Bm]la [Em]la [D]la [B7]la\n", L::Export, "[G]la [Bm]la [Em]la [D]la [B7]la",
         "internationaler"},
        {R::ChordPro, "[G]la [Bm]la [Em]la [D]la [B7]la\n", L::UpTwo, "<A>la <C#m>la <F#m>la <E>la <C#7>la", nullptr},
        {R::ChordPro, "[G]la [Bdim]la [C]la\n", L::UpTwo, "<A>la <C#dim>la <D>la", nullptr},
        {R::Sheet, "G      Bm\nla la la la\n", L::UpTwo, "<A>la la l<C#m>a la", "internationaler"},
        // A file that shows German stays German.
        {R::ChordPro, "[H7]la [Fis]la [B]la\n", L::UpTwo, "<Des7>la <As>la <C>la", "deutscher"},
        {R::ChordPro, "[Ami]la [Hmi]la [Emi]la [D]la\n", L::Export, "[Am]la [Bm]la [Em]la [D]la", nullptr},
        {R::ChordPro, "[Ami]la [Hmi]la [Emi]la [D]la\n", L::UpTwo, "<Hmi>la <Cismi>la <Fismi>la <E>la", nullptr},
        // Versino's own export of a German song: its "B" was an H.
        {R::ChordPro, "{x_versino_notation: de}\n[B]la [C]la\n", L::UpTwo, "<Des>la <D>la", nullptr},
        // Metadata, rows of directives, a bridge where the bridge field is taken.
        {R::ChordPro, "{meta: title Lied}\n{meta: artist Band}\nla\n", L::Titel, "Lied", nullptr},
        {R::ChordPro, "{meta: title Lied}\n{meta: artist Band}\nla\n", L::Interpret, "Band", nullptr},
        {R::ChordPro, "{soc}\nR\n{eoc}\n{chorus}{chorus} {chorus}\n", L::Text,
         ">>Refrain\r\n>>Refrain\r\n>>Refrain\r\n>>Refrain", nullptr},
        {R::ChordPro, "{soc}\nA\n{eoc}\n{soc}\nB\n{eoc}\n{sob}\nBr\n{eob}\n", L::Text, "Bridge:\r\nBr\r\n",
         "Bridge"},
        // Chord rows of a wider grammar, and rows that stay text.
        {R::Sheet, "C/Bb F/Bb      Bbma7\nla la la la la la la la la la la\n", L::Text, "<C/Bb>la la<F/Bb> la la la <Bbma7>la", nullptr},
        {R::Sheet, "G13   Gm7/C     F  x\nla la la la la la la la la la la\n", L::Text, "<G13>la la <Gm7/C>", nullptr},
        {R::Sheet, "(F)(F/C)(D/A) A\nla la la la la la la la\n", L::Text, "<(F)>la <(F/C)>la la<(D/A)> la la<A> la", nullptr},
        {R::Sheet, "D(II)  A(II) D(III)\nla la la la la la la la\n", L::Text, "<D(II)>la la l<A(II)>a la l<D(III)>a", nullptr},
        {R::Sheet, "Ami  Emi  Hmi\nla la la la la la\n", L::Text, "<Ami>la la<Emi> la l<Hmi>a", nullptr},
        {R::Sheet, "CM7/6  Bm7sus2  C\xC3\xB8  C+  C\xCE\x94" "7\nla la la la la la la la la la la la la la la la\n",
         L::Text, "<CM7/6>la la l<Bm7sus2>a la la l<C\xF8>a la<C+> la <Cj7>la", nullptr},
        {R::Sheet, "C\xCE\x94" "7\nla\n", L::Text, "<Cj7>la", nullptr},
        {R::Sheet, "Am, dann\nBass\nla la la\n", L::Text, "Am, dann\r\nBass\r\nla la la\r\n", nullptr},
        // Fingerings and tablature are left out, said so; an underlined chorus label keeps its chorus.
        {R::Sheet, "C - x32010\nAm: x02210\nBm -x24432\nLa\n", L::Text, "La\r\n", "3 \u00D7 Griffbild"},
        {R::Sheet, "B--/5--5-5-5--5-8--8-5-8-5--\nD|---2L-|\ne|--5h7p5--|\nLa\n", L::Text, "La\r\n",
         "3 \u00D7 Tabulaturzeile"},
        {R::Sheet, "Chorus:\n-------\nG\nla la\n\nStrophe\n\nChorus:\n", L::Refrain, "<G>la la\r\n", nullptr},
        // Characters from elsewhere keep their meaning.
        {R::Sheet, "moth\xD0\xB5r a\xE2\x80\x8A" "b\xC2\xA0" "c\xE2\x80\x89" "d\nx\n", L::Text, "mother a b c d", nullptr},
        {R::ChordPro, "[Am]\xD0\xBC\xD0\xB8\xD1\x80\n", L::Text, "<Am>???", "3 Zeichen ersetzt"},
        // Sheets as they come from the web.
        {R::Sheet, "Capo IV\n\nG\nla\n", L::Kapo, "4", nullptr},
        {R::Sheet, "Capo XII\n\nG\nla\n", L::Kapo, "12", nullptr},
        {R::Sheet, "[tab][ch]G[/ch]   [ch]Em[/ch]\nla la la la la[/tab]\n", L::Text, "<G>la l<Em>a la la la\r\n",
         nullptr},
        {R::Sheet, "G  Em  G  Em\n", L::Text, "<G>  <Em>  <G>  <Em>\r\n", nullptr},
        // Exports other programs read.
        {R::ChordPro, "{capo:  }\n[C]la\n", L::NotInExport, "{capo", nullptr},
        {R::ChordPro, "{soc}\nA\n{eoc}\n{soc}\nB\n{eoc}\n", L::NotInExport, "refrain2", nullptr},
        {R::ChordPro, "{x_versino_refrain2}\n{soc}\nB\n{eoc}\n", L::Text, ">>Refrain2", nullptr},
        // Marks of the chord row move with nothing.
        {R::ChordPro, "[D/F#]la [N.C.]la [%]la [|]la\n", L::UpTwo, "<E/G#>la <N.C.>la <%>la <|>la", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        const Imported in = read(row.reader, row.input);
        const std::string seen = look(row.look, in.content);
        if (row.look == Look::NotInExport) {
            EXPECT_EQ(seen.find(row.expected), std::string::npos) << seen;
        } else {
            EXPECT_NE(seen.find(row.expected), std::string::npos) << seen;
        }
        if (row.message) {
            EXPECT_TRUE(in.message.contains(QString::fromUtf8(row.message))) << in.message.toStdString();
        }
    }
}

// Songs in international notation without an H come back from an export with every chord name
// as it was: the German reading of B can never creep in.
TEST(ForeignSongs, internationalChordNamesSurviveExportAndImport) {
    static const char* const kRoots[] = {"C", "C#", "Db", "D", "Eb", "E", "F", "F#", "G", "Ab", "A", "Bb", "B"};
    static const char* const kSuffixes[] = {"", "m", "7", "m7", "maj7", "sus4", "dim", "6", "add9", "9"};
    std::mt19937 rng(24);
    for (int song = 0; song < 300; ++song) {
        std::string cho;
        std::vector<std::string> written;
        const int chords = 1 + int(rng() % 12);
        for (int i = 0; i < chords; ++i) {
            std::string name = std::string(kRoots[rng() % 13]) + kSuffixes[rng() % 10];
            if (rng() % 4 == 0)
                name += std::string("/") + kRoots[rng() % 13];
            written.push_back(name);
            cho += "[" + name + "]la ";
            if (rng() % 3 == 0)
                cho += "\n";
        }
        cho += "\n";
        SCOPED_TRACE(cho);
        const chordpro::Import first = chordpro::parse(cho, kDefaults);
        EXPECT_EQ(chordNames(field(first.content, FieldId::Text)), written);
        SongDocument doc;
        load(doc, first.content);
        const std::string exported = chordpro::format(doc);
        const chordpro::Import again = chordpro::parse(exported, kDefaults);
        EXPECT_EQ(chordNames(field(again.content, FieldId::Text)), written) << exported;
        EXPECT_EQ(again.content.options.international, first.content.options.international);
    }
}

// Many different choruses cost each the same: reading four times as many takes about four times
// as long, never the square of it.
TEST(ForeignSongs, readingManyDifferentChorusesStaysLinear) {
    const auto read = [](std::size_t choruses) {
        std::string cho;
        for (std::size_t i = 0; i < choruses; ++i)
            cho += "{soc}\n[Am]Refrain Nummer " + std::to_string(i) + " mit seinem Text\n{eoc}\n[C]Strophe\n";
        const chordpro::Import in = chordpro::parse(cho, kDefaults);
        EXPECT_FALSE(field(in.content, FieldId::Text).empty());
    };
    EXPECT_LE(versino::testing::growthOfFourTimes(read, 12500), 8);
}
