// Times a 1,000-song book with contents and first-line register made by versino-print as one
// process, beside chordii with its table of contents (-i) plus ps2pdf on ChordPro copies of the
// same songs, in the same run. Reports wall and CPU time and the peak memory of each, what guitar
// chord diagrams below every song add to the book, and the same book as an A5 booklet.

#include "document/Cp1252.h"
#include "formats/LayoutFile.h"

#include "ProcessFigures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSongs = 1000;

const char* const kChords[] = {"G", "D", "Em", "C", "Am7", "B7", "F", "Dsus4"};
const char* const kWords[] = {"Wir ziehen", "durch die",      "stille Nacht,", "der Mond",
                              "geht mit",   "uns nach Haus,", "und die",       "Sterne wachen"};
const char* const kTitleWords[] = {"Abend", "\xC4pfel", "Stra\xDF" "e", "Ufer", "Wind", "\xDC" "ber", "Lied", "Morgen"};

// Line `n` of song `s`: four chords, each over a few words.
std::string line(int s, int n, bool chordPro) {
    std::string out;
    for (int i = 0; i < 4; ++i) {
        const char* chord = kChords[(s + n + i) % 8];
        out += chordPro ? "[" + std::string(chord) + "]" : "<" + std::string(chord) + ">";
        out += std::string(kWords[(s * 5 + n * 3 + i) % 8]) + " ";
    }
    return out;
}

// Song `s`: 24 lyric lines with chords and a chorus of four lines called twice.
void writeSong(const QString& folder, int s, QString& vsn, QString& cho) {
    const std::string title = std::string(kTitleWords[s % 8]) + " " + kTitleWords[(s / 8) % 8] + " " +
                              std::to_string(s);
    versino::SongDocument doc;
    doc.InstallDefaultFonts();
    doc.TitelEdit().setText(title);
    doc.InterpretEdit().setText("Chor " + std::to_string(s % 37));
    std::string chordPro = "{title: " + versino::cp1252::toUnicode(title).toStdString() + "}\n{subtitle: Chor " +
                           std::to_string(s % 37) + "}\n";
    std::string chorus, chorusLines, lyricLines;
    for (int i = 0; i < 4; ++i) {
        versino::lines::add(chorusLines, line(s, 100 + i, false));
        chorus += line(s, 100 + i, true) + "\n";
    }
    for (int i = 0; i < 24; ++i) {
        if (i == 8 || i == 20) {
            versino::lines::add(lyricLines, ">>Refrain");
            chordPro += "{soc}\n" + chorus + "{eoc}\n";
        }
        versino::lines::add(lyricLines, line(s, i, false));
        chordPro += line(s, i, true) + "\n";
    }
    doc.RefrainEdit().setText(chorusLines);
    doc.TextEdit().setText(lyricLines);
    vsn = QStringLiteral("%1/song%2.vsn").arg(folder).arg(s, 4, 10, QChar('0'));
    cho = QStringLiteral("%1/song%2.cho").arg(folder).arg(s, 4, 10, QChar('0'));
    versino::WriteLayoutFile(doc, vsn);
    QFile f(cho);
    if (f.open(QIODevice::WriteOnly))
        f.write(QByteArray::fromStdString(chordPro));
}

using Figures = ProcessFigures;

Figures median(std::vector<Figures> runs) {
    const auto mid = [&](auto key) {
        std::sort(runs.begin(), runs.end(), [&](const Figures& a, const Figures& b) { return key(a) < key(b); });
        return key(runs[runs.size() / 2]);
    };
    Figures m;
    m.wallMs = mid([](const Figures& f) { return f.wallMs; });
    m.cpuMs = mid([](const Figures& f) { return f.cpuMs; });
    m.maxRssKb = long(mid([](const Figures& f) { return double(f.maxRssKb); }));
    return m;
}

Figures measure(int runs, const std::vector<std::string>& argv, const QString& cwd) {
    runProcess(argv, cwd); // warm the file and font caches
    std::vector<Figures> all;
    for (int i = 0; i < runs; ++i)
        all.push_back(runProcess(argv, cwd));
    return median(all);
}

int pagesOf(const QString& pdf) {
    QProcess p;
    p.start("pdfinfo", {pdf});
    p.waitForFinished();
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const int at = out.indexOf("Pages:");
    return at < 0 ? -1 : out.mid(at + 6).trimmed().section('\n', 0, 0).toInt();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    QString list = "#Titel: Tausend Lieder\n";
    QStringList cho;
    for (int s = 0; s < kSongs; ++s) {
        QString v, c;
        writeSong(dir.path(), s, v, c);
        list += QFileInfo(v).fileName() + "\n";
        cho << QFileInfo(c).fileName();
    }
    QFile l(dir.filePath("buch.vsl"));
    if (l.open(QIODevice::WriteOnly))
        l.write(list.toUtf8());
    l.close();

    const Figures versino =
        measure(3, {VERSINO_PRINT_EXE, "-o", "buch.pdf", "--index", "buch.vsl"}, dir.path());
    std::printf("1,000-song book with contents and first-line register, one process (medians of 3 runs)\n");
    std::printf("                                              wall (ms)   cpu (ms)   peak memory (MB)\n");
    const auto row = [](const char* what, const Figures& f) {
        std::printf("  %-42s %9.0f  %9.0f   %8.1f\n", what, f.wallMs, f.cpuMs, double(f.maxRssKb) / 1024);
    };
    row("versino-print -o buch.pdf --index buch.vsl", versino);
    std::printf("  (%d pages)\n", pagesOf(dir.filePath("buch.pdf")));
    // The same book with a guitar diagram per chord below each song's lyrics.
    const Figures guitar = measure(
        3, {VERSINO_PRINT_EXE, "-o", "gitarre.pdf", "--index", "--diagrams", "gitarre", "buch.vsl"}, dir.path());
    row("  the same with --diagrams gitarre", guitar);
    std::printf("  (%d pages; diagrams cost %+.1f %% wall, %+.1f %% cpu time)\n", pagesOf(dir.filePath("gitarre.pdf")),
                100.0 * (guitar.wallMs - versino.wallMs) / versino.wallMs,
                100.0 * (guitar.cpuMs - versino.cpuMs) / versino.cpuMs);
    // The same book as an A5 booklet: the same composed pages, replayed scaled onto A4 landscape sheets.
    const Figures booklet =
        measure(3, {VERSINO_PRINT_EXE, "-o", "heft.pdf", "--booklet", "--index", "buch.vsl"}, dir.path());
    row("versino-print -o heft.pdf --booklet ...", booklet);
    std::printf("  (%d sheet sides)\n", pagesOf(dir.filePath("heft.pdf")));
    std::printf("  booklet / A4 book: wall %.2f, cpu %.2f\n", booklet.wallMs / versino.wallMs,
                booklet.cpuMs / versino.cpuMs);
    // --versino-only leaves out the reference, which takes minutes.
    if (app.arguments().contains("--versino-only"))
        return 0;
    if (QStandardPaths::findExecutable("chordii").isEmpty() || QStandardPaths::findExecutable("ps2pdf").isEmpty()) {
        std::printf("  chordii or ps2pdf not installed (scripts/install-deps --bench): no reference figures\n");
        return 0;
    }
    std::vector<std::string> script = {"/bin/sh", "-c", "chordii -i -o out.ps \"$@\" && ps2pdf out.ps out.pdf", "sh"};
    for (const QString& c : cho)
        script.push_back(c.toStdString());
    const Figures reference = measure(3, script, dir.path());
    row("chordii -i + ps2pdf on the ChordPro copies", reference);
    std::printf("  (%d pages)\n", pagesOf(dir.filePath("out.pdf")));
    std::printf("  versino-print / reference: wall %.2f, cpu %.2f\n", versino.wallMs / reference.wallMs,
                versino.cpuMs / reference.cpuMs);
    return 0;
}
