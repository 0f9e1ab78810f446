#include "commands/Songbook.h"

#include "commands/FitToPage.h"
#include "commands/PrintCommand.h"
#include "document/Cp1252.h"
#include "document/Notation.h"
#include "formats/SongList.h"
#include "io/FileError.h"
#include "platform/QtPrinter.h"
#include "print/ComposedPage.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace versino {

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

void useFont(PrintSurface& s, const FontSetting& f) {
    s.setFontName(f.name);
    s.setFontSize(f.size);
    s.setFontStyle(f.style);
    s.setFontColor(f.color);
}

bool meets(const PageBox& a, const PageBox& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The longest start of `text` that is at most `width` wide.
std::string cutToWidth(PrintSurface& s, std::string text, int width) {
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

// A line of a contents or register page: text, an optional second text, and the page number.
struct ListEntry {
    std::string text;
    std::string second; // the performer
    bool italic = false; // a chorus's first line
    int page = 0;
    int order = 0;
};

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
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return keys[a].compare(keys[b]) < 0;
    });
    std::vector<ListEntry> sorted;
    sorted.reserve(entries.size());
    for (std::size_t i : order)
        sorted.push_back(std::move(entries[i]));
    entries = std::move(sorted);
}

// How a contents or register list falls onto pages: one column when everything fits on one page,
// else two columns on every page.
struct ListLayout {
    int rowHeight = 0;
    int firstRowY = 0;
    int rowsPerColumn = 1;
    int columns = 1;
    int pages = 0;
};

ListLayout layoutList(PrintSurface& s, std::size_t count) {
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

void drawListPage(PrintSurface& s, const char* heading, const std::vector<ListEntry>& entries, const ListLayout& l,
                  int pageIndex) {
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
}

void drawTitlePage(PrintSurface& s, const QString& title) {
    useFont(s, kBookTitleFont);
    const std::string text = cutToWidth(s, cp1252::fromUnicode(title), s.pageWidth() - 2 * kMargin);
    s.drawText((s.pageWidth() - s.textWidth(text)) / 2, s.pageHeight() / 3, text);
}

// The page number in the bottom outer corner, else the top outer corner, where it covers nothing
// the song draws; else nowhere. Outer: right on odd pages, left on even ones.
void drawPageNumber(PrintSurface& s, const ComposedPage& page, int number) {
    useFont(s, kNumberFont);
    const std::string text = std::to_string(number);
    const int w = s.textWidth(text), h = s.textHeight(text);
    const int x = number % 2 == 1 ? s.pageWidth() - kNumberMargin - w : kNumberMargin;
    const std::vector<PageBox> taken = page.occupied();
    for (const int y : {s.pageHeight() - kNumberMargin - h, kNumberMargin}) {
        const PageBox clear{x - kNumberGap, y - kNumberGap, x + w + kNumberGap, y + h + kNumberGap};
        if (std::none_of(taken.begin(), taken.end(), [&](const PageBox& b) { return meets(b, clear); })) {
            s.drawText(x, y, text);
            return;
        }
    }
}

std::string trimmedLine(std::string s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.back()))
        s.pop_back();
    std::size_t start = 0;
    while (start < s.size() && blank(s[start]))
        ++start;
    return s.substr(start);
}

std::string firstLyricLine(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        if (notation::directiveOf(line) != notation::Directive::None)
            continue;
        std::string text = trimmedLine(notation::lyricText(line));
        if (!text.empty())
            return text;
    }
    return {};
}

} // namespace

void anchorPicture(SongDocument& doc, const QString& songFile) {
    const QString picture = cp1252::toUnicode(doc.GraphikEdit().text());
    if (picture.isEmpty() || !QFileInfo(picture).isRelative())
        return;
    const QString anchored = QFileInfo(songFile).absoluteDir().filePath(picture);
    // A folder whose name Windows-1252 cannot hold keeps the path as it was.
    if (cp1252::toUnicode(cp1252::fromUnicode(anchored)) == anchored)
        doc.GraphikEdit().setText(cp1252::fromUnicode(anchored));
}

QString BookSong::listTitle() const {
    const std::string title = trimmedLine(doc->TitelEdit().text());
    return title.empty() ? QFileInfo(file).fileName() : cp1252::toUnicode(title);
}

QString BookSong::performer() const {
    return cp1252::toUnicode(doc->InterpretEdit().text());
}

BookSource loadBookSources(const QStringList& files) {
    BookSource source;
    const auto take = [&](std::vector<songlist::LoadedSong>&& loaded) {
        for (songlist::LoadedSong& s : loaded) {
            if (!s.leftOut.isEmpty())
                source.problems.push_back(s.file + QStringLiteral(": ") + s.leftOut.replace(QLatin1Char('\n'), QLatin1String("; ")));
            anchorPicture(*s.doc, s.file);
            source.songs.push_back(
                BookSong{s.file, QFileInfo(s.file).absolutePath(), s.line, std::move(s.doc), {}, false});
        }
    };
    for (const QString& file : files) {
        if (songlist::isSongListFile(file)) {
            songlist::SongList list;
            try {
                list = songlist::ReadSongListFile(file);
            } catch (const FileError& e) {
                source.problems.push_back(file + QStringLiteral(": ") + QString::fromStdString(e.what()));
                continue;
            }
            if (source.title.isEmpty())
                source.title = list.title;
            take(songlist::loadSongs(list.entries, file, source.problems));
        } else {
            take(songlist::loadSongs({{file, 0}}, QString(), source.problems));
        }
    }
    return source;
}

void removeChords(SongDocument& doc) {
    for (MultiLineField* lyrics : {&doc.RefrainEdit(), &doc.BridgeEdit(), &doc.TextEdit()}) {
        MultiLineField& field = *lyrics;
        const std::string before = field.text();
        std::string after;
        after.reserve(before.size());
        for (const std::string& line : field.lineList()) {
            if (notation::directiveOf(line) != notation::Directive::None || !notation::hasChord(line)) {
                lines::add(after, line);
                continue;
            }
            const std::string words = notation::lyricText(line);
            if (!trimmedLine(words).empty())
                lines::add(after, words);
        }
        // A final line break stays as it was.
        if (!before.empty() && before.back() != '\n' && after.size() >= 2 && after.compare(after.size() - 2, 2, "\r\n") == 0)
            after.resize(after.size() - 2);
        field.setText(after);
    }
}

std::vector<QString> findingLines(const QString& file, const std::vector<PageFinding>& findings) {
    std::vector<QString> out;
    for (const PageFinding& f : findings)
        out.push_back(QStringLiteral("%1:%2: %3").arg(file).arg(f.line).arg(f.text));
    return out;
}

std::vector<QString> prepareBookSong(BookSong& song, const BookOptions& options, PrintSurface& metrics) {
    std::vector<QString> lines;
    if (!song.printable()) {
        lines.push_back(QStringLiteral("%1:1: %2").arg(song.file, QString::fromUtf8(kNoLyricsMessage)));
        return lines;
    }
    if (options.lyricsOnly)
        removeChords(*song.doc);
    if (options.fit) {
        song.fitted = true;
        const FitOutcome fit = fitToOnePage(*song.doc, metrics);
        if (fit.result == FitResult::CannotFit)
            lines.push_back(song.file + QStringLiteral(": ") + fit.message);
    }
    song.findings = CheckPage(*song.doc, metrics);
    for (QString& line : findingLines(song.file, song.findings))
        lines.push_back(std::move(line));
    return lines;
}

std::vector<std::string> firstLines(const SongDocument& doc) {
    std::vector<std::string> out;
    std::string lyric = firstLyricLine(doc.TextEdit().lineList());
    std::string chorus = firstLyricLine(doc.RefrainEdit().lineList());
    if (!lyric.empty())
        out.push_back(lyric);
    if (!chorus.empty() && chorus != lyric)
        out.push_back(std::move(chorus));
    return out;
}

BookResult printBook(const std::vector<BookSong>& songs, const BookOptions& options, Printer& target,
                     const BookProgress& progress) {
    BookResult result;
    std::vector<const BookSong*> printed;
    for (const BookSong& s : songs)
        if (s.printable())
            printed.push_back(&s);
    if (printed.empty())
        throw PrinterError(kNoSongsForBook);

    target.setPortrait();
    PrintSurface* surface = &target.beginDocument();
    bool pageOpen = true;
    const auto nextPage = [&]() -> PrintSurface& {
        if (!pageOpen)
            surface = &target.beginDocument();
        pageOpen = false;
        ++result.pages;
        return *surface;
    };

    // Where everything goes, before the first page is drawn: the contents need the songs' pages.
    const int titlePages = options.title.isEmpty() ? 0 : 1;
    const ListLayout contentsLayout = layoutList(*surface, options.contents ? printed.size() : 0);
    const int firstSongPage = titlePages + contentsLayout.pages + 1;
    std::vector<ListEntry> contents, register_;
    for (std::size_t i = 0; i < printed.size(); ++i) {
        const int page = firstSongPage + int(i);
        result.songPages.push_back(page);
        if (options.contents)
            contents.push_back({cp1252::fromUnicode(printed[i]->listTitle()), printed[i]->doc->InterpretEdit().text(),
                                false, page, int(i)});
        if (options.firstLines) {
            const std::vector<std::string> starts = firstLines(*printed[i]->doc);
            for (std::size_t k = 0; k < starts.size(); ++k)
                register_.push_back({starts[k], {}, k > 0, page, int(i)});
        }
    }
    sortGerman(contents);
    sortGerman(register_);
    const ListLayout registerLayout = layoutList(*surface, register_.size());
    const int total = firstSongPage - 1 + int(printed.size()) + registerLayout.pages;
    const auto step = [&]() {
        if (progress && !progress(result.pages, total)) {
            result.cancelled = true;
            return false;
        }
        return true;
    };

    if (titlePages && step())
        drawTitlePage(nextPage(), options.title);
    for (int p = 0; p < contentsLayout.pages && !result.cancelled && step(); ++p) {
        if (p == 0)
            result.outline.push_back({QString::fromUtf8(kContentsHeading), result.pages});
        drawListPage(nextPage(), kContentsHeading, contents, contentsLayout, p);
    }
    for (std::size_t i = 0; i < printed.size() && !result.cancelled && step(); ++i) {
        result.outline.push_back({printed[i]->listTitle(), result.pages});
        PrintSurface& s = nextPage();
        const ComposedPage page = composePage(*printed[i]->doc, s);
        drawPage(page, s);
        drawPageNumber(s, page, result.pages);
        if (const std::optional<QString> error = pictureErrorText(*printed[i]->doc, page.report))
            result.pictureErrors.push_back(printed[i]->file + QStringLiteral(": ") + *error);
    }
    for (int p = 0; p < registerLayout.pages && !result.cancelled && step(); ++p) {
        if (p == 0)
            result.outline.push_back({QString::fromUtf8(kFirstLinesHeading), result.pages});
        drawListPage(nextPage(), kFirstLinesHeading, register_, registerLayout, p);
    }
    target.endDocument();
    return result;
}

std::optional<QString> writeBookPdf(const std::vector<BookSong>& songs, const BookOptions& options,
                                    const QString& path, BookResult& result, const BookProgress& progress,
                                    QPageSize::PageSizeId paper) {
    PdfBookPrinter pdf(path, paper, true);
    pdf.setTitle(options.title);
    try {
        result = printBook(songs, options, pdf, progress);
    } catch (const PrinterError& e) {
        pdf.cancel();
        return QString::fromStdString(e.what());
    }
    if (result.cancelled) {
        pdf.cancel();
        return std::nullopt;
    }
    pdf.setOutline(result.outline);
    try {
        pdf.finish();
    } catch (const FileError& e) {
        return QString::fromStdString(e.what());
    } catch (const PrinterError& e) {
        return QString::fromStdString(e.what());
    }
    return std::nullopt;
}

} // namespace versino
