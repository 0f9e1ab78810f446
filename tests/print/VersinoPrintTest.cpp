#include "document/LayoutFile.h"
#include "print/BmpFiles.h"
#include "print/PdfTools.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace versino;
using namespace versino::testing;

namespace {

constexpr double kDeviceUnit = 72.0 / 600.0; // one device unit in PDF points

class VersinoPrint : public ::testing::Test {
protected:
    QTemporaryDir dir;

    ToolRun run(const QStringList& args, QProcessEnvironment env = QProcessEnvironment::systemEnvironment()) {
        return runTool(VERSINO_PRINT_EXE, args, env, dir.path());
    }

    QString writeSong(const QString& name, const std::string& title,
                      std::initializer_list<std::string> lyrics,
                      std::initializer_list<std::string> chorus = {}) {
        SongDocument doc;
        doc.InstallDefaultFonts();
        doc.TitelEdit().setText(title);
        doc.InterpretEdit().setText("Volksweise");
        for (const std::string& l : lyrics)
            doc.TextEdit().addLine(l);
        for (const std::string& l : chorus)
            doc.RefrainEdit().addLine(l);
        writeBytes(dir.filePath(name), QByteArray::fromStdString(formatLayout(doc)));
        return name;
    }
    QString pdf(const char* name) const { return dir.filePath(name); }
};

// Chords stand at the left edge of the syllable after them, in the first column, in a chorus
// block and in the second column; the chord row lies one chord-row height above its lyrics.
TEST_F(VersinoPrint, chordsStandOverTheirSyllablesInThePdf) {
    writeSong("mond.vsn", "Abendlied",
              {"<G>Der <D>Mond ist <Em>aufgegangen, die <Am7>goldnen <C>Sternlein", ">>Refrain",
               ">>neue Spalte", "der <Hm>Wald steht <Fis7>schwarz"},
              {"<F>Seht <B>ihr"});
    const ToolRun r = run({"-o", "book.pdf", "mond.vsn"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const PdfText t = pdfWords(pdf("book.pdf"));
    ASSERT_EQ(t.pages, 1);

    const std::pair<const char*, const char*> pairs[] = {
        {"G", "Der"},  {"D", "Mond"}, {"Em", "aufgegangen,"}, {"Am7", "goldnen"}, {"C", "Sternlein"},
        {"F", "Seht"}, {"B", "ihr"},  {"Hm", "Wald"},         {"Fis7", "schwarz"}};
    for (const auto& [chordText, syllableText] : pairs) {
        const Word* chord = findWord(t, chordText);
        const Word* syllable = findWord(t, syllableText);
        ASSERT_TRUE(chord && syllable) << chordText << " / " << syllableText;
        EXPECT_NEAR(chord->xMin, syllable->xMin, kDeviceUnit) << chordText;
        const double chordRow = chord->yMax - chord->yMin;
        EXPECT_NEAR(syllable->yMin - chord->yMin, chordRow, 0.5) << chordText;
    }
    // The second column starts right of the page's middle, the block is indented past its heading.
    EXPECT_GT(findWord(t, "Wald")->xMin, t.width / 2);
    EXPECT_GT(findWord(t, "Seht")->xMin, findWord(t, "Refrain:")->xMax);
}

TEST_F(VersinoPrint, titleAndPerformerAreCentredOnTheSheet) {
    writeSong("t.vsn", "Kein schöner Land", {"in dieser Zeit"});
    ASSERT_EQ(run({"-o", "t.pdf", "t.vsn"}).exitCode, 0);
    const PdfText t = pdfWords(pdf("t.pdf"));
    const Word* first = findWord(t, "Kein");
    const Word* last = findWord(t, "Land");
    ASSERT_TRUE(first && last);
    EXPECT_NEAR((first->xMin + last->xMax) / 2, t.width / 2, 1.0);
    const Word* performer = findWord(t, "Volksweise");
    ASSERT_TRUE(performer);
    EXPECT_NEAR((performer->xMin + performer->xMax) / 2, t.width / 2, 1.0);
    // The title row starts 150 units below the top of the sheet.
    EXPECT_NEAR(first->yMin, 150 * kDeviceUnit, 3.0);
}

TEST_F(VersinoPrint, paperIsA4OrLetterPortraitWithFontsEmbedded) {
    writeSong("s.vsn", "Lied", {"<C>la"});
    ASSERT_EQ(run({"-o", "a4.pdf", "s.vsn"}).exitCode, 0);
    ASSERT_EQ(run({"--paper", "letter", "-o", "letter.pdf", "s.vsn"}).exitCode, 0);
    EXPECT_TRUE(runTool("pdfinfo", {pdf("a4.pdf")})
                    .out.contains(QRegularExpression("Page size:\\s+595(\\.\\d+)? x 842")));
    EXPECT_TRUE(
        runTool("pdfinfo", {pdf("letter.pdf")}).out.contains(QRegularExpression("Page size:\\s+612 x 792")));

    const QStringList fonts = runTool("pdffonts", {pdf("a4.pdf")}).out.split('\n', Qt::SkipEmptyParts).mid(2);
    ASSERT_FALSE(fonts.isEmpty());
    for (const QString& line : fonts)
        EXPECT_TRUE(line.contains(QRegularExpression("\\s+yes\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+\\s*$")))
            << line.toStdString();
}

TEST_F(VersinoPrint, failedSongsAreNamedAndTheOthersStillPrinted) {
    writeSong("one.vsn", "Eins", {"a"});
    writeSong("empty.vsn", "Leer", {});
    writeSong("two.vsn", "Zwei", {"b"});
    writeBytes(dir.filePath("bad.vsn"), "[Fonts]\r\nArial\r\nzwölf\r\n");
    const ToolRun r = run({"-o", "book.pdf", "one.vsn", "missing.vsn", "empty.vsn", "bad.vsn", "two.vsn"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("missing.vsn: File not found")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("empty.vsn: Ihr Song hat noch keinen Text!")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("bad.vsn: Invalid numeric input")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("[5/5] two.vsn")) << r.err.toStdString();
    const PdfText t = pdfWords(pdf("book.pdf"));
    EXPECT_EQ(t.pages, 2);
    EXPECT_TRUE(findWord(t, "Eins"));
}

TEST_F(VersinoPrint, bookWithoutAnyPageIsNotLeftBehind) {
    const ToolRun r = run({"-o", "none.pdf", "missing.vsn"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(QFile::exists(pdf("none.pdf")));
    // An older book of the same name is kept as it was.
    writeBytes(pdf("old.pdf"), "%PDF-1.4 old book");
    EXPECT_EQ(run({"-o", "old.pdf", "missing.vsn"}).exitCode, 1);
    QFile old(pdf("old.pdf"));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("%PDF-1.4 old book"));
}

TEST_F(VersinoPrint, fewSongsShowNoProgress) {
    writeSong("one.vsn", "Eins", {"a"});
    const ToolRun r = run({"-o", "book.pdf", "one.vsn", "one.vsn", "one.vsn"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_FALSE(r.err.contains("[1/3]")) << r.err.toStdString();
    EXPECT_EQ(pdfWords(pdf("book.pdf")).pages, 3);
}

TEST_F(VersinoPrint, unwritableOutputIsReportedInTheFileLayersWords) {
    writeSong("one.vsn", "Eins", {"a"});
    QDir(dir.path()).mkdir("folder");
    const ToolRun r = run({"-o", "folder", "one.vsn"});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains("folder: File access denied")) << r.err.toStdString();
}

TEST_F(VersinoPrint, withoutAPrinterEachSongReportsIt) {
    writeSong("one.vsn", "Eins", {"a"});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CUPS_SERVER", dir.filePath("no-such-cups.sock"));
    env.insert("CUPS_SERVERROOT", dir.path());
    const ToolRun r = run({"one.vsn"}, env);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("one.vsn: There is no default printer currently selected"))
        << r.err.toStdString();
}

// --check lists each place where the page cannot hold a song, one FILE:LINE: text each, writes
// no page, and tells by its status whether all fit (0), anything was listed (2) or a song could
// not be read (1).
TEST_F(VersinoPrint, checkListsWhatDoesNotFitAndPrintsNothing) {
    writeSong("fits.vsn", "Eins", {"<G>kurz"});
    SongDocument doc;
    doc.InstallDefaultFonts();
    doc.TitelEdit().setText("Lang");
    for (int i = 0; i < 80; ++i)
        doc.TextEdit().addLine("Zeile " + std::to_string(i + 1));
    doc.TextEdit().addLine("<Am offen");
    writeBytes(dir.filePath("long.vsn"), QByteArray::fromStdString(formatLayout(doc)));

    const ToolRun fits = run({"--check", "fits.vsn"});
    EXPECT_EQ(fits.exitCode, 0) << fits.err.toStdString();
    EXPECT_TRUE(fits.out.isEmpty()) << fits.out.toStdString();

    const ToolRun r = run({"--check", "fits.vsn", "long.vsn"});
    EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << r.out.toStdString();
    EXPECT_TRUE(
        QRegularExpression(
            QStringLiteral("^long\\.vsn:\\d+: Zeilen \\d+\u201381 passen nicht mehr auf die Seite\\.$"))
            .match(lines[0])
            .hasMatch())
        << lines[0].toStdString();
    EXPECT_EQ(lines[1],
              QString::fromUtf8("long.vsn:81: Ein Akkord wird nicht mit \u201E>\u201C geschlossen."));
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.pdf"}).isEmpty());

    EXPECT_EQ(run({"--check", "fits.vsn", "missing.vsn"}).exitCode, 1);
    EXPECT_EQ(run({"--check", "-o", "x.pdf", "fits.vsn"}).exitCode, 2);
    EXPECT_FALSE(QFile::exists(pdf("x.pdf")));
}

TEST_F(VersinoPrint, helpAndUsage) {
    const ToolRun help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("versino-print [-o BOOK.pdf"));
    EXPECT_TRUE(help.out.contains("--paper"));
    EXPECT_TRUE(help.out.contains("--check"));
    EXPECT_EQ(run({}).exitCode, 2);
    EXPECT_EQ(run({"--paper", "a5", "-o", "x.pdf", "s.vsn"}).exitCode, 2);
    EXPECT_EQ(run({"--frobnicate"}).exitCode, 2);
}

} // namespace
