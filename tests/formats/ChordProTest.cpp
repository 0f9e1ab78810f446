#include "formats/ChordPro.h"
#include "document/Cp1252.h"
#include "io/FileError.h"
#include "formats/LayoutFile.h"

#include "support/Growth.h"
#include "support/TempDir.h"

#include <QFile>
#include <QStringEncoder>
#include <algorithm>
#include <random>
#include <gtest/gtest.h>

using namespace versino;
using versino::testing::TempDir;

namespace {

const std::array<FontSetting, 4> kDefaults = {defaultTitelFont(), defaultInterpretFont(), defaultTextFont(),
                                              defaultAkkordFont()};

std::string testSong(const char* name) {
    QFile f(QStringLiteral(VERSINO_CHORDPRO_DIR "/") + QString::fromLatin1(name));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error(std::string("missing test song ") + name);
    const QByteArray bytes = f.readAll();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

const std::string& field(const LayoutContent& c, FieldId id) {
    return c.texts[static_cast<std::size_t>(id)];
}

int droppedCount(const chordpro::Dropped& dropped, const QString& kind) {
    for (const auto& [k, n] : dropped)
        if (k == kind)
            return n;
    return 0;
}

void fill(SongDocument& doc, const LayoutContent& c) {
    for (FieldId id : kAllFields)
        doc.field(id).setText(field(c, id));
    doc.TextFont = c.fonts[2];
    doc.AkkordFont = c.fonts[3];
}

// ChordPro song -> layout file -> ChordPro, read back.
LayoutContent throughLayout(const std::string& song) {
    const chordpro::Import first = chordpro::parse(song, kDefaults);
    SongDocument doc;
    doc.InstallDefaultFonts();
    fill(doc, first.content);
    SongDocument reread;
    reread.InstallDefaultFonts();
    parseLayout(formatLayout(doc), reread);
    TrimTrailingEmptyLines(reread);
    return chordpro::parse(chordpro::format(reread), kDefaults).content;
}

} // namespace

TEST(ChordProImport, fillsTheFieldsAndPlacesChorusAndBridge) {
    const chordpro::Import in = chordpro::parse(testSong("abendwind.cho"), kDefaults);
    const LayoutContent& c = in.content;
    EXPECT_EQ(field(c, FieldId::Titel), "Abendwind");
    EXPECT_EQ(field(c, FieldId::Interpret), "Die Wanderv\xF6gel");
    EXPECT_EQ(field(c, FieldId::Kapo), "2");
    EXPECT_EQ(field(c, FieldId::Vorspiel), "Ruhig, mit Fingerpicking");
    EXPECT_EQ(field(c, FieldId::Refrain), "<C>Abend<D>wind, trag mich <G>heim,\r\n"
                                          "<Em>\xFC"
                                          "ber <C>H\xFCgel und <D>Stein.\r\n");
    EXPECT_EQ(field(c, FieldId::Bridge),
              "<Am>Und wenn die <C>Nacht kommt,\r\n<D>bleib ich noch <D7>wach.\r\n");
    EXPECT_EQ(field(c, FieldId::Text), "<G>Wenn der <D>Abend \xFC"
                                       "bers <Em>Land zieht,\r\n"
                                       "<C>legt sich <G>Stille auf das <D>Feld.\r\n"
                                       "\r\n"
                                       ">>Refrain\r\n"
                                       "\r\n"
                                       "<G>Wo die <D>Birken leise <Em>rauschen,\r\n"
                                       "<C>wartet <G>einer, der mich <D>h\xE4lt.\r\n"
                                       "\r\n"
                                       ">>Refrain\r\n"
                                       "\r\n"
                                       ">>Bridge\r\n"
                                       "\r\n"
                                       ">>Refrain\r\n");
    EXPECT_EQ(field(c, FieldId::Nachspiel), "");
    EXPECT_EQ(c.fonts, kDefaults);
    EXPECT_EQ(droppedCount(in.dropped, "Angabe {key}"), 1);
    EXPECT_EQ(droppedCount(in.dropped, "Angabe {tempo}"), 1);
    EXPECT_EQ(droppedCount(in.dropped, "Kommentarzeilen (#)"), 1);
    EXPECT_EQ(in.dropped.size(), 3u);
}

TEST(ChordProImport, secondChorusTakesTheBridgeFieldAndFontsApply) {
    const chordpro::Import in = chordpro::parse(testSong("hafenlied.cho"), kDefaults);
    const LayoutContent& c = in.content;
    EXPECT_EQ(field(c, FieldId::Interpret), "Kai & Crew");
    EXPECT_EQ(field(c, FieldId::Kapo), "");
    EXPECT_EQ(lines::split(field(c, FieldId::Refrain)).size(), 2u);
    EXPECT_EQ(lines::split(field(c, FieldId::Bridge)).at(0), "<Am>Ahoi, <F>ahoi, der <C>Hafen <G>ruft,");
    const std::vector<std::string> lyrics = lines::split(field(c, FieldId::Text));
    EXPECT_EQ(lyrics.front(), ">>Refrain");
    EXPECT_EQ(std::count(lyrics.begin(), lyrics.end(), ">>Refrain"), 2);
    EXPECT_EQ(lyrics.back(), ">>Refrain2");
    // A comment after the first lyric line is a lyric line; a column break is the directive.
    EXPECT_NE(std::find(lyrics.begin(), lyrics.end(), "Zwischenspiel: zweimal wie Strophe"), lyrics.end());
    EXPECT_NE(std::find(lyrics.begin(), lyrics.end(), ">>neue Spalte"), lyrics.end());
    EXPECT_EQ(c.fonts[2].name, "Georgia");
    EXPECT_EQ(c.fonts[2].size, 13);
    EXPECT_EQ(c.fonts[3].size, 11);
    EXPECT_EQ(c.fonts[3].color, 0xC00000); // #0000C0 as 0x00BBGGRR
    EXPECT_EQ(c.fonts[0], kDefaults[0]);
    EXPECT_TRUE(in.dropped.empty());
    EXPECT_TRUE(chordpro::droppedMessage(in.dropped).isEmpty());
}

TEST(ChordProImport, reportsEverythingItLeavesOut) {
    const chordpro::Import in = chordpro::parse(testSong("gitarrenstunde.cho"), kDefaults);
    const LayoutContent& c = in.content;
    EXPECT_EQ(field(c, FieldId::Interpret), "Lena M.");
    EXPECT_EQ(field(c, FieldId::Vorspiel), "F\xFCr Anf\xE4nger");
    EXPECT_EQ(field(c, FieldId::Graphik), "");
    const std::vector<std::string> lyrics = lines::split(field(c, FieldId::Text));
    ASSERT_FALSE(lyrics.empty());
    EXPECT_EQ(lyrics.front(), "Hier <C>kommt das <\xB0" "Riff>Intro, <N.C.>dann geht's los.");
    EXPECT_EQ(field(c, FieldId::Text).find("e|---"), std::string::npos);
    EXPECT_EQ(lyrics.back(), "<C>Ende.");
    for (const char* kind : {"Angabe {composer}", "Tabulaturen", "Akkordraster",
                             "Bilder, die keine BMP-Dateien sind", "Anweisung {new_page}"})
        EXPECT_EQ(droppedCount(in.dropped, QString::fromUtf8(kind)), 1) << kind;
    // A file of several songs opens its first one and counts the others.
    const chordpro::Import two = chordpro::parse(
        "{new_song}\n{t: Eins}\n{soc: Kehrreim}\nA\n{eoc}\n{ns}\n{t: Zwei}\nB\n{ns}\nC\n", kDefaults);
    EXPECT_EQ(field(two.content, FieldId::Titel), "Eins");
    EXPECT_EQ(field(two.content, FieldId::Text), ">>Refrain\r\n");
    EXPECT_EQ(droppedCount(two.dropped, "weitere Songs der Datei"), 2);
    EXPECT_EQ(droppedCount(two.dropped, "Abschnittsbezeichnungen"), 1);

    const QString message = chordpro::droppedMessage(in.dropped);
    EXPECT_TRUE(message.contains(QStringLiteral("1 \u00D7 Tabulaturen"))) << message.toStdString();
}

TEST(ChordProImport, readsUtf8WithAndWithoutMarkAndEightBitText) {
    const std::string withMark = testSong("bom-utf8.cho");
    const std::string withoutMark = withMark.substr(3);
    const std::string latin = "{title: Gr\xFC\xDF"
                              "e aus K\xF6ln}\n{subtitle: J\xFCrgen}\n[D]S\xFC\xDF"
                              "e [A]\xD6hrchen, [G]\x80 und ?\n";
    for (const std::string& bytes : {withMark, withoutMark, latin}) {
        const LayoutContent c = chordpro::parse(bytes, kDefaults).content;
        EXPECT_EQ(field(c, FieldId::Titel), "Gr\xFC\xDF"
                                            "e aus K\xF6ln");
        EXPECT_EQ(field(c, FieldId::Interpret), "J\xFCrgen");
        // The euro sign is in Windows-1252, omega is not.
        EXPECT_EQ(field(c, FieldId::Text), "<D>S\xFC\xDF"
                                           "e <A>\xD6hrchen, <G>\x80 und ?\r\n");
    }
}

TEST(ChordProImport, namesTheLayoutFileAfterTheImportedOne) {
    EXPECT_EQ(chordpro::layoutNameFor(QStringLiteral("/lieder/Mein Lied.cho")), "Mein Lied.vsn");
    EXPECT_EQ(chordpro::layoutNameFor(QStringLiteral("a.b.chordpro")), "a.b.vsn");
}

TEST(ChordProRoundTrip, layoutSongComesBackExceptTheSuperscriptMarker) {
    SongDocument doc;
    doc.InstallDefaultFonts();
    doc.TitelEdit().setText("Ein {Titel}");
    doc.InterpretEdit().setText("Die B\xE4nd");
    doc.VorspielEdit().setText("Intro: [2x]");
    doc.KapoEdit().setText("0");
    doc.RefrainEdit().setText("<Am\xB0"
                              "7>Refrain<G>zeile\r\n>>Bridge\r\n");
    doc.BridgeEdit().setText("Br<H>\xFC"
                             "cke\r\n\r\nzwei\r\n");
    doc.TextEdit().setText("{kein: Befehl}\r\n"
                           "#keine Kommentarzeile\r\n"
                           "  {auch nicht}\r\n"
                           "a [b] \\[c\\] d\\ <*Stern>e<x]y>\r\n"
                           ">>Refrain\r\n"
                           ">>Refrain2\r\n"
                           "\r\n"
                           ">>neue Spalte\r\n"
                           "Refrain\r\n"
                           ">>Refrain\r\n"
                           ">>Bridge\r\n"
                           "<>leer\r\n");
    doc.NachspielEdit().setText("Schluss");
    doc.GraphikEdit().setText("/bilder/gitarre.bmp");
    doc.TextFont = {"Georgia", 0, 0x123456, 14};
    doc.AkkordFont = {"Courier New", 0, 255, 9};

    const chordpro::Import back = chordpro::parse(chordpro::format(doc), kDefaults);
    EXPECT_TRUE(back.dropped.empty());
    for (FieldId id : kAllFields) {
        std::string expected = doc.field(id).text();
        if (id == FieldId::Refrain)
            expected = "<Am7>Refrain<G>zeile\r\n>>Bridge\r\n";
        EXPECT_EQ(field(back.content, id), expected) << int(id);
    }
    EXPECT_EQ(back.content.fonts[2], doc.TextFont);
    EXPECT_EQ(back.content.fonts[3], doc.AkkordFont);
}

TEST(ChordProRoundTrip, unusedChorusAndBridgeSurviveAndSecondChorusMayComeFirst) {
    SongDocument doc;
    doc.RefrainEdit().setText("nie gerufen\r\n");
    doc.BridgeEdit().setText("auch nicht\r\n");
    doc.TextEdit().setText("Zeile\r\n");
    LayoutContent back = chordpro::parse(chordpro::format(doc), kDefaults).content;
    EXPECT_EQ(field(back, FieldId::Refrain), "nie gerufen\r\n");
    EXPECT_EQ(field(back, FieldId::Bridge), "auch nicht\r\n");
    EXPECT_EQ(field(back, FieldId::Text), "Zeile\r\n");

    doc.TextEdit().setText(">>Refrain2\r\n>>Refrain\r\n>>Bridge\r\n>>Refrain2\r\n");
    back = chordpro::parse(chordpro::format(doc), kDefaults).content;
    EXPECT_EQ(field(back, FieldId::Refrain), "nie gerufen\r\n");
    EXPECT_EQ(field(back, FieldId::Bridge), "auch nicht\r\n");
    EXPECT_EQ(field(back, FieldId::Text), doc.TextEdit().text());
}

TEST(ChordProRoundTrip, chordProSongsKeepTheirSongThroughALayoutFile) {
    for (const char* name : {"abendwind.cho", "hafenlied.cho", "gitarrenstunde.cho", "bom-utf8.cho"}) {
        SCOPED_TRACE(name);
        const LayoutContent first = chordpro::parse(testSong(name), kDefaults).content;
        const LayoutContent again = throughLayout(testSong(name));
        for (FieldId id :
             {FieldId::Titel, FieldId::Interpret, FieldId::Kapo, FieldId::Refrain, FieldId::Text})
            EXPECT_EQ(field(again, id), field(first, id)) << int(id);
    }
}

TEST(ChordProFile, exportIsUtf8AndReadsBackAllOrNothing) {
    TempDir dir;
    SongDocument doc;
    doc.InstallDefaultFonts();
    doc.TitelEdit().setText("Gr\xFC\xDF"
                            "e");
    doc.TextEdit().setText("<C>\x80\r\n");
    doc.Modified = false;
    const QString path = dir.path("gruss.cho");
    chordpro::WriteChordProFile(doc, path);
    EXPECT_FALSE(doc.Modified);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("{title: Gr\xC3\xBC\xC3\x9F"
                                 "e}\n"));
    EXPECT_TRUE(bytes.contains("[C]\xE2\x82\xAC\n"));

    SongDocument other;
    other.TitelEdit().setText("bleibt");
    EXPECT_THROW(chordpro::ReadChordProFile(other, dir.path("fehlt.cho")), FileError);
    EXPECT_EQ(other.TitelEdit().text(), "bleibt");
    chordpro::ReadChordProFile(other, path);
    EXPECT_EQ(other.TitelEdit().text(), doc.TitelEdit().text());
    EXPECT_EQ(other.TextEdit().text(), doc.TextEdit().text());
}

namespace {

LayoutContent imported(const std::string& bytes) {
    return chordpro::parse(bytes, kDefaults).content;
}

// Import, export, import again: what a round trip through ChordPro gives back.
LayoutContent againThroughChordPro(const LayoutContent& first) {
    SongDocument doc;
    fill(doc, first);
    return imported(chordpro::format(doc));
}

} // namespace

TEST(ChordProImport, keepsLessThanAsTextAndRemovesMarkup) {
    const struct {
        const char* in;
        const char* lyrics;
    } cases[] = {
        {"I <3 you [Am]so\n", "I \x8B" "3 you <Am>so\r\n"},
        {"x\n{c:<- Diads}\n", "x\r\n\x8B- Diads\r\n"},
        {"<b>loud</b> [C]and <span color=\"red\">red</span><sup>2</sup>\n", "loud <C>and red2\r\n"},
        {"a <b c <spam> <i [G] <b c> <span x=\"<\">\n", "a \x8B" "b c \x8Bspam> \x8Bi <G> \x8B" "b c> \x8Bspan x=\"\x8B\">\r\n"},
        {"[*Bis] [C#\xC2\xB0" "7]x [B\xC2\xB0][*Coda \xC2\xB0]\n", "<\xB0" "Bis> <C#o7>x <Bo><\xB0" "Coda \xB0>\r\n"},
        {"[A>B]\\[C]\n", "<A\x9B" "B>[C]\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(field(imported(c.in), FieldId::Text), c.lyrics) << c.in;
    const QString message = chordpro::droppedMessage(chordpro::parse("I <3 <b>you</b> <\n", kDefaults).dropped);
    EXPECT_TRUE(message.contains(QStringLiteral("2 \u00D7 Textauszeichnungen"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("2 \u00D7 \u201E<\u201C im Text als \u201E\u2039\u201C"))) << message.toStdString();
}

TEST(ChordProImport, chorusRecallsTheLatestAndAThirdIsNamed) {
    const chordpro::Import in = chordpro::parse("{soc}\n[C]A\n{eoc}\n{soc}\nB\n{eoc}\n{chorus}\n"
                                                "{soc: Dritter}\nC\n{sot}\ne|--\n{eot}\nC2\n{eoc}\nx\n{chorus}\n",
                                                kDefaults);
    const LayoutContent& c = in.content;
    EXPECT_EQ(field(c, FieldId::Refrain), "<C>A\r\n");
    EXPECT_EQ(field(c, FieldId::Bridge), "B\r\n");
    EXPECT_EQ(field(c, FieldId::Text), ">>Refrain\r\n>>Refrain2\r\n>>Refrain2\r\nC\r\nC2\r\nx\r\nC\r\nC2\r\n");
    EXPECT_EQ(droppedCount(in.dropped, "Tabulaturen"), 1);
    EXPECT_TRUE(chordpro::droppedMessage(in.dropped).contains(QStringLiteral("\u201E" "Dritter\u201C")));
    // The export repeats the chorus that "{chorus}" means to other programs, too.
    EXPECT_EQ(againThroughChordPro(c).texts, c.texts);
    SongDocument doc;
    doc.RefrainEdit().setText("eins\r\n");
    doc.BridgeEdit().setText("zwei\r\n");
    doc.TextEdit().setText(">>Refrain\r\n>>Refrain2\r\n>>Refrain\r\n>>Refrain\r\n>>Refrain2\r\n>>Refrain2\r\n");
    const std::string cho = chordpro::format(doc);
    const std::string one = "{start_of_chorus}\neins\n{end_of_chorus}\n";
    const std::string two = "{x_versino_second_chorus}\n{start_of_chorus}\nzwei\n{end_of_chorus}\n";
    EXPECT_EQ(cho.substr(cho.find("\n\n") + 2), one + two + one + "{chorus}\n" + two + "{chorus}\n");
    EXPECT_EQ(field(imported(cho), FieldId::Text), doc.TextEdit().text());
    // Exports written before, with the second chorus named with a digit, read the same.
    std::string before = cho;
    for (std::size_t at; (at = before.find("x_versino_second_chorus")) != std::string::npos;)
        before.replace(at, 23, "x_versino_refrain2");
    EXPECT_EQ(field(imported(before), FieldId::Text), doc.TextEdit().text());
}

TEST(ChordProImport, fontsApplyOnlyBeforeTheFirstLyricLine) {
    const chordpro::Import in = chordpro::parse(
        "{textsize: 14}\n{chordcolour: red}\n[C]La\n{textsize: 20}\n{chordfont: Courier}\n", kDefaults);
    EXPECT_EQ(in.content.fonts[2].size, 14);
    EXPECT_EQ(in.content.fonts[3].color, 0x0000FF);
    EXPECT_EQ(in.content.fonts[3].name, kDefaults[3].name);
    EXPECT_EQ(droppedCount(in.dropped, "Schriftangaben mitten im Song"), 2);
}

// A size is taken when it is a whole number the page can draw; otherwise the report says which
// rule it broke, with the real bounds.
TEST(ChordProImport, sizesOutsideTheBoundsOrNotWholeAreNamedAsSuch) {
    const char* outside = "Schriftgrößen außerhalb von 1 bis 1638 Punkt";
    const char* notWhole = "Schriftgrößen, die keine ganzen Punktzahlen sind";
    struct Case {
        const char* value;
        int size;           // the lyrics font's size after the import
        const char* report; // nullptr: taken
    };
    for (const Case& c : {Case{"1", 1, nullptr}, Case{"1638", 1638, nullptr}, Case{"0", kDefaults[2].size, outside},
                          Case{"-4", kDefaults[2].size, outside}, Case{"1639", kDefaults[2].size, outside},
                          Case{"12.5", kDefaults[2].size, notWhole}, Case{"zwölf", kDefaults[2].size, notWhole}}) {
        SCOPED_TRACE(c.value);
        const chordpro::Import in = chordpro::parse(std::string("{textsize: ") + c.value + "}\n[C]La\n", kDefaults);
        EXPECT_EQ(in.content.fonts[2].size, c.size);
        for (const char* text : {outside, notWhole})
            EXPECT_EQ(droppedCount(in.dropped, text), c.report == text ? 1 : 0) << text;
    }
}

TEST(ChordProImport, readsEveryEncodingAndLineEndAndNamesWhatItReplaced) {
    const QString song = QStringLiteral("{title: \u017Bal}\n[Am]\u0142\u0105ka \u0151\n[C]Ende\n");
    const auto bytes = [](const QByteArray& b) { return std::string(b.constData(), std::size_t(b.size())); };
    QString crOnly = song, crLf = song;
    crOnly.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    crLf.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    QStringEncoder le(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    QStringEncoder be(QStringEncoder::Utf16BE, QStringEncoder::Flag::WriteBom);
    for (const std::string& in : {bytes(song.toUtf8()), "\xEF\xBB\xBF" + bytes(crOnly.toUtf8()),
                                  bytes(le.encode(crLf)), bytes(be.encode(song))}) {
        const chordpro::Import i = chordpro::parse(in, kDefaults);
        EXPECT_EQ(field(i.content, FieldId::Titel), "Zal");
        EXPECT_EQ(field(i.content, FieldId::Text), "<Am>laka \xF6\r\n<C>Ende\r\n");
        EXPECT_TRUE(chordpro::droppedMessage(i.dropped).contains(
            QStringLiteral("4 Zeichen ersetzt: \u017B\u2192Z, \u0142\u2192l, \u0105\u2192a, \u0151\u2192\u00F6")))
            << chordpro::droppedMessage(i.dropped).toStdString();
    }
}

TEST(ChordProFile, anOpenedSongStartsFromTheDefaultFonts) {
    TempDir dir;
    QFile f(dir.path("a.cho"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{title: A}\n{textsize: 15}\n[C]x\n");
    f.close();
    SongDocument doc;
    doc.TitelFont = {"Impact", FontStyle::Bold, 0x123456, 40};
    doc.TextFont = {"Impact", FontStyle::Italic, 0x123456, 9};
    doc.AkkordFont = {"Impact", 0, 0x123456, 30};
    chordpro::ReadChordProFile(doc, dir.path("a.cho"));
    EXPECT_EQ(doc.TitelFont, defaultTitelFont());
    EXPECT_EQ(doc.AkkordFont, defaultAkkordFont());
    FontSetting text = defaultTextFont();
    text.size = 15;
    EXPECT_EQ(doc.TextFont, text);
}

TEST(ChordProImport, costIsLinearInTheLine) {
    for (const std::string& piece : {std::string("["), std::string("<span "), std::string("[*"), std::string("<b")}) {
        const auto read = [&](std::size_t bytes) {
            std::string line;
            while (line.size() < bytes)
                line += piece;
            const LayoutContent c = imported(line + "\n");
            EXPECT_GE(field(c, FieldId::Text).size(), line.size()) << piece; // nothing lost
        };
        EXPECT_LE(versino::testing::growthOfFourTimes(read, 250000), 8) << piece;
    }
}

TEST(ChordProExport, writesInternationalNamesAndGermanComesBack) {
    SongDocument doc;
    doc.KapoEdit().setText("");
    doc.TextEdit().setText("<H7>a <B>b <fis>c <e>d <es>e <Es>f <C#o7>g <\xB0" "Bis> <Fism> <Hb>\r\n"
                           "<D/Fis> <hm7> <N.C.> <fis>\r\n");
    const std::string cho = chordpro::format(doc);
    EXPECT_NE(cho.find("[B7]a [Bb]b [F#m]c [Em]d [Ebm]e [Eb]f [C#\xC2\xB0" "7]g [*Bis] [F#m] [Bb]\n"
                       "[D/F#] [Bm7] [N.C.] [F#m]\n"),
              std::string::npos)
        << cho;
    EXPECT_EQ(cho.find("{capo"), std::string::npos);
    EXPECT_NE(cho.find("{x_versino_notation: de "), std::string::npos);
    EXPECT_EQ(field(imported(cho), FieldId::Text), doc.TextEdit().text());

    // A song written the English way goes out as it is, with no directive.
    doc.KapoEdit().setText("3");
    doc.TextEdit().setText("<Bb>a <B7>b\r\n");
    const std::string english = chordpro::format(doc);
    EXPECT_NE(english.find("{capo: 3}\n"), std::string::npos);
    EXPECT_NE(english.find("[Bb]a [B7]b\n"), std::string::npos);
    EXPECT_EQ(english.find("x_versino_notation"), std::string::npos);
}

TEST(ChordProRoundTrip, importExportImportGivesTheSameSong) {
    static const char* const kPieces[] = {
        "[Am]", "[*Bis]", "<b>", "</b>", "<", ">", "{soc}\n", "{eoc}\n", "{chorus}\n", "{sot}\n", "{eot}\n",
        "{textsize: 9}\n", "[H7]", "[C#\xC2\xB0" "7]", "\\[", "#x\n", "\n", "\xC5\xBB", "la ", "{c: x<y}\n",
        "[fis]", "[B]", "[Bb]", "{sob}\n", "{eob}\n", "{title: T}\n", "[", "]", "\\", "  {", "[**x]", "[]", " ",
        "{x_versino_notation: de}\n", "[es]", "\xC2\xB0"};
    std::mt19937 rng(20261208);
    for (int round = 0; round < 2000; ++round) {
        std::string song;
        for (int n = int(rng() % 40); n > 0; --n)
            song += kPieces[rng() % std::size(kPieces)];
        const LayoutContent first = imported(song);
        const LayoutContent again = againThroughChordPro(first);
        ASSERT_EQ(again.texts, first.texts) << song;
        ASSERT_EQ(again.fonts, first.fonts) << song;
    }
}

// Definitions are the song's own fingerings: kept as written, shown on the instrument their
// strings name unless the file turns diagrams off, and written back with a definition for every
// chord the page shows, in the international names other programs read.
TEST(ChordProDiagrams, definitionsComeInAsTheSongsFingeringsAndGoBackOut) {
    struct Case {
        const char* song;
        const char* diagrams;
        std::size_t own;
        int dropped;
    };
    const Case cases[] = {
        {"{define: Am base-fret 1 frets x 0 2 2 1 0}\n[Am]la\n", "gitarre", 1, 0},
        {"{chord: C base-fret 1 frets 0 0 0 3}\n[C]la\n", "ukulele", 1, 0},
        {"{define: Am base-fret 1 frets x 0 2 2 1 0}\n{diagrams: off}\n[Am]la\n", "", 1, 0},
        {"{x_versino_diagrams: klavier}\n[Am]la\n", "klavier", 0, 0},
        {"{define: Am frets}\n{chord: Am}\n[Am]la\n", "", 0, 2},
        {"[Am]la\n", "", 0, 0},
    };
    for (const Case& c : cases) {
        const chordpro::Import in = chordpro::parse(c.song, kDefaults);
        EXPECT_EQ(in.content.options.diagrams, c.diagrams) << c.song;
        EXPECT_EQ(in.content.options.fingerings.size(), c.own) << c.song;
        EXPECT_EQ(droppedCount(in.dropped, QStringLiteral("Griffdefinitionen ohne lesbare Bünde")), c.dropped)
            << c.song;
    }

    SongDocument doc;
    doc.InstallDefaultFonts();
    doc.TextEdit().setText("<H7>eins <fis>zwei <Am>drei\r\n");
    const std::string plain = chordpro::format(doc);
    EXPECT_EQ(plain.find("{define"), std::string::npos);
    EXPECT_EQ(plain.find("x_versino_diagrams"), std::string::npos);
    SongOptions options;
    options.diagrams = "gitarre";
    options.fingerings = {"Am base-fret 5 frets 1 3 3 1 1 1", "G base-fret 1 frets 3 2 0 0 0 3"};
    doc.setOptions(options);
    const std::string out = chordpro::format(doc);
    for (const char* line : {"{x_versino_diagrams: gitarre}\n", "{define: B7 base-fret 1 frets x 2 1 2 0 2}\n",
                             "{define: F#m base-fret 1 frets 2 4 4 2 2 2}\n",
                             "{define: Am base-fret 5 frets 1 3 3 1 1 1}\n",
                             "{define: G base-fret 1 frets 3 2 0 0 0 3}\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line << out;
    const chordpro::Import back = chordpro::parse(out, kDefaults);
    EXPECT_EQ(back.content.options.diagrams, "gitarre");
    EXPECT_EQ(back.content.options.fingerings.size(), 4u);
}
