// Reading and writing large layout files, against the time to merely read the file's bytes.
// Run by hand (make bench); prints MB/s and the ratios the README quotes.
#include "formats/LayoutFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <vector>

using namespace versino;

namespace {

double medianSeconds(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void fillSong(SongDocument& doc, int lyricLines) {
    std::string text;
    text.reserve(static_cast<std::size_t>(lyricLines) * 100);
    for (int i = 0; i < lyricLines; ++i) {
        text += "<Am>Wenn der <G>Abend kommt und <F>alle Lichter <E7>gehen, Zeile ";
        text += std::to_string(i);
        text += " und immer weiter ...........\r\n";
    }
    doc.TextEdit().setText(text);
    doc.RefrainEdit().setText("<C>Refrain <G>Zeile eins\r\n<Am>Refrain Zeile zwei\r\n");
    doc.TitelEdit().setText("Benchmark");
}

struct Figures {
    double megabytes, raw, read, write;
};

Figures measure(const QString& path, int lyricLines) {
    SongDocument doc;
    fillSong(doc, lyricLines);
    WriteLayoutFile(doc, path);
    const double mb = static_cast<double>(QFileInfo(path).size()) / 1e6;

    const double raw = medianSeconds(5, [&] {
        std::ifstream in(path.toStdString(), std::ios::binary);
        std::vector<char> buf(static_cast<std::size_t>(QFileInfo(path).size()));
        in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
    });
    const double read = medianSeconds(5, [&] {
        SongDocument loaded;
        ReadLayoutFile(loaded, path);
    });
    const double write = medianSeconds(5, [&] { WriteLayoutFile(doc, path); });
    return {mb, raw, read, write};
}

void report(const char* label, const Figures& f) {
    std::printf("%-6s %7.1f MB  raw read %8.1f MB/s  read %7.1f MB/s (%.1fx raw)  write %7.1f MB/s (%.1fx raw)\n",
                label, f.megabytes, f.megabytes / f.raw, f.megabytes / f.read, f.read / f.raw, f.megabytes / f.write,
                f.write / f.raw);
}

} // namespace

int main() {
    QTemporaryDir dir(QDir::tempPath() + "/versino-bench-XXXXXX");
    const Figures small = measure(dir.filePath("10mb.vsn"), 100000);
    report("10 MB", small);
    const Figures large = measure(dir.filePath("100mb.vsn"), 1000000);
    report("100 MB", large);
    std::printf("100 MB / 10 MB: read %.1fx, write %.1fx\n", large.read / small.read, large.write / small.write);
    return 0;
}
