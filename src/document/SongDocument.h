#pragma once

#include "document/Field.h"

#include <QString>
#include <array>
#include <functional>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace versino {

// Style flags of a font setting, as one byte.
namespace FontStyle {
constexpr std::uint8_t Bold = 1;
constexpr std::uint8_t Italic = 2;
constexpr std::uint8_t Underline = 4;
constexpr std::uint8_t StrikeOut = 8;
} // namespace FontStyle

// A font for one kind of text. The colour is 0x00BBGGRR (255 is pure red).
struct FontSetting {
    std::string name;
    std::uint8_t style = 0;
    std::int32_t color = 0;
    std::int32_t size = 0;

    bool operator==(const FontSetting& o) const {
        return name == o.name && style == o.style && color == o.color && size == o.size;
    }
    bool operator!=(const FontSetting& o) const { return !(*this == o); }
};

FontSetting defaultTitelFont();
FontSetting defaultInterpretFont();
FontSetting defaultTextFont();
FontSetting defaultAkkordFont();

// The nine fields in the order in which they are cleared, written and read everywhere.
enum class FieldId { Titel, Interpret, Vorspiel, Kapo, Refrain, Bridge, Text, Nachspiel, Graphik };
constexpr int kFieldCount = 9;
constexpr std::array<FieldId, kFieldCount> kAllFields = {
    FieldId::Titel,  FieldId::Interpret, FieldId::Vorspiel,  FieldId::Kapo,    FieldId::Refrain,
    FieldId::Bridge, FieldId::Text,      FieldId::Nachspiel, FieldId::Graphik,
};
bool isMultiLine(FieldId id);

// Fields that live elsewhere (the window's widgets). The document does not own them.
struct FieldSet {
    Field* titel = nullptr;
    Field* interpret = nullptr;
    Field* vorspiel = nullptr;
    Field* kapo = nullptr;
    MultiLineField* refrain = nullptr;
    MultiLineField* bridge = nullptr;
    MultiLineField* text = nullptr;
    Field* nachspiel = nullptr;
    Field* graphik = nullptr;
};

inline const char* const kUntitled = "unbenannt";

// Choices a song may carry beyond its fields and fonts. Each is stored in the song file only when
// it differs from the default, so a song without them is written byte for byte as before.
struct SongOptions {
    // 1: the song is one page; 2: lines that do not fit continue on a second page.
    int pages = 1;
    // The instrument whose chord diagrams the page shows: "" (none), "gitarre", "ukulele", "klavier".
    std::string diagrams;
    // The song's own fingerings, each as a ChordPro definition without braces
    // ("Am base-fret 1 frets x 0 2 2 1 0"), in the order they were given.
    std::vector<std::string> fingerings;
    // The chords are in international notation ("B" is the note below C) however they are spelled:
    // set for songs from elsewhere whose chords the German rule would read otherwise.
    bool international = false;

    bool isDefault() const { return pages == 1 && diagrams.empty() && fingerings.empty() && !international; }
    bool operator==(const SongOptions& o) const {
        return pages == o.pages && diagrams == o.diagrams && fingerings == o.fingerings &&
               international == o.international;
    }
    bool operator!=(const SongOptions& o) const { return !(*this == o); }
};

// The one song the program holds: nine fields, four font settings, its name and modified flag.
// Each field's change notification sets Modified.
class SongDocument {
public:
    // A document whose fields are held in memory.
    SongDocument();
    // A document over fields held elsewhere, which must outlive it.
    explicit SongDocument(const FieldSet& fields);
    SongDocument(const SongDocument&) = delete;
    SongDocument& operator=(const SongDocument&) = delete;

    Field& TitelEdit() { return *fields_.titel; }
    Field& InterpretEdit() { return *fields_.interpret; }
    Field& VorspielEdit() { return *fields_.vorspiel; }
    Field& KapoEdit() { return *fields_.kapo; }
    MultiLineField& RefrainEdit() { return *fields_.refrain; }
    MultiLineField& BridgeEdit() { return *fields_.bridge; }
    MultiLineField& TextEdit() { return *fields_.text; }
    Field& NachspielEdit() { return *fields_.nachspiel; }
    Field& GraphikEdit() { return *fields_.graphik; }

    const Field& TitelEdit() const { return *fields_.titel; }
    const Field& InterpretEdit() const { return *fields_.interpret; }
    const Field& VorspielEdit() const { return *fields_.vorspiel; }
    const Field& KapoEdit() const { return *fields_.kapo; }
    const MultiLineField& RefrainEdit() const { return *fields_.refrain; }
    const MultiLineField& BridgeEdit() const { return *fields_.bridge; }
    const MultiLineField& TextEdit() const { return *fields_.text; }
    const Field& NachspielEdit() const { return *fields_.nachspiel; }
    const Field& GraphikEdit() const { return *fields_.graphik; }

    Field& field(FieldId id);
    const Field& field(FieldId id) const;

    FontSetting TitelFont;
    FontSetting InterpretFont;
    FontSetting TextFont;
    FontSetting AkkordFont;

    const SongOptions& options() const { return options_; }
    // Replaces the options; a real change sets Modified and notifies like a field's change.
    void setOptions(SongOptions options);

    // The file, absolute, the song was read from or last saved as; empty while the song is untitled.
    // An imported song keeps the file it came from here, though Save never writes there.
    QString path;
    // The folder of `path`: a relative picture path names a file there, whatever folder the process
    // is in. Empty while the song is untitled.
    QString folder() const;

    // The name the caption shows: "unbenannt" while untitled, otherwise the file's path or name.
    QString DocumentName = QString::fromLatin1(kUntitled);
    bool Modified = false;
    // A copy of the song for the audience (a songbook's words-only page): its page has no capo line.
    // Never stored.
    bool forAudience = false;
    // Called after every change of a field, once Modified is set (a page preview follows the song).
    std::function<void()> onFieldChange;

    // A song belongs to no file until it is read or saved; its shown name has no say in that, so a
    // file may well be called "unbenannt".
    bool isUntitled() const { return path.isEmpty(); }

    // Every field empty and the options at their defaults (the New command).
    void ClearTexts();
    // Face name, size, style set and colour of all four settings to their defaults.
    void InstallDefaultFonts();
    // The nine texts, the four font settings, the options, the path and forAudience of `other`,
    // each field read once: composing from such a copy splits plain text instead of walking an
    // editor's blocks again and again.
    void copySongFrom(const SongDocument& other);

private:
    void connectFields();

    std::array<std::unique_ptr<MemoryField>, kFieldCount> owned_;
    FieldSet fields_;
    SongOptions options_;
};

// The picture file the page shows (Windows-1252): the picture field's path, found in the song's
// folder when it is relative. A folder whose name Windows-1252 cannot hold leaves it as written.
std::string picturePath(const SongDocument& doc);

// The four font settings in the order files keep them: titel, interpret, text, akkord.
std::array<FontSetting, 4> fontsOf(const SongDocument& doc);
std::array<FontSetting, 4> defaultFonts();

} // namespace versino
