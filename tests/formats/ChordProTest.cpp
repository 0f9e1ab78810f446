#include "formats/ChordPro.h"
#include "document/Cp1252.h"
#include "io/FileError.h"
#include "formats/LayoutFile.h"

#include "support/TempDir.h"

#include <QFile>
#include <algorithm>
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
    EXPECT_EQ(lyrics.front(), "Hier <C>kommt das <Riff>Intro, <N.C.>dann geht's los.");
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

TEST(ChordProImport, recognisesItsFilesByExtension) {
    for (const char* name : {"a.cho", "/x/B.CRD", "c.chopro", "d.chordpro", "e.pro"})
        EXPECT_TRUE(chordpro::isChordProFile(QString::fromLatin1(name))) << name;
    for (const char* name : {"a.vsn", "cho", "a.cho.vsn", "a.txt"})
        EXPECT_FALSE(chordpro::isChordProFile(QString::fromLatin1(name))) << name;
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
