#include "formats/SongList.h"

#include "formats/ChordPro.h"
#include "formats/LayoutFile.h"
#include "io/AtomicFile.h"
#include "io/FileError.h"
#include "io/RegularFile.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <optional>

namespace versino::songlist {

namespace {

QString trimmed(std::string_view line) {
    return QString::fromUtf8(line.data(), qsizetype(line.size())).trimmed();
}

bool isControl(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

// A plain line holds the path when reading it back (trimmed, "#" a comment) gives it unchanged.
bool plainLineHolds(const QString& path) {
    if (path.isEmpty() || path.startsWith(QLatin1Char('#')) || path != path.trimmed())
        return false;
    return std::none_of(path.begin(), path.end(), isControl);
}

// The "#Pfad:" form: "%", control characters and blanks at the ends as %XX of their UTF-8 bytes.
QString escapePath(const QString& path) {
    qsizetype first = 0;
    while (first < path.size() && path[first].isSpace())
        ++first;
    qsizetype last = path.size();
    while (last > first && path[last - 1].isSpace())
        --last;
    QString out;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path[i];
        const bool atEnd = i < first || i >= last;
        if (!atEnd && c != QLatin1Char('%') && !isControl(c) && !c.isSurrogate()) {
            out += c;
            continue;
        }
        const qsizetype n = c.isHighSurrogate() && i + 1 < path.size() ? 2 : 1;
        for (const char byte : path.mid(i, n).toUtf8())
            out += QStringLiteral("%%1").arg(int(static_cast<unsigned char>(byte)), 2, 16, QLatin1Char('0')).toUpper();
        i += n - 1;
    }
    return out;
}

QString unescapePath(const QString& text) {
    return QString::fromUtf8(QByteArray::fromPercentEncoding(text.toUtf8()));
}

std::optional<int> readTranspose(const QString& text) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < -kMaxTranspose || n > kMaxTranspose)
        return std::nullopt;
    return n;
}

QString after(const QString& line, const char* prefix) {
    return line.mid(qsizetype(std::strlen(prefix))).trimmed();
}

} // namespace

QString cleanNote(const QString& note) {
    QString clean = note;
    for (QChar& c : clean)
        if (isControl(c))
            c = QLatin1Char(' ');
    return clean.trimmed();
}

QString transposeText(int semitones) {
    return semitones > 0 ? QStringLiteral("+%1").arg(semitones) : QString::number(semitones);
}

SongList parse(std::string_view bytes, const QString& folder) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    SongList list;
    const QDir dir(folder);
    int number = 0;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos)
            end = bytes.size();
        const QString line = trimmed(bytes.substr(pos, end - pos));
        pos = end + 1;
        ++number;
        if (number == 1 && line.startsWith(QLatin1String(kTitlePrefix))) {
            list.title = after(line, kTitlePrefix);
            continue;
        }
        if (line.startsWith(QLatin1String(kOptionPrefix))) {
            const QString option = line.mid(int(std::strlen(kOptionPrefix)));
            const qsizetype equals = option.indexOf(QLatin1Char('='));
            if (equals > 0)
                list.options.emplace_back(option.left(equals).trimmed(), option.mid(equals + 1).trimmed());
            continue;
        }
        // Options belong to the entry just above; before any entry they are comments.
        if (line.startsWith(QLatin1String(kTransposePrefix)) && !list.entries.empty()) {
            if (const std::optional<int> n = readTranspose(after(line, kTransposePrefix)))
                list.entries.back().transpose = *n;
            continue;
        }
        if (line.startsWith(QLatin1String(kNotePrefix)) && !list.entries.empty()) {
            list.entries.back().note = cleanNote(after(line, kNotePrefix));
            continue;
        }
        QString path = line;
        if (line.startsWith(QLatin1String(kPathPrefix)))
            path = unescapePath(after(line, kPathPrefix));
        else if (line.startsWith(QLatin1Char('#')))
            continue;
        if (path.isEmpty())
            continue;
        list.entries.push_back({QDir::cleanPath(dir.absoluteFilePath(path)), number});
    }
    return list;
}

std::string format(const SongList& list, const QString& folder) {
    QString text;
    if (!list.title.isEmpty())
        text += QLatin1String(kTitlePrefix) + QLatin1Char(' ') + list.title + QLatin1Char('\n');
    for (const auto& [key, value] : list.options)
        text += QLatin1String(kOptionPrefix) + QLatin1Char(' ') + key + QLatin1Char('=') + value + QLatin1Char('\n');
    const QDir dir(folder);
    for (const Entry& e : list.entries) {
        QString path = dir.relativeFilePath(e.path);
        // A path that climbs out of the list's folder more than once is clearer written whole.
        if (path.startsWith(QLatin1String("../..")))
            path = e.path;
        // A name that would read as a comment or lose its blanks stays absolute; a path that no
        // plain line can hold is written escaped.
        const QString relative = path;
        if (!plainLineHolds(path))
            path = e.path;
        if (plainLineHolds(path))
            text += path + QLatin1Char('\n');
        else
            text += QLatin1String(kPathPrefix) + QLatin1Char(' ') + escapePath(relative) + QLatin1Char('\n');
        if (e.transpose != 0)
            text += QLatin1String(kTransposePrefix) + QLatin1Char(' ') + transposeText(e.transpose) + QLatin1Char('\n');
        const QString note = cleanNote(e.note);
        if (!note.isEmpty())
            text += QLatin1String(kNotePrefix) + QLatin1Char(' ') + note + QLatin1Char('\n');
    }
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), std::size_t(utf8.size()));
}

SongList ReadSongListFile(const QString& path) {
    return parse(readRegularFile(path), QFileInfo(path).absolutePath());
}

void WriteSongListFile(const SongList& list, const QString& path) {
    writeFileAtomically(path, format(list, QFileInfo(path).absolutePath()));
}

bool isSongListFile(const QString& path) {
    return QFileInfo(path).suffix().compare(QLatin1String(kExtension), Qt::CaseInsensitive) == 0;
}

std::vector<LoadedSong> loadSongs(const std::vector<Entry>& entries, const QString& listFile,
                                  std::vector<QString>& problems) {
    std::vector<LoadedSong> songs;
    for (const Entry& e : entries) {
        const QString where =
            e.line > 0 && !listFile.isEmpty() ? QStringLiteral("%1:%2: ").arg(listFile).arg(e.line) : QString();
        // A NUL byte ends a name for the system: the line would name another file than it shows.
        if (e.path.contains(QChar(0))) {
            problems.push_back(where + QString(e.path).replace(QChar(0), QStringLiteral("\\0")) +
                               QStringLiteral(": Die Zeile enth\u00E4lt ein NUL-Byte, das in keinem Dateinamen stehen kann."));
            continue;
        }
        try {
            if (chordpro::isChordProFile(e.path)) {
                SongDocument fonts;
                fonts.InstallDefaultFonts();
                std::vector<chordpro::Import> imports = chordpro::parseSongs(
                    readRegularFile(e.path), {fonts.TitelFont, fonts.InterpretFont, fonts.TextFont, fonts.AkkordFont});
                if (imports.empty())
                    problems.push_back(where + e.path + QStringLiteral(": Die Datei enth\u00E4lt keinen Song."));
                for (chordpro::Import& import : imports) {
                    LoadedSong song{e.path, e.line, std::make_unique<SongDocument>(), {}};
                    song.doc->InstallDefaultFonts();
                    applyLayoutContent(*song.doc, std::move(import.content));
                    TrimTrailingEmptyLines(*song.doc);
                    song.doc->DocumentName = e.path;
                    song.leftOut = chordpro::droppedMessage(import.dropped);
                    songs.push_back(std::move(song));
                }
            } else {
                LoadedSong song{e.path, e.line, std::make_unique<SongDocument>(), {}};
                song.doc->InstallDefaultFonts();
                ReadLayoutFile(*song.doc, e.path);
                song.doc->DocumentName = e.path;
                songs.push_back(std::move(song));
            }
        } catch (const FileError& error) {
            problems.push_back(where + e.path + QStringLiteral(": ") + QString::fromStdString(error.what()));
        }
    }
    return songs;
}

} // namespace versino::songlist
