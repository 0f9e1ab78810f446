#include "commands/Songbook.h"

#include "document/ShownText.h"

#include "commands/BookPlan.h"
#include "commands/FitToPage.h"
#include "commands/PrintCommand.h"
#include "document/Cp1252.h"
#include "io/FileError.h"
#include "platform/QtPrinter.h"
#include "print/BookPages.h"
#include "print/ComposedPage.h"
#include "print/SongPages.h"

#include <algorithm>
#include <map>

namespace versino {

using namespace book;

namespace {

// What the book keeps of a song with lyrics between its two reads: what its contents line, its
// register lines and its bookmark need.
struct IndexedSong {
    QString title; // the bookmark's text
    std::string contents, second;
    std::vector<std::string> firstLines;
    int pages = 1; // the pages it asks for; whether a second one is needed is known once it is composed
};

// The first, light read of the songs.
struct BookIndex {
    std::vector<bool> printable; // of every song read, in order
    std::vector<IndexedSong> songs;
};

BookIndex indexBook(const BookSongs& songs, const BookOptions& options) {
    BookIndex index;
    songs([&](BookSong& song) {
        readyBookSong(song, options);
        index.printable.push_back(song.printable());
        if (!song.printable())
            return;
        IndexedSong s;
        s.title = song.listTitle();
        if (options.contents && options.runningOrder) {
            s.contents = std::to_string(index.songs.size() + 1) + ". " + cp1252::fromUnicode(s.title);
            s.second = cp1252::fromUnicode(song.key);
        } else if (options.contents) {
            s.contents = cp1252::fromUnicode(s.title);
            s.second = song.doc->InterpretEdit().text();
        }
        if (options.firstLines)
            s.firstLines = firstLines(*song.doc);
        s.pages = std::max(1, song.doc->options().pages);
        index.songs.push_back(std::move(s));
    });
    return index;
}

// Where the book's pages go, in the order they are made: the title page, the songs, the register,
// and last the contents, which belong after the title page.
class PageSink {
public:
    virtual ~PageSink() = default;
    // What the pages are composed with.
    virtual PageMeasures& measures() = 0;
    virtual void add(ComposedPage&& page) = 0;
};

// Where the contents go once every page is made.
struct ContentsPlace {
    int at = 0;    // 0-based page of the finished book
    int pages = 0; // made last
};

// The book's pages onto `sink`, each song composed once: its page check, its fitting's result
// and its drawing use the same composition. Song pages carry their numbers in the finished book.
// The lists take what `index` kept.
ContentsPlace makeBook(BookIndex& index, const BookSongs& songs, const BookOptions& options, PageSink& sink,
                       const BookProgress& progress, const BookSongChecked& checked, BookResult& result) {
    PageMeasures& m = sink.measures();
    const int titlePages = options.title.isEmpty() ? 0 : 1;
    const ListLayout contentsLayout = layoutList(m, options.contents ? index.songs.size() : 0);
    std::size_t registerLines = 0;
    int total = titlePages + contentsLayout.pages;
    for (const IndexedSong& s : index.songs) {
        registerLines += s.firstLines.size();
        total += std::min(s.pages, 2);
    }
    const ListLayout registerLayout = layoutList(m, registerLines);
    total += registerLayout.pages;
    const auto step = [&]() {
        if (result.cancelled)
            return false;
        total = std::max(total, result.pages + 1);
        if (progress && !progress(result.pages, total)) {
            result.cancelled = true;
            return false;
        }
        return true;
    };
    const auto add = [&](ComposedPage&& page) {
        sink.add(std::move(page));
        ++result.pages;
    };

    if (titlePages && step())
        add(composeTitlePage(m, shownTitle(options.title)));
    if (contentsLayout.pages > 0)
        result.outline.push_back({QString::fromUtf8(kContentsHeading), titlePages});
    // The number the next song page carries: the contents come before it in the finished book.
    int number = titlePages + contentsLayout.pages + 1;
    std::vector<int> songPage(index.songs.size(), 0);
    const auto place = [&](std::size_t i, std::vector<ComposedPage>& pages) {
        songPage[i] = number;
        result.outline.push_back({index.songs[i].title, number - 1});
        for (ComposedPage& page : pages) {
            if (!step())
                return;
            addPageNumber(page, m, number++);
            add(std::move(page));
        }
    };
    const auto blank = [&]() {
        if (step()) {
            add(blankPage(m));
            ++number;
        }
    };
    // Songs of two pages start on an even page; their pages wait here while the placer holds them.
    SongPlacer placer(number, options.keepOrder);
    std::map<std::size_t, std::vector<ComposedPage>> held;
    const auto placeNow = [&](const std::vector<int>& placed) {
        for (const int song : placed) {
            if (song < 0) {
                blank();
                continue;
            }
            const auto it = held.find(std::size_t(song));
            place(it->first, it->second);
            held.erase(it);
        }
    };
    std::size_t read = 0, next = 0;
    songs([&](BookSong& song) {
        const std::size_t k = read++;
        if (result.cancelled)
            return;
        readyBookSong(song, options);
        if (k >= index.printable.size() || !index.printable[k] || next >= index.songs.size()) {
            if (checked && !song.printable())
                checked(song, {QStringLiteral("%1:1: %2").arg(song.file, QString::fromUtf8(kNoLyricsMessage))});
            return;
        }
        const std::size_t i = next++;
        std::vector<QString> lines;
        std::vector<ComposedPage> pages = composeSong(*song.doc, m);
        song.findings = CheckPages(pages);
        // Fitting starts from this composition, as the fit of a single print does; the song is
        // composed again only when fitting changed it.
        if (options.fit) {
            song.fitted = true;
            const FitOutcome fit = fitComposedSong(*song.doc, m, pages);
            if (fit.result == FitResult::CannotFit)
                lines.push_back(song.file + QStringLiteral(": ") + fit.message);
            if (fit.result == FitResult::Fitted)
                song.findings = CheckPages(pages);
        }
        for (QString& line : findingLines(song.file, song.findings))
            lines.push_back(std::move(line));
        if (checked)
            checked(song, lines);
        const PageReport& report = pages.back().report;
        if (const std::optional<QString> error = pictureErrorText(*song.doc, report))
            result.pictureErrors.push_back(song.file + QStringLiteral(": ") + *error);
        else if (report.picture == PageReport::Picture::NotABitmap)
            result.pictureErrors.push_back(
                song.file + QStringLiteral(": \"%1\" is no valid BMP picture; the page is printed without it")
                                .arg(cp1252::toUnicode(song.doc->GraphikEdit().text())));
        const int count = int(pages.size());
        held.emplace(i, std::move(pages));
        placeNow(placer.add(int(i), count));
    });
    placeNow(placer.finish());

    // The register, then the contents: each list is made from what the index kept, and let go
    // before the next, so that the book's end holds one list at a time.
    {
        std::vector<ListEntry> register_;
        register_.reserve(registerLines);
        for (std::size_t i = 0; i < index.songs.size(); ++i) {
            std::vector<std::string>& lines = index.songs[i].firstLines;
            if (songPage[i] != 0) // 0: not printed after all, its file changed between the reads
                for (std::size_t k = 0; k < lines.size(); ++k)
                    register_.push_back({std::move(lines[k]), {}, k > 0, songPage[i], int(i)});
            std::vector<std::string>().swap(lines);
        }
        sortGerman(register_);
        for (int p = 0; p < registerLayout.pages && step(); ++p) {
            if (p == 0)
                result.outline.push_back({QString::fromUtf8(kFirstLinesHeading), number - 1});
            add(composeListPage(m, kFirstLinesHeading, register_, registerLayout, p));
        }
    }
    std::vector<ListEntry> contents;
    if (options.contents) {
        contents.reserve(index.songs.size());
        for (std::size_t i = 0; i < index.songs.size(); ++i)
            if (songPage[i] != 0)
                contents.push_back(
                    {std::move(index.songs[i].contents), std::move(index.songs[i].second), false, songPage[i], int(i)});
    }
    if (!options.runningOrder)
        sortGerman(contents);
    ContentsPlace place_{titlePages, 0};
    for (int p = 0; p < contentsLayout.pages && step(); ++p) {
        add(composeListPage(m, kContentsHeading, contents, contentsLayout, p));
        ++place_.pages;
    }
    return place_;
}

// Pages kept as they are made, for a target that needs them all or in their final order.
class HeldPages final : public PageSink {
public:
    HeldPages(PageMeasures& measures, std::vector<ComposedPage>& pages) : m_(measures), pages_(pages) {}
    PageMeasures& measures() override { return m_; }
    void add(ComposedPage&& page) override { pages_.push_back(std::move(page)); }
    // The contents, made last, moved to their place.
    void putInPlace(const ContentsPlace& contents) {
        const auto end = pages_.end();
        std::rotate(pages_.begin() + contents.at, end - contents.pages, end);
    }

private:
    PageMeasures& m_;
    std::vector<ComposedPage>& pages_;
};

// Each page drawn on the printer as it comes; the page opened to measure with is the first drawn.
class PrintedPages final : public PageSink {
public:
    explicit PrintedPages(Printer& target) : target_(target) {}
    PageMeasures& measures() override { return open(); }
    void add(ComposedPage&& page) override {
        PrintSurface& s = open();
        unused_ = false;
        drawPage(page, s);
    }

private:
    PrintSurface& open() {
        if (!surface_ || !unused_) {
            surface_ = &target_.beginDocument();
            unused_ = true;
        }
        return *surface_;
    }
    Printer& target_;
    PrintSurface* surface_ = nullptr;
    bool unused_ = false;
};

} // namespace

BookSongs heldSongs(std::vector<BookSong>& songs) {
    return [&songs](const std::function<void(BookSong&)>& take) {
        for (BookSong& song : songs)
            take(song);
    };
}

BookResult composeBook(const BookSongs& songs, const BookOptions& options, PageMeasures& measures,
                       std::vector<ComposedPage>& pages, const BookProgress& progress,
                       const BookSongChecked& checked) {
    BookResult result;
    BookIndex index = indexBook(songs, options);
    if (index.songs.empty()) {
        result.noSongs = true;
        return result;
    }
    HeldPages held(measures, pages);
    const ContentsPlace contents = makeBook(index, songs, options, held, progress, checked, result);
    if (!result.cancelled)
        held.putInPlace(contents);
    return result;
}

BookResult printBook(const BookSongs& songs, const BookOptions& options, Printer& target,
                     const BookProgress& progress, const BookSongChecked& checked) {
    BookResult result;
    BookIndex index = indexBook(songs, options);
    if (index.songs.empty()) {
        result.noSongs = true;
        return result;
    }
    target.setPortrait();
    PrintedPages printed(target);
    std::vector<ComposedPage> pages;
    HeldPages held(printed.measures(), pages);
    const ContentsPlace contents = makeBook(index, songs, options, held, progress, checked, result);
    if (!result.cancelled) {
        held.putInPlace(contents);
        for (ComposedPage& page : pages)
            printed.add(std::move(page));
    }
    target.endDocument();
    return result;
}

BookResult printBook(std::vector<BookSong>& songs, const BookOptions& options, Printer& target,
                     const BookProgress& progress) {
    return printBook(heldSongs(songs), options, target, progress);
}

std::optional<QString> writeBookPdf(const BookSongs& songs, const BookOptions& options, const QString& path,
                                    BookResult& result, const BookProgress& progress, QPageSize::PageSizeId paper,
                                    const BookSongChecked& checked) {
    result = BookResult();
    std::optional<BookIndex> index;
    try {
        index = indexBook(songs, options);
    } catch (const FileError& e) {
        return QString::fromStdString(e.what());
    }
    if (index->songs.empty()) {
        result.noSongs = true;
        return std::nullopt;
    }
    return writeBookFile(path, paper, false, options.title,
                         [&](PdfBookPrinter& pdf) -> std::optional<std::vector<PdfOutlineEntry>> {
                             PrintedPages printed(pdf);
                             const ContentsPlace contents =
                                 makeBook(*index, songs, options, printed, progress, checked, result);
                             if (result.cancelled)
                                 return std::nullopt;
                             pdf.movePages({result.pages - contents.pages, contents.pages, contents.at});
                             return result.outline;
                         });
}

std::optional<QString> writeBookPdf(std::vector<BookSong>& songs, const BookOptions& options, const QString& path,
                                    BookResult& result, const BookProgress& progress, QPageSize::PageSizeId paper) {
    return writeBookPdf(heldSongs(songs), options, path, result, progress, paper);
}

std::optional<QString> writeBookFile(const QString& path, QPageSize::PageSizeId paper, bool sheets,
                                     const QString& title, const BookFileMaker& make, bool outline) {
    try {
        // The file is made first, so that an output that cannot be written is named at once.
        PdfBookPrinter pdf(path, paper, outline, sheets);
        pdf.setTitle(title);
        std::optional<std::vector<PdfOutlineEntry>> outline;
        try {
            outline = make(pdf);
        } catch (const PrinterError& e) {
            pdf.cancel();
            return QString::fromStdString(e.what());
        } catch (...) {
            pdf.cancel(); // a book that failed on the way is not written
            throw;
        }
        if (!outline) {
            pdf.cancel();
            return std::nullopt;
        }
        pdf.setOutline(std::move(*outline));
        pdf.finish();
    } catch (const FileError& e) {
        return QString::fromStdString(e.what());
    }
    return std::nullopt;
}

} // namespace versino
