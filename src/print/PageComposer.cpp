#include "document/Cp1252.h"
#include "document/Notation.h"
#include "io/FileError.h"
#include "platform/Bitmap.h"
#include "print/ChordLine.h"
#include "print/ComposedPage.h"
#include "print/DiagramBand.h"
#include "print/PageCells.h"
#include "print/PageComposer.h"
#include "print/PageReport.h"
#include "print/Rows.h"
#include "print/SelectFont.h"
#include "print/TextRun.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <set>
#include <utility>

namespace versino {

namespace {

using notation::Directive;
using notation::directiveOf;
using pagecells::Cell;
using pagecells::CellIndex;
using pagecells::cellOf;
using pagecells::PageBuilder;

constexpr int kTitleTop = 150;
constexpr int kPerformerGap = 50;
constexpr int kLeftMargin = 200;
constexpr int kCapoPoints = 12;
constexpr int kCapoAdvance = 100;
constexpr int kSecondColumnGap = 50;
constexpr int kClosingRemarkGap = 100;
constexpr int kAfterClosingRemark = 100;
constexpr int kPictureBottomMargin = 50;
constexpr const char* kSampleText = "ABCdefg";

constexpr std::uint8_t kDirectiveWordStyle = FontStyle::Italic | FontStyle::Underline;
constexpr std::uint8_t kBlockHeadingStyle = FontStyle::Bold | FontStyle::Italic | FontStyle::Underline;

// A centred text longer than this is not measured whole: only a prefix that already fills the page
// is kept, and it stands centred in place of the whole.
constexpr std::size_t kLongCentredText = 4096;

// Half a width, rounded to the nearest integer with ties to even: 101 gives 50, 103 gives 52.
int halfRoundedToEven(int width) {
    int half = width / 2;
    if (width % 2 != 0 && half % 2 != 0)
        half += width > 0 ? 1 : -1;
    return half;
}

// Lays the page out at the positions the page layout defines and moves a cell only where, there,
// it would meet a cell already placed: down below the cells it would cover, or, in the second and
// later columns, right of an earlier column's cell that ends less than the column gap before it on
// the same rows. A unit that moves (a lyric line with its chord row, a heading, a header text, the
// closing remark) moves whole, and what follows it keeps its distance.
class PageComposer {
public:
    PageComposer(PageMeasures& measures, const SongDocument& doc, ComposedPage& page, const PagePart& part)
        : s_(measures, page), doc_(doc), page_(page), part_(part), report_(page.report),
          cells_(measures.pageHeight()), PageCentreX(measures.pageWidth() / 2) {}

    void compose();

private:
    void printHeader();
    void printContinuationTitle();
    // Leaves the lyric line `index` and the rest of its column to the next page.
    void continueLater(std::size_t index);
    // Takes the texts drawn since `begin` off the page again, with the cuts noted since `cutsBefore`.
    void withdraw(std::size_t begin, std::size_t cutsBefore);
    bool leavesFoot(long long rowTop) const {
        return part_.stopAtFoot && (belowPage(rowTop) || rowTop + TextLineHeight > s_.pageHeight());
    }
    void printCapo();
    void measureRows();
    void printRemark();
    void printBody();
    void printLine(std::size_t index, const std::string& line);
    void startColumn();
    // A lyric line of the current column at `left`, or right of it where an earlier column comes
    // too close; y becomes the top of its lyric row.
    LineExtent printChordLineInColumn(int left, std::string_view line);
    void printBlock(std::size_t index, const char* heading, const char* indentText,
                    const std::vector<std::string>& lines, FieldId field);
    void printDiagrams();
    void printClosingRemark();
    void printPicture();
    ChordLineContext chordContext(LineExtent* extent) {
        return {s_, doc_.AkkordFont, snap_.textFont, ChordLineHeight, extent};
    }
    // A centred header text (title, performer) in the current font, cut to what the page can show.
    std::pair<std::string_view, int> centredRun(std::string_view text);

    // The resolver: settles the cells drawn since `begin` and returns how far they moved down.
    long long settleDown(std::size_t begin);
    // How far the cells drawn since `begin` must move right so that each keeps the column gap to
    // every cell of an earlier column that stands on its rows.
    long long gapShift(std::size_t begin) const;
    // Draws a unit of the current column with render(left) and moves it right where it would come
    // too close to an earlier column, drawing it again there (what is cut at the edge changes).
    template <typename Render>
    int placeInColumn(int left, Render&& render);
    void keep(std::size_t begin);
    void drop(std::size_t begin) { page_.texts.resize(begin); }

    bool belowPage(long long top) const { return top >= s_.pageHeight(); }
    void noteCut(FieldId field, int line);
    void noteBelow(std::size_t index);
    void endBelowRun() { belowRunOpen_ = false; }
    // A text at the left margin: drawn cut to the page, reported when it reaches past the edge.
    void drawLeftText(int x, int y, std::string_view text, FieldId field, int line);

    PageBuilder s_;
    const SongDocument& doc_;
    ComposedPage& page_;
    const PagePart& part_;
    PageReport& report_;
    CellIndex cells_;
    std::vector<int> column_; // the column of each kept text; -1 for the header and the closing remark
    int currentColumn_ = -1;
    PrintSnapshot snap_;
    int y = kTitleTop;
    const int PageCentreX;
    int ColumnX = kLeftMargin;
    int columnTop = 0;
    int firstColumnBottom = 0;
    int TextLineHeight = 0;
    int ChordLineHeight = 0;
    bool belowRunOpen_ = false;
    bool columnClosed_ = false;      // the current column continues on the next page
    bool openerContinued_ = false;   // the switch that opened the current column is left to it too
    std::size_t columnOpener_ = 0;
    std::set<std::pair<int, int>> cutsNoted_;
};

void PageComposer::compose() {
    page_.width = s_.pageWidth();
    page_.height = s_.pageHeight();
    snap_ = TakePrintSnapshot(doc_);
    if (part_.continuation) {
        printContinuationTitle();
        measureRows();
    } else {
        printHeader();
        if (snap_.capoLine)
            printCapo();
        measureRows();
        printRemark();
    }
    printBody();
    if (part_.endOfSong) {
        printDiagrams();
        printClosingRemark();
        if (!snap_.pictureFile.empty())
            printPicture();
    }
    report_.lyricLines = std::move(snap_.lyricLines);
    report_.chorusLines = std::move(snap_.chorusLines);
    report_.bridgeLines = std::move(snap_.bridgeLines);
}

long long PageComposer::settleDown(std::size_t begin) {
    std::vector<PlacedText>& texts = page_.texts;
    long long moved = 0;
    for (;;) {
        long long by = 0;
        for (std::size_t i = begin; i < texts.size(); ++i) {
            const Cell c = cellOf(texts[i]);
            cells_.near(c.top, c.bottom, [&](std::size_t id) {
                const Cell o = cellOf(texts[id]);
                if (c.overlaps(o))
                    by = std::max(by, o.bottom - c.top);
            });
        }
        // Cells pushed below the page meet nothing there.
        if (by == 0 || texts.empty())
            return moved;
        bool onPage = false;
        for (std::size_t i = begin; i < texts.size(); ++i) {
            texts[i].y = advance(texts[i].y, by);
            onPage = onPage || !belowPage(texts[i].y);
        }
        moved += by;
        if (!onPage)
            return moved;
    }
}

long long PageComposer::gapShift(std::size_t begin) const {
    long long shift = 0;
    if (currentColumn_ <= 0)
        return 0;
    for (std::size_t i = begin; i < page_.texts.size(); ++i) {
        const Cell c = cellOf(page_.texts[i]);
        cells_.near(c.top, c.bottom, [&](std::size_t id) {
            if (column_[id] < 0 || column_[id] >= currentColumn_)
                return;
            const Cell o = cellOf(page_.texts[id]);
            if (o.meetsRows(c.top, c.bottom))
                shift = std::max(shift, o.right + kSecondColumnGap - c.left);
        });
    }
    return shift;
}

template <typename Render>
int PageComposer::placeInColumn(int left, Render&& render) {
    const std::size_t begin = page_.texts.size();
    render(left);
    const long long shift = gapShift(begin);
    if (shift <= 0)
        return left;
    drop(begin);
    left = advance(left, shift);
    render(left);
    return left;
}

void PageComposer::keep(std::size_t begin) {
    const int column = currentColumn_;
    for (std::size_t i = begin; i < page_.texts.size(); ++i) {
        column_.push_back(column);
        cells_.add(i, cellOf(page_.texts[i]));
    }
}

void PageComposer::noteCut(FieldId field, int line) {
    if (cutsNoted_.insert({int(field), line}).second)
        report_.pastRight.push_back({field, line});
}

void PageComposer::noteBelow(std::size_t index) {
    const int line = int(index) + 1;
    if (belowRunOpen_ && !report_.linesBelow.empty())
        report_.linesBelow.back().last = line;
    else
        report_.linesBelow.push_back({line, line});
    belowRunOpen_ = true;
}

void PageComposer::drawLeftText(int x, int y, std::string_view text, FieldId field, int line) {
    const TextRun run = fitRun(s_, x, text, true);
    s_.drawText(x, y, run.visible);
    if (run.cut)
        noteCut(field, line);
}

std::pair<std::string_view, int> PageComposer::centredRun(std::string_view text) {
    if (text.size() <= kLongCentredText)
        return {text, s_.textWidth(text)};
    const TextRun run = fitRun(s_, 0, text, true);
    if (!run.cut)
        return {text, run.width};
    return {run.visible, s_.textWidth(run.visible)};
}

// The title and performer stand centred; the performer moves below the title's cell only where the
// two would meet.
void PageComposer::printHeader() {
    selectFont(s_, snap_.titelFont);
    const auto [title, titleWidth] = centredRun(snap_.title);
    const int titleX = PageCentreX - halfRoundedToEven(titleWidth);
    std::size_t begin = page_.texts.size();
    s_.drawText(titleX, kTitleTop, title);
    keep(begin);
    if (!title.empty() && (titleX < 0 || static_cast<long long>(titleX) + titleWidth > s_.pageWidth() ||
                           title.size() < snap_.title.size()))
        noteCut(FieldId::Titel, 1);

    if (snap_.performer.empty())
        return;
    selectFont(s_, snap_.interpretFont);
    const auto [performer, width] = centredRun(snap_.performer);
    const int height = s_.textHeight(performer);
    y = advance(y, kPerformerGap + static_cast<long long>(height));
    const int x = PageCentreX - halfRoundedToEven(width);
    begin = page_.texts.size();
    s_.drawText(x, y, performer);
    y = advance(y, settleDown(begin));
    keep(begin);
    if (x < 0 || static_cast<long long>(x) + width > s_.pageWidth() || performer.size() < snap_.performer.size())
        noteCut(FieldId::Interpret, 1);
}

// The second page's title row: the title and "(Fortsetzung)", centred, as small as the capo line;
// the lyrics go on where they begin on a page without performer.
void PageComposer::printContinuationTitle() {
    s_.setFontName(snap_.textFont.name);
    s_.setFontSize(kCapoPoints);
    s_.setFontStyle(snap_.textFont.style);
    s_.setFontColor(snap_.textFont.color);
    const std::string text = snap_.title.empty() ? std::string("Fortsetzung") : snap_.title + " (Fortsetzung)";
    const auto [run, width] = centredRun(text);
    const std::size_t begin = page_.texts.size();
    s_.drawText(PageCentreX - halfRoundedToEven(width), kTitleTop, run);
    keep(begin);
    y = advance(kTitleTop, kCapoAdvance);
}

void PageComposer::continueLater(std::size_t index) {
    if (currentColumn_ > 0 && !openerContinued_) {
        page_.continued.push_back(columnOpener_);
        openerContinued_ = true;
    }
    page_.continued.push_back(index);
    columnClosed_ = true;
}

void PageComposer::withdraw(std::size_t begin, std::size_t cutsBefore) {
    cells_.removeFrom(begin);
    if (column_.size() > begin)
        column_.resize(begin);
    drop(begin);
    for (std::size_t k = cutsBefore; k < report_.pastRight.size(); ++k)
        cutsNoted_.erase({int(report_.pastRight[k].field), report_.pastRight[k].line});
    report_.pastRight.resize(cutsBefore);
}

// The capo line stands on the last header row, or below the cells it would cover there.
void PageComposer::printCapo() {
    s_.setFontName(snap_.textFont.name);
    s_.setFontSize(kCapoPoints);
    s_.setFontStyle(snap_.textFont.style);
    s_.setFontColor(snap_.textFont.color);
    const std::string text = "Kapo: " + snap_.capo;
    const std::size_t begin = page_.texts.size();
    drawLeftText(kLeftMargin, y, text, FieldId::Kapo, 1);
    y = advance(y, settleDown(begin));
    keep(begin);
    y = advance(y, kCapoAdvance);
}

void PageComposer::measureRows() {
    selectFont(s_, doc_.AkkordFont);
    ChordLineHeight = s_.textHeight(kSampleText);
    selectFont(s_, snap_.textFont);
    TextLineHeight = s_.textHeight(kSampleText);
}

void PageComposer::printRemark() {
    if (snap_.remark.empty())
        return;
    y = advance(y, TextLineHeight);
    if (!belowPage(y)) {
        const std::size_t begin = page_.texts.size();
        drawLeftText(kLeftMargin, y, snap_.remark, FieldId::Vorspiel, 1);
        y = advance(y, settleDown(begin));
        if (belowPage(y))
            drop(begin);
        else
            keep(begin);
    }
    y = advance(y, 2LL * TextLineHeight);
}

void PageComposer::printBody() {
    ColumnX = kLeftMargin;
    columnTop = y;
    firstColumnBottom = y;
    currentColumn_ = 0;
    const std::vector<std::string>& lines = snap_.lyricLines;
    const std::size_t count = part_.continuation ? part_.lines.size() : lines.size();
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t i = part_.continuation ? part_.lines[k] : k;
        if (i >= lines.size())
            continue;
        y = advance(y, TextLineHeight);
        const std::string& line = lines[i];
        if (directiveOf(line) == Directive::NewColumn) {
            startColumn();
            columnOpener_ = i;
            columnClosed_ = openerContinued_ = false;
            continue;
        }
        if (columnClosed_ || leavesFoot(y)) {
            continueLater(i);
            continue;
        }
        // A column that has run below the page is only counted from here on.
        if (belowPage(y)) {
            if (!line.empty())
                noteBelow(i);
            continue;
        }
        printLine(i, line);
    }
    y = std::max(y, firstColumnBottom);
    currentColumn_ = -1;
}

void PageComposer::printLine(std::size_t index, const std::string& line) {
    const int lineNo = int(index) + 1;
    const std::size_t begin = page_.texts.size();
    const std::size_t cutsBefore = report_.pastRight.size();
    switch (directiveOf(line)) {
    case Directive::RefrainWord: {
        bool cut = false;
        s_.setFontStyle(kDirectiveWordStyle);
        placeInColumn(ColumnX, [&](int x) {
            const TextRun run = fitRun(s_, x, line, true);
            s_.drawText(x, y, run.visible);
            cut = run.cut;
        });
        s_.setFontStyle(snap_.textFont.style);
        y = advance(y, settleDown(begin));
        if (cut && !belowPage(y))
            noteCut(FieldId::Text, lineNo);
        break;
    }
    case Directive::Refrain:
        printBlock(index, "Refrain:", "Refrain: ", snap_.chorusLines, FieldId::Refrain);
        return;
    case Directive::Refrain2:
        printBlock(index, "Refrain:", "Refrain: ", snap_.bridgeLines, FieldId::Bridge);
        return;
    case Directive::Bridge:
        printBlock(index, "Bridge:", "Bridge: ", snap_.bridgeLines, FieldId::Bridge);
        return;
    case Directive::NewColumn:
        return;
    case Directive::None: {
        const LineExtent extent = printChordLineInColumn(ColumnX, line);
        y = advance(y, settleDown(begin));
        if (extent.cutAtRight && !belowPage(y))
            noteCut(FieldId::Text, lineNo);
        break;
    }
    }
    if (leavesFoot(y)) {
        withdraw(begin, cutsBefore);
        continueLater(index);
        return;
    }
    // A chord line is drawn whole or not at all: chords without their words stay off the page.
    if (belowPage(y))
        drop(begin);
    else
        keep(begin);
    if (line.empty())
        return;
    if (static_cast<long long>(y) + TextLineHeight > s_.pageHeight())
        noteBelow(index);
    else
        endBelowRun();
}

LineExtent PageComposer::printChordLineInColumn(int left, std::string_view line) {
    const int top = y;
    LineExtent extent;
    placeInColumn(left, [&](int x) {
        y = top;
        extent = {x, false};
        PrintChordLine(chordContext(&extent), x, y, line);
    });
    return extent;
}

// The next column starts at the column top of the right-hand column; the first-column bottom is
// the row where the switch stands.
void PageComposer::startColumn() {
    firstColumnBottom = y;
    y = columnTop;
    ColumnX = PageCentreX + kSecondColumnGap;
    ++currentColumn_;
    endBelowRun();
}

// The heading stands on the row where the lyrics of a first line with chords stand; the lines are
// indented by the heading and one blank, measured in the heading's font.
void PageComposer::printBlock(std::size_t index, const char* heading, const char* indentText,
                              const std::vector<std::string>& lines, FieldId field) {
    const std::size_t blockBegin = page_.texts.size();
    const std::size_t cutsBefore = report_.pastRight.size();
    s_.setFontStyle(kBlockHeadingStyle);
    y = advance(y, TextLineHeight);
    const int indent = s_.textWidth(indentText);
    bool below = false;
    int left = ColumnX;
    const int headingY = advance(y, ChordLineHeight);
    if (!belowPage(headingY)) {
        const std::size_t begin = page_.texts.size();
        left = placeInColumn(ColumnX, [&](int x) {
            if (x < s_.pageWidth())
                s_.drawText(x, headingY, heading);
        });
        if (static_cast<long long>(left) + s_.textWidth(heading) > s_.pageWidth())
            noteCut(FieldId::Text, int(index) + 1);
        // The block keeps its heading on its first line's row.
        y = advance(y, settleDown(begin));
        if (belowPage(advance(y, ChordLineHeight)))
            drop(begin);
        else
            keep(begin);
        below = static_cast<long long>(advance(y, ChordLineHeight)) + TextLineHeight > s_.pageHeight();
    } else {
        below = true;
    }
    s_.setFontStyle(snap_.textFont.style);
    const int indented = advance(left, indent);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        if (belowPage(y)) { // the rest of the block only counts
            below = true;
            break;
        }
        const std::size_t begin = page_.texts.size();
        const LineExtent extent = printChordLineInColumn(indented, lines[k]);
        y = advance(y, settleDown(begin));
        if (belowPage(y)) {
            drop(begin);
            below = true;
        } else {
            keep(begin);
            below = below || static_cast<long long>(y) + TextLineHeight > s_.pageHeight();
            if (extent.cutAtRight)
                noteCut(field, int(k) + 1);
        }
        y = advance(y, TextLineHeight);
    }
    // A block that does not fit whole goes to the next page whole: a chorus is not split.
    if (below && part_.stopAtFoot) {
        withdraw(blockBegin, cutsBefore);
        continueLater(index);
        return;
    }
    if (below)
        noteBelow(index);
    else
        endBelowRun();
}

// The song's chord diagrams stand in a band below the lyrics of both columns, one empty row down.
void PageComposer::printDiagrams() {
    const std::optional<music::Instrument> instrument = music::instrumentOf(doc_.options().diagrams);
    if (!instrument)
        return;
    const std::vector<music::SongChord> chords = music::songDiagrams(
        snap_.lyricLines, snap_.chorusLines, snap_.bridgeLines, doc_.options(), *instrument);
    const std::size_t begin = page_.texts.size();
    const DiagramBandPlace place{advance(y, 2LL * TextLineHeight), kLeftMargin, s_.pageWidth() - kLeftMargin};
    y = std::max(y, placeDiagramBand(s_, page_, doc_.AkkordFont, *instrument, chords, place));
    keep(begin);
    selectFont(s_, snap_.textFont);
}

void PageComposer::printClosingRemark() {
    if (!snap_.closingRemark.empty()) {
        y = advance(y, 2LL * TextLineHeight + kClosingRemarkGap);
        if (!belowPage(y)) {
            const std::size_t begin = page_.texts.size();
            drawLeftText(kLeftMargin, y, snap_.closingRemark, FieldId::Nachspiel, 1);
            y = advance(y, settleDown(begin));
            if (belowPage(y))
                drop(begin);
            else
                keep(begin);
        }
        if (static_cast<long long>(y) + TextLineHeight > s_.pageHeight())
            report_.closingRemarkBelow = true;
    }
    y = advance(y, kAfterClosingRemark);
}

// Scales the picture down (never up) to the page width and to the height left below y, in single
// precision as the layout was designed, and stands it centred on the bottom margin. Where it would
// then cover a text beside it, it is made smaller still, to fit between that text and the margin.
void PageComposer::printPicture() {
    const BitmapLoad load = loadBitmap(snap_.pictureFile, s_.pictureCache());
    if (load.status == BitmapLoad::Status::CannotOpen) {
        const QString path = cp1252::toUnicode(snap_.pictureFile);
        const FileError reason = FileError::fromErrno(load.errnum, path);
        report_.picture = PageReport::Picture::CannotOpen;
        report_.pictureError = QString::fromStdString(reason.what());
        return;
    }
    const Bitmap& bitmap = load.bitmap;
    if (load.status != BitmapLoad::Status::Loaded || bitmap.width() <= 0 || bitmap.height() <= 0) {
        report_.picture = PageReport::Picture::NotABitmap;
        return;
    }

    float w = float(bitmap.width());
    float h = float(bitmap.height());
    const float ratio = w / h;
    const int pageWidth = s_.pageWidth();
    const int pageHeight = s_.pageHeight();
    if (float(pageWidth) < w) {
        w = float(pageWidth);
        h = w / ratio;
    }
    // A song that ran to or below the page bottom leaves no room: the box would be empty or
    // inverted, so the picture is left out.
    const long long room = static_cast<long long>(pageHeight) - y;
    if (room <= 0) {
        report_.picture = PageReport::Picture::NoRoom;
        return;
    }
    if (float(room) < h) {
        h = float(room);
        w = h * ratio;
    }
    const long long bottom = pageHeight - kPictureBottomMargin;
    for (;;) {
        const int halfWidth = int(std::trunc(w / 2.0f));
        PageBox box;
        box.left = PageCentreX - halfWidth;
        box.top = pageHeight - kPictureBottomMargin - int(std::trunc(h));
        box.right = PageCentreX + halfWidth;
        box.bottom = pageHeight - kPictureBottomMargin;
        if (box.right <= box.left || box.bottom <= box.top) {
            report_.picture = PageReport::Picture::NoRoom;
            return;
        }
        const Cell picture{box.left, box.top, box.right, box.bottom};
        long long clearTop = picture.top;
        cells_.near(picture.top, picture.bottom, [&](std::size_t id) {
            const Cell o = cellOf(page_.texts[id]);
            if (picture.overlaps(o))
                clearTop = std::max(clearTop, o.bottom);
        });
        for (const PlacedDiagram& d : page_.diagrams)
            if (picture.overlaps(Cell{d.box.left, d.box.top, d.box.right, d.box.bottom}))
                clearTop = std::max<long long>(clearTop, d.box.bottom);
        if (clearTop == picture.top) {
            s_.stretchDraw(box, bitmap);
            report_.picture = PageReport::Picture::Shown;
            return;
        }
        // Smaller, standing on the margin below the text it met.
        h = float(bottom - clearTop);
        if (!(h >= 1.0f)) {
            report_.picture = PageReport::Picture::NoRoom;
            return;
        }
        w = h * ratio;
    }
}

} // namespace

PrintSnapshot TakePrintSnapshot(const SongDocument& doc) {
    PrintSnapshot s;
    s.titelFont = doc.TitelFont;
    s.interpretFont = doc.InterpretFont;
    s.textFont = doc.TextFont;
    s.title = doc.TitelEdit().text();
    s.performer = doc.InterpretEdit().text();
    s.remark = doc.VorspielEdit().text();
    s.capo = doc.KapoEdit().text();
    s.closingRemark = doc.NachspielEdit().text();
    s.chorusLines = doc.RefrainEdit().lineList();
    s.bridgeLines = doc.BridgeEdit().lineList();
    s.lyricLines = doc.TextEdit().lineList();
    s.pictureFile = picturePath(doc);
    s.capoLine = !doc.forAudience;
    return s;
}

ComposedPage composePage(const SongDocument& doc, PageMeasures& measures) {
    return composePage(doc, measures, PagePart{});
}

ComposedPage composePage(const SongDocument& doc, PageMeasures& measures, const PagePart& part) {
    ComposedPage page;
    PageComposer(measures, doc, page, part).compose();
    return page;
}

} // namespace versino
