// Reading chord sheets of 1.25, 2.5, 5 and 10 MB (chords over lyrics, labels, a chorus, a few tab
// lines, umlauts): the whole conversion from bytes to the song's fields. The time per megabyte
// stays flat when the conversion is linear. Run by hand (make bench); prints the figures the
// README quotes.
#include "formats/ChordSheet.h"

#include <chrono>
#include <cstdio>
#include <string>

using namespace versino;

namespace {

// One verse block in UTF-8, about 300 bytes.
std::string verse(int n) {
    return "[Strophe " + std::to_string(n) +
           "]\n"
           "G          D/F#        Em       C\n"
           "Wenn der Abend \xC3\xBC"
           "bers Land zieht, legt sich Stille\n"
           "   Am7           D7sus4      G\n"
           "nieder auf die H\xC3\xBCgel und den Stein\n"
           "e|---3---2---0---|\n"
           "H7   fis   |  x2\n\n";
}

std::string sheet(std::size_t bytes) {
    std::string s = "Abendwind - Die Wanderv\xC3\xB6gel\n\n[Refrain]\nC     G\nLa la la\n\n";
    for (int n = 1; s.size() < bytes; ++n) {
        s += verse(n);
        if (n % 4 == 0)
            s += "[Refrain]\n\n";
    }
    return s;
}

} // namespace

int main() {
    double perMegabyte10 = 0;
    for (std::size_t megabytes4 : {5, 10, 20, 40}) { // quarter megabytes
        const std::string bytes = sheet(megabytes4 << 18);
        const auto start = std::chrono::steady_clock::now();
        const chordsheet::Import result = chordsheet::parse(bytes, QStringLiteral("Abendwind.txt"), {});
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double mb = double(bytes.size()) / (1 << 20);
        std::printf(
            "chord sheet of %5.2f MB: %7.1f ms (%.1f ms per MB; %zu lyric bytes, %d tab lines left out)\n",
            mb, seconds * 1e3, seconds * 1e3 / mb, result.content.texts[std::size_t(FieldId::Text)].size(),
            result.report.tablatureLines);
        perMegabyte10 = seconds / mb;
        if (megabytes4 == 40) {
            // The share of decoding the bytes into Windows-1252, which every import from elsewhere does.
            const auto decodeStart = std::chrono::steady_clock::now();
            const std::size_t decoded = cp1252::importBytes(bytes).text.size();
            const double decode =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - decodeStart).count();
            std::printf("  of which decoding %.1f ms (%zu bytes)\n", decode * 1e3, decoded);
        }
    }
    return perMegabyte10 < 1.0 ? 0 : 1;
}
