// versino-print with ChordPro songs: printing them, converting both ways, transposing on the way.

#include "formats/LayoutFile.h"
#include "print/BmpFiles.h"
#include "print/PdfTools.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace versino;
using namespace versino::testing;

namespace {

class VersinoPrintChordPro : public ::testing::Test {
protected:
    QTemporaryDir dir;

    ToolRun run(const QStringList& args) {
        return runTool(VERSINO_PRINT_EXE, args, QProcessEnvironment::systemEnvironment(), dir.path());
    }
    QByteArray read(const char* name) const {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

const QByteArray kSong = "{title: Sonnenlied}\n{subtitle: Volksweise}\n{key: C}\n"
                         "{soc}\n[C]Sonne, [G]Sonne\n{eoc}\n[Am]Morgens [H7]fr\xC3\xBCh\n{chorus}\n";

} // namespace

TEST_F(VersinoPrintChordPro, printsChordProSongsIntoTheBookTransposed) {
    writeBytes(dir.filePath("sonne.cho"), kSong);
    const ToolRun r = run({"-o", "book.pdf", "--transpose", "2", "sonne.cho"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("{key}")) << r.err.toStdString();
    const PdfText t = pdfWords(dir.filePath("book.pdf"));
    ASSERT_EQ(t.pages, 1);
    // German notation (the song has an H): H7 up two is Cis7, Am is Hm.
    for (const char* word : {"Sonnenlied", "D", "A", "Hm", "Cis7", "Refrain:"})
        EXPECT_TRUE(findWord(t, word)) << word;
    EXPECT_EQ(read("sonne.cho"), kSong);
}

TEST_F(VersinoPrintChordPro, convertsOneSongEachWayAndRefusesSeveral) {
    writeBytes(dir.filePath("sonne.cho"), kSong);
    // Down to B major (the song is in C): sharps; "en" writes B for the note German calls H.
    ASSERT_EQ(run({"-o", "sonne.vsn", "--transpose", "-1", "--notation", "en", "sonne.cho"}).exitCode, 0);
    SongDocument doc;
    ReadLayoutFile(doc, dir.filePath("sonne.vsn"));
    EXPECT_EQ(doc.TitelEdit().text(), "Sonnenlied");
    EXPECT_EQ(doc.RefrainEdit().text(), "<B>Sonne, <F#>Sonne\r\n");
    EXPECT_EQ(doc.TextEdit().text(), ">>Refrain\r\n<G#m>Morgens <A#7>fr\xFCh\r\n>>Refrain\r\n");

    ASSERT_EQ(run({"-o", "zurueck.cho", "sonne.vsn"}).exitCode, 0);
    EXPECT_TRUE(read("zurueck.cho").contains("{start_of_chorus}\n[B]Sonne, [F#]Sonne\n{end_of_chorus}\n"));
    EXPECT_TRUE(read("zurueck.cho").contains("[G#m]Morgens [A#7]fr\xC3\xBCh\n{chorus}\n"));

    const ToolRun several = run({"-o", "beide.cho", "sonne.vsn", "sonne.cho"});
    EXPECT_EQ(several.exitCode, 2);
    EXPECT_TRUE(several.err.contains("einen Song")) << several.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("beide.cho")));

    for (const QStringList& bad :
         {QStringList{"--transpose", "12", "sonne.cho"}, QStringList{"--transpose", "x", "sonne.cho"},
          QStringList{"--notation", "fr", "sonne.cho"}}) {
        const ToolRun r = run(bad);
        EXPECT_EQ(r.exitCode, 2) << bad.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
    }
}

// A .txt file is always a chord sheet, even with a line that is a layout file's tag.
TEST_F(VersinoPrintChordPro, readsTextFilesAsChordSheetsWhateverTheirLines) {
    writeBytes(dir.filePath("abend.txt"), "Abend - Wir\n\n   G        D\nWenn der Abend\n\n[Refrain]\n"
                                          "C\nLa la \xC3\xA4\n\ne|---3---|\n");
    const ToolRun vsn = run({"-o", "abend.vsn", "abend.txt"});
    ASSERT_EQ(vsn.exitCode, 0) << vsn.err.toStdString();
    EXPECT_TRUE(vsn.err.contains("1 \u00D7 Tabulaturzeile")) << vsn.err.toStdString();
    SongDocument doc;
    ReadLayoutFile(doc, dir.filePath("abend.vsn"));
    EXPECT_EQ(doc.TitelEdit().text(), "Abend");
    EXPECT_EQ(doc.RefrainEdit().text(), "<C>La la \xE4\r\n");
    EXPECT_EQ(doc.TextEdit().text(), "Wen<G>n der Abe<D>nd\r\n\r\n>>Refrain\r\n");

    ASSERT_EQ(run({"-o", "abend.cho", "abend.txt"}).exitCode, 0);
    EXPECT_TRUE(read("abend.cho").contains("Wen[G]n der Abe[D]nd\n"));
    EXPECT_EQ(run({"--check", "abend.txt"}).exitCode, 0);
    ASSERT_EQ(run({"-o", "abend.pdf", "abend.txt"}).exitCode, 0);
    const PdfText t = pdfWords(dir.filePath("abend.pdf"));
    for (const char* word : {"Abend", "Wir", "Refrain:", "G", "D", "C"})
        EXPECT_TRUE(findWord(t, word)) << word;
}

// Every way in reads every song of a file alike: a chord sheet inside a song list, the second song
// of a ChordPro file under --check. An import note is the same line for one song and for a book,
// and it is never trouble.
TEST_F(VersinoPrintChordPro, everyWayInReadsEverySongAndNotesAreNoTrouble) {
    writeBytes(dir.filePath("zwei.cho"), "{title: Eins}\n[C]eins\n{new_song}\n{title: Zwei}\n[C]zwei\n"
                                         "{soc}\n{eoc}\n");
    writeBytes(dir.filePath("blatt.txt"), "Blatt\n\nAm\nla la\n");
    writeBytes(dir.filePath("liste.vsl"), "zwei.cho\nblatt.txt\n");

    // The second song of the ChordPro file is checked too: its chorus call finds an empty chorus.
    const ToolRun check = run({"--check", "liste.vsl"});
    EXPECT_EQ(check.exitCode, 1) << check.out.toStdString() << check.err.toStdString();
    EXPECT_TRUE(check.out.contains(QString::fromUtf8("ruft einen leeren Refrain auf"))) << check.out.toStdString();
    const ToolRun book = run({"-o", "buch.pdf", "liste.vsl"});
    EXPECT_EQ(book.exitCode, 0) << book.err.toStdString();
    const PdfText words = pdfWords(dir.filePath("buch.pdf"));
    for (const char* word : {"Eins", "Zwei", "Blatt"})
        EXPECT_TRUE(findWord(words, word)) << word;
}

// "-d FOLDER" converts a whole library in one run: each song of each file, the usual report per
// file, and status 2 when one could not be read while the others are still written.
TEST_F(VersinoPrintChordPro, convertsEverySongOfEveryFileIntoAFolder) {
    writeBytes(dir.filePath("zwei.cho"), "{title: Eins}\n[G]la [Bm]la\n{new_song}\n{title: Zwei}\n[C]lu\n");
    writeBytes(dir.filePath("blatt.txt"), "G     Bm\nla la la la\n");
    QDir(dir.path()).mkdir("out");
    const struct {
        QStringList args;
        int status;
        QStringList files; // written into out/, each with a part of its text
        QStringList parts;
    } cases[] = {
        {{"-d", "out", "zwei.cho", "blatt.txt", "fehlt.cho"}, 2,
         {"zwei-1.vsn", "zwei-2.vsn", "blatt.vsn"}, {"<Bm>la", "Zwei", "Notation: international"}},
        {{"-d", "out", "--to", "cho", "--transpose", "2", "zwei.cho"}, 0, {"zwei-1.cho", "zwei-2.cho"},
         {"[A]la [C#m]la", "[D]lu"}},
    };
    for (const auto& c : cases) {
        const ToolRun r = run(c.args);
        EXPECT_EQ(r.exitCode, c.status) << r.err.toStdString();
        for (int i = 0; i < c.files.size(); ++i) {
            QFile f(dir.filePath("out/" + c.files[i]));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << c.files[i].toStdString();
            EXPECT_TRUE(f.readAll().contains(c.parts[i].toUtf8())) << c.files[i].toStdString();
        }
    }
    EXPECT_TRUE(run({"-d", "out", "--to", "cho", "zwei.cho"}).err.contains("internationaler"));
    EXPECT_EQ(run({"-d", "nirgends", "zwei.cho"}).exitCode, 2);
    EXPECT_EQ(run({"-d", "out", "--to", "pdf", "zwei.cho"}).exitCode, 2);
}

// --diagrams overrides the song's choice for this run: a ChordPro file gets a definition per shown
// chord, a PDF shows the diagrams' names below the lyrics, "aus" shows none, and an unknown
// instrument is refused before anything is written.
TEST_F(VersinoPrintChordPro, diagramsOptionWritesDefinitionsAndDrawsTheBand) {
    writeBytes(dir.filePath("sonne.cho"), kSong);
    ASSERT_EQ(run({"--diagrams", "gitarre", "-o", "mit.cho", "sonne.cho"}).exitCode, 0);
    const QByteArray out = read("mit.cho");
    for (const char* line : {"{define: C base-fret 1 frets x 3 2 0 1 0}", "{define: B7 base-fret 1 frets x 2 1 2 0 2}",
                             "{define: Am base-fret 1 frets x 0 2 2 1 0}", "{x_versino_diagrams: gitarre}"})
        EXPECT_TRUE(out.contains(line)) << line << "\n" << out.toStdString();
    ASSERT_EQ(run({"--diagrams", "aus", "-o", "ohne.cho", "mit.cho"}).exitCode, 0);
    EXPECT_FALSE(read("ohne.cho").contains("x_versino_diagrams"));

    // The chords of the song stand once each on the chord rows; with diagrams, once more below.
    const auto count = [](const PdfText& t, const char* word) {
        int n = 0;
        for (const auto& w : t.words)
            n += w.text == QString::fromLatin1(word);
        return n;
    };
    ASSERT_EQ(run({"-o", "ohne.pdf", "sonne.cho"}).exitCode, 0);
    ASSERT_EQ(run({"--diagrams", "ukulele", "-o", "mit.pdf", "sonne.cho"}).exitCode, 0);
    const PdfText without = pdfWords(dir.filePath("ohne.pdf"));
    const PdfText with = pdfWords(dir.filePath("mit.pdf"));
    EXPECT_EQ(count(with, "H7"), count(without, "H7") + 1);
    EXPECT_EQ(count(with, "Am"), count(without, "Am") + 1);

    const ToolRun bad = run({"--diagrams", "banjo", "-o", "x.pdf", "sonne.cho"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains("banjo")) << bad.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("x.pdf")));
}
