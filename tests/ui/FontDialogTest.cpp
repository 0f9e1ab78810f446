// The program's own font dialog: what it lists, and that it hands back what it was given.
#include "UiTestSupport.h"

#include "ui/FontDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <gtest/gtest.h>

using namespace versino;
using versino::testing::uiApp;

namespace {

TEST(FontDialog, returnsThePresetUnchanged) {
    uiApp();
    const FontSetting presets[] = {
        defaultTitelFont(),
        defaultAkkordFont(),
        {"Liberation Sans", FontStyle::Italic | FontStyle::StrikeOut, 0x808000, 11},
        {"Face Nobody Has", FontStyle::Bold | FontStyle::Italic | FontStyle::Underline, 0x123456, 0},
        {"Liberation Serif", 0, 0, -4},
    };
    for (const FontSetting& preset : presets) {
        ui::FontDialog dialog;
        dialog.setSetting(preset);
        EXPECT_EQ(dialog.setting(), preset) << preset.name;
    }
}

TEST(FontDialog, listsOnlyScalableTextFaces) {
    uiApp();
    const QStringList faces = ui::FontDialog::listedFaces();
    EXPECT_TRUE(faces.contains(QStringLiteral("Liberation Sans")));
    QStringList unique = faces;
    EXPECT_EQ(unique.removeDuplicates(), 0);
    for (const QString& face : faces) {
        EXPECT_FALSE(face.contains(QLatin1Char('['))) << face.toStdString();
        EXPECT_TRUE(QFontDatabase::isSmoothlyScalable(face)) << face.toStdString();
        EXPECT_FALSE(QFontDatabase::writingSystems(face).contains(QFontDatabase::Symbol))
            << face.toStdString();
    }
    // Symbol and dingbat fonts that come with the system stay out.
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::writingSystems(family).contains(QFontDatabase::Symbol)) {
            EXPECT_FALSE(faces.contains(family)) << family.toStdString();
        }
    }
    EXPECT_FALSE(faces.contains(QStringLiteral("D050000L")));
}

TEST(FontDialog, offersTheSixteenStandardColoursAndKeepsAnOddOne) {
    uiApp();
    ui::FontDialog dialog;
    auto* colors = dialog.findChild<QComboBox*>(QStringLiteral("ColorBox"));
    ASSERT_NE(colors, nullptr);
    EXPECT_EQ(colors->count(), 16);
    EXPECT_EQ(colors->itemData(0).toInt(), 0);         // black
    EXPECT_EQ(colors->itemData(9).toInt(), 255);       // red
    EXPECT_EQ(colors->itemData(15).toInt(), 0xFFFFFF); // white
    dialog.setSetting({"Arial", 0, 0x010203, 10});
    EXPECT_EQ(colors->count(), 17);
    EXPECT_EQ(dialog.setting().color, 0x010203);
}

TEST(FontDialog, userChoicesComeBackAsASetting) {
    uiApp();
    ui::FontDialog dialog;
    dialog.setSetting(defaultTextFont());
    dialog.findChild<QListWidget*>(QStringLiteral("StyleList"))->setCurrentRow(3); // bold italic
    dialog.findChild<QCheckBox*>(QStringLiteral("UnderlineCheck"))->setChecked(true);
    dialog.findChild<QComboBox*>(QStringLiteral("ColorBox"))->setCurrentIndex(12); // blue
    auto* sizes = dialog.findChild<QListWidget*>(QStringLiteral("SizeList"));
    sizes->setCurrentItem(sizes->findItems(QStringLiteral("36"), Qt::MatchExactly).front());
    auto* faces = dialog.findChild<QListWidget*>(QStringLiteral("FaceList"));
    faces->setCurrentItem(faces->findItems(QStringLiteral("Liberation Serif"), Qt::MatchExactly).front());
    const FontSetting s = dialog.setting();
    EXPECT_EQ(s.name, "Liberation Serif");
    EXPECT_EQ(s.style, FontStyle::Bold | FontStyle::Italic | FontStyle::Underline);
    EXPECT_EQ(s.color, 0xFF0000);
    EXPECT_EQ(s.size, 36);
}

TEST(FontDialog, typedSizeOutsideTheListCounts) {
    uiApp();
    ui::FontDialog dialog;
    dialog.setSetting(defaultTextFont());
    dialog.findChild<QLineEdit*>(QStringLiteral("SizeEdit"))->setText(QStringLiteral("13"));
    EXPECT_EQ(dialog.setting().size, 13);
}

TEST(FontDialog, cancelGivesNothingAndOkGivesTheSetting) {
    uiApp();
    QTimer::singleShot(0, [] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            d->reject();
    });
    EXPECT_FALSE(ui::FontDialog::getFont(defaultTitelFont(), nullptr).has_value());
    QTimer::singleShot(0, [] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            d->accept();
    });
    EXPECT_EQ(ui::FontDialog::getFont(defaultTitelFont(), nullptr), std::optional(defaultTitelFont()));
}

} // namespace
