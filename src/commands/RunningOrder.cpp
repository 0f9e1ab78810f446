#include "commands/RunningOrder.h"

#include "document/Cp1252.h"
#include "io/FileError.h"
#include "platform/QtPrinter.h"

#include <algorithm>
#include <string>

namespace versino {
namespace {

constexpr int kLargest = 32;
// Below this the type stops shrinking for long titles (they are cut), only for many rows.
constexpr int kReadable = 16;
constexpr int kSmallest = 6;

void useFont(PrintSurface& s, int points, std::uint8_t style) {
    s.setFontName("Arial");
    s.setFontSize(points);
    s.setFontStyle(style);
    s.setFontColor(0);
}

// The longest start of `text` that is at most `room` wide in the current font.
std::string cut(PrintSurface& s, const std::string& text, int room) {
    if (s.textWidth(text) <= room)
        return text;
    std::size_t low = 0, high = text.size();
    while (low < high) {
        const std::size_t mid = (low + high + 1) / 2;
        if (s.textWidth(text.substr(0, mid)) <= room)
            low = mid;
        else
            high = mid - 1;
    }
    return text.substr(0, low);
}

struct Row {
    std::string number, title, key, note;
};

} // namespace

void drawRunningOrder(PrintSurface& s, const std::vector<BookSong>& songs, const QString& title) {
    const int margin = s.pageWidth() / 16;
    const int right = s.pageWidth() - margin;
    const int bottom = s.pageHeight() - margin;
    std::vector<Row> rows;
    for (std::size_t i = 0; i < songs.size(); ++i)
        rows.push_back({std::to_string(i + 1), cp1252::fromUnicode(songs[i].listTitle()),
                        cp1252::fromUnicode(songs[i].key), cp1252::fromUnicode(songs[i].note)});

    const std::string heading = cp1252::fromUnicode(title.isEmpty() ? QString::fromUtf8(kRunningOrderHeading) : title);
    // The heading a third larger than the rows; the rows a quarter of their height apart. The
    // type shrinks until every row stands on the page and, down to a readable size, until the
    // longest title, key and note stand whole beside the numbers.
    int points = kLargest;
    int headingHeight = 0, rowHeight = 0, numberWidth = 0, titleWidth = 0, keyWidth = 0, gap = 0;
    for (;; --points) {
        useFont(s, points * 4 / 3, 1);
        headingHeight = s.textHeight(heading) * 3 / 2;
        useFont(s, points, 1);
        rowHeight = s.textHeight("Ag") * 5 / 4;
        gap = s.textWidth("  ");
        numberWidth = titleWidth = keyWidth = 0;
        for (const Row& r : rows) {
            numberWidth = std::max(numberWidth, s.textWidth(r.number + "."));
            titleWidth = std::max(titleWidth, s.textWidth(r.title));
        }
        useFont(s, points, 0);
        for (const Row& r : rows)
            keyWidth = std::max(keyWidth, s.textWidth(r.key));
        useFont(s, points, 2);
        int noteWidth = 0;
        for (const Row& r : rows)
            noteWidth = std::max(noteWidth, s.textWidth(r.note));
        const bool tall = margin + headingHeight + rowHeight * int(rows.size()) > bottom;
        const bool wide = numberWidth + titleWidth + keyWidth + noteWidth + 3 * gap > right - margin;
        if (points == kSmallest || !(tall || (wide && points > kReadable)))
            break;
    }
    useFont(s, points * 4 / 3, 1);
    s.drawText(margin, margin, cut(s, heading, right - margin));

    // Columns: the number right-aligned, the title, the key, the note in what is left.
    const int titleLeft = margin + numberWidth + gap;
    const int titleRoom = std::max(0, std::min(titleWidth, right - titleLeft - keyWidth - 2 * gap));
    const int keyLeft = titleLeft + titleRoom + gap;
    const int noteLeft = keyLeft + keyWidth + gap;
    int y = margin + headingHeight;
    for (const Row& r : rows) {
        if (y + rowHeight > bottom + rowHeight / 5)
            break;
        useFont(s, points, 1);
        const std::string number = r.number + ".";
        s.drawText(margin + numberWidth - s.textWidth(number), y, number);
        s.drawText(titleLeft, y, cut(s, r.title, titleRoom));
        useFont(s, points, 0);
        if (!r.key.empty())
            s.drawText(keyLeft, y, r.key);
        useFont(s, points, 2);
        if (!r.note.empty() && noteLeft < right)
            s.drawText(noteLeft, y, cut(s, r.note, right - noteLeft));
        y += rowHeight;
    }
}

void printRunningOrder(const std::vector<BookSong>& songs, const QString& title, Printer& printer) {
    printer.setPortrait();
    drawRunningOrder(printer.beginDocument(), songs, title);
    printer.endDocument();
}

std::optional<QString> writeRunningOrderPdf(const std::vector<BookSong>& songs, const QString& title,
                                            const QString& path, QPageSize::PageSizeId paper) {
    PdfBookPrinter pdf(path, paper, false);
    pdf.setTitle(title.isEmpty() ? QString::fromUtf8(kRunningOrderHeading) : title);
    try {
        printRunningOrder(songs, title, pdf);
        pdf.finish();
    } catch (const PrinterError& e) {
        pdf.cancel();
        return QString::fromStdString(e.what());
    } catch (const FileError& e) {
        return QString::fromStdString(e.what());
    }
    return std::nullopt;
}

} // namespace versino
