// Importing a thousand ChordPro songs of 40 lines each, as versino-print reads them: the file's
// bytes, decoding, the ChordPro reader and handing the fields to a song. Also the export back.
// Run by hand (make bench); prints the figures the README quotes.
#include "formats/ChordPro.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace versino;

namespace {

constexpr int kSongs = 1000;
constexpr int kLines = 40;

std::string song(int n) {
    std::string s = "{title: Lied " + std::to_string(n) +
                    "}\n{subtitle: Interpret}\n{capo: 2}\n{key: G}\n"
                    "{comment: Ruhig}\n";
    int lines = 5;
    s += "{start_of_chorus}\n[C]Abend[D]wind, trag mich [G]heim, \xC3\xBC"
         "ber [Em]H\xC3\xBCgel\n"
         "[Am]und [D7]Stein\n{end_of_chorus}\n";
    lines += 4;
    while (lines < kLines - 1) {
        s += "[G]Wenn der [D]Abend \xC3\xBC"
             "bers [Em]Land zieht, [C]legt sich Stille [D/F#]nieder\n";
        if (++lines % 8 == 0) {
            s += "{chorus}\n";
            ++lines;
        }
    }
    s += "# Ende\n";
    return s;
}

} // namespace

int main() {
    QTemporaryDir dir;
    std::vector<QString> paths;
    for (int i = 0; i < kSongs; ++i) {
        const QString path = dir.filePath(QStringLiteral("lied-%1.cho").arg(i));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        const std::string bytes = song(i);
        f.write(bytes.data(), qint64(bytes.size()));
        paths.push_back(path);
    }

    const auto start = std::chrono::steady_clock::now();
    std::size_t chars = 0;
    for (const QString& path : paths) {
        SongDocument doc;
        doc.InstallDefaultFonts();
        chordpro::ReadChordProFile(doc, path);
        chars += doc.TextEdit().text().size();
    }
    const double import = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    SongDocument doc;
    doc.InstallDefaultFonts();
    chordpro::ReadChordProFile(doc, paths.front());
    const auto exportStart = std::chrono::steady_clock::now();
    std::size_t written = 0;
    for (int i = 0; i < kSongs; ++i)
        written += chordpro::format(doc).size();
    const double exported =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - exportStart).count();

    std::printf("import of %d ChordPro songs of %d lines: %.1f ms (%.1f us per song, %zu lyric bytes)\n",
                kSongs, kLines, import * 1e3, import * 1e6 / kSongs, chars);
    std::printf("export of %d songs as ChordPro text: %.1f ms (%zu bytes)\n", kSongs, exported * 1e3,
                written);

    // One line of 2 MB, of the kinds that once cost time per character: open brackets that never
    // close, markup tags that never end, chords and text.
    double worstLine = 0;
    for (const char* piece : {"[", "<span ", "[Am]la <b>la</b> ", "I <3 you "}) {
        std::string line;
        while (line.size() < 2 * 1024 * 1024)
            line += piece;
        line += '\n';
        const auto lineStart = std::chrono::steady_clock::now();
        const chordpro::Import in = chordpro::parse(line, {defaultTitelFont(), defaultInterpretFont(),
                                                           defaultTextFont(), defaultAkkordFont()});
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - lineStart).count();
        worstLine = std::max(worstLine, seconds);
        std::printf("import of one 2 MB line of \"%s\": %.1f ms (%zu bytes of lyrics)\n", piece, seconds * 1e3,
                    in.content.texts[std::size_t(FieldId::Text)].size());
    }

    // The same songs through versino-print as a whole process: each one imported and its page laid
    // out and checked (the check prints nothing for a song that fits).
    QStringList args{QStringLiteral("--check")};
    for (const QString& path : paths)
        args << path;
    QProcess tool;
    const auto toolStart = std::chrono::steady_clock::now();
    tool.start(QStringLiteral(VERSINO_PRINT_EXE), args);
    tool.waitForFinished(120000);
    const double whole = std::chrono::duration<double>(std::chrono::steady_clock::now() - toolStart).count();
    std::printf("versino-print --check on the %d songs, whole process: %.2f s (exit status %d)\n", kSongs, whole,
                tool.exitCode());
    return import < 1.0 && worstLine < 1.0 ? 0 : 1;
}
