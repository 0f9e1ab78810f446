#pragma once

#include "document/SongDocument.h"

#include <QDialog>
#include <array>
#include <cstdint>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace versino::ui {

// The font dialog: face, style and size lists, an effects group with strike-out, underline and
// a colour list, and a sample. Qt's own font dialog offers no colour, so the program brings this one.
// Only scalable fonts are listed, and symbol fonts are left out. A preset face that the system
// lacks is still shown and returned unchanged.
class FontDialog : public QDialog {
    Q_OBJECT
public:
    explicit FontDialog(QWidget* parent = nullptr);

    void setSetting(const FontSetting& setting);
    FontSetting setting() const;

    // The faces the dialog offers, sorted: real families, no generic aliases.
    static QStringList listedFaces();
    // True for a generic family name such as "Sans Serif" that stands for whatever face the system
    // picks.
    static bool isGenericAlias(const QString& family);
    // The sixteen standard colours as 0x00BBGGRR, in the order of the colour list.
    static const std::array<std::int32_t, 16>& standardColors();

    // Shows the dialog modally; nothing when the user cancels.
    static std::optional<FontSetting> getFont(const FontSetting& preset, QWidget* parent);

private:
    void setupControls();
    void setupLists();
    void setupConnections();
    void selectFace(const QString& face);
    void selectColor(std::int32_t color);
    void updateSample();

    QLineEdit* faceEdit_;
    QListWidget* faceList_;
    QLineEdit* styleEdit_;
    QListWidget* styleList_;
    QLineEdit* sizeEdit_;
    QListWidget* sizeList_;
    QCheckBox* strikeOut_;
    QCheckBox* underline_;
    QComboBox* colorBox_;
    QLabel* sample_;
    std::int32_t presetSize_ = 0;
};

} // namespace versino::ui
