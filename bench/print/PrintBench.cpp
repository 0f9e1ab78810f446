// Times the song sheet: one full page composed and rendered to PDF in-process, and versino-print
// as a whole process on 1 and 100 songs, beside chordii + ps2pdf on the same songs in ChordPro.

#include "document/LayoutFile.h"
#include "platform/QtPrinter.h"
#include "print/Drucken.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
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
    std::string chorus, bridge;
    for (int i = 0; i < 4; ++i) {
        doc.RefrainEdit().addLine(asVersino(makeLine(100 + i)));
        doc.BridgeEdit().addLine(asVersino(makeLine(200 + i)));
        chorus += asChordPro(makeLine(100 + i)) + "\n";
        bridge += asChordPro(makeLine(200 + i)) + "\n";
    }
    for (int i = 0; i < 60; ++i) {
        if (i == 15) {
            doc.TextEdit().addLine(">>Refrain");
            chordPro += "{soc}\n" + chorus + "{eoc}\n";
        }
        if (i == 30) {
            doc.TextEdit().addLine(">>neue Spalte");
            chordPro += "{column_break}\n";
        }
        if (i == 45) {
            doc.TextEdit().addLine(">>Bridge");
            chordPro += "{comment: Bridge}\n" + bridge;
        }
        doc.TextEdit().addLine(asVersino(makeLine(i)));
        chordPro += asChordPro(makeLine(i)) + "\n";
    }
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

double timeMs(const std::function<void()>& f) {
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

bool run(const QString& program, const QStringList& args, const QString& cwd) {
    QProcess p;
    p.setWorkingDirectory(cwd);
    p.setStandardErrorFile(QProcess::nullDevice()); // progress and chordii's notes
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "bench-print: %s failed\n", qPrintable(program));
        return false;
    }
    return true;
}

double medianProcessMs(int runs, const QString& program, const QStringList& args, const QString& cwd) {
    std::vector<double> times;
    run(program, args, cwd); // warm the file cache and the font cache
    for (int i = 0; i < runs; ++i)
        times.push_back(timeMs([&] { run(program, args, cwd); }));
    return median(times);
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

    // One page per PDF file, as the print command makes one job per page.
    const QString pagePdf = dir.path() + "/page.pdf";
    std::vector<double> pageTimes;
    for (int i = 0; i < 220; ++i) {
        const double ms = timeMs([&] {
            versino::PdfBookPrinter pdf(pagePdf);
            versino::DruckenClick(doc, dialogs, pdf);
            pdf.finish();
        });
        if (i >= 20) // the first pages load fonts
            pageTimes.push_back(ms);
    }
    // The same page 100 times in one book.
    std::vector<double> bookPageTimes;
    for (int r = 0; r < 5; ++r) {
        versino::PdfBookPrinter pdf(dir.path() + "/book100.pdf");
        const double ms = timeMs([&] {
            for (int i = 0; i < 100; ++i)
                versino::DruckenClick(doc, dialogs, pdf);
            pdf.finish();
        });
        bookPageTimes.push_back(ms / 100);
    }
    for (const QString& e : dialogs.errors)
        std::fprintf(stderr, "bench-print: the print reported: %s\n", qPrintable(e));

    if (app.arguments().contains("--in-process")) {
        std::printf("in-process: %.2f ms/page alone, %.2f ms/page in a book\n", median(pageTimes),
                    median(bookPageTimes));
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
    const QString tool = VERSINO_PRINT_EXE;
    const double one = medianProcessMs(11, tool, {"-o", "one.pdf", vsn}, dir.path());
    const double hundred = medianProcessMs(5, tool, QStringList{"-o", "book.pdf"} + vsn100, dir.path());

    const QString chordii = QStandardPaths::findExecutable("chordii");
    const QString ps2pdf = QStandardPaths::findExecutable("ps2pdf");
    double refOne = 0, refHundred = 0;
    if (!chordii.isEmpty() && !ps2pdf.isEmpty()) {
        const QString script = QStringLiteral("chordii -G -o out.ps \"$@\" && ps2pdf out.ps out.pdf");
        refOne = medianProcessMs(5, "/bin/sh", QStringList{"-c", script, "sh", cho}, dir.path());
        refHundred = medianProcessMs(3, "/bin/sh", QStringList{"-c", script, "sh"} + cho100, dir.path());
    }

    std::printf(
        "Song sheet: 60 lyric lines with chords, chorus and bridge blocks, two columns, 300x200 BMP\n");
    std::printf("  in-process, one page per PDF file (median of 200):   %8.2f ms/page\n", median(pageTimes));
    std::printf("  in-process, 100 pages in one PDF (median of 5):      %8.2f ms/page\n",
                median(bookPageTimes));
    std::printf("  versino-print -o, 1 song (process, median of 11):    %8.1f ms\n", one);
    std::printf("  versino-print -o, 100 songs (process, median of 5):  %8.1f ms\n", hundred);
    if (refOne > 0) {
        std::printf("  chordii -G + ps2pdf, 1 song (median of 5):           %8.1f ms\n", refOne);
        std::printf("  chordii -G + ps2pdf, 100 songs (median of 3):        %8.1f ms\n", refHundred);
        std::printf("  ratio reference / versino-print: 1 song %.1fx, 100 songs %.1fx\n", refOne / one,
                    refHundred / hundred);
    } else {
        std::printf("  chordii or ps2pdf not installed: no reference figures\n");
    }
    return 0;
}
