#include "print/BookPages.h"

#include "document/Cp1252.h"
#include "document/SongDocument.h"
#include "print/PageCells.h"
#include "print/SelectFont.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <limits>
#include <numeric>

namespace versino::book {

namespace {

// Device units at the 600 dots per inch of every printed page.
constexpr int mm(double millimetres) {
    return int(millimetres * 600.0 / 25.4 + 0.999);
}
constexpr int kMargin = mm(20);
// The page number keeps at least this far from the paper's edges (5 mm and a little more).
constexpr int kNumberMargin = mm(6);
// A page number keeps this clear of anything the song draws.
constexpr int kNumberGap = mm(1);
constexpr int kColumnGap = mm(10);

const FontSetting kHeadingFont{"Arial", 1, 0, 20};
const FontSetting kEntryFont{"Arial", 0, 0, 11};
const FontSetting kPerformerFont{"Arial", 2, 0x606060, 10};
const FontSetting kNumberFont{"Arial", 0, 0, 10};
const FontSetting kBookTitleFont{"Arial", 1, 0, 32};

void useFont(PageMeasures& s, const FontSetting& f) {
    selectFont(s, f);
}

// A page of the measures' size with nothing on it yet.
ComposedPage emptyPage(const PageMeasures& m) {
    ComposedPage page;
    page.width = m.pageWidth();
    page.height = m.pageHeight();
    return page;
}

bool meets(const PageBox& a, const PageBox& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The longest start of `text` that is at most `width` wide.
std::string cutToWidth(PageMeasures& s, std::string text, int width) {
    if (s.textWidth(text) <= width)
        return text;
    std::size_t low = 0, high = text.size();
    while (low < high) {
        const std::size_t mid = (low + high + 1) / 2;
        if (s.textWidth(std::string_view(text).substr(0, mid)) + s.textWidth("\x85") <= width)
            low = mid;
        else
            high = mid - 1;
    }
    text.resize(low);
    return text + "\x85"; // "…"
}

// One row: the text (and performer) from the left, dot leaders, the number at the right.
void drawRow(PrintSurface& s, const ListEntry& e, int left, int right, int y) {
    useFont(s, kNumberFont);
    const std::string number = std::to_string(e.page);
    useFont(s, kEntryFont);
    const int numberWidth = s.textWidth(number);
    const int dotWidth = std::max(1, s.textWidth("."));
    const int textRoom = right - left - numberWidth - 4 * dotWidth;
    FontSetting font = kEntryFont;
    if (e.italic)
        font.style = 2;
    useFont(s, font);
    const std::string text = cutToWidth(s, e.text, textRoom);
    s.drawText(left, y, text);
    int x = left + s.textWidth(text);
    if (!e.second.empty()) {
        // On the title's baseline, near enough: the ascent is about four fifths of a cell.
        const int titleHeight = s.textHeight(text);
        useFont(s, kPerformerFont);
        const int lift = titleHeight - s.textHeight(e.second);
        const int gap = s.textWidth("  ");
        if (x + gap + s.textWidth("\x85") < left + textRoom) {
            const std::string second = cutToWidth(s, e.second, left + textRoom - x - gap);
            s.drawText(x + gap, y + std::max(0, lift * 4 / 5), second);
            x += gap + s.textWidth(second);
        }
    }
    useFont(s, kEntryFont);
    const int dotsStart = x + dotWidth;
    const int dotsEnd = right - numberWidth - dotWidth;
    if (dotsEnd > dotsStart) {
        std::string dots(std::size_t((dotsEnd - dotsStart) / dotWidth), '.');
        while (!dots.empty() && s.textWidth(dots) > dotsEnd - dotsStart)
            dots.pop_back();
        s.drawText(dotsEnd - s.textWidth(dots), y, dots);
    }
    s.drawText(right - numberWidth, y, number);
}

} // namespace

// Sorts the way a German reader looks things up: Ä with A, ß as ss, case ignored.
void sortGerman(std::vector<ListEntry>& entries) {
    QCollator collator{QLocale(QLocale::German, QLocale::Germany)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(entries.size());
    for (const ListEntry& e : entries)
        keys.push_back(collator.sortKey(cp1252::toUnicode(e.text)));
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a].compare(keys[b]) < 0; });
    std::vector<ListEntry> sorted;
    sorted.reserve(entries.size());
    for (std::size_t i : order)
        sorted.push_back(std::move(entries[i]));
    entries = std::move(sorted);
}

ListLayout layoutList(PageMeasures& s, std::size_t count) {
    ListLayout l;
    useFont(s, kHeadingFont);
    const int headingHeight = s.textHeight("Inhalt");
    useFont(s, kEntryFont);
    l.rowHeight = s.textHeight("ABCdefg") * 6 / 5;
    l.firstRowY = kMargin + headingHeight + l.rowHeight;
    l.rowsPerColumn = std::max(1, (s.pageHeight() - kMargin - l.firstRowY) / std::max(1, l.rowHeight));
    l.columns = count <= std::size_t(l.rowsPerColumn) ? 1 : 2;
    const std::size_t perPage = std::size_t(l.rowsPerColumn * l.columns);
    l.pages = count == 0 ? 0 : int((count + perPage - 1) / perPage);
    return l;
}

ComposedPage composeListPage(PageMeasures& m, const char* heading, const std::vector<ListEntry>& entries,
                             const ListLayout& l, int pageIndex) {
    ComposedPage page = emptyPage(m);
    pagecells::PageBuilder s(m, page);
    useFont(s, kHeadingFont);
    s.drawText(kMargin, kMargin, cp1252::fromUnicode(QString::fromUtf8(heading)));
    const int width = s.pageWidth() - 2 * kMargin;
    const int columnWidth = l.columns == 1 ? width : (width - kColumnGap) / 2;
    const std::size_t perPage = std::size_t(l.rowsPerColumn * l.columns);
    const std::size_t first = std::size_t(pageIndex) * perPage;
    for (std::size_t i = first; i < std::min(entries.size(), first + perPage); ++i) {
        const int column = int((i - first) / std::size_t(l.rowsPerColumn));
        const int row = int((i - first) % std::size_t(l.rowsPerColumn));
        const int left = kMargin + column * (columnWidth + kColumnGap);
        drawRow(s, entries[i], left, left + columnWidth, l.firstRowY + row * l.rowHeight);
    }
    return page;
}

namespace {

// The title's words in lines at most `width` wide, filled greedily; nothing when a word alone is
// wider or when more than `maxLines` lines would be needed.
std::vector<std::string> wrapWords(PageMeasures& s, const std::string& text, int width,
                                   std::size_t maxLines) {
    std::vector<std::string> lines;
    std::string line;
    const int blank = s.textWidth(" ");
    int lineWidth = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = text.find_first_not_of(' ', pos);
        if (start == std::string::npos)
            break;
        const std::size_t end = std::min(text.find(' ', start), text.size());
        const std::string_view word = std::string_view(text).substr(start, end - start);
        pos = end;
        const int w = s.textWidth(word);
        if (w > width)
            return {};
        if (!line.empty() && lineWidth + blank + w <= width) {
            line += ' ';
            line += word;
            lineWidth += blank + w;
            continue;
        }
        if (!line.empty())
            lines.push_back(std::move(line));
        if (lines.size() >= maxLines)
            return {};
        line.assign(word);
        lineWidth = w;
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

} // namespace

ComposedPage composeTitlePage(PageMeasures& m, const QString& title) {
    ComposedPage page = emptyPage(m);
    pagecells::PageBuilder s(m, page);
    const std::string text = cp1252::fromUnicode(title);
    const int width = s.pageWidth() - 2 * kMargin;
    const int top = s.pageHeight() / 3;
    const int room = s.pageHeight() - kMargin - top;
    // The title's own size while its lines fit below a third of the page; a title too long for
    // that gets smaller, a point at a time, and is never cut.
    FontSetting font = kBookTitleFont;
    std::vector<std::string> lines;
    int lineHeight = 1;
    for (; font.size >= 1; --font.size) {
        useFont(s, font);
        lineHeight = std::max(1, s.textHeight("Ag"));
        lines = wrapWords(s, text, width, std::size_t(std::max(1, room / lineHeight)));
        if (!lines.empty() || text.find_first_not_of(' ') == std::string::npos)
            break;
    }
    if (font.size < 1) {
        // Too long for the page even at one point: as much as the page holds, whole words.
        font.size = 1;
        useFont(s, font);
        lines = wrapWords(s, text.substr(0, std::size_t(room / lineHeight) * std::size_t(width)), width,
                          std::numeric_limits<std::size_t>::max());
    }
    int y = top;
    for (const std::string& line : lines) {
        if (y + lineHeight > s.pageHeight())
            break;
        s.drawText((s.pageWidth() - s.textWidth(line)) / 2, y, line);
        y += lineHeight;
    }
    return page;
}

ComposedPage blankPage(const PageMeasures& m) {
    return emptyPage(m);
}

// The page number in the bottom outer corner, else the top outer corner, where it covers nothing
// the page holds; else nowhere. Outer: right on odd pages, left on even ones.
void addPageNumber(ComposedPage& page, PageMeasures& s, int number) {
    useFont(s, kNumberFont);
    const std::string text = std::to_string(number);
    const int w = s.textWidth(text), h = s.textHeight(text);
    const int x = number % 2 == 1 ? s.pageWidth() - kNumberMargin - w : kNumberMargin;
    const std::vector<PageBox> taken = page.occupied();
    for (const int y : {s.pageHeight() - kNumberMargin - h, kNumberMargin}) {
        const PageBox clear{x - kNumberGap, y - kNumberGap, x + w + kNumberGap, y + h + kNumberGap};
        if (std::none_of(taken.begin(), taken.end(), [&](const PageBox& b) { return meets(b, clear); })) {
            page.texts.push_back({x, y, w, h, kNumberFont, text});
            return;
        }
    }
}

} // namespace versino::book
