#include "document/Cp1252.h"
#include "document/FileError.h"
#include "platform/Bitmap.h"
#include "print/Drucken.h"
#include "print/Rows.h"
#include "print/SelectFont.h"

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

enum class Directive { None, RefrainWord, Refrain, Refrain2, Bridge, NewColumn };

// Only the exact line is a directive: same case, no blanks around it.
Directive directiveOf(const std::string& line) {
    if (line == "Refrain")
        return Directive::RefrainWord;
    if (line == ">>Refrain")
        return Directive::Refrain;
    if (line == ">>Refrain2")
        return Directive::Refrain2;
    if (line == ">>Bridge")
        return Directive::Bridge;
    if (line == ">>neue Spalte")
        return Directive::NewColumn;
    return Directive::None;
}

class PageComposer {
public:
    PageComposer(PrintSurface& surface, const SongDocument& doc)
        : s_(surface), doc_(doc), PageCentreX(surface.pageWidth() / 2) {}

    std::optional<QString> compose();

private:
    void printHeader();
    void printCapo();
    void measureRows();
    void printBody();
    void printBlock(const char* heading, const char* indentText, const std::vector<std::string>& lines);
    void printClosingRemark();
    std::optional<QString> printPicture();
    ChordLineContext chordContext() { return {s_, doc_.AkkordFont, snap_.textFont, ChordLineHeight}; }

    PrintSurface& s_;
    const SongDocument& doc_;
    PrintSnapshot snap_;
    int y = kTitleTop;
    const int PageCentreX;
    int ColumnX = kLeftMargin;
    int columnTop = 0;
    int firstColumnBottom = 0;
    int TextLineHeight = 0;
    int ChordLineHeight = 0;
};

std::optional<QString> PageComposer::compose() {
    snap_ = TakePrintSnapshot(doc_);
    printHeader();
    printCapo();
    measureRows();
    if (!snap_.remark.empty()) {
        y = advance(y, TextLineHeight);
        s_.drawText(kLeftMargin, y, snap_.remark);
        y = advance(y, 2LL * TextLineHeight);
    }
    printBody();
    printClosingRemark();
    if (snap_.pictureFile.empty())
        return std::nullopt;
    return printPicture();
}

void PageComposer::printHeader() {
    selectFont(s_, snap_.titelFont);
    const int titleWidth = s_.textWidth(snap_.title);
    s_.drawText(PageCentreX - halfRoundedToEven(titleWidth), kTitleTop, snap_.title);

    if (snap_.performer.empty())
        return;
    selectFont(s_, snap_.interpretFont);
    const int width = s_.textWidth(snap_.performer);
    const int height = s_.textHeight(snap_.performer);
    y = advance(y, kPerformerGap + static_cast<long long>(height));
    s_.drawText(PageCentreX - halfRoundedToEven(width), y, snap_.performer);
}

void PageComposer::printCapo() {
    s_.setFontName(snap_.textFont.name);
    s_.setFontSize(kCapoPoints);
    s_.setFontStyle(snap_.textFont.style);
    s_.setFontColor(snap_.textFont.color);
    s_.drawText(kLeftMargin, y, "Kapo: " + snap_.capo);
    y = advance(y, kCapoAdvance);
}

void PageComposer::measureRows() {
    selectFont(s_, doc_.AkkordFont);
    ChordLineHeight = s_.textHeight(kSampleText);
    selectFont(s_, snap_.textFont);
    TextLineHeight = s_.textHeight(kSampleText);
}

void PageComposer::printBody() {
    ColumnX = kLeftMargin;
    columnTop = y;
    firstColumnBottom = y;
    for (const std::string& line : snap_.lyricLines) {
        y = advance(y, TextLineHeight);
        switch (directiveOf(line)) {
        case Directive::RefrainWord:
            s_.setFontStyle(kDirectiveWordStyle);
            s_.drawText(ColumnX, y, line);
            s_.setFontStyle(snap_.textFont.style);
            break;
        case Directive::Refrain:
            printBlock("Refrain:", "Refrain: ", snap_.chorusLines);
            break;
        case Directive::Refrain2:
            printBlock("Refrain:", "Refrain: ", snap_.bridgeLines);
            break;
        case Directive::Bridge:
            printBlock("Bridge:", "Bridge: ", snap_.bridgeLines);
            break;
        case Directive::NewColumn:
            firstColumnBottom = y;
            y = columnTop;
            ColumnX = PageCentreX + kSecondColumnGap;
            break;
        case Directive::None:
            PrintChordLine(chordContext(), ColumnX, y, line);
            break;
        }
    }
    y = std::max(y, firstColumnBottom);
}

// The heading stands on the row where the lyrics of a first line with chords stand; the lines
// are indented by the heading and one blank, measured in the heading's font.
void PageComposer::printBlock(const char* heading, const char* indentText,
                              const std::vector<std::string>& lines) {
    s_.setFontStyle(kBlockHeadingStyle);
    y = advance(y, TextLineHeight);
    const int indent = s_.textWidth(indentText);
    s_.drawText(ColumnX, advance(y, ChordLineHeight), heading);
    s_.setFontStyle(snap_.textFont.style);
    const ChordLineContext ctx = chordContext();
    for (const std::string& line : lines) {
        PrintChordLine(ctx, advance(ColumnX, indent), y, line);
        y = advance(y, TextLineHeight);
    }
}

void PageComposer::printClosingRemark() {
    if (!snap_.closingRemark.empty()) {
        y = advance(y, 2LL * TextLineHeight + kClosingRemarkGap);
        s_.drawText(kLeftMargin, y, snap_.closingRemark);
    }
    y = advance(y, kAfterClosingRemark);
}

// Scales the picture down (never up) to the page width and to the height left below y, in single
// precision as the layout was designed, and stands it centred on the bottom margin.
std::optional<QString> PageComposer::printPicture() {
    const BitmapLoad load = loadBitmap(snap_.pictureFile);
    if (load.status == BitmapLoad::Status::CannotOpen) {
        const QString path = cp1252::toUnicode(snap_.pictureFile);
        const FileError reason = FileError::fromErrno(load.errnum, path);
        return QStringLiteral("Cannot open file \"%1\". %2").arg(path, QString::fromStdString(reason.what()));
    }
    if (load.status != BitmapLoad::Status::Loaded)
        return std::nullopt;
    const Bitmap& bitmap = load.bitmap;
    if (bitmap.width() <= 0 || bitmap.height() <= 0)
        return std::nullopt;

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
    if (room <= 0)
        return std::nullopt;
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
    if (box.right <= box.left || box.bottom <= box.top)
        return std::nullopt;
    s_.stretchDraw(box, bitmap);
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

std::optional<QString> ComposePage(PrintSurface& surface, const SongDocument& doc) {
    return PageComposer(surface, doc).compose();
}

} // namespace versino
