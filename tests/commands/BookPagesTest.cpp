// The book's own pages: the title page holds a title of any length whole, the register names
// each song by its first sung line, and the songs, composed one at a time, stand where the plan
// puts them with their numbers and in the contents.
#include "commands/BookPlan.h"
#include "commands/BookSources.h"
#include "commands/Songbook.h"
#include "document/Cp1252.h"
#include "io/FileError.h"
#include "platform/PdfOutline.h"
#include "print/BookPages.h"

#include "support/FakeSurface.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>
#include <random>

using namespace versino;
using versino::testing::FakeSurface;

namespace {

// Titles of one to four hundred words on pages of three widths: every word is drawn, in order,
// on lines within the margins, one below the other; nothing is cut.
TEST(TitlePage, aTitleOfAnyLengthIsDrawnWholeWithinTheMargins) {
    std::mt19937 random(29);
    for (const int words : {1, 3, 9, 40, 400})
        for (const int width : {1400, 2600, 4800}) {
            std::string title;
            for (int i = 0; i < words; ++i)
                title += (i ? " " : "") + std::string(std::size_t(1 + random() % 11), char('a' + i % 26));
            FakeSurface s;
            s.width = width;
            drawPage(book::composeTitlePage(s, QString::fromLatin1(title)), s);
            std::string joined;
            int lastY = -1;
            for (const FakeSurface::Cell& c : s.cells) {
                joined += (joined.empty() ? "" : " ") + c.text;
                EXPECT_GE(c.left, 470) << words << " words on " << width;
                EXPECT_LE(c.right, width - 470) << words << " words on " << width;
                EXPECT_GT(c.top, lastY);
                EXPECT_LE(c.bottom, s.height);
                lastY = int(c.top);
            }
            EXPECT_EQ(joined, title) << words << " words on " << width;
        }
}

TEST(TitlePage, aTitleGetsSmallerOnlyWhenItsLinesDoNotFitThePage) {
    const struct {
        const char* title;
        int width;
        int size;
        std::size_t lines;
    } rows[] = {
        {"Sommerfest 2026 \x96 Die Wanderv\xF6gel", 4800, 32, 1},
        {"Sommerfest 2026 \x96 Die Wanderv\xF6gel", 1400, 32, 3}, // wraps, keeps its size
        {"Donaudampfschifffahrtsgesellschaft", 1400, 12, 1},      // a word wider than the line
    };
    for (const auto& r : rows) {
        FakeSurface s;
        s.width = r.width;
        drawPage(book::composeTitlePage(s, cp1252::toUnicode(r.title)), s);
        ASSERT_EQ(s.cells.size(), r.lines) << r.title << " on " << r.width;
        EXPECT_EQ(s.cells.front().size, r.size) << r.title << " on " << r.width;
    }
}

// Labels, directives and chord rows are passed by; the first line to sing is the song's entry.
TEST(Register, firstLinesPassLabelsDirectivesAndChordRows) {
    const struct {
        std::vector<const char*> lyrics;
        const char* first;
    } rows[] = {
        {{"[Strophe 1]", "Muss i denn, muss i denn zum St\xE4"
                         "dtele hinaus"},
         "Muss i denn, muss i denn zum St\xE4"
         "dtele hinaus"},
        {{"[Verse 1]", "Strophe 2", "Refrain:", "Chorus", "Intro", "Bridge:", "Erste Zeile"}, "Erste Zeile"},
        {{">>Refrain", "Refrain", ">>neue Spalte", "Erste Zeile"}, "Erste Zeile"},
        {{"<G> <D>", "Am   G   C", "<G>Erste <D>Zeile"}, "Erste Zeile"},
        {{"Refrain la la la"}, "Refrain la la la"}, // words to sing that begin with a label word
        {{"Am Brunnen vor dem Tore"}, "Am Brunnen vor dem Tore"},
        {{"[Intro]"}, nullptr},
    };
    for (const auto& r : rows) {
        SongDocument doc;
        std::string text;
        for (const char* l : r.lyrics)
            lines::add(text, l);
        doc.TextEdit().setText(text);
        const std::vector<std::string> first = firstLines(doc);
        if (!r.first) {
            EXPECT_TRUE(first.empty()) << r.lyrics.front();
            continue;
        }
        ASSERT_FALSE(first.empty()) << r.lyrics.front();
        EXPECT_EQ(first.front(), r.first) << r.lyrics.front();
    }
}

bool shows(const ComposedPage& page, const std::string& text) {
    return std::any_of(page.texts.begin(), page.texts.end(), [&](const PlacedText& t) { return t.text == text; });
}

// Random books of songs, some too long for one page and asked to continue on a second, with the
// list's order kept and not: composed one song at a time, each page stands where the plan puts it,
// song pages carry their numbers, the contents (made last) stand after the title page and name the
// page each song starts on, and each bookmark leads there.
TEST(BookPages, songsComposedOneAtATimeStandWhereThePlanPutsThem) {
    std::mt19937 random(31);
    for (int round = 0; round < 30; ++round) {
        std::vector<BookSong> songs;
        std::vector<int> counts;
        for (int i = 0, n = 1 + int(random() % 9); i < n; ++i) {
            const bool two = random() % 3 == 0;
            songs.push_back(BookSong{QString("s%1.vsn").arg(i), 0, std::make_unique<SongDocument>(), {}, false, 0, {}, {}});
            SongDocument& doc = *songs.back().doc;
            doc.InstallDefaultFonts();
            doc.TitelEdit().setText("Lied " + std::to_string(i));
            std::string lyrics;
            for (int line = 0; line < (two ? 200 : 3); ++line)
                lines::add(lyrics, "<G>Zeile " + std::to_string(line));
            doc.TextEdit().setText(lyrics);
            SongOptions options = doc.options();
            options.pages = two ? 2 : 1;
            doc.setOptions(options);
            counts.push_back(two ? 2 : 1);
        }
        for (const bool keepOrder : {true, false}) {
            BookOptions options;
            options.title = QStringLiteral("Buch");
            options.keepOrder = keepOrder;
            FakeSurface s;
            std::vector<ComposedPage> pages;
            const BookResult result = composeBook(heldSongs(songs), options, s, pages);
            const BookPlan plan = planSongPages(counts, 3, keepOrder); // after the title and contents
            ASSERT_EQ(int(pages.size()), 2 + plan.pages) << round;
            EXPECT_TRUE(shows(pages[0], "Buch"));
            EXPECT_TRUE(shows(pages[1], "Inhalt"));
            std::size_t page = 2;
            for (const int song : plan.sequence) {
                if (song < 0) {
                    EXPECT_TRUE(pages[page++].texts.empty()) << "the page before a song of two pages stays blank";
                    continue;
                }
                const std::string title = "Lied " + std::to_string(song);
                for (int k = 0; k < counts[std::size_t(song)]; ++k, ++page) {
                    EXPECT_TRUE(shows(pages[page], k == 0 ? title : title + " (Fortsetzung)")) << round;
                    EXPECT_TRUE(shows(pages[page], std::to_string(page + 1))) << "page number " << page + 1;
                }
            }
            // The contents list the songs by title; their numbers are the songs' first pages.
            std::vector<int> numbers;
            for (const PlacedText& t : pages[1].texts)
                if (std::all_of(t.text.begin(), t.text.end(), [](char c) { return c >= '0' && c <= '9'; }))
                    numbers.push_back(std::stoi(t.text));
            EXPECT_EQ(numbers, plan.firstPage) << round;
            ASSERT_EQ(result.outline.size(), songs.size() + 1);
            EXPECT_EQ(result.outline.front().page, 1);
            for (std::size_t i = 0; i < songs.size(); ++i) {
                const auto it = std::find_if(result.outline.begin(), result.outline.end(), [&](const PdfOutlineEntry& e) {
                    return e.title == QString("Lied %1").arg(i);
                });
                ASSERT_NE(it, result.outline.end());
                EXPECT_EQ(it->page + 1, plan.firstPage[i]) << "the bookmark of song " << i;
            }
        }
    }
}

// A book whose songs all lack lyrics is no printer's failure: nothing is printed, and the result
// says why. (The PDF that is then not written is the songbook window's test.)
TEST(BookPages, aBookWithoutLyricsPrintsNothing) {
    std::vector<BookSong> songs;
    songs.push_back(BookSong{"leer.vsn", 0, std::make_unique<SongDocument>(), {}, false, 0, {}, {}});
    songs.back().doc->TitelEdit().setText("Nur ein Titel");
    versino::testing::FakePrinter printer;
    EXPECT_TRUE(printBook(songs, BookOptions(), printer).noSongs);
    EXPECT_TRUE(printer.log.empty());
}

// A book's pages that cannot be read back as a PDF are a file that did not come out as written:
// a FileError, reported as every other.
TEST(BookPages, pagesThatCannotBeReadBackAreAFileError) {
    versino::testing::TempDir dir;
    for (const char* bytes : {"", "kein PDF", "%PDF-1.4\n1 0 obj\n<< /Type /Catalog >>\nendobj\nstartxref\n9\n%%EOF\n"}) {
        const QString path = dir.path("seiten.pdf");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        try {
            pdfUpdate(path, {{QStringLiteral("Inhalt"), 0}}, {1, 1, 0});
            ADD_FAILURE() << "no error for \"" << bytes << '"';
        } catch (const FileError& e) {
            EXPECT_EQ(e.kind(), FileError::Kind::Io) << bytes;
        }
    }
}

} // namespace
