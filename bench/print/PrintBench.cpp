// Times the song sheet: one full page composed and rendered to PDF in-process, and versino-print
// as a whole process on 1 and 100 songs, beside chordii + ps2pdf on the same songs in ChordPro.
// With --page-check: the page check against composing, on the benchmark song, a 100,000-line song
// and a 103 KB song whose one 100,000-byte chorus line is called 300 times.

#include "formats/LayoutFile.h"
#include "platform/PageMetrics.h"
#include "platform/QtPrinter.h"
#include "commands/PrintCommand.h"
#include "print/PageComposer.h"
#include "support/ComposeOnto.h"
#include "print/PageCheck.h"
#include "support/ScriptedDialogs.h"

#include "ProcessFigures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Line {
    std::vector<std::pair<std::string, std::string>> parts; // chord, then the words it stands over
};

const char* const kChords[] = {"G", "D", "Em", "C", "Am7", "B7", "F", "Dsus4"};
const char* const kWords[] = {"Wir ziehen", "durch die",      "stille Nacht,", "der Mond",
                              "geht mit",   "uns nach Haus,", "und die",       "Sterne wachen"};

Line makeLine(int n) {
    Line l;
    for (int i = 0; i < 4; ++i)
        l.parts.push_back({kChords[(n + i) % 8], std::string(kWords[(n * 3 + i) % 8]) + " "});
    return l;
}

std::string asVersino(const Line& l) {
    std::string s;
    for (const auto& [chord, words] : l.parts)
        s += "<" + chord + ">" + words;
    return s;
}

std::string asChordPro(const Line& l) {
    std::string s;
    for (const auto& [chord, words] : l.parts)
        s += "[" + chord + "]" + words;
    return s;
}

// 60 lyric lines with chords in two columns, a chorus and a bridge block, a 300 x 200 picture.
void writeSamples(const QString& folder, QString& vsn, QString& cho) {
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(QColor(40, 110, 200));
    picture.save(folder + "/bild.bmp", "BMP");

    versino::SongDocument doc;
    doc.InstallDefaultFonts();
    doc.TitelEdit().setText("Nachtlied");
    doc.InterpretEdit().setText("Versino-Benchmark");
    doc.VorspielEdit().setText("Ruhig");
    doc.KapoEdit().setText("2");
    doc.NachspielEdit().setText("Zum Schluss leiser werden.");
    doc.GraphikEdit().setText((folder + "/bild.bmp").toStdString());
    std::string chordPro =
        "{title: Nachtlied}\n{subtitle: Versino-Benchmark}\n{comment: Kapo 2}\n{columns: 2}\n";
    std::string chorus, bridge, refrainText, bridgeText, lyrics;
    for (int i = 0; i < 4; ++i) {
        versino::lines::add(refrainText, asVersino(makeLine(100 + i)));
        versino::lines::add(bridgeText, asVersino(makeLine(200 + i)));
        chorus += asChordPro(makeLine(100 + i)) + "\n";
        bridge += asChordPro(makeLine(200 + i)) + "\n";
    }
    for (int i = 0; i < 60; ++i) {
        if (i == 15) {
            versino::lines::add(lyrics, ">>Refrain");
            chordPro += "{soc}\n" + chorus + "{eoc}\n";
        }
        if (i == 30) {
            versino::lines::add(lyrics, ">>neue Spalte");
            chordPro += "{column_break}\n";
        }
        if (i == 45) {
            versino::lines::add(lyrics, ">>Bridge");
            chordPro += "{comment: Bridge}\n" + bridge;
        }
        versino::lines::add(lyrics, asVersino(makeLine(i)));
        chordPro += asChordPro(makeLine(i)) + "\n";
    }
    doc.RefrainEdit().setText(refrainText);
    doc.BridgeEdit().setText(bridgeText);
    doc.TextEdit().setText(lyrics);
    chordPro += "{comment: Zum Schluss leiser werden.}\n";

    vsn = folder + "/nachtlied.vsn";
    cho = folder + "/nachtlied.cho";
    versino::WriteLayoutFile(doc, vsn);
    QFile f(cho);
    f.open(QIODevice::WriteOnly);
    f.write(QByteArray::fromStdString(chordPro));
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Wall-clock and CPU time of one measurement, in milliseconds. CPU time keeps its meaning on a
// machine that is busy with other work.
struct Timing {
    double wall = 0;
    double cpu = 0;
};

double cpuMs(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

Timing timeInProcess(const std::function<void()>& f) {
    QElapsedTimer t;
    const double cpu0 = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
    t.start();
    f();
    return {double(t.nsecsElapsed()) / 1e6, cpuMs(CLOCK_PROCESS_CPUTIME_ID) - cpu0};
}

Timing timing(const ProcessFigures& f) {
    return {f.wallMs, f.cpuMs};
}

Timing median(const std::vector<Timing>& runs) {
    std::vector<double> wall, cpu;
    for (const Timing& r : runs) {
        wall.push_back(r.wall);
        cpu.push_back(r.cpu);
    }
    return {median(wall), median(cpu)};
}

Timing medianProcess(int runs, const std::vector<std::string>& argv, const QString& cwd) {
    runProcess(argv, cwd); // warm the file cache and the font cache
    std::vector<Timing> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(timing(runProcess(argv, cwd)));
    return median(times);
}

std::vector<std::string> strings(const QStringList& list) {
    std::vector<std::string> out;
    for (const QString& s : list)
        out.push_back(s.toStdString());
    return out;
}

// Median time of `runs` calls, after a few that warm the font caches.
Timing medianInProcess(int runs, const std::function<void()>& f) {
    for (int i = 0; i < 3; ++i)
        f();
    std::vector<Timing> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(timeInProcess(f));
    return median(times);
}

// Runs `f` in a child and reports its time and the child's peak memory, so that what one song
// costs is not hidden by what the benchmark allocated before.
struct ChildFigures {
    Timing time;
    long maxRssKb = 0;
};

ChildFigures inChild(const std::function<void()>& f) {
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const Timing t = timeInProcess(f);
        const ssize_t written = write(fds[1], &t, sizeof t);
        _exit(written == sizeof t ? 0 : 1);
    }
    close(fds[1]);
    ChildFigures out;
    if (read(fds[0], &out.time, sizeof out.time) != sizeof out.time)
        std::fprintf(stderr, "bench-print: the child reported nothing\n");
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    out.maxRssKb = usage.ru_maxrss;
    return out;
}

// The page check beside composing, all with the printer's measures at 600 dots per inch on A4.
int pageCheckFigures(const versino::SongDocument& benchSong) {
    versino::PageMetrics metrics;
    std::size_t findings = 0;
    const Timing compose = medianInProcess(200, [&] { versino::testing::composeOnto(metrics.surface(), benchSong); });
    const Timing check =
        medianInProcess(200, [&] { findings = versino::CheckPage(benchSong, metrics.surface()).size(); });

    versino::SongDocument manyLines;
    manyLines.InstallDefaultFonts();
    std::string lyrics;
    for (int i = 0; i < 100000; ++i)
        lyrics += asVersino(makeLine(i)) + "\r\n";
    manyLines.TextEdit().setText(lyrics);
    std::size_t manyFindings = 0;
    const Timing many =
        medianInProcess(21, [&] { manyFindings = versino::CheckPage(manyLines, metrics.surface()).size(); });

    // 103 KB: one chorus line of 100,000 bytes, called 300 times.
    const auto bigChorus = [](versino::SongDocument& doc) {
        doc.InstallDefaultFonts();
        doc.RefrainEdit().setText(std::string(100000, 'x') + "\r\n");
        std::string calls;
        for (int i = 0; i < 300; ++i)
            calls += ">>Refrain\r\n";
        doc.TextEdit().setText(calls);
    };
    QTemporaryDir dir;
    const QString pdf = dir.path() + "/chorus.pdf";
    const ChildFigures printed = inChild([&] {
        versino::SongDocument doc;
        bigChorus(doc);
        versino::PdfBookPrinter book(pdf);
        versino::testing::ScriptedDialogs dialogs;
        versino::DruckenClick(doc, dialogs, book);
        book.finish();
    });
    const ChildFigures checked = inChild([&] {
        versino::SongDocument doc;
        bigChorus(doc);
        versino::PageMetrics m;
        versino::CheckPage(doc, m.surface());
    });

    std::printf("Page check (printer measures, 600 dpi, A4)                wall (ms)   cpu (ms)\n");
    const auto row = [](const char* what, const Timing& t) {
        std::printf("  %-54s %8.2f   %8.2f\n", what, t.wall, t.cpu);
    };
    row("benchmark song, composed (drawn into a PDF page)", compose);
    row("benchmark song, checked", check);
    row("100,000 lines with chords, checked", many);
    row("103 KB song (100,000-byte chorus x 300), printed to PDF", printed.time);
    row("103 KB song, checked", checked.time);
    std::printf("  peak memory: 103 KB song printed %ld MB, checked %ld MB (whole process)\n",
                printed.maxRssKb / 1024, checked.maxRssKb / 1024);
    std::printf("  findings: benchmark song %zu, 100,000 lines %zu\n", findings, manyFindings);
    for (const versino::PageFinding& f : versino::CheckPage(benchSong, metrics.surface()))
        std::printf("    field %d line %d: %s\n", int(f.field), f.line, qPrintable(f.text));
    std::printf("  (medians: 200 pages, 21 long songs; the 103 KB song once, in a child of its own)\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    QString vsn, cho;
    writeSamples(dir.path(), vsn, cho);

    versino::SongDocument doc;
    doc.InstallDefaultFonts();
    versino::ReadLayoutFile(doc, vsn);
    versino::testing::ScriptedDialogs dialogs;
    if (app.arguments().contains("--page-check"))
        return pageCheckFigures(doc);

    // One page per PDF file, as the print command makes one job per page.
    const QString pagePdf = dir.path() + "/page.pdf";
    std::vector<Timing> pageTimes;
    for (int i = 0; i < 220; ++i) {
        const Timing ms = timeInProcess([&] {
            versino::PdfBookPrinter pdf(pagePdf);
            versino::DruckenClick(doc, dialogs, pdf);
            pdf.finish();
        });
        if (i >= 20) // the first pages load fonts
            pageTimes.push_back(ms);
    }
    // The same page 100 times in one book.
    std::vector<Timing> bookPageTimes;
    for (int r = 0; r < 5; ++r) {
        versino::PdfBookPrinter pdf(dir.path() + "/book100.pdf");
        const Timing ms = timeInProcess([&] {
            for (int i = 0; i < 100; ++i)
                versino::DruckenClick(doc, dialogs, pdf);
            pdf.finish();
        });
        bookPageTimes.push_back({ms.wall / 100, ms.cpu / 100});
    }
    const Timing page = median(pageTimes);
    const Timing bookPage = median(bookPageTimes);
    for (const QString& e : dialogs.errors)
        std::fprintf(stderr, "bench-print: the print reported: %s\n", qPrintable(e));

    if (app.arguments().contains("--in-process")) {
        std::printf("in-process: %.2f ms/page alone (cpu %.2f), %.2f ms/page in a book (cpu %.2f)\n",
                    page.wall, page.cpu, bookPage.wall, bookPage.cpu);
        return 0;
    }

    QStringList vsn100, cho100;
    for (int i = 0; i < 100; ++i) {
        const QString n = QStringLiteral("%1/song%2").arg(dir.path()).arg(i, 3, 10, QChar('0'));
        QFile::copy(vsn, n + ".vsn");
        QFile::copy(cho, n + ".cho");
        vsn100 << n + ".vsn";
        cho100 << n + ".cho";
    }
    const std::string tool = VERSINO_PRINT_EXE;
    const Timing one =
        medianProcess(11, strings({QString::fromStdString(tool), "-o", "one.pdf", vsn}), dir.path());
    const Timing hundred = medianProcess(
        5, strings(QStringList{QString::fromStdString(tool), "-o", "book.pdf"} + vsn100), dir.path());

    const bool haveReference = !QStandardPaths::findExecutable("chordii").isEmpty() &&
                               !QStandardPaths::findExecutable("ps2pdf").isEmpty();
    Timing refOne, refHundred;
    if (haveReference) {
        const QString script = QStringLiteral("chordii -G -o out.ps \"$@\" && ps2pdf out.ps out.pdf");
        refOne = medianProcess(5, strings({"/bin/sh", "-c", script, "sh", cho}), dir.path());
        refHundred =
            medianProcess(3, strings(QStringList{"/bin/sh", "-c", script, "sh"} + cho100), dir.path());
    }

    std::printf(
        "Song sheet: 60 lyric lines with chords, chorus and bridge blocks, two columns, 300x200 BMP\n");
    std::printf("                                                   wall (ms)   cpu (ms)\n");
    const auto row = [](const char* what, const Timing& t) {
        std::printf("  %-48s %8.2f   %8.2f\n", what, t.wall, t.cpu);
    };
    row("in-process, one page per PDF file, per page", page);
    row("in-process, 100 pages in one PDF, per page", bookPage);
    row("versino-print -o, 1 song (whole process)", one);
    row("versino-print -o, 100 songs (whole process)", hundred);
    if (haveReference) {
        row("chordii -G + ps2pdf, 1 song", refOne);
        row("chordii -G + ps2pdf, 100 songs", refHundred);
        std::printf("  reference / versino-print, wall: 1 song %.1fx, 100 songs %.1fx\n",
                    refOne.wall / one.wall, refHundred.wall / hundred.wall);
        std::printf("  reference / versino-print, cpu:  1 song %.1fx, 100 songs %.1fx\n",
                    refOne.cpu / one.cpu, refHundred.cpu / hundred.cpu);
    } else {
        std::printf("  chordii or ps2pdf not installed: no reference figures\n");
    }
    std::printf("  (medians: 200 single pages, 5 books, 11 and 5 tool runs, 5 and 3 reference runs)\n");
    return 0;
}
