#include "commands/SongbookCommands.h"

#include "commands/Booklet.h"
#include "commands/SetList.h"
#include "commands/SongOpener.h"

#include "commands/DocumentCommands.h"
#include "commands/FileQuestions.h"
#include "commands/PrintCommand.h"
#include "formats/ChordPro.h"
#include "formats/SongList.h"
#include "io/FileError.h"
#include "platform/PageMetrics.h"
#include "platform/QtBookPrinter.h"

#include <QCollator>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <numeric>

namespace versino {

namespace {

const QString kYes = QStringLiteral("ja");
const QString kNo = QStringLiteral("nein");

QString joinedProblems(const QStringList& problems) {
    return QString::fromUtf8(kSongbookNotReadable) + QLatin1Char('\n') + problems.join(QLatin1Char('\n'));
}

QString joinedNotes(const QStringList& notes) {
    return QString::fromUtf8(kSongbookNotes) + QLatin1Char('\n') + notes.join(QLatin1Char('\n'));
}

} // namespace

const std::vector<BookSwitch>& bookSwitches() {
    static const std::vector<BookSwitch> switches = {
        {"Inhalt", "&Inhaltsverzeichnis", "ContentsBox", &BookOptions::contents},
        {"Liedanfaenge", "&Liedanf\u00E4nge", "FirstLinesBox", &BookOptions::firstLines},
        {"NurText", "&Nur Text", "LyricsOnlyBox", &BookOptions::lyricsOnly},
        {"Einpassen", "Jeden Song &einpassen", "FitBox", &BookOptions::fit},
        {"Ablauf", "Nu&mmer und Tonart im Inhalt", "RunningOrderBox", &BookOptions::runningOrder},
        {"Reihenfolge", "&Reihenfolge der Liste beibehalten", "KeepOrderBox", &BookOptions::keepOrder},
        {"Heft", "&A5-Heft", "BookletBox", &BookOptions::booklet},
    };
    return switches;
}

std::vector<std::pair<QString, QString>> bookOptionValues(const BookOptions& options) {
    const BookOptions defaults;
    std::vector<std::pair<QString, QString>> values;
    for (const BookSwitch& s : bookSwitches())
        if (options.*s.member != defaults.*s.member)
            values.emplace_back(QString::fromLatin1(s.key), options.*s.member ? kYes : kNo);
    if (options.diagrams)
        values.emplace_back(QString::fromLatin1(kDiagramsKey),
                            options.diagrams->empty() ? QStringLiteral("aus") : QString::fromStdString(*options.diagrams));
    return values;
}

void applyBookOptionValues(BookOptions& options, const std::vector<std::pair<QString, QString>>& values) {
    for (const auto& [key, value] : values)
        for (const BookSwitch& s : bookSwitches())
            if (key == QLatin1String(s.key) && (value == kYes || value == kNo))
                options.*s.member = value == kYes;
    for (const auto& [key, value] : values)
        if (key == QLatin1String(kDiagramsKey)) {
            if (value == QLatin1String("aus"))
                options.diagrams = std::string();
            else if (value == QLatin1String("gitarre") || value == QLatin1String("ukulele") ||
                     value == QLatin1String("klavier"))
                options.diagrams = value.toStdString();
        }
}

QString SongbookRow::fitText() const {
    switch (fits) {
    case Fit::Yes:
        return kYes;
    case Fit::No:
        return kNo;
    case Fit::Unknown:
        break;
    }
    return QStringLiteral("\u2013");
}

SongbookCommands::SongbookCommands(Dialogs& dialogs, Hooks hooks)
    : dialogs_(dialogs), hooks_(std::move(hooks)) {}

SongbookCommands::~SongbookCommands() = default;

void SongbookCommands::notify() const {
    if (hooks_.changed)
        hooks_.changed();
}

void SongbookCommands::setModified(bool modified) {
    modified_ = modified;
    notify();
}

PrintSurface& SongbookCommands::metrics() {
    if (!metrics_)
        metrics_ = std::make_unique<PageMetrics>();
    return metrics_->surface();
}

void SongbookCommands::setOptions(const BookOptions& options) {
    options_ = options;
    setModified(true);
}

QString SongbookCommands::caption() const {
    const QString name =
        listFile_.isEmpty() ? QString::fromLatin1(kUntitled) : QFileInfo(listFile_).fileName();
    return QStringLiteral("Liederbuch - [%1]").arg(name);
}

QStringList SongbookCommands::songFiles() const {
    QStringList files;
    for (const SongbookRow& row : rows_)
        files << row.path;
    return files;
}

SongbookRow SongbookCommands::makeRow(const QString& path, Said& said, int transpose, const QString& note) {
    SongbookRow row;
    row.path = path;
    row.transpose = std::clamp(transpose, -songlist::kMaxTranspose, songlist::kMaxTranspose);
    row.note = songlist::cleanNote(note);
    // The page checked is the page the book prints: transposed as the entry asks.
    BookSource source;
    addSongFile(source, path, 0, QString(), row.transpose, row.note);
    for (const QString& n : source.notes)
        said.notes << n;
    if (source.songs.empty()) {
        row.title = QString::fromUtf8(kSongbookUnreadableTitle);
        for (const QString& e : source.problems) {
            row.problem = e;
            said.problems << e;
        }
        return row;
    }
    QStringList titles, performers;
    bool fits = true;
    for (const BookSong& song : source.songs) {
        if (titles.isEmpty())
            row.key = song.key;
        fits = fits && song.printable() && !runsOffPage(CheckPage(*song.doc, metrics()));
        titles << song.listTitle();
        if (!song.performer().isEmpty())
            performers << song.performer();
    }
    row.title = titles.join(QStringLiteral(" / "));
    row.performer = performers.join(QStringLiteral(" / "));
    row.fits = fits ? SongbookRow::Fit::Yes : SongbookRow::Fit::No;
    return row;
}

void SongbookCommands::show(const Said& said) {
    if (!said.problems.isEmpty())
        dialogs_.error(joinedProblems(said.problems));
    if (!said.notes.isEmpty())
        dialogs_.message(joinedNotes(said.notes));
}

void SongbookCommands::addSongs(const QStringList& paths) {
    Said said;
    for (const QString& path : paths)
        rows_.push_back(makeRow(QFileInfo(path).absoluteFilePath(), said));
    if (!paths.isEmpty())
        setModified(true);
    show(said);
}

bool SongbookCommands::refresh(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    bool found = false;
    Said ignored; // the row itself shows that the file cannot be read now
    for (SongbookRow& row : rows_)
        if (row.path == absolute) {
            row = makeRow(absolute, ignored, row.transpose, row.note);
            found = true;
        }
    if (found)
        notify();
    return found;
}

void SongbookCommands::remove(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    bool removed = false;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        if (*it >= 0 && *it < int(rows_.size())) {
            rows_.erase(rows_.begin() + *it);
            removed = true;
        }
    if (removed)
        setModified(true);
}

int SongbookCommands::move(int row, int by) {
    const int to = row + by;
    if (row < 0 || row >= int(rows_.size()) || to < 0 || to >= int(rows_.size()) || by == 0)
        return row;
    SongbookRow moved = std::move(rows_[std::size_t(row)]);
    rows_.erase(rows_.begin() + row);
    rows_.insert(rows_.begin() + to, std::move(moved));
    setModified(true);
    return to;
}

void SongbookCommands::reorder(const std::vector<int>& order) {
    std::vector<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    std::vector<int> identity(rows_.size());
    std::iota(identity.begin(), identity.end(), 0);
    if (sorted != identity || order == identity)
        return;
    std::vector<SongbookRow> next;
    next.reserve(rows_.size());
    for (int i : order)
        next.push_back(std::move(rows_[std::size_t(i)]));
    rows_ = std::move(next);
    setModified(true);
}

void SongbookCommands::sortByTitle() {
    QCollator collator{QLocale(QLocale::German, QLocale::Germany)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::stable_sort(rows_.begin(), rows_.end(), [&](const SongbookRow& a, const SongbookRow& b) {
        return collator.compare(a.title, b.title) < 0;
    });
    if (rows_.size() > 1)
        setModified(true);
}

bool SongbookCommands::openList(const QString& path) {
    songlist::SongList list;
    try {
        list = songlist::ReadSongListFile(path);
    } catch (const FileError& e) {
        dialogs_.error(path + QStringLiteral(": ") + QString::fromStdString(e.what()));
        return false;
    }
    rows_.clear();
    Said said;
    for (const songlist::Entry& e : list.entries) {
        const qsizetype problemsBefore = said.problems.size();
        const qsizetype notesBefore = said.notes.size();
        rows_.push_back(makeRow(e.path, said, e.transpose, e.note));
        // Named by the list's line, as versino-print names it.
        const QString where = QStringLiteral("%1:%2: ").arg(QFileInfo(path).fileName()).arg(e.line);
        for (qsizetype i = problemsBefore; i < said.problems.size(); ++i)
            said.problems[i].prepend(where);
        for (qsizetype i = notesBefore; i < said.notes.size(); ++i)
            said.notes[i].prepend(where);
    }
    options_ = BookOptions{};
    options_.title = list.title;
    applyBookOptionValues(options_, list.options);
    listFile_ = QFileInfo(path).absoluteFilePath();
    setModified(false);
    show(said);
    return true;
}

void SongbookCommands::OeffnenClick() {
    if (modified_ && !closeQuery())
        return;
    const std::optional<QString> path = dialogs_.openFile(
        {QString::fromLatin1(songlist::kExtension), QString::fromUtf8(songlist::kFilter), QString()});
    if (path)
        openList(*path);
}

bool SongbookCommands::writeList(const QString& path) {
    songlist::SongList list;
    list.title = options_.title.trimmed();
    list.options = bookOptionValues(options_);
    list.entries = entries();
    try {
        songlist::WriteSongListFile(list, path);
    } catch (const FileError& e) {
        dialogs_.error(path + QStringLiteral(": ") + QString::fromStdString(e.what()));
        return false;
    }
    listFile_ = QFileInfo(path).absoluteFilePath();
    setModified(false);
    return true;
}

bool SongbookCommands::SpeichernClick() {
    if (!listFile_.isEmpty())
        return writeList(listFile_);
    const QString name = suggestedFileName(options_.title);
    const FileDialogOptions ask{
        QString::fromLatin1(songlist::kExtension), QString::fromUtf8(songlist::kFilter),
        (name.isEmpty() ? QString::fromLatin1(kUntitled) : name) + QStringLiteral(".vsl")};
    const std::optional<QString> path = askFileToWrite(dialogs_, ask);
    return path && writeList(*path);
}

void SongbookCommands::HinzufuegenClick() {
    const QString filter = songFileFilter();
    if (const std::optional<QStringList> paths =
            dialogs_.openFiles({QString::fromLatin1(kLayoutExtension), filter, QString()}))
        addSongs(*paths);
}

void SongbookCommands::setEntry(int row, int transpose, const QString& note) {
    if (row < 0 || row >= int(rows_.size()))
        return;
    transpose = std::clamp(transpose, -songlist::kMaxTranspose, songlist::kMaxTranspose);
    const QString clean = songlist::cleanNote(note);
    SongbookRow& r = rows_[std::size_t(row)];
    if (r.transpose == transpose && r.note == clean)
        return;
    Said ignored; // the row itself shows a file that cannot be read
    r = makeRow(r.path, ignored, transpose, clean);
    setModified(true);
}

std::vector<songlist::Entry> SongbookCommands::entries(int fromRow) const {
    std::vector<songlist::Entry> out;
    for (std::size_t i = std::size_t(std::max(0, fromRow)); i < rows_.size(); ++i)
        out.emplace_back(rows_[i].path, 0, rows_[i].transpose, rows_[i].note);
    return out;
}

BookSongs SongbookCommands::bookSongs(Said& said) const {
    // Row by row, so that each song takes its row's transposition and note. The rows are read afresh
    // on each of the book's reads; what cannot be read, and the notes, are taken from the first.
    auto firstRead = std::make_shared<bool>(true);
    return [this, &said, firstRead](const std::function<void(BookSong&)>& take) {
        for (const SongbookRow& row : rows_) {
            BookSource report;
            readBookSources({row.path}, report, [&](BookSong& song) {
                transposeForEntry(*song.doc, row.transpose);
                song.transpose = row.transpose;
                song.note = row.note;
                song.key = keyText(*song.doc, row.transpose);
                take(song);
            });
            if (*firstRead) {
                for (const QString& p : report.problems)
                    said.problems << p;
                for (const QString& n : report.notes)
                    said.notes << n;
            }
        }
        *firstRead = false;
    };
}

void SongbookCommands::ExportPdfClick(const BookProgress& progress) {
    const QString extension = QString::fromLatin1(kPdfExtension);
    QString name = suggestedFileName(options_.title);
    if (name.isEmpty())
        name = listFile_.isEmpty() ? QString::fromLatin1(kUntitled) : QFileInfo(listFile_).completeBaseName();
    const FileDialogOptions ask{extension, QString::fromLatin1(kPdfFilter),
                                name + QLatin1Char('.') + extension};
    const std::optional<QString> path = askFileToWrite(dialogs_, ask);
    if (!path)
        return;
    std::vector<QString> tooLong;
    const BookSongChecked checked = [&tooLong](const BookSong& song, const std::vector<QString>& lines) {
        if (song.printable() && !song.fits())
            tooLong.insert(tooLong.end(), lines.begin(), lines.end());
    };
    Said said;
    const BookSongs songs = bookSongs(said);
    BookResult result;
    const std::optional<QString> error =
        options_.booklet
            ? writeSheetsPdf(songs, options_, *path, SheetLayout::Booklet, result, progress, QPageSize::A4, checked)
            : writeBookPdf(songs, options_, *path, result, progress, QPageSize::A4, checked);
    if (!said.problems.isEmpty())
        dialogs_.error(joinedProblems(said.problems));
    if (error) {
        dialogs_.error(*error);
        return;
    }
    if (result.noSongs) {
        dialogs_.error(QString::fromUtf8(kNoSongsForBook));
        return;
    }
    if (result.cancelled)
        return;
    if (!result.pictureErrors.empty())
        dialogs_.error(result.pictureErrors.front());
    QString text =
        QString::fromUtf8(kSongbookExported).arg(QFileInfo(*path).absoluteFilePath()).arg(result.pages);
    if (!tooLong.empty()) {
        text += QLatin1Char('\n') + QString::fromUtf8(kSongbookTooLong);
        for (const QString& line : tooLong)
            text += QLatin1Char('\n') + line;
    }
    if (!said.notes.isEmpty())
        text += QLatin1Char('\n') + joinedNotes(said.notes);
    dialogs_.message(text);
}

QString SongbookCommands::jobName() const {
    return options_.title.isEmpty() ? caption() : options_.title;
}

void SongbookCommands::DruckenClick(QtBookPrinter& printer, const BookProgress& progress) {
    Said said;
    try {
        const BookSongs songs = bookSongs(said);
        const BookResult result = options_.booklet
                                      ? printSheets(songs, options_, printer, SheetLayout::Booklet, progress)
                                      : printBook(songs, options_, printer, progress);
        if (!said.problems.isEmpty())
            dialogs_.error(joinedProblems(said.problems));
        if (result.noSongs) {
            dialogs_.error(QString::fromUtf8(kNoSongsForBook));
            return;
        }
        // A cancelled book is not handed to the printer: the job goes with it.
        if (result.cancelled)
            return;
        printer.finish();
        if (!said.notes.isEmpty())
            dialogs_.message(joinedNotes(said.notes));
    } catch (const PrinterError& e) {
        const bool noPrinter = e.kind() == PrinterError::Kind::NoDefaultPrinter;
        dialogs_.error(noPrinter ? QString::fromUtf8(kNoPrinterMessage) : QString::fromStdString(e.what()));
    }
}

bool SongbookCommands::closeQuery() {
    if (!modified_)
        return true;
    switch (dialogs_.confirm(QString::fromUtf8(kSongbookSavePrompt), true)) {
    case MsgButton::Yes:
        return SpeichernClick();
    case MsgButton::No:
        setModified(false);
        return true;
    default:
        return false;
    }
}

} // namespace versino
