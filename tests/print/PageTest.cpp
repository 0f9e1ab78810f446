#include "print/BmpFiles.h"
#include "commands/BookSources.h"
#include "commands/PrintCommand.h"
#include "print/ComposedPage.h"
#include "print/PageComposer.h"
#include "support/FakeSurface.h"
#include "support/ScriptedDialogs.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <chrono>
#include <gtest/gtest.h>

using namespace versino;
using versino::testing::FakePrinter;
using versino::testing::FakeSurface;
using versino::testing::ScriptedDialogs;
using Marks = std::vector<std::string>;

namespace {

std::string draw(int x, int y, const std::string& t) {
    return FakeSurface::draw(x, y, t);
}

class Page : public ::testing::Test {
protected:
    static constexpr int T = 48;
    static constexpr int C = 40;

    SongDocument doc;
    ScriptedDialogs dialogs;
    FakePrinter printer;

    Page() {
        doc.TitelFont = {"Titel", FontStyle::Bold, 0, 24};
        doc.InterpretFont = {"Interpret", 0, 0, 18};
        doc.TextFont = {"Text", 0, 0, 12};
        doc.AkkordFont = {"Akkord", 0, 255, 10};
        doc.Modified = false;
    }

    void lyrics(std::initializer_list<std::string> lines) { fill(doc.TextEdit(), lines); }
    static void fill(MultiLineField& f, std::initializer_list<std::string> lines) {
        std::string text = f.text();
        for (const std::string& l : lines)
            lines::add(text, l);
        f.setText(text);
    }
    // Prints and returns what reached the page after the header (title and capo line).
    Marks print() {
        DruckenClick(doc, dialogs, printer);
        return printer.surface.marks();
    }
    // The style of the text `text` at (x, y) on the song's composed page; "" when there is none.
    std::string styleAt(int x, int y, const std::string& text) {
        for (const PlacedText& t : composePage(doc, printer.surface).texts)
            if (t.x == x && t.y == y && t.text == text)
                return "style " + std::to_string(t.font.style);
        return "";
    }
    // What follows the capo line.
    Marks body() {
        const Marks m = print();
        const auto capo = std::find_if(
            m.begin(), m.end(), [](const std::string& s) { return s.find("'Kapo: ") != std::string::npos; });
        EXPECT_NE(capo, m.end());
        return capo == m.end() ? m : Marks(capo + 1, m.end());
    }
};

TEST_F(Page, emptyLyricsShowMessageAndStartNoJob) {
    doc.TitelEdit().setText("Titel");
    DruckenClick(doc, dialogs, printer);
    EXPECT_EQ(dialogs.messages, std::vector<QString>{"Ihr Song hat noch keinen Text!"});
    EXPECT_TRUE(printer.log.empty());
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(Page, lyricsOfOnlyLineBreaksArePrinted) {
    doc.TextEdit().setText("\r\n\r\n");
    // The empty title and the two empty rows leave no mark; the capo line does.
    EXPECT_EQ(print(), Marks{draw(200, 150, "Kapo: ")});
    EXPECT_EQ(printer.log, (std::vector<std::string>{"portrait", "begin", "end"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

class PrinterFailure : public Page, public ::testing::WithParamInterface<PrinterError::Kind> {};

TEST_P(PrinterFailure, isReportedBeforeAnyJobAndNothingIsPrinted) {
    lyrics({"la"});
    printer.portraitError = GetParam();
    DruckenClick(doc, dialogs, printer, QStringLiteral("kein Drucker"));
    // The window says in its own words that there is no default printer; other errors stand as the
    // printer layer gives them.
    const bool noPrinter = GetParam() == PrinterError::Kind::NoDefaultPrinter;
    EXPECT_EQ(dialogs.errors, std::vector<QString>{noPrinter ? QStringLiteral("kein Drucker")
                                                             : QString::fromUtf8(PrinterError::textOf(GetParam()))});
    EXPECT_TRUE(printer.log.empty());
    EXPECT_TRUE(printer.surface.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Printer, PrinterFailure,
                         ::testing::Values(PrinterError::Kind::NoDefaultPrinter, PrinterError::Kind::NotSupported,
                                           PrinterError::Kind::JobFailed));

TEST_F(Page, printingChangesNothingInTheSong) {
    lyrics({"<G>la", ">>Refrain"});
    fill(doc.RefrainEdit(), {"x"});
    doc.Modified = false;
    const std::string before = doc.TextEdit().text();
    print();
    EXPECT_FALSE(doc.Modified);
    EXPECT_EQ(doc.TextEdit().text(), before);
}

// The header: the title centred in its font; the capo line in the text font's face at 12 points on
// the title's row; the lyrics one text row below the capo line's advance.
TEST_F(Page, headerWithoutPerformer) {
    doc.TitelEdit().setText("Abc"); // 3 bold bytes at 24 points: 75 wide, half 37.5 rounds to 38
    doc.KapoEdit().setText("3");
    doc.TextFont = {"Text", FontStyle::Italic, 0x123456, 14};
    lyrics({"x"});
    FakeSurface measures;
    const ComposedPage page = composePage(doc, measures);
    const auto placed = [&](std::size_t i) {
        const PlacedText& t = page.texts.at(i);
        return std::make_tuple(t.x, t.y, t.text, t.font);
    };
    ASSERT_EQ(page.texts.size(), 3u);
    EXPECT_EQ(placed(0), std::make_tuple(2362, 150, std::string("Abc"), doc.TitelFont));
    const FontSetting capoFont{"Text", FontStyle::Italic, 0x123456, 12};
    EXPECT_EQ(placed(1), std::make_tuple(200, 150, std::string("Kapo: 3"), capoFont));
    EXPECT_EQ(placed(2), std::make_tuple(200, 250 + 56, std::string("x"), doc.TextFont)); // T is 56 at 14 points
}

TEST_F(Page, performerStandsBelowTitleAndCarriesTheCapoLine) {
    doc.TitelEdit().setText("Ab");
    doc.InterpretEdit().setText("Xy"); // 18 points: 36 wide, 72 high
    lyrics({"x"});
    const Marks m = print();
    // y = 150 + 50 + 72; the title's own height plays no part.
    EXPECT_EQ(m, (Marks{draw(2400 - 25, 150, "Ab"), draw(2382, 272, "Xy"), draw(200, 272, "Kapo: "),
                        draw(200, 272 + 100 + T, "x")}));
}

struct OddWidth {
    int width;
    int x;
};
class OddTitleWidth : public Page, public ::testing::WithParamInterface<OddWidth> {};

TEST_P(OddTitleWidth, isCentredWithTiesToEven) {
    doc.TitelEdit().setText("title");
    doc.InterpretEdit().setText("performer");
    printer.surface.widthOverride = {{"title", GetParam().width}, {"performer", GetParam().width}};
    lyrics({"x"});
    const Marks m = print();
    ASSERT_GE(m.size(), 2u);
    EXPECT_EQ(m[0], draw(GetParam().x, 150, "title"));
    EXPECT_EQ(m[1], draw(GetParam().x, 150 + 50 + 72, "performer"));
}

INSTANTIATE_TEST_SUITE_P(Widths, OddTitleWidth,
                         ::testing::Values(OddWidth{101, 2350}, OddWidth{103, 2348}, OddWidth{100, 2350},
                                           OddWidth{1, 2400}, OddWidth{3, 2398}, OddWidth{0, 2400}));

TEST_F(Page, remarkAndLyricRowsFollowTheTextAndChordHeights) {
    doc.VorspielEdit().setText("Bem");
    lyrics({"a", "<G>b", "", "c"});
    EXPECT_EQ(body(), (Marks{draw(200, 298, "Bem"), draw(200, 442, "a"), draw(200, 490, "G"),
                             draw(200, 530, "b"), draw(200, 626, "c")}));
}

TEST_F(Page, refrainWordIsItalicUnderlinedAndTakesOneRow) {
    lyrics({"Refrain", "x"});
    EXPECT_EQ(body(), (Marks{draw(200, 298, "Refrain"), draw(200, 346, "x")}));
    EXPECT_EQ(styleAt(200, 298, "Refrain"), "style 6");
    EXPECT_EQ(styleAt(200, 346, "x"), "style 0");
}

class NotADirective : public Page, public ::testing::WithParamInterface<std::string> {};

TEST_P(NotADirective, isPrintedLiterallyAsALyricLine) {
    lyrics({GetParam(), "x"});
    fill(doc.RefrainEdit(), {"chorus"});
    fill(doc.BridgeEdit(), {"bridge"});
    EXPECT_EQ(body(), (Marks{draw(200, 298, GetParam()), draw(200, 346, "x")}));
}

INSTANTIATE_TEST_SUITE_P(Lines, NotADirective,
                         ::testing::Values("refrain", "REFRAIN", "Refrain ", " Refrain",
                                           "Refrain:", ">>refrain", ">>Refrain ", " >>Refrain", ">> Refrain",
                                           ">>refrain2", ">>Refrain2 ", ">>bridge", ">>Bridge ", ">>BRIDGE",
                                           ">>neue spalte", ">>neue Spalte ", ">>Neue Spalte", ">>neueSpalte",
                                           "Refrain2"));

struct BlockCase {
    const char* directive;
    const char* heading;
    int indent; // the heading and one blank, bold: 13 per byte
    const char* firstLine;
};
class Block : public Page, public ::testing::WithParamInterface<BlockCase> {};

// The heading stands one ChordLineHeight below the block's row; a first line without chords sits
// on the block's row itself, a line with chords puts its lyrics on the heading's row.
TEST_P(Block, printsHeadingAndIndentedLines) {
    const BlockCase& b = GetParam();
    fill(doc.RefrainEdit(), {"chorus one", "<G>chorus two"});
    fill(doc.BridgeEdit(), {"bridge one", "<D>bridge two"});
    lyrics({b.directive, "x"});
    const int left = 200 + b.indent;
    const std::string second = std::string(b.firstLine) == "chorus one" ? "chorus two" : "bridge two";
    const std::string chord = second == "chorus two" ? "G" : "D";
    EXPECT_EQ(body(),
              (Marks{draw(200, 346 + C, b.heading), draw(left, 346, b.firstLine), draw(left, 394, chord),
                     draw(left, 394 + C, second), draw(200, 394 + C + 2 * T, "x")}));
    EXPECT_EQ(styleAt(200, 346 + C, b.heading), "style 7");
    EXPECT_EQ(styleAt(left, 346, b.firstLine), "style 0");
}

INSTANTIATE_TEST_SUITE_P(Directives, Block,
                         ::testing::Values(BlockCase{">>Refrain", "Refrain:", 9 * 13, "chorus one"},
                                           BlockCase{">>Refrain2", "Refrain:", 9 * 13, "bridge one"},
                                           BlockCase{">>Bridge", "Bridge:", 8 * 13, "bridge one"}));

// Words only: each heading on its block's first row of words, whether that line had chords or
// not, and no capo line.
TEST_F(Page, wordsOnlyKeepsEachHeadingLevelWithItsBlocksFirstLine) {
    fill(doc.RefrainEdit(), {"<G>chorus one", "<C>chorus two"});
    fill(doc.BridgeEdit(), {"bridge one", "<D>bridge two"});
    doc.KapoEdit().setText("3");
    lyrics({">>Refrain", "x", ">>Bridge"});
    removeChords(doc);
    FakeSurface measures;
    const ComposedPage page = composePage(doc, measures);
    const auto yOf = [&](const std::string& text) {
        for (const PlacedText& t : page.texts)
            if (t.text == text)
                return t.y;
        ADD_FAILURE() << text << " is not on the page";
        return -1;
    };
    EXPECT_EQ(yOf("Refrain:"), yOf("chorus one"));
    EXPECT_EQ(yOf("Bridge:"), yOf("bridge one"));
    EXPECT_EQ(yOf("chorus two"), yOf("chorus one") + T);
    for (const PlacedText& t : page.texts)
        EXPECT_EQ(t.text.find("Kapo"), std::string::npos);
}

// The heading stands C below the block's row and is T high; with no lines below it, the next
// row starts at the heading's bottom instead of inside it.
TEST_F(Page, emptyBlockKeepsItsHeadingRowFree) {
    lyrics({">>Refrain", "x"});
    EXPECT_EQ(body(), (Marks{draw(200, 346 + C, "Refrain:"), draw(200, 346 + C + T, "x")}));
}

TEST_F(Page, blockLinesAreNeverDirectivesAndBlocksRepeat) {
    fill(doc.RefrainEdit(), {">>Bridge", ">>neue Spalte"});
    lyrics({">>Refrain", ">>Refrain"});
    const int left = 200 + 9 * 13;
    EXPECT_EQ(body(), (Marks{draw(200, 346 + C, "Refrain:"), draw(left, 346, ">>Bridge"),
                             draw(left, 394, ">>neue Spalte"), draw(200, 538 + C, "Refrain:"),
                             draw(left, 538, ">>Bridge"), draw(left, 586, ">>neue Spalte")}));
}

TEST_F(Page, newColumnFirstLeavesTheFirstColumnEmpty) {
    lyrics({">>neue Spalte", "a", "b"});
    doc.NachspielEdit().setText("N");
    // Final y is the second column's 346; the closing remark is 2T + 100 lower, at x 200.
    EXPECT_EQ(body(), (Marks{draw(2450, 298, "a"), draw(2450, 346, "b"), draw(200, 346 + 2 * T + 100, "N")}));
}

// A further column starts at the column top again, right of the widest row so far ("b" ends at
// 2462), and the closing remark stands below the lowest of all columns.
TEST_F(Page, furtherColumnStartsRightOfTheLastAndTheBottomIsTheLowestColumn) {
    lyrics({"a", ">>neue Spalte", "b", "c", ">>neue Spalte", "d"});
    doc.NachspielEdit().setText("N");
    EXPECT_EQ(body(), (Marks{draw(200, 298, "a"), draw(2450, 298, "b"), draw(2450, 346, "c"),
                             draw(2512, 298, "d"), draw(200, 394 + 2 * T + 100, "N")}));
}

TEST_F(Page, closingRemarkStandsBelowTheLongerColumn) {
    lyrics({"a", "b", "c", ">>neue Spalte", "d"});
    doc.NachspielEdit().setText("N");
    const Marks m = body();
    ASSERT_FALSE(m.empty());
    EXPECT_EQ(m.back(), draw(200, 442 + 2 * T + 100, "N"));
}

TEST_F(Page, chordsInTheSecondColumnStartAtItsEdge) {
    lyrics({">>neue Spalte", "<Am>x"});
    EXPECT_EQ(body(), (Marks{draw(2450, 298, "Am"), draw(2450, 298 + C, "x")}));
}

// Pictures: the fixture's song leaves y at 398 after the closing-remark advance.
class Picture : public Page {
protected:
    QTemporaryDir dir;

    Picture() { lyrics({"x"}); }
    std::string file(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        versino::testing::writeBytes(path, bytes);
        return path.toStdString();
    }
    std::string bmp(int w, int h) {
        return file(QStringLiteral("p%1x%2.bmp").arg(w).arg(h), versino::testing::bmpBytes(w, h));
    }
    // Only the picture, if any.
    Marks picture() {
        doc.GraphikEdit().setText(pictureFile);
        Marks m = print();
        Marks out;
        for (const std::string& s : m)
            if (s.rfind("bitmap", 0) == 0)
                out.push_back(s);
        EXPECT_EQ(printer.log.back(), "end");
        return out;
    }
    std::string pictureFile;
};

TEST_F(Picture, keepsItsSizeCentredOnTheBottomMargin) {
    pictureFile = bmp(300, 200);
    EXPECT_EQ(picture(), Marks{"bitmap 2250,6550,2550,6750 300x200"});
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(Picture, oddWidthIsDrawnOneUnitNarrower) {
    pictureFile = bmp(301, 201);
    EXPECT_EQ(picture(), Marks{"bitmap 2250,6549,2550,6750 301x201"});
}

TEST_F(Picture, widerThanThePageIsScaledToItsWidth) {
    printer.surface.width = 400;
    pictureFile = bmp(600, 300);
    EXPECT_EQ(picture(), Marks{"bitmap 0,6550,400,6750 600x300"});
}

TEST_F(Picture, stillTooTallIsScaledToTheHeightLeftBelowTheText) {
    printer.surface.width = 400;
    printer.surface.height = 398 + 150; // 150 left below y
    pictureFile = bmp(600, 300);
    EXPECT_EQ(picture(), Marks{"bitmap 50,348,350,498 600x300"});
}

TEST_F(Picture, fractionalSizesAreTruncated) {
    printer.surface.width = 400;
    pictureFile = bmp(1000, 333); // scaled to 400 x 133.2
    EXPECT_EQ(picture(), Marks{"bitmap 0,6617,400,6750 1000x333"});
}

TEST_F(Picture, isLeftOutWhenNoRoomIsLeft) {
    pictureFile = bmp(30, 20);
    printer.surface.height = 398;
    EXPECT_TRUE(picture().empty());
    printer.surface.height = 300;
    EXPECT_TRUE(picture().empty());
    EXPECT_TRUE(dialogs.errors.empty());
}

QByteArray jpegBytes() {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPG"))
        bytes = QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20);
    return bytes;
}

class NotABitmap : public Picture, public ::testing::WithParamInterface<int> {};

TEST_P(NotABitmap, isLeftOutSilently) {
    const QByteArray contents[] = {jpegBytes(),
                                   QByteArray("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 14),
                                   versino::testing::bmpBytes(4, 4, 0, -1),
                                   versino::testing::bmpBytes(4, 4, -1, 0),
                                   QByteArray(),
                                   QByteArray("BM")};
    pictureFile = file("picture.bmp", contents[GetParam()]);
    EXPECT_TRUE(picture().empty());
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_TRUE(dialogs.messages.empty());
}

std::string contentName(const ::testing::TestParamInfo<int>& info) {
    static const char* const names[] = {"jpegNamedBmp", "gif",       "zeroWidth",
                                        "zeroHeight",   "emptyFile", "truncatedHeader"};
    return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(Contents, NotABitmap, ::testing::Range(0, 6), contentName);

TEST_F(Picture, hugeHeaderIsRefusedQuickly) {
    pictureFile = file("huge.bmp", versino::testing::bmpBytes(2, 2, 100000, 100000));
    EXPECT_TRUE(picture().empty());
    EXPECT_TRUE(dialogs.errors.empty());
}

// Reports the printer's state at the moment the error box appears.
class WitnessDialogs : public ScriptedDialogs {
public:
    explicit WitnessDialogs(const FakePrinter& p) : printer(p) {}
    void error(const QString& text) override {
        ScriptedDialogs::error(text);
        logAtError = printer.log;
    }
    const FakePrinter& printer;
    std::vector<std::string> logAtError;
};

TEST_F(Picture, unopenableFileIsReportedAfterThePageAndThePrinterStaysReady) {
    WitnessDialogs witness(printer);
    const std::string missing = dir.filePath("nope.bmp").toStdString();
    doc.GraphikEdit().setText(missing);
    DruckenClick(doc, witness, printer);
    EXPECT_EQ(witness.errors, std::vector<QString>{QString::fromStdString("Cannot open file \"" + missing +
                                                                          "\". File not found")});
    EXPECT_EQ(witness.logAtError, (std::vector<std::string>{"portrait", "begin", "end"}));
    EXPECT_EQ(printer.surface.marks(), (Marks{draw(200, 150, "Kapo: "), draw(200, 298, "x")}));

    doc.GraphikEdit().setText(bmp(30, 20));
    DruckenClick(doc, witness, printer);
    EXPECT_EQ(printer.log.size(), 6u);
    EXPECT_EQ(printer.surface.marks().back(), "bitmap 2385,6730,2415,6750 30x20");
    EXPECT_EQ(witness.errors.size(), 1u);
}

TEST_F(Picture, folderAsPictureIsAccessDenied) {
    doc.GraphikEdit().setText(dir.path().toStdString());
    DruckenClick(doc, dialogs, printer);
    EXPECT_EQ(dialogs.errors,
              std::vector<QString>{"Cannot open file \"" + dir.path() + "\". File access denied"});
}

} // namespace
