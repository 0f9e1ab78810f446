#include "document/SongDocument.h"

#include "document/Cp1252.h"

#include <QDir>
#include <QFileInfo>

namespace versino {

FontSetting defaultTitelFont() { return {"Bauhaus Md BT", FontStyle::Bold, 0, 24}; }
FontSetting defaultInterpretFont() { return {"Bauhaus Lt BT", 0, 0, 18}; }
FontSetting defaultTextFont() { return {"Arial", 0, 0, 12}; }
FontSetting defaultAkkordFont() { return {"Arial", 0, 255, 10}; }

std::string picturePath(const SongDocument& doc) {
    const std::string& written = doc.GraphikEdit().text();
    const QString picture = cp1252::toUnicode(written);
    const QString folder = doc.folder();
    if (picture.isEmpty() || folder.isEmpty() || !QFileInfo(picture).isRelative())
        return written;
    const QString found = QDir(folder).filePath(picture);
    if (cp1252::toUnicode(cp1252::fromUnicode(found)) != found)
        return written;
    return cp1252::fromUnicode(found);
}

std::array<FontSetting, 4> defaultFonts() {
    return {defaultTitelFont(), defaultInterpretFont(), defaultTextFont(), defaultAkkordFont()};
}

std::array<FontSetting, 4> fontsOf(const SongDocument& doc) {
    return {doc.TitelFont, doc.InterpretFont, doc.TextFont, doc.AkkordFont};
}

bool isMultiLine(FieldId id) { return id == FieldId::Refrain || id == FieldId::Bridge || id == FieldId::Text; }

SongDocument::SongDocument() {
    for (auto& f : owned_)
        f = std::make_unique<MemoryField>();
    fields_ = FieldSet{owned_[0].get(), owned_[1].get(), owned_[2].get(), owned_[3].get(), owned_[4].get(),
                       owned_[5].get(), owned_[6].get(), owned_[7].get(), owned_[8].get()};
    connectFields();
    InstallDefaultFonts();
}

SongDocument::SongDocument(const FieldSet& fields) : fields_(fields) {
    connectFields();
    InstallDefaultFonts();
}

void SongDocument::connectFields() {
    for (FieldId id : kAllFields)
        field(id).setChangeHandler([this] {
            Modified = true;
            if (onFieldChange)
                onFieldChange();
        });
}

void SongDocument::copySongFrom(const SongDocument& other) {
    for (FieldId id : kAllFields)
        field(id).takeText(other.field(id).text());
    TitelFont = other.TitelFont;
    InterpretFont = other.InterpretFont;
    TextFont = other.TextFont;
    AkkordFont = other.AkkordFont;
    options_ = other.options_;
    path = other.path;
    forAudience = other.forAudience;
}

QString SongDocument::folder() const { return path.isEmpty() ? QString() : QFileInfo(path).absolutePath(); }

void SongDocument::setOptions(SongOptions options) {
    if (options == options_)
        return;
    options_ = std::move(options);
    Modified = true;
    if (onFieldChange)
        onFieldChange();
}

Field& SongDocument::field(FieldId id) {
    return const_cast<Field&>(static_cast<const SongDocument*>(this)->field(id));
}

const Field& SongDocument::field(FieldId id) const {
    switch (id) {
    case FieldId::Titel: return *fields_.titel;
    case FieldId::Interpret: return *fields_.interpret;
    case FieldId::Vorspiel: return *fields_.vorspiel;
    case FieldId::Kapo: return *fields_.kapo;
    case FieldId::Refrain: return *fields_.refrain;
    case FieldId::Bridge: return *fields_.bridge;
    case FieldId::Text: return *fields_.text;
    case FieldId::Nachspiel: return *fields_.nachspiel;
    case FieldId::Graphik: return *fields_.graphik;
    }
    return *fields_.titel;
}

void SongDocument::ClearTexts() {
    for (FieldId id : kAllFields)
        field(id).setText(std::string());
    setOptions(SongOptions{});
}

void SongDocument::InstallDefaultFonts() {
    TitelFont = defaultTitelFont();
    InterpretFont = defaultInterpretFont();
    TextFont = defaultTextFont();
    AkkordFont = defaultAkkordFont();
}

} // namespace versino
