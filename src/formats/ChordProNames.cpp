#include "formats/ChordProNames.h"

#include <cstdio>

namespace versino::chordpro {

QString assumedNotationNote(transpose::Notation notation) {
    return notation == transpose::Notation::International
               ? QStringLiteral("Akkorde in internationaler Schreibweise gelesen: \u201EB\u201C ist das deutsche "
                                "\u201EH\u201C, \u201EBb\u201C das deutsche \u201EB\u201C")
               : QStringLiteral("Akkorde in deutscher Schreibweise gelesen: \u201EH\u201C ist das internationale "
                                "\u201EB\u201C, \u201EB\u201C das internationale \u201EBb\u201C");
}

std::string encodeName(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (static_cast<unsigned char>(c) <= ' ' || c == '=' || c == '%' || c == '@' || c == '}') {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", unsigned(static_cast<unsigned char>(c)));
            out += buf;
        } else {
            out += c;
        }
    }
    return out;
}

std::string decodeName(std::string_view name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        unsigned value = 0;
        if (name[i] == '%' && i + 2 < name.size() &&
            std::from_chars(name.data() + i + 1, name.data() + i + 3, value, 16).ptr == name.data() + i + 3) {
            out += char(value);
            i += 2;
        } else {
            out += name[i];
        }
    }
    return out;
}

} // namespace versino::chordpro
