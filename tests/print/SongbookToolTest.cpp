// A songbook made by versino-print from a song list, read back from the PDF with poppler's tools and
// qpdf: pages, contents, numbers, bookmarks, title, register, words only.
#include "formats/LayoutFile.h"
#include "print/BmpFiles.h"
#include "print/PdfTools.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace versino;
using namespace versino::testing;

namespace {

constexpr double kFiveMillimetres = 5 * 72 / 25.4; // in PDF points

QString pageText(const QString& pdf, int page) {
    return runTool("pdftotext", {"-layout", "-f", QString::number(page), "-l", QString::number(page), pdf, "-"}).out;
}

// The rows of a contents or register page: text before the dot leaders and the page number.
std::vector<std::pair<QString, int>> listRows(const QString& text) {
    std::vector<std::pair<QString, int>> rows;
    static const QRegularExpression row(QStringLiteral("^\\s*(\\S.*?)\\s*\\.{3,}\\s*(\\d+)\\s*$"));
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = row.match(line);
        if (m.hasMatch())
            rows.emplace_back(m.captured(1), m.captured(2).toInt());
    }
    return rows;
}

std::vector<std::pair<QString, int>> outline(const QString& pdf) {
    const ToolRun r = runTool("qpdf", {"--json", "--json-key=outlines", pdf});
    std::vector<std::pair<QString, int>> entries;
    for (const QJsonValue v : QJsonDocument::fromJson(r.out.toUtf8()).object().value("outlines").toArray())
        entries.emplace_back(v["title"].toString(), v["destpageposfrom1"].toInt());
    return entries;
}

QString pdfTitle(const QString& pdf) {
    static const QRegularExpression title(QStringLiteral("^Title:\\s*(.*)$"), QRegularExpression::MultilineOption);
    return title.match(runTool("pdfinfo", {pdf}).out).captured(1).trimmed();
}

class SongbookTool : public ::testing::Test {
protected:
    QTemporaryDir dir;

    void SetUp() override {
        QDir(dir.path()).mkpath("a");
        QDir(dir.path()).mkpath("b");
        writeBytes(dir.filePath("a/bild.bmp"), bmpBytes(60, 40));
        song("a/abend.vsn", "Abendlied", "Versino", {"<Cism>Der Tag geht <Fis7>leise", ">>Refrain", "zweite Zeile"},
             {"<G>Sing mit mir"}, "bild.bmp");
        song("a/zebra.vsn", "Zebra", "", {"<Cism>Streifen"});
        song("b/strasse.vsn", "stra\xDF" "e", "", {"<Cism>Gasse"});
        writeBytes(dir.filePath("b/zwei.cho"), "{title: \xC3\x9C" "ber den Wolken}\n{artist: Mey}\n[Cism]Oben\n"
                                               "{new_song}\n{title: \xC3\x84tsch}\n[Fis7]Bitte sch\xC3\xB6n\n");
        writeBytes(dir.filePath("buch.vsl"),
                   "#Titel: Sommerfest 2026\na/abend.vsn\nb/zwei.cho\n\n# fehlt\nb/fehlt.vsn\nb/strasse.vsn\n"
                   "a/zebra.vsn\n");
    }

    void song(const QString& name, const std::string& title, const std::string& performer,
              std::initializer_list<std::string> lyrics, std::initializer_list<std::string> chorus = {},
              const std::string& picture = {}) {
        SongDocument doc;
        doc.InstallDefaultFonts();
        doc.TitelEdit().setText(title);
        doc.InterpretEdit().setText(performer);
        doc.GraphikEdit().setText(picture);
        std::string lyricsText;
        for (const std::string& l : lyrics)
            lines::add(lyricsText, l);
        doc.TextEdit().setText(lyricsText);
        std::string chorusText;
        for (const std::string& l : chorus)
            lines::add(chorusText, l);
        doc.RefrainEdit().setText(chorusText);
        writeBytes(dir.filePath(name), QByteArray::fromStdString(formatLayout(doc)));
    }

    ToolRun run(const QStringList& args) { return runTool(VERSINO_PRINT_EXE, args, QProcessEnvironment::systemEnvironment(), dir.path()); }
};

TEST_F(SongbookTool, bookFromListInTwoFolders) {
    const QString pdf = dir.filePath("buch.pdf");
    const ToolRun r = run({"-o", "buch.pdf", "--index", "buch.vsl"});
    // The missing song is named with its line and left out; the book is still made, and the
    // status tells of the trouble.
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("buch.vsl:6: " + dir.filePath("b/fehlt.vsn") + ": File not found")) << r.err.toStdString();

    const std::vector<std::vector<Word>> pages = wordsByPage(pdf);
    // Title page, contents, five songs (two from one ChordPro file), register.
    ASSERT_EQ(pages.size(), 8u);
    EXPECT_TRUE(pageText(pdf, 1).contains("Sommerfest 2026"));
    EXPECT_EQ(pdfTitle(pdf), "Sommerfest 2026");

    const QString contents = pageText(pdf, 2);
    EXPECT_TRUE(contents.contains(QString::fromUtf8("Inhalt")));
    const std::vector<std::pair<QString, int>> rows = listRows(contents);
    const QStringList expected = {"Abendlied", QString::fromUtf8("Ätsch"), QString::fromUtf8("straße"),
                                  QString::fromUtf8("Über den Wolken"), "Zebra"};
    ASSERT_EQ(rows.size(), std::size_t(expected.size())) << contents.toStdString();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_TRUE(rows[i].first.startsWith(expected[int(i)])) << rows[i].first.toStdString();
        // The number leads to the page that carries the song's title.
        EXPECT_TRUE(pageText(pdf, rows[i].second).contains(expected[int(i)])) << rows[i].second;
    }
    EXPECT_TRUE(rows[3].first.contains("Mey")) << "the performer stands beside the title";

    const std::vector<std::pair<QString, int>> bookmarks = {
        {"Inhalt", 2}, {"Abendlied", 3}, {QString::fromUtf8("Über den Wolken"), 4}, {QString::fromUtf8("Ätsch"), 5},
        {QString::fromUtf8("straße"), 6}, {"Zebra", 7}, {QString::fromUtf8("Liedanfänge"), 8}};
    EXPECT_EQ(outline(pdf), bookmarks);

    // Each song page carries its number in the bottom outer corner, 5 mm or more from the edges,
    // covering no other word of the page.
    const PdfText size = pdfWords(pdf);
    for (int page = 3; page <= 7; ++page) {
        const std::vector<Word>& words = pages[std::size_t(page - 1)];
        const auto number = std::find_if(words.rbegin(), words.rend(),
                                         [&](const Word& w) { return w.text == QString::number(page); });
        ASSERT_NE(number, words.rend()) << "page " << page;
        EXPECT_GE(number->xMin, kFiveMillimetres);
        EXPECT_LE(number->xMax, size.width - kFiveMillimetres);
        EXPECT_GE(size.height - number->yMax, kFiveMillimetres);
        EXPECT_GT(number->yMin, size.height / 2) << "bottom corner on page " << page;
        EXPECT_EQ(number->xMin > size.width / 2, page % 2 == 1) << "outer corner on page " << page;
        for (const Word& w : words)
            if (&w != &*number) {
                EXPECT_FALSE(w.xMin < number->xMax && number->xMin < w.xMax && w.yMin < number->yMax &&
                             number->yMin < w.yMax)
                    << "page " << page << " number covers " << w.text.toStdString();
            }
    }
    // The picture was found beside its song, not in the folder versino-print ran in.
    EXPECT_TRUE(runTool("pdfimages", {"-list", "-f", "3", "-l", "3", pdf}).out.contains("image"));

    const QString registerPage = pageText(pdf, 8);
    EXPECT_TRUE(registerPage.contains(QString::fromUtf8("Liedanfänge")));
    const std::vector<std::pair<QString, int>> firstLines = listRows(registerPage);
    const std::vector<std::pair<QString, int>> expectedLines = {
        {QString::fromUtf8("Bitte schön"), 5}, {"Der Tag geht leise", 3}, {"Gasse", 6},
        {"Oben", 4}, {"Sing mit mir", 3}, {"Streifen", 7}};
    EXPECT_EQ(firstLines, expectedLines) << registerPage.toStdString();

    // The chords are in the book, and words only leaves every one of them out.
    EXPECT_TRUE(pageText(pdf, 3).contains("Fis7"));
    ASSERT_EQ(run({"-o", "worte.pdf", "--lyrics-only", "buch.vsl"}).exitCode, 2);
    const QString words = dir.filePath("worte.pdf");
    EXPECT_EQ(wordsByPage(words).size(), 7u) << "no register without --index";
    for (int page = 3; page <= 7; ++page) {
        EXPECT_FALSE(pageText(words, page).contains("Cism")) << page;
        EXPECT_FALSE(pageText(words, page).contains("Fis7")) << page;
    }
    EXPECT_TRUE(pageText(words, 3).contains("Der Tag geht leise"));
}

TEST_F(SongbookTool, songsNamedOnTheCommandLineWithoutTitleMakeNoTitlePage) {
    ASSERT_EQ(run({"-o", "b.pdf", "--book", "a/zebra.vsn", "a/abend.vsn"}).exitCode, 0);
    const QString pdf = dir.filePath("b.pdf");
    EXPECT_EQ(wordsByPage(pdf).size(), 3u);
    EXPECT_EQ(outline(pdf).front(), std::make_pair(QString("Inhalt"), 1));
    // --title gives the list's title way
    ASSERT_EQ(run({"-o", "t.pdf", "--title", "Probe", "buch.vsl"}).exitCode, 2);
    EXPECT_EQ(pdfTitle(dir.filePath("t.pdf")), "Probe");
    // --check looks through a list at its songs.
    const ToolRun check = run({"--check", "buch.vsl"});
    EXPECT_EQ(check.exitCode, 2);
    EXPECT_TRUE(check.err.contains("fehlt.vsn: File not found")) << check.err.toStdString();
}

// On pages the song fills to its corners the number moves to the top or is left out, and wherever
// it stands it covers nothing and keeps 5 mm from the edges.
TEST_F(SongbookTool, pageNumberNeverCoversACrowdedPage) {
    std::initializer_list<std::string> full = {
        "Eine sehr lange Zeile, die bis an den rechten Rand der Seite reicht und immer weiter geht"};
    std::vector<std::string> lines(100, *full.begin());
    for (const char* name : {"tief.vsn", "voll.vsn"}) {
        SongDocument doc;
        doc.InstallDefaultFonts();
        doc.TitelEdit().setText(name == std::string("tief.vsn") ? "Tief" : std::string(12, 'W') + " breit " + std::string(12, 'W'));
        std::string linesText;
        for (const std::string& l : lines)
            lines::add(linesText, l);
        doc.TextEdit().setText(linesText);
        writeBytes(dir.filePath(name), QByteArray::fromStdString(formatLayout(doc)));
    }
    ASSERT_EQ(run({"-o", "voll.pdf", "--book", "tief.vsn", "tief.vsn", "voll.vsn", "voll.vsn"}).exitCode, 0);
    const QString pdf = dir.filePath("voll.pdf");
    const PdfText size = pdfWords(pdf);
    const std::vector<std::vector<Word>> pages = wordsByPage(pdf);
    ASSERT_EQ(pages.size(), 5u);
    for (int page = 2; page <= 5; ++page) {
        const std::vector<Word>& words = pages[std::size_t(page - 1)];
        for (const Word& number : words) {
            if (number.text != QString::number(page))
                continue;
            EXPECT_GE(std::min({number.xMin, number.yMin, size.width - number.xMax, size.height - number.yMax}),
                      kFiveMillimetres)
                << "page " << page;
            EXPECT_EQ(number.xMin > size.width / 2, page % 2 == 1) << "outer corner on page " << page;
            for (const Word& w : words)
                if (&w != &number) {
                    EXPECT_FALSE(w.xMin < number.xMax && number.xMin < w.xMax && w.yMin < number.yMax &&
                                 number.yMin < w.yMax)
                        << "page " << page << " number covers " << w.text.toStdString();
                }
        }
    }
}

// A song cut at the page foot is named with the page check's findings, as --check names them, and
// printed all the same; fitting makes it fit. A single song's PDF carries the song's title.
TEST_F(SongbookTool, songThatDoesNotFitIsNamedOnStandardError) {
    std::vector<std::string> lines(45, "<C>Eine Zeile von vielen");
    SongDocument doc;
    doc.InstallDefaultFonts();
    doc.TitelEdit().setText("Lang");
    std::string linesText;
    for (const std::string& l : lines)
        lines::add(linesText, l);
    doc.TextEdit().setText(linesText);
    writeBytes(dir.filePath("lang.vsn"), QByteArray::fromStdString(formatLayout(doc)));
    const ToolRun check = run({"--check", "lang.vsn"});
    ASSERT_EQ(check.exitCode, 1);
    const QString finding = check.out.split(QLatin1Char('\n')).front();
    ASSERT_TRUE(finding.startsWith("lang.vsn:")) << check.out.toStdString();

    for (const QStringList& args : {QStringList{"-o", "lang.pdf", "lang.vsn"}, QStringList{"-o", "lang.png", "lang.vsn"},
                                    QStringList{"-o", "book.pdf", "--book", "lang.vsn"}}) {
        const ToolRun r = run(args);
        EXPECT_EQ(r.exitCode, 0) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(finding)) << args.join(' ').toStdString() << ": " << r.err.toStdString();
    }
    EXPECT_EQ(pdfTitle(dir.filePath("lang.pdf")), "Lang");
    const ToolRun fitted = run({"-o", "book.pdf", "--book", "--fit", "lang.vsn"});
    EXPECT_EQ(fitted.exitCode, 0);
    EXPECT_FALSE(fitted.err.contains("lang.vsn:")) << fitted.err.toStdString();

    // Asked to continue on a second page, the song is fitted onto one all the same, in a book as
    // alone: both show every line on one page.
    SongOptions twoPages = doc.options();
    twoPages.pages = 2;
    doc.setOptions(twoPages);
    writeBytes(dir.filePath("zwei.vsn"), QByteArray::fromStdString(formatLayout(doc)));
    for (const QStringList& args : {QStringList{"-o", "zwei.pdf", "--fit", "zwei.vsn"},
                                    QStringList{"-o", "zwei.pdf", "--book", "--fit", "zwei.vsn"}}) {
        ASSERT_EQ(run(args).exitCode, 0) << args.join(' ').toStdString();
        const std::vector<std::vector<Word>> pages = wordsByPage(dir.filePath("zwei.pdf"));
        ASSERT_FALSE(pages.empty());
        const auto lyricWords = [](const std::vector<Word>& page) {
            return std::count_if(page.begin(), page.end(), [](const Word& w) { return w.text == "Zeile"; });
        };
        EXPECT_EQ(lyricWords(pages.back()), long(lines.size())) << args.join(' ').toStdString();
    }
}

// A booklet and two pages a side: landscape sheets, the contents first, and each bookmark on the
// side that shows its song.
TEST_F(SongbookTool, bookletAndTwoUpSheetsLeadBookmarksToTheirSide) {
    const QStringList songs = {"a/abend.vsn", "b/zwei.cho", "b/strasse.vsn", "a/zebra.vsn"};
    // Contents and five songs: six pages, a booklet of eight on four sides; three sides two-up.
    const struct {
        const char* option;
        int sides;
        int zebraSide; // 1-based; Zebra is the book's sixth page
    } cases[] = {{"--booklet", 4, 3}, {"--2-up", 3, 3}};
    for (const auto& c : cases) {
        const ToolRun r = run(QStringList{"-o", "heft.pdf", c.option} + songs);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QString info = runTool("pdfinfo", {dir.filePath("heft.pdf")}).out;
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(c.sides)))) << info.toStdString();
        EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+84[12][.0-9]* x 595"))) << info.toStdString();
        bool zebra = false;
        for (const auto& [title, page] : outline(dir.filePath("heft.pdf")))
            if (title == "Zebra") {
                zebra = true;
                EXPECT_EQ(page, c.zebraSide) << c.option;
            }
        EXPECT_TRUE(zebra);
        EXPECT_TRUE(pageText(dir.filePath("heft.pdf"), 1).contains("Inhalt")) << c.option;
        EXPECT_TRUE(pageText(dir.filePath("heft.pdf"), c.zebraSide).contains("Streifen")) << c.option;
    }
    EXPECT_EQ(run({"-o", "heft.png", "--booklet", "a/zebra.vsn"}).exitCode, 2) << "a booklet is a PDF";
}

// The peak memory (KiB) of one versino-print run, as the system counts it for that process alone.
long peakKiB(const QStringList& args, const QString& folder) {
    std::vector<QByteArray> owned{QByteArray(VERSINO_PRINT_EXE)};
    for (const QString& a : args)
        owned.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : owned)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const QByteArray where = QFile::encodeName(folder);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(where.constData()) == 0) {
            ::freopen("/dev/null", "w", stderr);
            ::execv(argv[0], argv.data());
        }
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

// A book is made one song at a time: four times the songs (all different, with contents and
// register) take little more memory than the first quarter (about 2 MiB more here), where a book
// that keeps every song takes about 9 MiB more. Under AddressSanitizer freed memory is held back
// on purpose.
TEST_F(SongbookTool, fourTimesTheSongsTakeLittleMoreMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer keeps freed memory";
#endif
    constexpr int kSongs = 150;
    QStringList files;
    for (int i = 0; i < 4 * kSongs; ++i) {
        const std::string n = std::to_string(i);
        const QString name = QStringLiteral("lied%1.vsn").arg(i);
        song(name, "Lied " + n + " vom Abend", "Chor " + std::to_string(i % 17),
             {"<G>Strophe " + n + " geht <D>hier und <Em>dort " + n, "<C>noch eine Zeile " + n + " zum <G>Mitsingen",
              ">>Refrain", "<Am>und " + n + " am Ende"},
             {"<C>Refrain " + n + " f\xFCr <G>alle"});
        files << name;
    }
    const QStringList book = {"-o", "buch.pdf", "--book", "--index"};
    const long quarter = peakKiB(book + files.mid(0, kSongs), dir.path());
    const long whole = peakKiB(book + files, dir.path());
    ASSERT_GT(quarter, 0);
    ASSERT_GT(whole, 0);
    EXPECT_LT(whole - quarter, 5 * 1024) << quarter << " KiB for " << kSongs << " songs, " << whole << " KiB for "
                                         << 4 * kSongs;
}

} // namespace
