// Big and odd songs and pictures. Each case runs in a child process with an alarm, so that a hang
// fails the test instead of the suite, and its peak memory is checked against the input's size.
#include "support/Child.h"
#include "support/CountingSurface.h"
#include "support/FakeSurface.h"

#include "formats/LayoutFile.h"
#include "support/TempDir.h"
#include "platform/Bitmap.h"
#include "platform/PainterSurface.h"
#include "print/BmpFiles.h"
#include "platform/PageMetrics.h"
#include "print/PageCheck.h"
#include "print/PageComposer.h"
#include "commands/PrintCommand.h"
#include "commands/Songbook.h"
#include "support/ComposeOnto.h"
#include "support/GuiApp.h"
#include "support/Growth.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>


#include <sys/stat.h>

using namespace versino;
using namespace versino::testing;

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

// Saves the song, opens it into a fresh document and returns that document's lyrics.
std::string saveAndOpenLyrics(SongDocument& doc, const QString& path) {
    WriteLayoutFile(doc, path);
    SongDocument opened;
    ReadLayoutFile(opened, path);
    return opened.TextEdit().text();
}

std::string lyricsOf(std::size_t bytes) {
    std::string text;
    text.reserve(bytes + 128);
    for (int i = 0; text.size() < bytes; ++i)
        text +=
            "<Am>Der Mond ist <F>aufge<C°7>gangen, die <G>goldnen Sternlein " + std::to_string(i) + "\r\n";
    return text;
}

long rssLimitKb(std::size_t inputBytes, int times) {
    // A base for the program itself, and a multiple of the input for its copies.
    return long((64 * kMiB + inputBytes * std::size_t(times)) / 1024);
}

// A 24-bit BMP of `width` × `height` pixels whose header claims the given dimensions.
QByteArray bmp(int width, int height, std::int32_t claimedWidth, std::int32_t claimedHeight) {
    return bmpBytes(width, height, std::uint32_t(claimedWidth), std::uint32_t(claimedHeight));
}

void writeFile(const QString& path, const QByteArray& bytes) {
    writeAll(path.toStdString(), bytes.toStdString());
}

// A song with lyrics and the given picture file.
void songWithPicture(SongDocument& doc, const std::string& picture) {
    doc.TitelEdit().setText("Bild");
    doc.TextEdit().setText("<C>Zeile\r\n");
    doc.GraphikEdit().setText(picture);
}

// Prints the song's page onto the surface; the picture file's error, as the print command
// reports it, or nothing.
std::optional<QString> printed(PrintSurface& surface, const SongDocument& doc) {
    return pictureErrorText(doc, composeOnto(surface, doc));
}

std::string composeSummary(SongDocument& doc, FakeSurface& surface) {
    const std::optional<QString> error = printed(surface, doc);
    return error ? error->toStdString() : "page";
}

// A QGuiApplication of its own for a child that paints; created after the fork, never before.
using versino::testing::guiApp;

} // namespace

TEST(BigInput, hundredMegabyteLyricsSaveOpenAndPrint) {
    TempDir dir;
    const std::size_t size = scaled(100 * kMiB);
    const ChildResult r = runInChild({false, 0, 240}, [&] {
        SongDocument doc;
        doc.TextEdit().takeText(lyricsOf(size));
        const std::size_t lines = doc.TextEdit().lineList().size();
        if (saveAndOpenLyrics(doc, dir.path("gross.vsn")) != doc.TextEdit().text())
            return std::string("the lyrics changed in a save and open");
        FakeSurface page = FakeSurface::likePrinter();
        const std::string result = composeSummary(doc, page);
        // The capo line, then per lyric line on the page four chords, one superscript and the
        // lyrics; the lines below the page are counted, not drawn.
        const long long rowsOnPage = page.height / (page.pixelSize() + page.pixelSize() / 6) + 1;
        return result + " " + std::to_string(page.textsDrawn > 6 && static_cast<long long>(page.textsDrawn) <= 1 + 6 * rowsOnPage) + " " +
               std::to_string(page.maxY > page.minY && page.maxY < page.height && static_cast<long long>(lines) > rowsOnPage);
    });
    EXPECT_FALSE(r.timedOut());
    EXPECT_EQ(r.output, "page 1 1");
    if (!VERSINO_ASAN) {
        EXPECT_LT(r.maxRssKb, rssLimitKb(size, 8)) << "peak memory for a " << size << " byte song";
        RecordProperty("peakKb", int(r.maxRssKb));
    }
}

TEST(BigInput, tenMegabyteLineSaveOpenAndPrint) {
    TempDir dir;
    const std::size_t size = scaled(10 * kMiB);
    const ChildResult r = runInChild({false, 0, 120}, [&] {
        const std::string piece = "<Dm>lang und <A7>l\xE4nger ";
        std::string line;
        line.reserve(size + 64);
        while (line.size() < size)
            line += piece;
        SongDocument doc;
        doc.TextEdit().setText(line + "\r\n");
        if (saveAndOpenLyrics(doc, dir.path("zeile.vsn")) != line + "\r\n")
            return std::string("the line changed in a save and open");
        FakeSurface page = FakeSurface::likePrinter();
        const std::string result = composeSummary(doc, page);
        // The capo line, the chords that still stand on the page (those right of its edge are not
        // drawn) and the one lyric row, cut to what can reach the right edge.
        // At most one chord per lyric byte across the page: a bound far below the line's 1.3 million.
        const long long chordsOnPage = page.width / (page.pixelSize() / 2 + 1) + 1;
        return result + " " + std::to_string(page.textsDrawn > 3 && page.textsDrawn <= 1 + chordsOnPage + 1) + " " +
               std::to_string(page.bytesDrawn > 0 && page.bytesDrawn < 64 * 1024);
    });
    EXPECT_FALSE(r.timedOut());
    EXPECT_EQ(r.output, "page 1 1");
    if (!VERSINO_ASAN) {
        EXPECT_LT(r.maxRssKb, rssLimitKb(size, 12));
        RecordProperty("peakKb", int(r.maxRssKb));
    }
}

TEST(BigInput, millionEmptyLinesSaveOpenAndPrint) {
    TempDir dir;
    const int lines = 1000000;
    const ChildResult r = runInChild({false, 0, 120}, [&] {
        std::string empty;
        for (int i = 0; i < lines; ++i)
            empty += "\r\n";
        SongDocument doc;
        doc.TextEdit().setText("Anfang\r\n" + empty);
        doc.RefrainEdit().setText(empty);
        doc.NachspielEdit().setText("Ende");
        WriteLayoutFile(doc, dir.path("leer.vsn"));
        SongDocument opened;
        ReadLayoutFile(opened, dir.path("leer.vsn"));
        FakeSurface page = FakeSurface::likePrinter();
        const std::string result = composeSummary(opened, page);
        // Saving drops three trailing empty lines, the writer's line end adds one, opening drops three.
        return std::to_string(opened.TextEdit().lineList().size()) + " " +
               std::to_string(opened.RefrainEdit().lineList().size()) + " " + result + " " +
               std::to_string(page.maxY);
    });
    EXPECT_FALSE(r.timedOut());
    const int kept = lines - 5;
    // Nothing is drawn below the page's bottom edge: the closing remark, below all the rows, is
    // left out with them.
    EXPECT_EQ(r.output.substr(0, r.output.rfind(' ')),
              std::to_string(kept + 1) + " " + std::to_string(kept) + " page");
    EXPECT_LT(std::stoll(r.output.substr(r.output.rfind(' ') + 1)), 6814);
}

TEST(BigInput, everyByteInEveryField) {
    TempDir dir;
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    std::string safe; // every byte that is not part of a line end or the end-of-file mark
    for (char c : all)
        if (c != '\n' && c != '\r' && c != '\x1A')
            safe += c;

    // Without the line-structure bytes, every field keeps every byte through a save and an open.
    SongDocument doc;
    for (FieldId id : kAllFields)
        doc.field(id).setText(isMultiLine(id) ? safe + "\r\n" + safe + "\r\n" : safe);
    for (FontSetting* f : {&doc.TitelFont, &doc.InterpretFont, &doc.TextFont, &doc.AkkordFont})
        f->name = safe;
    WriteLayoutFile(doc, dir.path("bytes.vsn"));
    SongDocument opened;
    ReadLayoutFile(opened, dir.path("bytes.vsn"));
    for (FieldId id : kAllFields)
        EXPECT_EQ(opened.field(id).text(), doc.field(id).text()) << "field " << int(id);
    EXPECT_EQ(opened.AkkordFont.name, safe);

    // With them, a field's line ends split it; the file still opens and nothing else is lost.
    SongDocument raw;
    for (FieldId id : kAllFields)
        raw.field(id).setText(all);
    WriteLayoutFile(raw, dir.path("raw.vsn"));
    SongDocument rawOpened;
    ReadLayoutFile(rawOpened, dir.path("raw.vsn"));
    const std::string firstLine = all.substr(0, 10); // up to the LF
    for (FieldId id : kAllFields) {
        if (!isMultiLine(id)) {
            EXPECT_EQ(rawOpened.field(id).text(), firstLine) << "field " << int(id);
        }
    }
    // A multi-line field keeps its lines: up to the LF, then up to byte 26 without the lone CR.
    std::string second = all.substr(11, 15);
    second.erase(second.find('\r'), 1);
    EXPECT_EQ(rawOpened.TextEdit().text(), firstLine + "\r\n" + second + "\r\n");
    EXPECT_EQ(rawOpened.AkkordFont, raw.AkkordFont);

    // Printing every byte in every field, the chord marks included, draws without failing.
    FakeSurface page = FakeSurface::likePrinter();
    raw.GraphikEdit().setText("");
    EXPECT_EQ(composeSummary(raw, page), "page");
    // Five single-line fields whole, "Kapo: ", and the lyric line less its chord "<=>" whose "=" is
    // drawn as the chord: every byte reached the page.
    EXPECT_EQ(page.bytesDrawn, 5 * 256 + 6 + 253 + 1);
}

TEST(BigInput, chordFontOfAThousandPointsOnTheRealPainter) {
    const ChildResult r = runInChild({false, 0, 60}, [&] {
        guiApp();
        SongDocument doc;
        doc.TitelEdit().setText("Riesig");
        doc.TextEdit().setText("<Am>Eine <G°7>Zeile\r\n>>Refrain\r\n");
        doc.RefrainEdit().setText("<C>Kehr<F>vers\r\n");
        doc.AkkordFont.size = 1000;
        // A 150 dots-per-inch page keeps the image small; the chord row is still over 2000 pixels high. The
        // page is tall enough for the lyric row below it: a chord row is drawn only with its words.
        QImage image(1240, 3000, QImage::Format_RGB32);
        const int dotsPerMetre = int(150 / 0.0254 + 0.5);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        image.fill(Qt::white);
        QPainter painter(&image);
        PainterSurface surface(painter);
        const std::optional<QString> error = printed(surface, doc);
        surface.setFontName(doc.AkkordFont.name);
        surface.setFontSize(doc.AkkordFont.size);
        const int chordRow = surface.textHeight("ABCdefg");
        painter.end();
        int red = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                red += image.pixel(x, y) == qRgb(255, 0, 0);
        return std::string(error ? "error" : "page") + " " + std::to_string(chordRow > 2000) + " " +
               std::to_string(red > 1000);
    });
    EXPECT_FALSE(r.timedOut());
    EXPECT_EQ(r.output, "page 1 1") << "the chord row is as high as the font, and red chords are on the page";
}

TEST(BigInput, absurdFontSizesOnTheRealPainter) {
    const ChildResult r = runInChild({false, 0, 60}, [&] {
        guiApp();
        QImage image(600, 800, QImage::Format_RGB32);
        QPainter painter(&image);
        PainterSurface surface(painter);
        std::string out;
        for (int size : {0, -1, -1000, INT_MIN, INT_MAX, 1000, 100000}) {
            SongDocument doc;
            doc.TextEdit().setText("<Am°7>Zeile\r\n");
            for (FontSetting* f : {&doc.TitelFont, &doc.InterpretFont, &doc.TextFont, &doc.AkkordFont})
                f->size = size;
            printed(surface, doc);
            surface.setFontSize(size);
            out += surface.textHeight("ABCdefg") > 0 ? "+" : "-";
        }
        return out;
    });
    EXPECT_FALSE(r.timedOut());
    EXPECT_EQ(r.output, "+++++++");
}

TEST(BigInput, bitmapHeadersClaimingHugePicturesAreLeftOut) {
    TempDir dir;
    struct Claim {
        std::int32_t width, height;
    };
    for (const Claim c : {Claim{100000, 100000}, Claim{100000, -100000}, Claim{INT32_MAX, 1},
                          Claim{46341, 46341}, Claim{1, INT32_MIN}}) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const QString path = dir.path("gross.bmp");
        writeFile(path, bmp(2, 2, c.width, c.height));
        const ChildResult r = runInChild({false, 0, 30}, [&] {
            const BitmapLoad load = loadBitmap(path.toStdString());
            SongDocument doc;
            songWithPicture(doc, path.toStdString());
            FakeSurface page = FakeSurface::likePrinter();
            const std::string result = composeSummary(doc, page);
            return std::to_string(int(load.status)) + " " + result + " " +
                   std::to_string(page.pictures.size());
        });
        EXPECT_FALSE(r.timedOut());
        EXPECT_EQ(r.output, std::to_string(int(BitmapLoad::Status::NotABitmap)) + " page 0");
        if (!VERSINO_ASAN) {
            EXPECT_LT(r.maxRssKb, 256 * 1024) << "nothing of the claimed size was allocated";
        }
    }
}

TEST(BigInput, tinyBitmapsPrintWithoutAnEmptyBox) {
    TempDir dir;
    for (int side : {1, 2, 3}) {
        SCOPED_TRACE(side);
        const QString path = dir.path("klein.bmp");
        writeFile(path, bmp(side, side, side, side));
        const BitmapLoad load = loadBitmap(path.toStdString());
        ASSERT_EQ(load.status, BitmapLoad::Status::Loaded);
        EXPECT_EQ(load.bitmap.width(), side);
        SongDocument doc;
        songWithPicture(doc, path.toStdString());
        FakeSurface page = FakeSurface::likePrinter();
        EXPECT_EQ(composeSummary(doc, page), "page");
        for (const PageBox& box : page.pictures) {
            EXPECT_LT(box.left, box.right);
            EXPECT_LT(box.top, box.bottom);
            EXPECT_LE(box.right - box.left, side) << "a picture is never scaled up";
        }
        // Half of one pixel rounds to nothing: a 1 x 1 picture has no box to stand in.
        if (side == 1) {
            EXPECT_TRUE(page.pictures.empty());
        } else {
            EXPECT_EQ(page.pictures.size(), 1u);
        }
    }
}

TEST(BigInput, picturePathsToFifosDevicesAndFoldersNeverBlock) {
    TempDir dir;
    const QString fifo = dir.path("rohr.bmp");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const std::string& path : {fifo.toStdString(), std::string("/dev/zero"), dir.str()}) {
        SCOPED_TRACE(path);
        const ChildResult r = runInChild({false, 0, 10}, [&] {
            SongDocument doc;
            songWithPicture(doc, path);
            FakeSurface page = FakeSurface::likePrinter();
            const std::string result = composeSummary(doc, page);
            return result + " | " + std::to_string(page.pictures.size()) + " " + page.lastText;
        });
        EXPECT_FALSE(r.timedOut()) << "reading the picture blocked";
        EXPECT_EQ(r.output, "Cannot open file \"" + path + "\". File access denied | 0 Zeile");
    }
}

TEST(BigInput, tenMegabyteLineOnTheRealPainter) {
    const ChildResult r = runInChild({false, 0, 120}, [&] {
        guiApp();
        std::string line;
        while (line.size() < scaled(10 * kMiB))
            line += "lang und l\xE4nger ";
        // One chord at the very end: its place is measured over the whole line once.
        SongDocument doc;
        doc.TextEdit().setText(line + "<E7>\r\n");
        QImage image(1240, 1754, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        PainterSurface surface(painter);
        const std::optional<QString> error = printed(surface, doc);
        painter.end();
        return std::string(error ? "error" : "page");
    });
    EXPECT_FALSE(r.timedOut()) << "printing one long line took more than two minutes";
    EXPECT_EQ(r.output, "page");
}

// Measuring the whole lyric prefix anew for every chord is quadratic in the line's length on the
// real painter (a 160 KB line with a chord every 24 bytes once took about two minutes); chords
// right of the page are therefore neither measured nor drawn.
TEST(BigInput, tenMegabyteLineWithChordsOnTheRealPainter) {
    const ChildResult r = runInChild({false, 0, 60}, [&] {
        guiApp();
        const std::string piece = "<Dm>lang und <A7>l\xE4nger ";
        std::string line;
        while (line.size() < scaled(10 * kMiB))
            line += piece;
        SongDocument doc;
        doc.TextEdit().setText(line + "\r\n");
        QImage image(1240, 1754, QImage::Format_RGB32);
        QPainter painter(&image);
        PainterSurface surface(painter);
        const std::optional<QString> error = printed(surface, doc);
        return std::string(error ? "error" : "page");
    });
    EXPECT_FALSE(r.timedOut()) << "printing one long line with chords took more than a minute";
    EXPECT_EQ(r.output, "page");
}

// With the text font at the painter's largest size (12000 points at 600 dpi, 116666 units a row)
// the 18407th lyric row would pass the int range: y would wrap round and the rest of the song be
// printed again over the top of the page (UBSan: signed integer overflow).
TEST(BigInput, longSongInTheLargestFontNeverWrapsRound) {
    const ChildResult r = runInChild({false, 0, 60}, [&] {
        SongDocument doc;
        doc.TextFont.size = 12000;
        std::string lyrics;
        for (int i = 0; i < 20000; ++i)
            lyrics += "Zeile\r\n";
        doc.TextEdit().setText(lyrics);
        FakeSurface page = FakeSurface::likePrinter();
        const std::string result = composeSummary(doc, page);
        return result + " " + std::to_string(page.minY >= 150);
    });
    EXPECT_EQ(r.signal, 0) << "the child died of signal " << r.signal;
    EXPECT_EQ(r.output, "page 1") << "a row was drawn above the title";
}

// A song that runs past the bottom of the page leaves the picture a negative height, and a very
// wide picture (100000 x 1) would then scale to a width of about -1e10, whose conversion to int is
// undefined. No room below the song means no picture.
TEST(BigInput, widePictureBelowASongLongerThanThePage) {
    TempDir dir;
    const QString path = dir.path("band.bmp");
    writeFile(path, bmp(100000, 1, 100000, 1));
    const ChildResult r = runInChild({false, 0, 30}, [&] {
        SongDocument doc;
        songWithPicture(doc, path.toStdString());
        std::string lyrics;
        for (int i = 0; i < 1000; ++i)
            lyrics += "Zeile\r\n";
        doc.TextEdit().setText(lyrics);
        FakeSurface page = FakeSurface::likePrinter();
        const std::string result = composeSummary(doc, page);
        return result + " " + std::to_string(page.pictures.size());
    });
    EXPECT_EQ(r.signal, 0) << "the child died of signal " << r.signal;
    EXPECT_EQ(r.output, "page 0") << "a picture with no room below the song is left out";
}

namespace {

// Composes the song on an A4 sheet at 600 dots per inch: "page 1" when a page came out that
// measured and drew no more than a page holds (under 2 MB), whatever the size of the song.
std::string composedOnAnA4Sheet(const SongDocument& doc) {
    QImage image(4960, 7016, QImage::Format_Mono);
    QPainter painter(&image);
    PainterSurface painted(painter);
    CountingSurface surface(painted);
    const std::optional<QString> error = printed(surface, doc);
    const bool onePage = surface.bytesMeasured + surface.bytesDrawn < 2 * 1024 * 1024;
    return std::string(error ? "error" : "page") + " " + std::to_string(onePage) + " " +
           std::to_string(surface.bytesMeasured) + "/" + std::to_string(surface.bytesDrawn);
}

} // namespace

// Nothing off the page is shaped: a 103 KB song whose one 100,000-byte chorus line is called 300
// times, and a 1 MB line at 12,000 points, cost what one page costs.
TEST(BigInput, longChorusCalledManyTimesCostsOnePage) {
    const ChildResult r = runInChild({false, 0, 60}, [&] {
        guiApp();
        SongDocument doc;
        doc.RefrainEdit().setText(std::string(100000, 'x') + "\r\n");
        std::string lyrics;
        for (int i = 0; i < 300; ++i)
            lyrics += ">>Refrain\r\n";
        doc.TextEdit().setText(lyrics);
        return composedOnAnA4Sheet(doc);
    });
    EXPECT_EQ(r.output.substr(0, 7), "page 1 ") << r.output;
    if (!VERSINO_ASAN) {
        EXPECT_LT(r.maxRssKb, 300 * 1024);
    }
}

TEST(BigInput, megabyteLineAtTwelveThousandPointsCostsOnePage) {
    const ChildResult r = runInChild({false, 0, 60}, [&] {
        guiApp();
        SongDocument doc;
        doc.TextFont.size = 12000;
        doc.AkkordFont.size = 12000;
        std::string line;
        while (line.size() < scaled(kMiB))
            line += "<Am>lang und l\xE4nger ";
        doc.TextEdit().setText(line + "\r\n" + line + "\r\n");
        return composedOnAnA4Sheet(doc);
    });
    EXPECT_EQ(r.output.substr(0, 7), "page 1 ") << r.output;
    if (!VERSINO_ASAN) {
        EXPECT_LT(r.maxRssKb, 300 * 1024);
    }
}

// Title, performer, remark and closing remark are cut to what the page can show before they are
// measured: a 20 MB field costs one page, not the shaping of all of it.
TEST(BigInput, twentyMegabyteHeaderFieldsComposeWithinThePage) {
    const std::size_t size = scaled(20 * kMiB);
    const ChildResult r = runInChild({false, 0, 120}, [&] {
        guiApp();
        PageMetrics metrics;
        std::size_t most = 0;
        for (const FieldId id : {FieldId::Titel, FieldId::Interpret, FieldId::Vorspiel, FieldId::Nachspiel}) {
            SongDocument doc;
            std::string text;
            while (text.size() < size)
                text += "Ein sehr langer Titel ";
            doc.field(id).takeText(std::move(text));
            doc.TextEdit().setText("la\r\n");
            CountingSurface counted(metrics.surface());
            const std::vector<PageFinding> findings = CheckPage(doc, counted);
            most = std::max(most, counted.bytesMeasured);
            if (findings.size() != 1 || findings[0].kind != PageFindingKind::PastRightEdge || findings[0].field != id)
                return "field " + std::to_string(int(id)) + " not reported as cut";
        }
        // What is measured is bounded by the page, not by the 20 MB of the field.
        return std::string(most < 256 * 1024 ? "within the page" : "measured " + std::to_string(most) + " bytes");
    });
    EXPECT_EQ(r.output, "within the page");
    // The sanitizer's own bookkeeping and quarantine of freed memory would be measured too.
    if (!VERSINO_ASAN) {
        EXPECT_LT(r.maxRssKb, rssLimitKb(size, 3));
    }
}

// The page check is linear in the number of columns: each column's row meets the rows of the
// columns before it, is moved right past the page and reported there. Shown by the cost of n and 4n
// columns in one run: 4 times the work when linear, 16 when quadratic; at most 8 passes.
TEST(BigInput, twoHundredThousandColumnsCheckInLinearTime) {
    const ChildResult r = runInChild({false, 0, 120}, [&] {
        guiApp();
        PageMetrics metrics;
        bool reported = true;
        const auto check = [&](std::size_t columns) {
            SongDocument doc;
            std::string lyrics;
            for (std::size_t i = 0; i < columns; ++i)
                lyrics += ">>neue Spalte\r\nla\r\n";
            doc.TextEdit().takeText(std::move(lyrics));
            const std::vector<PageFinding> findings = CheckPage(doc, metrics.surface());
            reported = reported && !findings.empty() && findings.back().kind == PageFindingKind::PastRightEdge &&
                       findings.back().line == 2 * int(columns);
        };
        const double ratio = growthOfFourTimes(check, scaled(200000) / 4);
        if (!reported)
            return std::string("last column not reported");
        return std::string(ratio <= 8 ? "linear" : "ratio " + std::to_string(ratio));
    });
    EXPECT_EQ(r.output, "linear");
}

// Inputs whose cost once grew with them past the page: millions of unclosed chords each gave a
// finding (66 bytes of memory per input byte), a title of megabytes went whole onto the title page
// and into the PDF's metadata. For n and 4n, in one run: the findings and the book stay the same
// size, and the time grows at most as the input does (4x, with room for a loaded machine: 8x).
TEST(BigInput, unclosedChordsAndAHugeBookTitleCostWhatThePageShows) {
    const ChildResult r = runInChild({false, 0, 240}, [&] {
        guiApp();
        PageMetrics metrics;
        TempDir dir;
        const std::size_t n = scaled(8 * kMiB);
        std::string out;
        std::size_t findings[2] = {0, 0};
        qint64 pdfBytes[2] = {0, 0};
        std::optional<QString> error;
        const auto make = [&](std::size_t size) {
            const int k = size == n ? 0 : 1;
            SongDocument doc;
            std::string lyrics;
            lyrics.reserve(size + 4);
            while (lyrics.size() < size)
                lyrics += "<x\r\n";
            doc.TextEdit().takeText(std::move(lyrics));
            findings[k] = CheckPage(doc, metrics.surface()).size();

            std::vector<BookSong> songs;
            songs.push_back(BookSong{"a.vsn", 0, std::make_unique<SongDocument>(), {}, false, 0, {}, {}});
            songs.back().doc->TitelEdit().setText("Lied");
            songs.back().doc->TextEdit().setText("<C>la\r\n");
            BookOptions options;
            options.title = QString(qsizetype(size / 8), QChar(u'T'));
            BookResult result;
            const QString pdf = dir.path(QString("buch%1.pdf").arg(k));
            if (!error)
                error = writeBookPdf(songs, options, pdf, result);
            pdfBytes[k] = QFileInfo(pdf).size();
        };
        const double ratio = growthOfFourTimes(make, n);
        if (error)
            return error->toStdString();
        out += "findings " + std::string(findings[0] == findings[1] && findings[0] < 200 ? "bounded" : "grow");
        out += ", book " + std::string(pdfBytes[1] < pdfBytes[0] + 4096 ? "bounded" : "grows");
        out += ", time " + std::string(ratio <= 8 ? "linear" : "superlinear");
        return out;
    });
    EXPECT_FALSE(r.timedOut());
    EXPECT_EQ(r.output, "findings bounded, book bounded, time linear");
}
