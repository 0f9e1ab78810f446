// Feeds arbitrary bytes to the ChordPro reader. Whatever it reads must come back the same through
// the writer: import, export, import again gives the same nine texts and the same fonts. The texts
// it produces are fields of a song: no control characters, multi-line fields in CR LF lines.
#include "FuzzCheck.h"

#include "formats/ChordPro.h"
#include "music/Fingering.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

using namespace versino;
using versino::fuzz::check;

namespace {

const std::array<FontSetting, 4> kDefaults = {defaultTitelFont(), defaultInterpretFont(), defaultTextFont(),
                                              defaultAkkordFont()};

void checkShape(const LayoutContent& c) {
    for (std::size_t i = 0; i < kAllFields.size(); ++i) {
        const std::string& t = c.texts[i];
        for (std::size_t k = 0; k < t.size(); ++k) {
            const auto b = static_cast<unsigned char>(t[k]);
            const bool lineBreak = isMultiLine(kAllFields[i]) && ((b == '\r' && k + 1 < t.size() && t[k + 1] == '\n') ||
                                                                  (b == '\n' && k > 0 && t[k - 1] == '\r'));
            check(lineBreak || b == '\t' || (b >= 32 && b != 127), "a control character in a field", t);
        }
    }
}

std::string describe(const LayoutContent& c) {
    std::string out;
    for (const std::string& t : c.texts)
        out += "[" + t + "]\n";
    for (const FontSetting& f : c.fonts)
        out += f.name + "/" + std::to_string(f.size) + "/" + std::to_string(f.color) + "\n";
    return out;
}

} // namespace

void versino::fuzz::chordProInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const LayoutContent first = chordpro::parse(bytes, kDefaults).content;
    checkShape(first);

    SongDocument doc;
    for (std::size_t i = 0; i < kAllFields.size(); ++i)
        doc.field(kAllFields[i]).setText(first.texts[i]);
    doc.TextFont = first.fonts[2];
    doc.AkkordFont = first.fonts[3];
    doc.setOptions(first.options);
    const std::string written = chordpro::format(doc);
    const LayoutContent again = chordpro::parse(written, kDefaults).content;
    check(again.texts == first.texts && again.fonts == first.fonts,
          "a song changed through export and import",
          describe(first) + "->\n" + describe(again) + "written:\n" + written);
    // The song's diagrams and its own fingerings come back; the export may add the fingerings of
    // the chords it shows.
    check(again.options.diagrams == first.options.diagrams, "the diagrams changed through export and import",
          first.options.diagrams + " -> " + again.options.diagrams + "\nwritten:\n" + written);
    for (const std::string& own : first.options.fingerings)
        check(std::find(again.options.fingerings.begin(), again.options.fingerings.end(), own) !=
                  again.options.fingerings.end(),
              "an own fingering was lost through export and import", own + "\nwritten:\n" + written);
    // The fingering table's reader takes any bytes.
    for (music::Instrument i : {music::Instrument::Guitar, music::Instrument::Ukulele}) {
        const music::TableSummary t = music::readTable(bytes, i);
        check(t.entries >= 0, "a negative count of table entries", {});
    }
}

VERSINO_FUZZ_ENTRY(versino::fuzz::chordProInput)
