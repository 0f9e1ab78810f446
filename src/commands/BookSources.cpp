#include "commands/BookSources.h"

#include "commands/FileQuestions.h"
#include "commands/PrintCommand.h"
#include "commands/SetList.h"
#include "commands/SongOpener.h"
#include "document/AsciiText.h"
#include "document/Cp1252.h"
#include "document/Notation.h"
#include "formats/ChordSheetLines.h"
#include "formats/SongList.h"
#include "io/FileError.h"

#include <QDir>
#include <QFileInfo>

namespace versino {

namespace {

std::string trimmedLine(std::string_view s) {
    return std::string(ascii::trimSpaces(s));
}

// The first sung line: directive lines, labels ("[Strophe 1]", "Refrain:", "Intro"), lines of
// chords alone and other lines that are no text to sing (tablature, a capo note) are passed by.
std::string firstLyricLine(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        if (notation::directiveOf(line) != notation::Directive::None)
            continue;
        std::string text = trimmedLine(notation::lyricText(line));
        if (!text.empty() && chordsheet::classify(text) == chordsheet::Kind::Text)
            return text;
    }
    return {};
}

} // namespace

QString BookSong::listTitle() const {
    const std::string title = trimmedLine(doc->TitelEdit().text());
    return title.empty() ? QFileInfo(file).fileName() : cp1252::toUnicode(title);
}

QString BookSong::performer() const {
    return cp1252::toUnicode(doc->InterpretEdit().text());
}

void addSongFile(BookSource& source, const QString& path, int line, const QString& listFile, int transpose,
                 const QString& note) {
    const QString where =
        line > 0 && !listFile.isEmpty() ? QStringLiteral("%1:%2: ").arg(listFile).arg(line) : QString();
    // A NUL byte ends a name for the system: the line would name another file than it shows.
    if (path.contains(QChar(0))) {
        source.problems.push_back(where + QString(path).replace(QChar(0), QStringLiteral("\\0")) +
                                  QStringLiteral(": Die Zeile enth\u00E4lt ein NUL-Byte, das in keinem Dateinamen stehen kann."));
        return;
    }
    // The song may be torn by a save in place that did not finish; its whole version waits in the
    // editor's cache, and the editor offers it at the next Open. Said also when the torn file does
    // not read at all.
    if (const QString backup = backupCopyNote(path); !backup.isEmpty())
        source.notes.push_back(backup);
    try {
        OpenedFile opened = openSongFile(path);
        for (OpenedSong& song : opened.songs) {
            if (!song.report.empty())
                source.notes.push_back(path + QStringLiteral(": ") + song.report.line());
            source.songs.push_back(BookSong{path, line, std::move(song.doc), {}, false, transpose, note, {}});
            BookSong& added = source.songs.back();
            transposeForEntry(*added.doc, transpose);
            added.key = keyText(*added.doc, transpose);
        }
    } catch (const FileError& e) {
        source.problems.push_back(where + path + QStringLiteral(": ") + QString::fromStdString(e.what()));
    }
}

void readBookSources(const QStringList& files, BookSource& report, const std::function<void(BookSong&)>& take) {
    // Each file's songs are read into `scratch`, handed on and let go before the next file is read.
    BookSource scratch;
    const auto handOn = [&]() {
        for (BookSong& song : scratch.songs)
            take(song);
        scratch.songs.clear();
        report.problems.insert(report.problems.end(), scratch.problems.begin(), scratch.problems.end());
        report.notes.insert(report.notes.end(), scratch.notes.begin(), scratch.notes.end());
        scratch.problems.clear();
        scratch.notes.clear();
    };
    for (const QString& file : files) {
        if (!songlist::isSongListFile(file)) {
            addSongFile(scratch, file, 0, QString());
            handOn();
            continue;
        }
        songlist::SongList list;
        try {
            list = songlist::ReadSongListFile(file);
        } catch (const FileError& e) {
            report.problems.push_back(file + QStringLiteral(": ") + QString::fromStdString(e.what()));
            continue;
        }
        if (report.title.isEmpty())
            report.title = list.title;
        // Each song takes its entry's transposition and note (a ChordPro file may hold several).
        for (const songlist::Entry& entry : list.entries) {
            addSongFile(scratch, entry.path, entry.line, file, entry.transpose, entry.note);
            handOn();
        }
    }
}

QString songListTitle(const QStringList& files) {
    for (const QString& file : files) {
        if (!songlist::isSongListFile(file))
            continue;
        try {
            const QString title = songlist::ReadSongListFile(file).title;
            if (!title.isEmpty())
                return title;
        } catch (const FileError&) {
            // Named when its songs are read.
        }
    }
    return QString();
}

BookSource loadBookSources(const QStringList& files) {
    BookSource source;
    std::vector<BookSong> songs;
    readBookSources(files, source, [&](BookSong& song) { songs.push_back(std::move(song)); });
    source.songs = std::move(songs);
    return source;
}

void removeChords(SongDocument& doc) {
    // The audience does not play: no capo line either.
    doc.forAudience = true;
    for (MultiLineField* lyrics : {&doc.RefrainEdit(), &doc.BridgeEdit(), &doc.TextEdit()}) {
        MultiLineField& field = *lyrics;
        const bool block = lyrics != &doc.TextEdit();
        const std::string before = field.text();
        std::string after;
        after.reserve(before.size());
        for (const std::string& line : field.lineList()) {
            // A block's heading stands level with the words of a first line that has a chord row;
            // an empty chord keeps that row (drawing nothing), so the heading stays on the first
            // line's words as on the song page.
            const char* firstOfBlock = block && after.empty() ? "<>" : "";
            if (notation::directiveOf(line) != notation::Directive::None || !notation::hasChord(line)) {
                lines::add(after, (line.empty() ? "" : firstOfBlock) + line);
                continue;
            }
            const std::string words = notation::lyricText(line);
            if (!trimmedLine(words).empty())
                lines::add(after, firstOfBlock + words);
        }
        // A final line break stays as it was.
        if (!before.empty() && before.back() != '\n' && after.size() >= 2 &&
            after.compare(after.size() - 2, 2, "\r\n") == 0)
            after.resize(after.size() - 2);
        field.setText(after);
    }
}

std::vector<QString> findingLines(const QString& file, const std::vector<PageFinding>& findings) {
    std::vector<QString> out;
    for (const PageFinding& f : findings) {
        // A picture that is missing or no BMP is reported by the print that leaves it out, once.
        if (f.kind == PageFindingKind::PictureUnreadable)
            continue;
        out.push_back(QStringLiteral("%1:%2: %3").arg(file).arg(f.line).arg(f.text));
    }
    return out;
}

void overrideDiagrams(SongDocument& doc, const std::string& instrument) {
    SongOptions options = doc.options();
    options.diagrams = instrument;
    doc.setOptions(std::move(options));
}

void readyBookSong(BookSong& song, const BookOptions& options) {
    if (options.lyricsOnly)
        removeChords(*song.doc);
    if (options.diagrams)
        overrideDiagrams(*song.doc, *options.diagrams);
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

} // namespace versino
