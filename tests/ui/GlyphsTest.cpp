// The button glyphs: sizes as drawn, the bottom-left colour transparent, disabled images where given.
#include "UiTestSupport.h"

#include "ui/ErrorGuard.h"
#include "ui/Glyphs.h"

#include "support/ScriptedDialogs.h"

#include <QImage>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace versino;
using versino::testing::uiApp;

namespace {

struct GlyphCase {
    const char* resource;
    QSize size;
    bool withDisabled;
};

TEST(Glyphs, haveTheirSizesAndATransparentBottomLeft) {
    uiApp();
    const GlyphCase cases[] = {
        {":/glyphs/rline.bmp", {32, 26}, false},   {":/glyphs/r2line.bmp", {32, 26}, false},
        {":/glyphs/bline.bmp", {32, 26}, false},   {":/glyphs/word.bmp", {32, 26}, false},
        {":/glyphs/columns.bmp", {30, 26}, false}, {":/glyphs/font.bmp", {16, 16}, true},
        {":/glyphs/folder.bmp", {16, 16}, true},
    };
    for (const GlyphCase& c : cases) {
        const QImage raw(QString::fromLatin1(c.resource));
        ASSERT_FALSE(raw.isNull()) << c.resource;
        EXPECT_EQ(raw.width(), c.size.width() * (c.withDisabled ? 2 : 1)) << c.resource;
        const QIcon icon = ui::loadGlyph(QString::fromLatin1(c.resource), c.withDisabled);
        const QImage shown = icon.pixmap(c.size).toImage();
        EXPECT_EQ(shown.size(), c.size) << c.resource;
        EXPECT_EQ(qAlpha(shown.pixel(0, c.size.height() - 1)), 0) << c.resource;
        // Something is drawn: not every pixel is transparent.
        int opaque = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                opaque += qAlpha(shown.pixel(x, y)) == 255;
        EXPECT_GT(opaque, 20) << c.resource;
        if (c.withDisabled) {
            const QImage disabled = icon.pixmap(c.size, QIcon::Disabled).toImage();
            const QImage expected = raw.copy(c.size.width(), 0, c.size.width(), c.size.height());
            // The disabled image is the right half of the bitmap, grey and white only.
            for (int y = 0; y < disabled.height(); ++y)
                for (int x = 0; x < disabled.width(); ++x)
                    if (qAlpha(disabled.pixel(x, y)) == 255) {
                        const QRgb p = expected.pixel(x, y);
                        EXPECT_TRUE(p == qRgb(128, 128, 128) || p == qRgb(255, 255, 255)) << c.resource;
                    }
        }
    }
}

TEST(Glyphs, transparentColoursAreTheDescribedOnes) {
    uiApp();
    EXPECT_EQ(QImage(QStringLiteral(":/glyphs/rline.bmp")).pixel(0, 25), qRgb(255, 255, 255));
    EXPECT_EQ(QImage(QStringLiteral(":/glyphs/font.bmp")).pixel(0, 15), qRgb(128, 128, 0));
    EXPECT_EQ(QImage(QStringLiteral(":/glyphs/folder.bmp")).pixel(0, 15), qRgb(128, 0, 128));
    const QImage program(QStringLiteral(":/glyphs/program.bmp"));
    EXPECT_EQ(program.size(), QSize(32, 32));
}

TEST(ErrorGuard, reportsEscapedErrorsWithAFullStopAndGoesOn) {
    versino::testing::ScriptedDialogs dialogs;
    ui::ErrorGuard guard(dialogs);
    EXPECT_FALSE(guard.run([] { throw std::runtime_error("File access denied"); }));
    EXPECT_FALSE(guard.run([] { throw std::runtime_error("Schon mit Punkt."); }));
    EXPECT_TRUE(guard.run([] {}));
    EXPECT_FALSE(guard.run([] { throw 42; }));
    ASSERT_EQ(dialogs.errors.size(), 3u);
    EXPECT_EQ(dialogs.errors[0], QStringLiteral("File access denied."));
    EXPECT_EQ(dialogs.errors[1], QStringLiteral("Schon mit Punkt."));
    EXPECT_TRUE(dialogs.errors[2].endsWith(QLatin1Char('.')));
}

} // namespace
