#include "print/RunningOrderPage.h"

#include "print/PageCells.h"
#include "print/SelectFont.h"

#include <algorithm>

namespace versino {
namespace {

constexpr int kLargest = 32;
// Below this the type stops shrinking for long titles (they are cut), only for many rows.
constexpr int kReadable = 16;
constexpr int kSmallest = 6;

void useFont(PageMeasures& s, int points, std::uint8_t style) {
    selectFont(s, FontSetting{"Arial", style, 0, points});
}

// The longest start of `text` that is at most `room` wide in the current font.
std::string cut(PageMeasures& s, const std::string& text, int room) {
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

} // namespace

ComposedPage composeRunningOrder(PageMeasures& m, const std::vector<RunningOrderRow>& rows, const std::string& heading) {
    ComposedPage page;
    page.width = m.pageWidth();
    page.height = m.pageHeight();
    pagecells::PageBuilder s(m, page);
    const int margin = s.pageWidth() / 16;
    const int right = s.pageWidth() - margin;
    const int bottom = s.pageHeight() - margin;
    // A row's number, "1." for the first.
    const auto numberOf = [](std::size_t i) { return std::to_string(i + 1) + "."; };

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
        for (std::size_t i = 0; i < rows.size(); ++i) {
            numberWidth = std::max(numberWidth, s.textWidth(numberOf(i)));
            titleWidth = std::max(titleWidth, s.textWidth(rows[i].title));
        }
        useFont(s, points, 0);
        for (const RunningOrderRow& r : rows)
            keyWidth = std::max(keyWidth, s.textWidth(r.key));
        useFont(s, points, 2);
        int noteWidth = 0;
        for (const RunningOrderRow& r : rows)
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
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RunningOrderRow& r = rows[i];
        if (y + rowHeight > bottom + rowHeight / 5)
            break;
        useFont(s, points, 1);
        const std::string number = numberOf(i);
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
    return page;
}

} // namespace versino
