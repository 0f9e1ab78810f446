// versino-print -o PAGE.png: the printed page as an image, one per song.
#include "formats/LayoutFile.h"
#include "print/BmpFiles.h"
#include "print/PdfTools.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace versino;
using namespace versino::testing;

namespace {

// The box around every pixel darker than light grey in rows [top, bottom).
QRect inkBox(const QImage& image, int top, int bottom) {
    QRect box;
    for (int y = top; y < bottom && y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160)
                box |= QRect(x, y, 1, 1);
    return box;
}

class ImageOutput : public ::testing::Test {
protected:
    QTemporaryDir dir;

    ToolRun run(const QStringList& args) {
        return runTool(VERSINO_PRINT_EXE, args, QProcessEnvironment::systemEnvironment(), dir.path());
    }
    QString writeSong(const QString& name, const std::string& title) {
        SongDocument doc;
        doc.InstallDefaultFonts();
        doc.TitelFont.name = "Liberation Sans";
        doc.TitelEdit().setText(title);
        doc.InterpretEdit().setText("Volksweise");
        doc.TextEdit().setText("<G>Alle <D>Vögel sind schon da\r\nalle Vögel, alle");
        writeBytes(dir.filePath(name), QByteArray::fromStdString(formatLayout(doc)));
        return name;
    }
};

// The image is the printed page: its title stands where the PDF of the same song has it.
TEST_F(ImageOutput, showsThePageWithTheTitleWhereThePdfHasIt) {
    writeSong("lied.vsn", "Fruehling");
    ToolRun r = run({"-o", "lied.png", "--dpi", "50", "lied.vsn"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QImage png(dir.filePath("lied.png"));
    ASSERT_FALSE(png.isNull());
    EXPECT_NEAR(png.width(), 413, 1); // A4 at 50 dots per inch
    EXPECT_EQ(png.height(), 585);
    EXPECT_NEAR(png.dotsPerMeterX(), 50 / 0.0254, 1);

    r = run({"-o", "lied.pdf", "lied.vsn"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QImage paper = renderPage(dir.filePath("lied.pdf"), 50, dir.filePath("paper"));
    ASSERT_EQ(paper.size(), png.size());

    // The title is the first row of ink on the page; both pictures put it in the same place.
    const QRect title = inkBox(png, 0, png.height() / 8);
    const QRect expected = inkBox(paper, 0, paper.height() / 8);
    ASSERT_FALSE(title.isEmpty()) << "no title on the image";
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_NEAR(title.left(), expected.left(), 2);
    EXPECT_NEAR(title.right(), expected.right(), 2);
    EXPECT_NEAR(title.top(), expected.top(), 2);
    EXPECT_NEAR(title.bottom(), expected.bottom(), 2);
    // The title's first rows hold nothing else: they are centred on the sheet.
    EXPECT_NEAR(inkBox(png, title.top(), title.top() + 6).center().x(), png.width() / 2, 3);
    // Below the header the lyrics are drawn too.
    EXPECT_FALSE(inkBox(png, png.height() / 8, png.height()).isEmpty());
}

TEST_F(ImageOutput, sizeSetsTheLongerSideAndSeveralSongsAreNumbered) {
    writeSong("a.vsn", "Eins");
    writeSong("c.vsn", "Drei");
    const ToolRun r = run({"--size", "256", "-o", "seite.png", "a.vsn", "fehlt.vsn", "c.vsn"});
    EXPECT_EQ(r.exitCode, 2) << "the missing song is reported";
    EXPECT_TRUE(r.err.contains(QStringLiteral("fehlt.vsn"))) << r.err.toStdString();
    for (const char* name : {"seite-1.png", "seite-3.png"}) {
        const QImage image(dir.filePath(name));
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_EQ(image.size(), QSize(181, 256)) << name;
        EXPECT_FALSE(inkBox(image, 0, image.height()).isEmpty()) << name;
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("seite-2.png")));
    EXPECT_FALSE(QFile::exists(dir.filePath("seite.png")));

    ASSERT_EQ(run({"--size", "128", "--paper", "letter", "-o", "brief.png", "a.vsn"}).exitCode, 0);
    EXPECT_EQ(QImage(dir.filePath("brief.png")).size(), QSize(99, 128));
}

TEST_F(ImageOutput, unknownFormatsAndMisplacedOptionsAreRefused) {
    writeSong("a.vsn", "Eins");
    ToolRun r = run({"-o", "seite.jpg", "a.vsn"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral(".pdf")) && r.err.contains(QStringLiteral(".png")))
        << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("seite.jpg")));
    EXPECT_EQ(run({"-o", "ohne", "a.vsn"}).exitCode, 2);
    EXPECT_EQ(run({"--dpi", "150", "-o", "buch.pdf", "a.vsn"}).exitCode, 2);
    EXPECT_EQ(run({"--dpi", "0", "-o", "x.png", "a.vsn"}).exitCode, 2);
    EXPECT_EQ(run({"--size", "-o", "x.png", "a.vsn"}).exitCode, 2);
    EXPECT_EQ(run({"-o", "x.PNG", "a.vsn"}).exitCode, 0) << "the extension's case does not matter";
}

TEST_F(ImageOutput, failuresAreReportedAndLeaveAnExistingImageAlone) {
    writeSong("a.vsn", "Eins");
    ToolRun r = run({"-o", "kein/ordner.png", "a.vsn"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("kein/ordner.png"))) << r.err.toStdString();

    // A song without lyrics has no page: the print command says so and the old image stays.
    SongDocument empty;
    empty.InstallDefaultFonts();
    empty.TitelEdit().setText("Nur ein Titel");
    writeBytes(dir.filePath("leer.vsn"), QByteArray::fromStdString(formatLayout(empty)));
    writeBytes(dir.filePath("alt.png"), "old");
    r = run({"-o", "alt.png", "leer.vsn"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Ihr Song hat noch keinen Text!"))) << r.err.toStdString();
    QFile old(dir.filePath("alt.png"));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old"));
}

} // namespace
