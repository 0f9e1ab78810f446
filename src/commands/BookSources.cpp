#include "commands/BookSources.h"

#include "commands/FileQuestions.h"
#include "commands/FitToPage.h"
#include "commands/PrintCommand.h"
#include "commands/SetList.h"
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
                source.problems.push_back(s.file + QStringLiteral(": ") +
                                          s.leftOut.replace(QLatin1Char('\n'), QLatin1String("; ")));
            anchorPicture(*s.doc, s.file);
            if (const QString note = backupCopyNote(s.file); !note.isEmpty())
                source.notes.push_back(note);
            source.songs.push_back(
                BookSong{s.file, QFileInfo(s.file).absolutePath(), s.line, std::move(s.doc), {}, false, 0, {}, {}});
            source.songs.back().key = keyText(*source.songs.back().doc, 0);
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
            // One entry at a time, so that each song takes its entry's transposition and note (a
            // ChordPro file may hold several songs).
            for (const songlist::Entry& entry : list.entries) {
                const std::size_t first = source.songs.size();
                take(songlist::loadSongs({entry}, file, source.problems));
                for (std::size_t i = first; i < source.songs.size(); ++i) {
                    BookSong& song = source.songs[i];
                    song.transpose = entry.transpose;
                    song.note = entry.note;
                    transposeForEntry(*song.doc, entry.transpose);
                    song.key = keyText(*song.doc, entry.transpose);
                }
            }
        } else {
            take(songlist::loadSongs({{file, 0}}, QString(), source.problems));
        }
    }
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

std::vector<QString> prepareBookSong(BookSong& song, const BookOptions& options, PrintSurface& metrics) {
    std::vector<QString> lines;
    if (!song.printable()) {
        lines.push_back(QStringLiteral("%1:1: %2").arg(song.file, QString::fromUtf8(kNoLyricsMessage)));
        return lines;
    }
    if (options.lyricsOnly)
        removeChords(*song.doc);
    if (options.diagrams)
        overrideDiagrams(*song.doc, *options.diagrams);
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

} // namespace versino
