// The stage view under load on a 1920x1080 window: page turns in a set list of 1,000 songs (key
// press to the new frame painted), jumps to a song not composed ahead, and the resident memory
// with 1,000 songs against 10, each count in a process of its own after turning through every
// song.
#include "formats/LayoutFile.h"
#include "formats/SongList.h"
#include "ui/Appearance.h"
#include "ui/Buehne.h"

#include <QApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace versino;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A set list of `n` songs of 36 lyric lines with chords and a chorus, in `dir`.
QString writeSetList(const QString& dir, int n) {
    std::string list = "#Titel: Probe\n";
    for (int i = 0; i < n; ++i) {
        SongDocument doc;
        doc.InstallDefaultFonts();
        doc.TitelEdit().setText("Lied Nummer " + std::to_string(i + 1));
        doc.InterpretEdit().setText("Versino");
        std::string chorus, text;
        for (int k = 0; k < 4; ++k)
            chorus += "<C>Sing mit <G>mir am <a>Wasser, <F>Zeile " + std::to_string(k) + "\r\n";
        for (int k = 0; k < 36; ++k) {
            text += "<G>Der Tag geht <D>leise <e>schlafen, die <C>Weiden " + std::to_string(k) + "\r\n";
            if (k % 9 == 8)
                text += ">>Refrain\r\n";
        }
        doc.RefrainEdit().setText(chorus);
        doc.TextEdit().setText(text);
        const std::string name = "lied" + std::to_string(i) + ".vsn";
        std::ofstream(QDir(dir).filePath(QString::fromStdString(name)).toStdString(), std::ios::binary)
            << formatLayout(doc);
        list += name + "\n";
        if (i % 3 == 0)
            list += "#Transponieren: +2\n#Notiz: leise anfangen\n";
    }
    const QString path = QDir(dir).filePath(QStringLiteral("probe.vsl"));
    std::ofstream(path.toStdString(), std::ios::binary) << list;
    return path;
}

long residentKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        long value = 0;
        if (key == "VmRSS:" && status >> value)
            return value;
        std::getline(status, key);
    }
    return -1;
}

void key(QWidget* w, int k, quint64 time) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
    press.setTimestamp(time);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier);
    release.setTimestamp(time + 40);
    QApplication::sendEvent(w, &release);
}

ui::TBuehneForm* openStage(const QString& list) {
    std::vector<QString> problems;
    auto* stage = new ui::TBuehneForm(loadStageSongs({list}, problems));
    stage->setAttribute(Qt::WA_DeleteOnClose, false);
    stage->resize(1920, 1080);
    stage->show();
    QApplication::processEvents();
    return stage;
}

struct Figures {
    double median = 0, worst = 0;
};

Figures figures(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

// A child: the stage over `n` songs, turned through every song; prints the resident kB.
int memoryRun(int n) {
    QTemporaryDir dir;
    const QString list = writeSetList(dir.path(), n);
    ui::TBuehneForm* stage = openStage(list);
    for (int i = 0; i < n; ++i) {
        key(stage, Qt::Key_PageDown, quint64(i) * 100);
        QApplication::processEvents();
    }
    std::printf("%ld\n", residentKb());
    delete stage;
    return 0;
}

// The offscreen platform's notice for each window that relayouts is noise among the figures.
void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("propagateSizeHints")) || text.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

} // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(quietMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ui::setupAppearance();
    if (argc == 3 && std::string(argv[1]) == "--memory")
        return memoryRun(std::atoi(argv[2]));

    QTemporaryDir dir;
    auto start = Clock::now();
    const QString list = writeSetList(dir.path(), 1000);
    std::printf("stage: 1,000 songs written in %.0f ms\n", msSince(start));
    start = Clock::now();
    ui::TBuehneForm* stage = openStage(list);
    std::printf("stage: opened on 1,000 songs, first page shown, in %.0f ms\n", msSince(start));

    // Turns: each press paints the new frame before it returns; the neighbours are composed
    // afterwards, as the event loop does between two treads of the pedal.
    std::vector<double> turns;
    quint64 time = 1;
    for (int i = 0; i < 300; ++i) {
        start = Clock::now();
        key(stage, i % 5 == 4 ? Qt::Key_PageUp : Qt::Key_PageDown, time += 200);
        turns.push_back(msSince(start));
        QApplication::processEvents();
    }
    const Figures t = figures(turns);
    std::printf("stage: page turn, 300 turns: median %.1f ms, worst %.1f ms\n", t.median, t.worst);

    std::vector<double> halves;
    stage->setMode(StageModel::Mode::PageWidth);
    QApplication::processEvents();
    for (int i = 0; i < 200; ++i) {
        start = Clock::now();
        key(stage, Qt::Key_Space, time += 200);
        halves.push_back(msSince(start));
        QApplication::processEvents();
    }
    const Figures h = figures(halves);
    std::printf("stage: \"Seitenbreite\", 200 half turns: median %.1f ms, worst %.1f ms\n", h.median, h.worst);
    stage->setMode(StageModel::Mode::WholePage);

    // A jump lands on a song nobody composed ahead: it is composed and drawn on the spot.
    std::vector<double> jumps;
    for (int i = 0; i < 40; ++i) {
        const int target = (i * 389) % 1000 + 1;
        for (const QChar digit : QString::number(target))
            key(stage, Qt::Key_0 + digit.digitValue(), time += 200);
        start = Clock::now();
        key(stage, Qt::Key_Return, time += 200);
        jumps.push_back(msSince(start));
        QApplication::processEvents();
    }
    const Figures j = figures(jumps);
    std::printf("stage: jump by number, 40 jumps: median %.1f ms, worst %.1f ms\n", j.median, j.worst);
    delete stage;

    long kb[2] = {0, 0};
    const int counts[2] = {10, 1000};
    for (int k = 0; k < 2; ++k) {
        QProcess child;
        child.start(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--memory"), QString::number(counts[k])});
        child.waitForFinished(-1);
        kb[k] = child.readAllStandardOutput().trimmed().toLong();
    }
    std::printf("stage: resident memory after turning through every song: 10 songs %.1f MB, 1,000 songs "
                "%.1f MB, difference %.1f MB\n",
                kb[0] / 1024.0, kb[1] / 1024.0, (kb[1] - kb[0]) / 1024.0);
    return 0;
}
