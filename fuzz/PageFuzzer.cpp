// Feeds arbitrary lyric, chorus and bridge bytes, header texts, font sizes (0, negative and huge
// among them), styles and page sizes to the chord-line renderer and the page composer, on a
// surface that measures like the printer. Beyond the sanitizers' checks:
//  - each lyric line leaves the text font selected, moves down by one chord row exactly when it
//    holds a "<", and draws as its lyric row the line without its chords from the line's left
//    edge (in pieces where chords would meet, cut far past the right edge);
//  - the composed page draws nothing above the title's row and reports no picture error.
#include "FuzzCheck.h"
#include "FuzzInput.h"

#include "print/ChordLine.h"
#include "print/PageComposer.h"
#include "support/ComposeOnto.h"
#include "print/TextRun.h"

#include <climits>

using namespace versino;
using versino::fuzz::check;
using versino::fuzz::checkedSurface;
using versino::fuzz::InputReader;
using versino::testing::FakeSurface;

namespace {

const std::vector<std::int32_t> kSizes = {0,    -1,    1,      2,       3,       10, 12,
                                          1000, 12000, 100000, INT_MAX, INT_MIN, -3, -1000};
// A page is never of negative size; any other size goes, the largest included.
const std::vector<std::int32_t> kPageSides = {4760, 6814, 0, 1, 100, INT_MAX, 50};

// The lyric row of a line: everything outside "<" ... ">", where the end of the line closes a chord.
std::string lyricRowOf(std::string_view line) {
    std::string out;
    for (std::size_t i = 0; i < line.size();) {
        const char c = line[i++];
        if (c != '<') {
            out += c;
            continue;
        }
        while (i < line.size() && line[i++] != '>') {
        }
    }
    return out;
}

void selectFont(PrintSurface& s, const FontSetting& f) {
    s.setFontName(f.name);
    s.setFontSize(f.size);
    s.setFontStyle(f.style);
    s.setFontColor(f.color);
}

void checkChordLine(const SongDocument& doc, const std::string& line) {
    FakeSurface s = checkedSurface();
    selectFont(s, doc.AkkordFont);
    const int chordRow = s.textHeight("ABCdefg");
    selectFont(s, doc.TextFont);
    const FakeSurface::Font textFont = s.font();
    const ChordLineContext ctx{s, doc.AkkordFont, doc.TextFont, chordRow};

    constexpr int kTop = 1000;
    constexpr int kLeft = 200;
    int y = kTop;
    s.lowestY = kTop;
    s.keepDraws = true;
    PrintChordLine(ctx, kLeft, y, line);

    const std::string detail = "line '" + line.substr(0, 80) + "'";
    check(s.font() == textFont, "the chord line did not leave the text font selected", detail);
    const bool hasChord = line.find('<') != std::string::npos;
    check(y == kTop + (hasChord ? chordRow : 0), "the lyric row moved by other than one chord row", detail);
    check(y >= s.height || !s.drawn.empty(), "the lyric row was not drawn", detail);
    // The lyric row is drawn in pieces where chords would have met, left to right from the line's
    // left edge, and cut where it runs far past the right edge: the pieces spell the line without
    // its chords, or the start of it.
    std::string spelled;
    bool firstPiece = true; // the first piece may be empty ("<C><D>la"), the next then stands further right
    int lastX = INT_MIN;
    for (const FakeSurface::Draw& d : s.drawn) {
        if (hasChord && d.y == kTop) // a chord or superscript
            continue;
        check(d.y == y, "a chord was not drawn on the chord row", detail);
        check(firstPiece ? d.x == kLeft : d.x > lastX, "the lyric row's pieces are out of place",
              detail + " piece at " + std::to_string(d.x));
        firstPiece = false;
        lastX = d.x;
        spelled += d.text;
    }
    const std::string row = lyricRowOf(line);
    check(row.compare(0, spelled.size(), spelled) == 0, "the lyric row is not the line without chords",
          detail + " drawn '" + spelled.substr(0, 80) + "'");
    if (!hasChord && row.size() <= kShortRun)
        check(spelled == row, "a short lyric row was not drawn whole", detail);
}

} // namespace

void versino::fuzz::pageInput(const std::uint8_t* data, std::size_t size) {
    InputReader in(data, size);
    SongDocument doc;
    for (FontSetting* f : {&doc.TitelFont, &doc.InterpretFont, &doc.TextFont, &doc.AkkordFont}) {
        f->size = in.pick(kSizes);
        f->style = in.byte() & 15;
    }
    FakeSurface page = checkedSurface();
    page.width = in.pick(kPageSides) & INT_MAX;
    page.height = in.pick(kPageSides) & INT_MAX;
    doc.TitelEdit().setText(in.text());
    doc.InterpretEdit().setText(in.text());
    doc.VorspielEdit().setText(in.text());
    doc.KapoEdit().setText(in.text());
    doc.NachspielEdit().setText(in.text());
    doc.RefrainEdit().setText(in.text());
    doc.BridgeEdit().setText(in.text());
    doc.TextEdit().setText(in.rest());

    for (const std::string& line : doc.TextEdit().lineList())
        checkChordLine(doc, line);
    for (const std::string& line : doc.RefrainEdit().lineList())
        checkChordLine(doc, line);

    // The title stands at the page's top row; everything else below it.
    page.lowestY = 150;
    const PageReport report = versino::testing::composeOnto(page, doc);
    check(report.picture != PageReport::Picture::CannotOpen, "a page without a picture reported a picture error");

    // The same song with chord diagrams: each diagram stands on the page, below the title row.
    static const char* const kInstruments[] = {"gitarre", "ukulele", "klavier"};
    SongOptions options;
    options.diagrams = kInstruments[doc.TextEdit().text().size() % 3];
    doc.setOptions(options);
    const ComposedPage withDiagrams = composePage(doc, page);
    for (const PlacedDiagram& d : withDiagrams.diagrams)
        check(d.box.left >= 0 && d.box.right <= page.width && d.box.top >= 150 && d.box.bottom <= page.height,
              "a chord diagram off the page or above the title", d.chord);
}

VERSINO_FUZZ_ENTRY(versino::fuzz::pageInput)
