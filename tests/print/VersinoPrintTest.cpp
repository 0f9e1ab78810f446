#include "formats/LayoutFile.h"
#include "io/AtomicFile.h"
#include "print/BmpFiles.h"
#include "print/PdfTools.h"
#include "support/Child.h"
#include "support/SmallTmpfs.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

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
        doc.TextEdit().setText(joined(lyrics));
        doc.RefrainEdit().setText(joined(chorus));
        writeBytes(dir.filePath(name), QByteArray::fromStdString(formatLayout(doc)));
        return name;
    }
    static std::string joined(std::initializer_list<std::string> lineList) {
        std::string text;
        for (const std::string& l : lineList)
            lines::add(text, l);
        return text;
    }
    QString pdf(const char* name) const { return dir.filePath(name); }
    QStringList entries(const QString& folder) const {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }
    QByteArray bytesOf(const QString& path) const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(cannot be read)");
    }
    // How many pages the PDF has, or -1 when poppler cannot read it whole.
    int pagesOf(const QString& path) const {
        const ToolRun info = runTool("pdfinfo", {path});
        const QRegularExpressionMatch m = QRegularExpression("Pages:\\s+(\\d+)").match(info.out);
        return info.exitCode == 0 && m.hasMatch() ? m.captured(1).toInt() : -1;
    }
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
    // A bad number costs only its value: the song is printed with the default and a note.
    writeBytes(dir.filePath("bad.vsn"), "[Text]\r\nb\r\n[Fonts]\r\nArial\r\nzw\xF6lf\r\n");
    writeBytes(dir.filePath("letter.vsn"), "Liebe Anna,\r\nanbei das Lied.\r\n");
    const ToolRun r =
        run({"-o", "book.pdf", "one.vsn", "missing.vsn", "empty.vsn", "bad.vsn", "letter.vsn", "two.vsn"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("missing.vsn: File not found")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("empty.vsn: Ihr Song hat noch keinen Text!")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("bad.vsn: Zeile 5, Schriftgröße des Titels: „zwölf“ ist keine Zahl.")))
        << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("Invalid numeric input")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("letter.vsn: Die Datei ist keine Versino-Songdatei.")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("[6/6]")) << "no progress into a pipe";
    const PdfText t = pdfWords(pdf("book.pdf"));
    EXPECT_EQ(t.pages, 3);
    EXPECT_TRUE(findWord(t, "Eins"));
}

// What reading a song changed is a note after the file's name, once, on every road that reads
// songs, and no trouble: a bad number in "[Fonts]" (named with its line and field; the song is read
// with that font's default) and a literal "<" in a ChordPro song.
TEST_F(VersinoPrint, importNotesAreNamedOnceOnEveryRoadAndAreNoTrouble) {
    writeBytes(dir.filePath("zahl.vsn"), "[Titel]\r\nZahl\r\n[Text]\r\nla\r\n[Fonts]\r\nArial\r\n24\r\nblau\r\n");
    writeBytes(dir.filePath("lt.cho"), "{title: Kleiner}\n[C]eins < zwei\n");
    QDir(dir.path()).mkdir("aus");
    const struct {
        const char* song;
        QString note;
    } songs[] = {
        {"zahl.vsn", QString::fromUtf8("zahl.vsn: Zeile 8, Farbe des Titels: „blau“ ist keine Zahl. Es gilt die Vorgabe ")},
        {"lt.cho", QString::fromUtf8("lt.cho: 1 \u00D7 \u201E<\u201C")},
    };
    for (const auto& s : songs) {
        writeBytes(dir.filePath("liste.vsl"), QByteArray(s.song) + "\n");
        const QStringList roads[] = {{"-o", "lied.pdf", s.song},   {"-o", "lied.png", s.song},
                                     {"-o", "lied.cho", s.song},   {"-d", "aus", s.song},
                                     {"--check", s.song},          {"--check", "liste.vsl"},
                                     {"-o", "buch.pdf", "liste.vsl"}, {"-o", "b.pdf", "--book", s.song},
                                     {"-o", "heft.pdf", "--booklet", s.song}};
        for (const QStringList& args : roads) {
            const ToolRun r = run(args);
            EXPECT_EQ(r.exitCode, 0) << args.join(' ').toStdString() << ": " << r.err.toStdString();
            EXPECT_EQ(r.err.count(s.note), 1) << args.join(' ').toStdString() << ": " << r.err.toStdString();
            EXPECT_FALSE(r.err.contains("Invalid numeric input")) << args.join(' ').toStdString();
        }
    }
}

TEST_F(VersinoPrint, bookWithoutAnyPageIsNotLeftBehind) {
    const ToolRun r = run({"-o", "none.pdf", "missing.vsn"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_FALSE(QFile::exists(pdf("none.pdf")));
    // An older book of the same name is kept as it was.
    writeBytes(pdf("old.pdf"), "%PDF-1.4 old book");
    EXPECT_EQ(run({"-o", "old.pdf", "missing.vsn"}).exitCode, 2);
    QFile old(pdf("old.pdf"));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("%PDF-1.4 old book"));
}

// Progress is for a person at a terminal and a long run: it never goes into a pipe or a log.
TEST_F(VersinoPrint, progressOnlyOnATerminalAndForMoreThanThreeSongs) {
    writeSong("one.vsn", "Eins", {"a"});
    const struct {
        bool terminal;
        int songs;
        bool shown;
    } cases[] = {{true, 4, true}, {true, 3, false}, {false, 4, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "terminal " << c.terminal << ", songs " << c.songs);
        QStringList args{"-o", "book.pdf"};
        for (int i = 0; i < c.songs; ++i)
            args << "one.vsn";
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_TRUE(::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
        ASSERT_GE(terminal, 0);
        const ToolRun r = runTool(VERSINO_PRINT_EXE, args, QProcessEnvironment::systemEnvironment(), dir.path(),
                                  60000, [&] {
                                      if (c.terminal)
                                          ::dup2(terminal, STDERR_FILENO);
                                  });
        ::close(terminal);
        QByteArray onTerminal(4096, '\0');
        ::fcntl(master, F_SETFL, O_NONBLOCK);
        const ssize_t n = ::read(master, onTerminal.data(), onTerminal.size());
        onTerminal.truncate(n > 0 ? int(n) : 0);
        ::close(master);

        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QString err = c.terminal ? QString::fromUtf8(onTerminal) : r.err;
        EXPECT_EQ(err.contains(QStringLiteral("[%1/%1] one.vsn").arg(c.songs)), c.shown) << err.toStdString();
        EXPECT_EQ(pagesOf(pdf("book.pdf")), c.songs);
    }
}

TEST_F(VersinoPrint, unwritableOutputIsReportedInTheFileLayersWords) {
    writeSong("one.vsn", "Eins", {"a"});
    QDir(dir.path()).mkdir("folder");
    const ToolRun r = run({"-o", "folder", "one.vsn"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("folder: File access denied")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("this is a folder")) << r.err.toStdString();
    const ToolRun missing = run({"-o", "fehlt/buch.pdf", "one.vsn"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains("fehlt/buch.pdf: Invalid filename (the folder " + dir.filePath("fehlt") +
                                     " does not exist)"))
        << missing.err.toStdString();
    // The folder of -d likewise: missing, or a file where a folder should be.
    const struct {
        const char* folder;
        const char* said;
    } folders[] = {{"fehlt", "versino-print: fehlt: kein solcher Ordner\n"},
                   {"one.vsn", "versino-print: one.vsn: ist eine Datei, kein Ordner\n"}};
    for (const auto& f : folders) {
        const ToolRun r = run({"-d", f.folder, "one.vsn"});
        EXPECT_EQ(r.exitCode, 2) << f.folder;
        EXPECT_EQ(r.err, QString::fromUtf8(f.said));
    }
}

// A book that cannot be written whole leaves the older book byte for byte and no temporary file,
// and says why in the file layer's words.
TEST_F(VersinoPrint, fullDiskKeepsTheOlderBook) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    writeSong("one.vsn", "Eins", {"<Am>a", "b"});
    const QString mnt = dir.filePath("disk");
    SmallTmpfs disk(mnt, "size=16k,mode=0755");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(disk.error());
    writeBytes(mnt + "/book.pdf", "%PDF-1.4 old book");

    const ToolRun r = run({"-o", "disk/book.pdf", "one.vsn"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("versino-print: disk/book.pdf: I/O error " + QString::number(ENOSPC) + "\n"))
        << r.err.toStdString();
    EXPECT_EQ(bytesOf(mnt + "/book.pdf"), QByteArray("%PDF-1.4 old book"));
    EXPECT_EQ(entries(mnt), QStringList{"book.pdf"});
}

// Past a file size limit the write fails like any other. The test process itself may ignore
// SIGXFSZ, and an ignored signal stays ignored across exec, so the child restores the default:
// only versino-print's own setting keeps it alive.
TEST_F(VersinoPrint, fileSizeLimitIsAnOrdinaryWriteError) {
    writeSong("one.vsn", "Eins", {"<Am>a", "b"});
    writeBytes(pdf("book.pdf"), "%PDF-1.4 old book");
    const ToolRun r = runTool(VERSINO_PRINT_EXE, {"-o", "book.pdf", "one.vsn"},
                              QProcessEnvironment::systemEnvironment(), dir.path(), 60000, [] {
                                  ::signal(SIGXFSZ, SIG_DFL);
                                  const rlimit limit{8192, 8192};
                                  ::setrlimit(RLIMIT_FSIZE, &limit);
                              });
    EXPECT_EQ(r.exitCode, 2) << "-1: ended by a signal";
    EXPECT_TRUE(r.err.contains("versino-print: book.pdf: I/O error " + QString::number(EFBIG) + "\n"))
        << r.err.toStdString();
    EXPECT_EQ(bytesOf(pdf("book.pdf")), QByteArray("%PDF-1.4 old book"));
    EXPECT_EQ(entries(dir.path()), (QStringList{"book.pdf", "one.vsn"}));
}

// Runs that write the same book at once: the book is always one run's whole book, and a run that
// fails (here: no page at all) takes nothing away from the others.
TEST_F(VersinoPrint, concurrentRunsLeaveOneWholeBook) {
    writeSong("one.vsn", "Eins", {"a"});
    writeSong("two.vsn", "Zwei", {"b"});
    const QList<QStringList> runs = {{"-o", "book.pdf", "one.vsn"},
                                     {"-o", "book.pdf", "missing.vsn"},
                                     {"-o", "book.pdf", "one.vsn", "two.vsn"},
                                     {"-o", "book.pdf", "missing.vsn"}};
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        QFile::remove(pdf("book.pdf"));
        std::vector<std::unique_ptr<QProcess>> processes;
        for (const QStringList& args : runs) {
            processes.push_back(std::make_unique<QProcess>());
            processes.back()->setWorkingDirectory(dir.path());
            processes.back()->start(VERSINO_PRINT_EXE, args);
        }
        for (std::size_t i = 0; i < processes.size(); ++i) {
            QProcess& p = *processes[i];
            ASSERT_TRUE(p.waitForFinished(60000));
            const bool fails = runs[int(i)].contains("missing.vsn");
            EXPECT_EQ(p.exitCode(), fails ? 2 : 0) << p.readAllStandardError().toStdString();
        }
        const int pages = pagesOf(pdf("book.pdf"));
        EXPECT_TRUE(pages == 1 || pages == 2) << "pages: " << pages;
        EXPECT_EQ(entries(dir.path()), (QStringList{"book.pdf", "one.vsn", "two.vsn"}));
    }
}

// A run that fails after another run has finished the same book leaves that book alone. The
// failing run is held stopped, once it has begun its output, until the other run is done.
TEST_F(VersinoPrint, failingRunLeavesTheBookAnotherRunFinished) {
    writeSong("one.vsn", "Eins", {"<Am>a"});
    // A song whose error shows only after a long read, to have time to stop its run.
    // A long text without a single tag is no song, which is known only at its end.
    const QByteArray lyrics = QByteArray("<Am>eine lange Strophe\r\n").repeated(scaled(1 << 18));
    writeBytes(dir.filePath("slow.vsn"), lyrics);

    QProcess failing;
    failing.setWorkingDirectory(dir.path());
    failing.start(VERSINO_PRINT_EXE, {"-o", "book.pdf", "slow.vsn"});
    ASSERT_TRUE(failing.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    while (entries(dir.path()).size() == 2 && waited.elapsed() < 20000 && failing.state() == QProcess::Running)
        QThread::usleep(200);
    ASSERT_EQ(entries(dir.path()).size(), 3) << "the failing run never began its output";
    ::kill(pid_t(failing.processId()), SIGSTOP);

    EXPECT_EQ(run({"-o", "book.pdf", "one.vsn"}).exitCode, 0);
    ::kill(pid_t(failing.processId()), SIGCONT);
    ASSERT_TRUE(failing.waitForFinished(60000));
    EXPECT_EQ(failing.exitCode(), 2);
    EXPECT_EQ(pagesOf(pdf("book.pdf")), 1);
    EXPECT_EQ(entries(dir.path()), (QStringList{"book.pdf", "one.vsn", "slow.vsn"}));
}

TEST_F(VersinoPrint, withoutAPrinterEachSongReportsIt) {
    writeSong("one.vsn", "Eins", {"a"});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CUPS_SERVER", dir.filePath("no-such-cups.sock"));
    env.insert("CUPS_SERVERROOT", dir.path());
    const ToolRun r = run({"one.vsn"}, env);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("one.vsn: There is no default printer currently selected"))
        << r.err.toStdString();
}

// The default printer and a book's bookmarks come from the program's module. A program whose
// module is missing still writes PDF pages; what needs the module is refused with its name, and
// no book is left behind.
TEST_F(VersinoPrint, withoutItsModuleOnlyWhatNeedsItIsRefused) {
    writeSong("one.vsn", "Eins", {"a"});
    ASSERT_TRUE(QDir(dir.path()).mkpath("alone"));
    const QString alone = dir.filePath("alone/versino-print");
    ASSERT_TRUE(QFile::copy(VERSINO_PRINT_EXE, alone));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CUPS_SERVER", dir.filePath("no-such-cups.sock"));

    const ToolRun page = runTool(alone, {"-o", "page.pdf", "one.vsn"}, env, dir.path());
    EXPECT_EQ(page.exitCode, 0) << page.err.toStdString();
    EXPECT_EQ(pagesOf(pdf("page.pdf")), 1);
    for (const QStringList& args : {QStringList{"-o", "book.pdf", "--book", "--index", "one.vsn"},
                                    QStringList{"one.vsn"}, QStringList{"--book", "one.vsn"}}) {
        const ToolRun r = runTool(alone, args, env, dir.path());
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("File not found (the print support could not be loaded: versino-print-extras.so"))
            << r.err.toStdString();
    }
    EXPECT_EQ(entries(dir.path()), (QStringList{"alone", "one.vsn", "page.pdf"}));
}

// --check lists each place where the page cannot hold a song, one FILE:LINE: text each, writes
// no page, and tells by its status whether all fit (0), anything was listed (1) or a song could
// not be read (2, even when something was listed too).
TEST_F(VersinoPrint, checkListsWhatDoesNotFitAndPrintsNothing) {
    writeSong("fits.vsn", "Eins", {"<G>kurz"});
    SongDocument doc;
    doc.InstallDefaultFonts();
    doc.TitelEdit().setText("Lang");
    std::string lyrics;
    for (int i = 0; i < 80; ++i)
        lines::add(lyrics, "Zeile " + std::to_string(i + 1));
    lines::add(lyrics, "<Am offen");
    doc.TextEdit().setText(lyrics);
    writeBytes(dir.filePath("long.vsn"), QByteArray::fromStdString(formatLayout(doc)));

    const ToolRun fits = run({"--check", "fits.vsn"});
    EXPECT_EQ(fits.exitCode, 0) << fits.err.toStdString();
    EXPECT_TRUE(fits.out.isEmpty()) << fits.out.toStdString();

    const ToolRun r = run({"--check", "fits.vsn", "long.vsn"});
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
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

    EXPECT_EQ(run({"--check", "fits.vsn", "missing.vsn"}).exitCode, 2);
    EXPECT_EQ(run({"--check", "long.vsn", "missing.vsn"}).exitCode, 2);
    EXPECT_EQ(run({"--check", "-o", "x.pdf", "fits.vsn"}).exitCode, 2);
    EXPECT_FALSE(QFile::exists(pdf("x.pdf")));
}

// --fit lowers the text and chord fonts of each song until its page holds it; the file stays.
TEST_F(VersinoPrint, fitMakesALongSongFitWithoutChangingItsFile) {
    SongDocument doc;
    doc.InstallDefaultFonts();
    doc.TextFont.size = 16;
    doc.AkkordFont.size = 12;
    std::string lyrics;
    for (int i = 0; i < 45; ++i)
        lines::add(lyrics, "<Am>Zeile <G7>" + std::to_string(i + 1));
    doc.TextEdit().setText(lyrics);
    writeBytes(dir.filePath("lang.vsn"), QByteArray::fromStdString(formatLayout(doc)));
    const QByteArray before = bytesOf(dir.filePath("lang.vsn"));

    EXPECT_EQ(run({"--check", "lang.vsn"}).exitCode, 1);
    const ToolRun fitted = run({"--check", "--fit", "lang.vsn"});
    EXPECT_EQ(fitted.exitCode, 0) << fitted.out.toStdString() << fitted.err.toStdString();
    ASSERT_EQ(run({"--fit", "-o", "lang.pdf", "lang.vsn"}).exitCode, 0);
    EXPECT_EQ(pagesOf(pdf("lang.pdf")), 1);
    EXPECT_TRUE(findWord(pdfWords(pdf("lang.pdf")), "45")) << "the last line is on the page";
    EXPECT_EQ(bytesOf(dir.filePath("lang.vsn")), before);
}

TEST_F(VersinoPrint, helpAndUsage) {
    const ToolRun help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("versino-print [-o BUCH.pdf"));
    EXPECT_TRUE(help.out.contains("--paper"));
    EXPECT_TRUE(help.out.contains("--check"));
    EXPECT_TRUE(help.out.contains("--fit"));
    EXPECT_TRUE(help.out.contains("--transpose"));
    EXPECT_TRUE(help.out.contains("--version"));
    // All of it in German, Qt's own words too.
    for (const char* english : {"Usage", "Options:", "Arguments:", "Displays", "Prints"})
        EXPECT_FALSE(help.out.contains(english)) << english;
    EXPECT_TRUE(run({"--frobnicate"}).err.contains(QString::fromUtf8("unbekannte Option „--frobnicate“")));
    const ToolRun version = run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("versino-print " VERSINO_VERSION "\n"));
    EXPECT_EQ(run({}).exitCode, 2);
    EXPECT_EQ(run({"--paper", "a5", "-o", "x.pdf", "s.vsn"}).exitCode, 2);
    EXPECT_EQ(run({"--frobnicate"}).exitCode, 2);
}

} // namespace

// A picture that is no valid BMP is named, as a missing one is; the page is printed without it, and
// the check names each one too.
TEST_F(VersinoPrint, pictureThatIsNoValidBmpIsNamed) {
    QByteArray truncated = bmpBytes(40, 40);
    truncated.chop(truncated.size() / 2);
    const std::vector<std::pair<QString, QByteArray>> pictures = {
        {"leer.bmp", {}}, {"halb.bmp", truncated}, {"riesig.bmp", bmpBytes(2, 2, 100000, 100000)}};
    for (const auto& [name, bytes] : pictures) {
        SCOPED_TRACE(name.toStdString());
        writeBytes(dir.filePath(name), bytes);
        SongDocument doc;
        doc.InstallDefaultFonts();
        doc.TextEdit().setText("<G>Zeile\r\n");
        doc.GraphikEdit().setText(dir.filePath(name).toStdString());
        writeBytes(dir.filePath("bild.vsn"), QByteArray::fromStdString(formatLayout(doc)));
        const ToolRun r = run({"-o", "bild.pdf", "bild.vsn"});
        EXPECT_TRUE(r.err.contains("bild.vsn: \"" + dir.filePath(name) + "\" is no valid BMP picture"))
            << r.err.toStdString();
        EXPECT_EQ(pagesOf(pdf("bild.pdf")), 1);
        EXPECT_TRUE(run({"--check", "bild.vsn"}).out.contains(QString::fromUtf8("enthält kein BMP-Bild")));
    }
}

// A picture that is missing or no BMP is reported once per print of its song, in a single print
// and in a book alike.
TEST_F(VersinoPrint, pictureThatCannotBeShownIsReportedOnce) {
    writeBytes(dir.filePath("leer.bmp"), {});
    for (const char* picture : {"fehlt.bmp", "leer.bmp"}) {
        SCOPED_TRACE(picture);
        SongDocument doc;
        doc.InstallDefaultFonts();
        doc.TextEdit().setText("<G>Zeile\r\n");
        doc.GraphikEdit().setText(dir.filePath(picture).toStdString());
        writeBytes(dir.filePath("bild.vsn"), QByteArray::fromStdString(formatLayout(doc)));
        for (const QStringList& args : {QStringList{"-o", "bild.pdf", "bild.vsn"}, QStringList{"-o", "buch.pdf", "--book", "bild.vsn"}}) {
            const ToolRun r = run(args);
            EXPECT_EQ(r.err.count(dir.filePath(picture)), 1) << r.err.toStdString();
        }
    }
}

// The copy of a song that a save in place left behind when it did not finish is named.
TEST_F(VersinoPrint, backupCopyOfAnUnfinishedSaveIsNamed) {
    writeSong("lied.vsn", "Lied", {"a"});
    const QString cache = dir.filePath("cache/versino");
    QDir().mkpath(cache);
    QFile::setPermissions(cache, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CACHE_HOME", dir.filePath("cache"));
    EXPECT_FALSE(run({"--check", "lied.vsn"}, env).err.contains("Sicherungskopie"));
    const QString copy = cache + "/" + AtomicFile::cacheCopyName(dir.filePath("lied.vsn"));
    writeBytes(copy, "[Titel]\r\nLied\r\n");
    const ToolRun r = run({"--check", "lied.vsn"}, env);
    // In the same words for one song as for a book.
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("versino-print: \u201Elied.vsn\u201C: eine Sicherungskopie vom ")) &&
                r.err.contains(" liegt in " + copy + QString::fromUtf8("; die Datei selbst ist vielleicht unvollst\u00E4ndig.")))
        << r.err.toStdString();
    // A book and a song list that contain the song name the copy too, and print the song.
    writeBytes(dir.filePath("liste.vsl"), "lied.vsn\n");
    for (const QStringList& args : {QStringList{"-o", "buch.pdf", "--book", "lied.vsn"}, QStringList{"-o", "liste.pdf", "liste.vsl"}}) {
        const ToolRun book = run(args, env);
        EXPECT_EQ(book.exitCode, 0) << book.err.toStdString();
        EXPECT_TRUE(book.err.contains(QString::fromUtf8("„lied.vsn“: eine Sicherungskopie vom ")) &&
                    book.err.contains(copy + "; die Datei selbst ist vielleicht unvollständig."))
            << book.err.toStdString();
    }
    // A song torn so badly that it does not read at all still names its copy.
    writeBytes(dir.filePath("lied.vsn"), "Lie");
    const ToolRun torn = run({"-o", "buch.pdf", "liste.vsl"}, env);
    EXPECT_EQ(torn.exitCode, 2);
    EXPECT_TRUE(torn.err.contains("lied.vsn: Die Datei ist keine Versino-Songdatei.")) << torn.err.toStdString();
    EXPECT_TRUE(torn.err.contains(" liegt in " + copy)) << torn.err.toStdString();
    // A ChordPro file written in place is no different.
    writeBytes(dir.filePath("lied.cho"), "{title: Lied}\na\n");
    const QString choCopy = cache + "/" + AtomicFile::cacheCopyName(dir.filePath("lied.cho"));
    writeBytes(choCopy, "{title: Lied}\n");
    EXPECT_TRUE(run({"--check", "lied.cho"}, env).err.contains(" liegt in " + choCopy));
}

// Songs named by relative paths from another folder: the song is read where it is named, its
// picture beside it, and the output lands where it is named, not in the song's folder.
TEST_F(VersinoPrint, relativePathsOfSongPictureAndOutputStayWhereTheyAreNamed) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("lieder"));
    writeBytes(dir.filePath("lieder/bild.bmp"), bmpBytes(40, 20));
    SongDocument doc;
    doc.InstallDefaultFonts();
    doc.TextEdit().setText("<G>Zeile\r\n");
    doc.GraphikEdit().setText("bild.bmp");
    writeBytes(dir.filePath("lieder/a.vsn"), QByteArray::fromStdString(formatLayout(doc)));
    for (const char* out : {"seite.png", "seite.pdf"}) {
        const ToolRun r = run({"-o", out, "lieder/a.vsn"});
        EXPECT_EQ(r.exitCode, 0) << out << ": " << r.err.toStdString();
        EXPECT_TRUE(QFile::exists(dir.filePath(out))) << out;
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("lieder/") + out))) << out;
    }
    EXPECT_EQ(run({"--check", "lieder/a.vsn"}).exitCode, 0) << "the picture is found beside its song";
}
