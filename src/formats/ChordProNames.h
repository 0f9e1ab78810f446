#pragma once

#include "music/Transpose.h"
#include "document/Notation.h"

#include <QString>
#include <algorithm>
#include <charconv>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The chord names of ChordPro text and Versino's own directives: how German chord names go out
// in international ones and come back, for the reader and the writer.
namespace versino::chordpro {

// Directives that only the Versino export writes; other programs skip x_ directives.
inline constexpr std::string_view kClosingRemark = "x_versino_nachspiel";
inline constexpr std::string_view kPicture = "x_versino_graphik";
// Put before a chorus environment that fills the second field, called by ">>Refrain2".
// Names without digits: a strict reader refuses "x_versino_refrain2", the name written before,
// which is still read.
inline constexpr std::string_view kSecondChorus = "x_versino_second_chorus";
inline constexpr std::string_view kSecondChorusBefore = "x_versino_refrain2";
// Put before an environment that fills its field without a place in the lyrics.
inline constexpr std::string_view kUnplaced = "x_versino_unplaced";
// "{x_versino_diagrams: klavier}": the instrument of the song's chord diagrams.
inline constexpr std::string_view kDiagrams = "x_versino_diagrams";
// "{x_versino_notation: de ...}": the chords were German names, written in international ones.
inline constexpr std::string_view kNotation = "x_versino_notation";
// ChordPro's sign for diminished chords ("[C#°7]"), in Windows-1252. In the song notation the
// same character starts a chord's raised part, so it never passes into a chord unchanged.
inline constexpr char kDegree = '\xB0';

// The sentence of an import report that tells which notation a song's chords were read in.
QString assumedNotationNote(transpose::Notation notation);

// Names in the notation directive's table: blanks, tabs, "=", "%", "@" and "}" written as %XX.
std::string encodeName(std::string_view name);
std::string decodeName(std::string_view name);

// The German names of a song that the export wrote in international ones: each chord goes back by
// the rule (transpose::germanName) unless the table names it, by its international name or by its
// place among the song's chords ("@12").
class GermanNames {
public:
    bool active() const { return active_; }

    // Reads the table of "{x_versino_notation: de ...}" after the "de".
    void read(std::string_view table) {
        active_ = true;
        std::size_t pos = 0;
        while (pos < table.size()) {
            const std::size_t end = std::min(table.find(' ', pos), table.size());
            const std::string_view entry = table.substr(pos, end - pos);
            pos = end + 1;
            const std::size_t eq = entry.find('=');
            if (eq == std::string_view::npos || eq == 0)
                continue;
            const std::string key = decodeName(entry.substr(0, eq));
            const std::string name = decodeName(entry.substr(eq + 1));
            if (!fitsAChord(name))
                continue;
            int index = 0;
            if (key[0] == '@' && std::from_chars(key.data() + 1, key.data() + key.size(), index).ptr ==
                                     key.data() + key.size())
                byPlace_[index] = name;
            else
                byName_[key] = name;
        }
    }

    // A name the export could have written: one that a chord holds whole and a field can take.
    static bool fitsAChord(std::string_view name) {
        for (char c : name) {
            const auto b = static_cast<unsigned char>(c);
            if ((b < ' ' && c != '\t') || b == 127 || c == notation::kChordClose || c == notation::kRaise)
                return false;
        }
        return true;
    }

    // The next chord of the song, as the German name it had.
    std::string next(std::string name) {
        const int place = place_++;
        if (!active_)
            return name;
        if (const auto p = byPlace_.find(place); p != byPlace_.end())
            return p->second;
        if (const auto n = byName_.find(name); n != byName_.end())
            return n->second;
        return transpose::germanName(name).value_or(name);
    }

private:
    bool active_ = false;
    int place_ = 0;
    std::map<int, std::string> byPlace_;
    std::map<std::string, std::string> byName_;
};

// The chord names of an export: German names become international ones, and the table of the
// notation directive says how each comes back where the rule (transpose::germanName) would not.
class ChordNames {
public:
    explicit ChordNames(bool german) : german_(german) {}
    bool german() const { return german_; }

    std::string exported(std::string_view name) {
        std::string out(name);
        if (german_) {
            if (std::optional<std::string> international =
                    transpose::internationalName(name, transpose::Notation::German))
                out = std::move(*international);
            changed_ = changed_ || out != name;
            written_.push_back({out, std::string(name)});
        }
        // ChordPro writes diminished with a degree sign: "C#o7" as "C#°7".
        if (transpose::parseChord(out, transpose::Notation::International)) {
            const std::size_t root = out.size() > 1 && (out[1] == '#' || out[1] == 'b') ? 2 : 1;
            if (root < out.size() && out[root] == 'o')
                out[root] = kDegree;
        }
        return out;
    }

    // "de Bb=B F#m=fis @12=Hb", or empty when the names were written as they are.
    std::string directive() const {
        if (!changed_)
            return {};
        // An international name that stands for one German name throughout is named once; where it
        // stands for several, each place is.
        std::map<std::string, std::string> single;
        std::map<std::string, bool> several;
        for (const auto& [international, name] : written_) {
            const auto [it, fresh] = single.emplace(international, name);
            if (!fresh && it->second != name)
                several[international] = true;
        }
        std::string value = "de";
        for (const auto& [international, name] : single)
            if (!several.count(international) && back(international) != name)
                value += ' ' + encodeName(international) + '=' + encodeName(name);
        for (std::size_t i = 0; i < written_.size(); ++i) {
            const auto& [international, name] = written_[i];
            if (several.count(international) && back(international) != name)
                value += " @" + std::to_string(i) + '=' + encodeName(name);
        }
        return value;
    }

private:
    static std::string back(const std::string& international) {
        return transpose::germanName(international).value_or(international);
    }

    bool german_;
    bool changed_ = false;
    std::vector<std::pair<std::string, std::string>> written_; // international, German
};

} // namespace versino::chordpro
