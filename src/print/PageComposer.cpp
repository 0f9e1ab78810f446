#include "document/Cp1252.h"
#include "document/Notation.h"
#include "io/FileError.h"
#include "platform/Bitmap.h"
#include "print/ChordLine.h"
#include "print/PageComposer.h"
#include "print/PageReport.h"
#include "print/Rows.h"
#include "print/SelectFont.h"
#include "print/TextRun.h"

#include <algorithm>
#include <cmath>

namespace versino {

namespace {

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

// Half a width, rounded to the nearest integer with ties to even: 101 gives 50, 103 gives 52.
int halfRoundedToEven(int width) {
    int half = width / 2;
    if (width % 2 != 0 && half % 2 != 0)
        half += width > 0 ? 1 : -1;
    return half;
}

using notation::Directive;
using notation::directiveOf;

// A drawn text's cell, for the few places where the composer must see whether two would overlap.
struct Cell {
    long long left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
    bool overlaps(const Cell& o) const {
        return !empty() && !o.empty() && left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
};

class PageComposer {
public:
    PageComposer(PrintSurface& surface, const SongDocument& doc, PageReport* report)
        : s_(surface), doc_(doc), report_(report), PageCentreX(surface.pageWidth() / 2) {}

    std::optional<QString> compose();

private:
    void printHeader();
    void printCapo();
    void measureRows();
    void printRemark();
    void printBody();
    void printLine(std::size_t index, const std::string& line, bool wantExtent);
    void startColumn();
    void printBlock(std::size_t index, const char* heading, const char* indentText,
                    const std::vector<std::string>& lines, FieldId field, bool wantExtent);
    void printClosingRemark();
    std::optional<QString> printPicture();
    ChordLineContext chordContext(LineExtent* extent) {
        return {s_, doc_.AkkordFont, snap_.textFont, ChordLineHeight, extent};
    }

    bool belowPage(long long top) const { return top >= s_.pageHeight(); }
    void noteCut(FieldId field, int line);
    void noteBelow(std::size_t index);
    void endBelowRun() { belowRunOpen_ = false; }
    // A text at the left margin: drawn cut to the page, reported when it reaches past the edge.
    void drawLeftText(int x, int y, std::string_view text, FieldId field, int line);

    PrintSurface& s_;
    const SongDocument& doc_;
    PageReport* report_;
    PrintSnapshot snap_;
    int y = kTitleTop;
    const int PageCentreX;
    int ColumnX = kLeftMargin;
    int columnTop = 0;
    int firstColumnBottom = 0;
    int TextLineHeight = 0;
    int ChordLineHeight = 0;

    // Where rows may begin without touching what stands above them: the header's bottom, and in
    // each column the bottom of its last drawn row (a block heading may reach below its lines).
    long long headerBottom_ = kTitleTop;
    long long columnFloor_ = 0;
    long long bodyBottom_ = 0; // the lowest cell bottom of all columns
    int rowsRight_ = 0;        // right end of the widest row of the columns so far
    long long textBottom_ = 0; // the lowest bottom of all text, for the picture
    bool belowRunOpen_ = false;
    std::vector<Cell> header_; // the title's and performer's cells
};

std::optional<QString> PageComposer::compose() {
    snap_ = TakePrintSnapshot(doc_);
    printHeader();
    printCapo();
    measureRows();
    printRemark();
    printBody();
    printClosingRemark();
    std::optional<QString> pictureError;
    if (!snap_.pictureFile.empty())
        pictureError = printPicture();
    if (report_) {
        report_->lyricLines = std::move(snap_.lyricLines);
        report_->chorusLines = std::move(snap_.chorusLines);
        report_->bridgeLines = std::move(snap_.bridgeLines);
    }
    return pictureError;
}

void PageComposer::noteCut(FieldId field, int line) {
    if (!report_)
        return;
    for (const PageReport::Cut& c : report_->pastRight)
        if (c.field == field && c.line == line)
            return;
    report_->pastRight.push_back({field, line});
}

void PageComposer::noteBelow(std::size_t index) {
    if (!report_)
        return;
    const int line = int(index) + 1;
    if (belowRunOpen_ && !report_->linesBelow.empty())
        report_->linesBelow.back().last = line;
    else
        report_->linesBelow.push_back({line, line});
    belowRunOpen_ = true;
}

void PageComposer::drawLeftText(int x, int y, std::string_view text, FieldId field, int line) {
    const TextRun run = fitRun(s_, x, text, report_ != nullptr);
    if (!run.visible.empty() || !run.cut)
        s_.drawText(x, y, run.visible);
    if (run.cut)
        noteCut(field, line);
}

// The title and performer stand centred; the performer stands below the title's cell where the
// title's font is taller than the gap above the performer.
void PageComposer::printHeader() {
    selectFont(s_, snap_.titelFont);
    const int titleWidth = s_.textWidth(snap_.title);
    const int titleX = PageCentreX - halfRoundedToEven(titleWidth);
    s_.drawText(titleX, kTitleTop, snap_.title);
    Cell title;
    if (!snap_.title.empty()) {
        const int titleHeight = s_.textHeight(snap_.title);
        title = {titleX, kTitleTop, static_cast<long long>(titleX) + titleWidth,
                 static_cast<long long>(kTitleTop) + titleHeight};
        headerBottom_ = std::max<long long>(headerBottom_, title.bottom);
        if (titleX < 0 || title.right > s_.pageWidth())
            noteCut(FieldId::Titel, 1);
    }
    header_.push_back(title);

    if (snap_.performer.empty())
        return;
    selectFont(s_, snap_.interpretFont);
    const int width = s_.textWidth(snap_.performer);
    const int height = s_.textHeight(snap_.performer);
    y = advance(y, kPerformerGap + static_cast<long long>(height));
    const int x = PageCentreX - halfRoundedToEven(width);
    Cell performer{x, y, static_cast<long long>(x) + width, static_cast<long long>(y) + height};
    if (performer.overlaps(title)) {
        y = advance(0, title.bottom);
        performer.top = y;
        performer.bottom = static_cast<long long>(y) + height;
    }
    s_.drawText(x, y, snap_.performer);
    header_.push_back(performer);
    headerBottom_ = std::max(headerBottom_, performer.bottom);
    if (x < 0 || performer.right > s_.pageWidth())
        noteCut(FieldId::Interpret, 1);
}

// The capo line stands on the last header row, or below the cells it would cover there.
void PageComposer::printCapo() {
    s_.setFontName(snap_.textFont.name);
    s_.setFontSize(kCapoPoints);
    s_.setFontStyle(snap_.textFont.style);
    s_.setFontColor(snap_.textFont.color);
    const std::string text = "Kapo: " + snap_.capo;
    const TextRun run = fitRun(s_, kLeftMargin, text, true);
    const long long height = s_.textHeight(text);
    Cell capo{kLeftMargin, y,
              run.cut ? s_.pageWidth() + 1LL : kLeftMargin + static_cast<long long>(run.width), y + height};
    for (bool moved = true; moved;) {
        moved = false;
        for (const Cell& c : header_)
            if (capo.overlaps(c)) {
                capo.top = c.bottom;
                capo.bottom = c.bottom + height;
                moved = true;
            }
    }
    y = advance(0, capo.top);
    if (!run.visible.empty() || !run.cut)
        s_.drawText(kLeftMargin, y, run.visible);
    if (run.cut)
        noteCut(FieldId::Kapo, 1);
    headerBottom_ = std::max(headerBottom_, capo.bottom);
    y = advance(y, kCapoAdvance);
}

void PageComposer::measureRows() {
    selectFont(s_, doc_.AkkordFont);
    ChordLineHeight = s_.textHeight(kSampleText);
    selectFont(s_, snap_.textFont);
    TextLineHeight = s_.textHeight(kSampleText);
}

void PageComposer::printRemark() {
    columnFloor_ = headerBottom_;
    if (snap_.remark.empty())
        return;
    y = advance(y, TextLineHeight);
    y = advance(0, std::max<long long>(y, columnFloor_));
    if (!belowPage(y))
        drawLeftText(kLeftMargin, y, snap_.remark, FieldId::Vorspiel, 1);
    headerBottom_ = columnFloor_ = static_cast<long long>(y) + TextLineHeight;
    y = advance(y, 2LL * TextLineHeight);
}

void PageComposer::printBody() {
    ColumnX = kLeftMargin;
    columnTop = y;
    firstColumnBottom = y;
    bodyBottom_ = columnFloor_;
    const std::vector<std::string>& lines = snap_.lyricLines;
    // The rows before the last column switch decide where the next column may start.
    std::size_t measureUntil = 0;
    for (std::size_t i = lines.size(); i > 0; --i)
        if (directiveOf(lines[i - 1]) == Directive::NewColumn) {
            measureUntil = i - 1;
            break;
        }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        y = advance(y, TextLineHeight);
        const std::string& line = lines[i];
        if (directiveOf(line) == Directive::NewColumn) {
            startColumn();
            continue;
        }
        // A column that has run below the page is only counted from here on.
        if (belowPage(y)) {
            if (!line.empty())
                noteBelow(i);
            continue;
        }
        y = advance(0, std::max<long long>(y, columnFloor_));
        printLine(i, line, report_ != nullptr || i < measureUntil);
        bodyBottom_ = std::max(bodyBottom_, columnFloor_);
    }
    y = std::max(y, firstColumnBottom);
    bodyBottom_ = std::max(bodyBottom_, columnFloor_);
}

void PageComposer::printLine(std::size_t index, const std::string& line, bool wantExtent) {
    const int lineNo = int(index) + 1;
    LineExtent extent;
    extent.right = ColumnX;
    switch (directiveOf(line)) {
    case Directive::RefrainWord: {
        s_.setFontStyle(kDirectiveWordStyle);
        const TextRun run = fitRun(s_, ColumnX, line, wantExtent);
        s_.drawText(ColumnX, y, run.visible);
        s_.setFontStyle(snap_.textFont.style);
        if (wantExtent)
            extent = {runRight(s_, ColumnX, run), run.cut};
        columnFloor_ = static_cast<long long>(y) + TextLineHeight;
        break;
    }
    case Directive::Refrain:
        printBlock(index, "Refrain:", "Refrain: ", snap_.chorusLines, FieldId::Refrain, wantExtent);
        return;
    case Directive::Refrain2:
        printBlock(index, "Refrain:", "Refrain: ", snap_.bridgeLines, FieldId::Bridge, wantExtent);
        return;
    case Directive::Bridge:
        printBlock(index, "Bridge:", "Bridge: ", snap_.bridgeLines, FieldId::Bridge, wantExtent);
        return;
    case Directive::NewColumn:
        return;
    case Directive::None:
        PrintChordLine(chordContext(wantExtent ? &extent : nullptr), ColumnX, y, line);
        columnFloor_ = static_cast<long long>(y) + TextLineHeight;
        break;
    }
    if (line.empty())
        return;
    if (columnFloor_ > s_.pageHeight())
        noteBelow(index);
    else
        endBelowRun();
    rowsRight_ = std::max(rowsRight_, extent.right);
    if (extent.cutAtRight)
        noteCut(FieldId::Text, lineNo);
}

// The next column starts at the column top, right of every row drawn so far: at PageCentreX + 50
// unless a wider row reaches beyond it. The song's bottom is the lowest of all columns.
void PageComposer::startColumn() {
    firstColumnBottom = std::max(firstColumnBottom, y);
    bodyBottom_ = std::max(bodyBottom_, columnFloor_);
    y = columnTop;
    ColumnX = std::max(PageCentreX + kSecondColumnGap, advance(rowsRight_, kSecondColumnGap));
    columnFloor_ = headerBottom_;
    endBelowRun();
}

// The heading stands on the row where the lyrics of a first line with chords stand; the lines
// are indented by the heading and one blank, measured in the heading's font. The row after the
// block stays clear of the heading, also when the block has fewer rows than the heading needs.
void PageComposer::printBlock(std::size_t index, const char* heading, const char* indentText,
                              const std::vector<std::string>& lines, FieldId field, bool wantExtent) {
    s_.setFontStyle(kBlockHeadingStyle);
    y = advance(y, TextLineHeight);
    const int indent = s_.textWidth(indentText);
    const int headingY = advance(y, ChordLineHeight);
    if (!belowPage(headingY) && ColumnX < s_.pageWidth())
        s_.drawText(ColumnX, headingY, heading);
    s_.setFontStyle(snap_.textFont.style);
    long long bottom = static_cast<long long>(headingY) + TextLineHeight;
    bool below = bottom > s_.pageHeight();
    const int left = advance(ColumnX, indent);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        if (belowPage(y)) { // the rest of the block only counts
            below = true;
            break;
        }
        LineExtent extent;
        extent.right = left;
        PrintChordLine(chordContext(wantExtent ? &extent : nullptr), left, y, lines[k]);
        bottom = std::max(bottom, static_cast<long long>(y) + TextLineHeight);
        below = below || static_cast<long long>(y) + TextLineHeight > s_.pageHeight();
        rowsRight_ = std::max(rowsRight_, extent.right);
        if (extent.cutAtRight)
            noteCut(field, int(k) + 1);
        y = advance(y, TextLineHeight);
    }
    columnFloor_ = bottom;
    y = advance(0, std::max<long long>(y, bottom - TextLineHeight));
    if (below)
        noteBelow(index);
    else
        endBelowRun();
}

void PageComposer::printClosingRemark() {
    textBottom_ = std::max(headerBottom_, bodyBottom_);
    if (!snap_.closingRemark.empty()) {
        y = advance(0,
                    std::max<long long>(advance(y, 2LL * TextLineHeight + kClosingRemarkGap), bodyBottom_));
        if (!belowPage(y))
            drawLeftText(kLeftMargin, y, snap_.closingRemark, FieldId::Nachspiel, 1);
        const long long bottom = static_cast<long long>(y) + TextLineHeight;
        if (report_ && bottom > s_.pageHeight())
            report_->closingRemarkBelow = true;
        textBottom_ = std::max(textBottom_, bottom);
    }
    y = advance(y, kAfterClosingRemark);
}

// Scales the picture down (never up) to the page width and to the height left below y, in single
// precision as the layout was designed, and stands it centred on the bottom margin. Where that
// would reach up into the text, it is made smaller still, to fit between the text and the margin.
std::optional<QString> PageComposer::printPicture() {
    const auto outcome = [this](PageReport::Picture p) {
        if (report_)
            report_->picture = p;
    };
    const BitmapLoad load = loadBitmap(snap_.pictureFile, s_.pictureCache());
    if (load.status == BitmapLoad::Status::CannotOpen) {
        const QString path = cp1252::toUnicode(snap_.pictureFile);
        const FileError reason = FileError::fromErrno(load.errnum, path);
        const QString error =
            QStringLiteral("Cannot open file \"%1\". %2").arg(path, QString::fromStdString(reason.what()));
        outcome(PageReport::Picture::CannotOpen);
        if (report_)
            report_->pictureError = QString::fromStdString(reason.what());
        return error;
    }
    const Bitmap& bitmap = load.bitmap;
    if (load.status != BitmapLoad::Status::Loaded || bitmap.width() <= 0 || bitmap.height() <= 0) {
        outcome(PageReport::Picture::NotABitmap);
        return std::nullopt;
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
    const long long room =
        std::min(static_cast<long long>(pageHeight) - y, pageHeight - kPictureBottomMargin - textBottom_);
    if (room <= 0) {
        outcome(PageReport::Picture::NoRoom);
        return std::nullopt;
    }
    if (float(room) < h) {
        h = float(room);
        w = h * ratio;
    }
    const int halfWidth = int(std::trunc(w / 2.0f));
    PageBox box;
    box.left = PageCentreX - halfWidth;
    box.top = pageHeight - kPictureBottomMargin - int(std::trunc(h));
    box.right = PageCentreX + halfWidth;
    box.bottom = pageHeight - kPictureBottomMargin;
    if (box.right <= box.left || box.bottom <= box.top) {
        outcome(PageReport::Picture::NoRoom);
        return std::nullopt;
    }
    s_.stretchDraw(box, bitmap);
    outcome(PageReport::Picture::Shown);
    return std::nullopt;
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
    s.pictureFile = doc.GraphikEdit().text();
    return s;
}

std::optional<QString> ComposePage(PrintSurface& surface, const SongDocument& doc, PageReport* report) {
    return PageComposer(surface, doc, report).compose();
}

std::optional<QString> ComposePage(PrintSurface& surface, const SongDocument& doc) {
    return ComposePage(surface, doc, nullptr);
}

} // namespace versino
