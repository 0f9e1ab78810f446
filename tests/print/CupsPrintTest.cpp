// The print command through QPrinter on a real CUPS queue: a private cupsd in a temporary folder
// with a cups-pdf queue as its default printer. The machine's own CUPS is never touched.

#include "platform/QtBookPrinter.h"
#include "platform/QtPrinter.h"
#include "print/BmpFiles.h"
#include "commands/PrintCommand.h"
#include "commands/SongbookCommands.h"
#include "formats/LayoutFile.h"
#include "print/Imposition.h"
#include "print/PageComposer.h"
#include "print/PdfTools.h"
#include "support/GuiApp.h"
#include "support/ScriptedDialogs.h"

#include <QColor>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <QTemporaryDir>
#include <QThread>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <pwd.h>
#include <unistd.h>

using namespace versino;
using namespace versino::testing;

namespace {

const char* const kCupsd = "/usr/sbin/cupsd";

class PrivateCups : public ::testing::Test {
protected:
    QTemporaryDir dir{QDir::tempPath() + "/versino-cups-XXXXXX"};
    QString socket;
    QProcess cupsd;

    void SetUp() override {
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root: cupsd and the cups-pdf backend must run as root";
        if (!QFileInfo(kCupsd).isExecutable())
            GTEST_SKIP() << kCupsd << " is not installed (the cups package; make test installs it)";
        ASSERT_TRUE(dir.isValid());
        socket = dir.filePath("cups.sock");
        writeConfiguration();
        startCupsd();
        addPdfQueue();
        // Everything below talks to the private server only: libcups reads these at its first use.
        qputenv("CUPS_SERVER", socket.toLocal8Bit());
        qputenv("CUPS_SERVERROOT", dir.filePath("client").toLocal8Bit());
        qputenv("HOME", dir.path().toLocal8Bit()); // no ~/.cups/lpoptions picks another default
        versino::testing::guiApp();
    }

    void TearDown() override {
        if (cupsd.state() != QProcess::NotRunning) {
            cupsd.terminate();
            if (!cupsd.waitForFinished(5000)) {
                cupsd.kill();
                cupsd.waitForFinished();
            }
        }
    }

    void writeConfiguration() {
        for (const char* sub : {"etc", "etc/ppd", "client", "spool", "spool/tmp", "cache", "state", "log"})
            ASSERT_TRUE(QDir(dir.path()).mkpath(sub));
        // cupsd drops to the lp user for filters: they must be able to reach the spool.
        QFile(dir.path()).setPermissions(QFileDevice::Permissions(0x7755));
        const QString d = dir.path();
        writeBytes(d + "/etc/cupsd.conf",
                   QStringLiteral("Listen %1\n"
                                  "LogLevel info\n"
                                  "PageLogFormat %j %{sides}\n"
                                  "WebInterface No\n"
                                  "Browsing Off\n"
                                  "DefaultAuthType None\n"
                                  "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                  "<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                                  "  </Limit>\n</Policy>\n")
                       .arg(socket)
                       .toUtf8());
        writeBytes(d + "/etc/cups-files.conf",
                   QStringLiteral("ServerRoot %1/etc\nRequestRoot %1/spool\nTempDir %1/spool/tmp\n"
                                  "CacheDir %1/cache\nStateDir %1/state\nErrorLog %1/log/error_log\n"
                                  "AccessLog %1/log/access_log\nPageLog %1/log/page_log\n"
                                  "Printcap %1/printcap\nFileDevice No\n")
                       .arg(d)
                       .toUtf8());
        // cups-pdf names its files by job number and does not replace a file of an earlier run, so
        // this server numbers its jobs from a value of its own.
        const qint64 firstJob = 100000 + (QDateTime::currentSecsSinceEpoch() % 100000) * 50 + ::getpid() % 50;
        writeBytes(d + "/cache/job.cache", QStringLiteral("NextJobId %1\n").arg(firstJob).toUtf8());
        writeBytes(d + "/client/client.conf", QStringLiteral("ServerName %1\n").arg(socket).toUtf8());
    }

    void startCupsd() {
        cupsd.setProgram(kCupsd);
        cupsd.setArguments(
            {"-f", "-c", dir.filePath("etc/cupsd.conf"), "-s", dir.filePath("etc/cups-files.conf")});
        cupsd.setProcessChannelMode(QProcess::ForwardedChannels);
        cupsd.start();
        ASSERT_TRUE(cupsd.waitForStarted(5000)) << "cupsd did not start";
        QElapsedTimer t;
        t.start();
        while (!runTool("lpstat", {"-h", socket, "-r"}).out.contains("scheduler is running")) {
            ASSERT_LT(t.elapsed(), 15000) << "cupsd did not come up: " << errorLog();
            ASSERT_EQ(cupsd.state(), QProcess::Running) << "cupsd ended: " << errorLog();
            QThread::msleep(50);
        }
    }

    // The cups-pdf model as this CUPS knows it.
    QString pdfModel() {
        const ToolRun models = runTool("lpinfo", {"-h", socket, "-m"});
        for (const QString& line : models.out.split('\n'))
            if (line.contains("CUPS-PDF", Qt::CaseInsensitive))
                return line.section(' ', 0, 0);
        return QString();
    }

    void addPdfQueue() {
        const QString model = pdfModel();
        ASSERT_FALSE(model.isEmpty()) << "no cups-pdf model: install printer-driver-cups-pdf";
        const ToolRun add =
            runTool("lpadmin", {"-h", socket, "-p", "versino-pdf", "-E", "-v", "cups-pdf:/", "-m", model});
        ASSERT_EQ(add.exitCode, 0) << add.err.toStdString();
        const ToolRun def = runTool("lpadmin", {"-h", socket, "-d", "versino-pdf"});
        ASSERT_EQ(def.exitCode, 0) << def.err.toStdString();
    }

    std::string errorLog() const {
        QFile f(dir.filePath("log/error_log"));
        return f.open(QIODevice::ReadOnly) ? f.readAll().right(2000).toStdString() : std::string();
    }

    // Where cups-pdf writes for this user: its configured Out folder and its anonymous folder.
    static QStringList outputFolders() {
        const passwd* pw = ::getpwuid(::geteuid());
        const QString home = pw ? QString::fromLocal8Bit(pw->pw_dir) : QString();
        const QString user = pw ? QString::fromLocal8Bit(pw->pw_name) : QString();
        QString out = "/var/spool/cups-pdf/${USER}";
        QString anonymous = "/var/spool/cups-pdf/ANONYMOUS";
        QFile conf("/etc/cups/cups-pdf.conf");
        if (conf.open(QIODevice::ReadOnly)) {
            for (const QString& line : QString::fromLocal8Bit(conf.readAll()).split('\n')) {
                const QString l = line.trimmed();
                if (l.startsWith("Out "))
                    out = l.mid(4).trimmed();
                else if (l.startsWith("AnonDirName "))
                    anonymous = l.mid(12).trimmed();
            }
        }
        out.replace("${HOME}", home).replace("${USER}", user);
        return {out, anonymous};
    }

    // Waits for the next PDF that cups-pdf finishes after `since`, and moves it into the test's
    // folder: cups-pdf may give the next job the same name.
    QString awaitPdf(const QDateTime& since, const QString& copyName) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 60000) {
            for (const QString& folder : outputFolders()) {
                QDirIterator it(folder, {"*.pdf"}, QDir::Files);
                while (it.hasNext()) {
                    const QFileInfo f(it.next());
                    if (f.lastModified() < since)
                        continue;
                    QFile file(f.filePath());
                    if (!file.open(QIODevice::ReadOnly) || !file.readAll().trimmed().endsWith("%%EOF"))
                        continue;
                    const QString copy = dir.filePath(copyName);
                    if (!QFile::copy(f.filePath(), copy))
                        continue;
                    QFile::remove(f.filePath());
                    return copy;
                }
            }
            QThread::msleep(100);
        }
        ADD_FAILURE() << "no PDF arrived from cups-pdf; cupsd log: " << errorLog();
        return QString();
    }
};

TEST_F(PrivateCups, printCommandSendsOneA4PortraitPageWithTheComposedContent) {
    const QString picture = dir.filePath("blue.bmp");
    {
        QImage blue(300, 200, QImage::Format_RGB32);
        blue.fill(Qt::blue);
        ASSERT_TRUE(blue.save(picture, "BMP"));
    }
    SongDocument doc;
    doc.InstallDefaultFonts();
    doc.TitelEdit().setText("Druckprobe");
    doc.TextEdit().setText("<G>Erste <D>Zeile\r\nzweite Zeile\r\n");
    doc.GraphikEdit().setText(dir.filePath("missing.bmp").toStdString());

    // A picture that cannot be opened: the page still arrives, then the error is shown.
    ScriptedDialogs dialogs;
    QtPrinter printer;
    QDateTime since = QDateTime::currentDateTime().addSecs(-1);
    DruckenClick(doc, dialogs, printer);
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_TRUE(dialogs.errors[0].startsWith("Cannot open file \"")) << dialogs.errors[0].toStdString();
    ASSERT_FALSE(awaitPdf(since, "first.pdf").isEmpty());

    // The printer is ready for the next print.
    doc.GraphikEdit().setText(picture.toStdString());
    since = QDateTime::currentDateTime().addSecs(-1);
    DruckenClick(doc, dialogs, printer);
    EXPECT_EQ(dialogs.errors.size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty());
    const QString arrived = awaitPdf(since, "arrived.pdf");
    ASSERT_FALSE(arrived.isEmpty());

    const QString info = runTool("pdfinfo", {arrived}).out;
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\n"))) << info.toStdString();
    const QRegularExpressionMatch size =
        QRegularExpression("Page size:\\s+([\\d.]+) x ([\\d.]+)").match(info);
    ASSERT_TRUE(size.hasMatch()) << info.toStdString();
    const double widthPt = size.captured(1).toDouble();
    const double heightPt = size.captured(2).toDouble();
    EXPECT_NEAR(widthPt, 595.3, 1.0); // A4, portrait
    EXPECT_NEAR(heightPt, 841.9, 1.0);

    // Where the composer put things, in device units of 1/600 inch, seen at 100 dots per inch.
    constexpr int dpi = 100;
    const QImage page = renderPage(arrived, dpi, dir.filePath("arrived"));
    ASSERT_FALSE(page.isNull());
    const auto px = [](double units) { return units * dpi / 600.0; };
    const int pageWidthUnits = int(widthPt * 600 / 72 + 0.5);
    const int pageHeightUnits = int(heightPt * 600 / 72 + 0.5);
    const int centre = pageWidthUnits / 2;

    const QRect blue = inkBox(page, isBlue);
    EXPECT_NEAR(blue.left(), px(centre - 150), 2.0);
    EXPECT_NEAR(blue.right() + 1, px(centre + 150), 2.0);
    EXPECT_NEAR(blue.top(), px(pageHeightUnits - 250), 2.0);
    EXPECT_NEAR(blue.bottom() + 1, px(pageHeightUnits - 50), 2.0);

    // Chords (red) start at the left margin of 200 units, under the header.
    const QRect red = inkBox(page, isRed);
    EXPECT_NEAR(red.left(), px(200), 3.0);
    EXPECT_GT(red.top(), px(250));

    // The text (dark) is centred by its title and starts at the left margin.
    const QRect dark = inkBox(page, isDark);
    EXPECT_NEAR(dark.left(), px(200), 3.0);
    EXPECT_NEAR(dark.top(), px(150), 8.0);

    // The PDF book draws the same page: same ink in the same places.
    const QString book = dir.filePath("book.pdf");
    {
        PdfBookPrinter pdf(book);
        ScriptedDialogs quiet;
        DruckenClick(doc, quiet, pdf);
        ASSERT_NO_THROW(pdf.finish());
    }
    const QImage same = renderPage(book, dpi, dir.filePath("book"));
    for (const auto& colour : {isBlue, isRed, isDark}) {
        const QRect a = inkBox(page, colour);
        const QRect b = inkBox(same, colour);
        EXPECT_NEAR(a.left(), b.left(), 2);
        EXPECT_NEAR(a.top(), b.top(), 2);
        EXPECT_NEAR(a.right(), b.right(), 2);
        EXPECT_NEAR(a.bottom(), b.bottom(), 2);
    }
}

// A booklet goes to the printer as one job of A4 landscape sheets, the sides in folding order and
// turned over the short edge on a queue that prints both sides: from the songbook window's A5-Heft
// and from versino-print without -o, and two pages a side in reading order likewise. The book is
// its contents and six songs: seven pages, four sides either way, the booklet's last page blank.
// The queue's filters turn a landscape sheet onto portrait paper and lose the fonts' encoding, so
// each song is told by the hue of its ink, and each half of the paper's long side by its own.
TEST_F(PrivateCups, bookletSheetsArriveLandscapeInFoldingOrderOnBothSides) {
    QFile ppd(dir.filePath("etc/ppd/versino-pdf.ppd"));
    ASSERT_TRUE(ppd.open(QIODevice::ReadOnly));
    writeBytes(dir.filePath("duplex.ppd"),
               ppd.readAll() + "*OpenUI *Duplex: PickOne\n*DefaultDuplex: None\n*Duplex None: \"\"\n"
                               "*Duplex DuplexNoTumble: \"\"\n*Duplex DuplexTumble: \"\"\n*CloseUI: *Duplex\n");
    ASSERT_EQ(runTool("lpadmin", {"-h", socket, "-p", "versino-pdf", "-P", dir.filePath("duplex.ppd")}).exitCode, 0);
    QStringList songs;
    for (int k = 0; k < 6; ++k) {
        SongDocument doc;
        doc.InstallDefaultFonts();
        doc.TitelEdit().setText("Lied " + std::string(1, char('A' + k)));
        doc.TextEdit().setText("la la la\r\n");
        const QColor hue = QColor::fromHsv(60 * k, 255, 230);
        doc.TitelFont.color = doc.TextFont.color = std::int32_t(hue.red() | hue.green() << 8 | hue.blue() << 16);
        songs << dir.filePath(QStringLiteral("lied%1.vsn").arg(k));
        writeBytes(songs.back(), QByteArray::fromStdString(formatLayout(doc)));
    }
    // The book's page a half of a sheet shows: 1 + k for the hue of song k, 0 for black alone (the
    // contents), -1 for none.
    const auto pageIn = [](const QImage& image, QRect half) {
        std::array<int, 6> hues{};
        int dark = 0;
        for (int y = half.top(); y <= half.bottom(); ++y)
            for (int x = half.left(); x <= half.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.hsvSaturation() > 120 && c.value() > 80)
                    ++hues[std::size_t((c.hsvHue() + 30) / 60 % 6)];
                else
                    dark += isDark(c.rgb());
            }
        const auto most = std::max_element(hues.begin(), hues.end());
        return *most > 10 ? 1 + int(most - hues.begin()) : dark > 10 ? 0 : -1;
    };
    const struct {
        const char* road;
        std::vector<SheetSide> sides;
    } cases[] = {{"window", bookletSides(7)}, {"--booklet", bookletSides(7)}, {"--2-up", twoUpSides(7)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.road);
        const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
        const qint64 logged = QFileInfo(dir.filePath("log/page_log")).size();
        if (QString(c.road) == "window") {
            ScriptedDialogs dialogs;
            SongbookCommands commands(dialogs, {});
            commands.addSongs(songs);
            BookOptions options = commands.options();
            options.booklet = true;
            commands.setOptions(options);
            QtBookPrinter printer(commands.jobName());
            commands.DruckenClick(printer);
            EXPECT_TRUE(dialogs.errors.empty()) << dialogs.errors.front().toStdString();
        } else {
            const ToolRun r = runTool(VERSINO_PRINT_EXE, QStringList{c.road} + songs);
            ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        }
        const QString arrived = awaitPdf(since, QStringLiteral("sheets%1.pdf").arg(c.road));
        ASSERT_FALSE(arrived.isEmpty());
        const QString info = runTool("pdfinfo", {arrived}).out;
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(c.sides.size()))) &&
                    info.contains(QRegularExpression("Page size:\\s+(595(\\.\\d+)? x 842|84[12](\\.\\d+)? x 595)")))
            << info.toStdString();
        // The job's line in the page log comes when the job is done, which may be after its file.
        QElapsedTimer waited;
        waited.start();
        while (QFileInfo(dir.filePath("log/page_log")).size() <= logged && waited.elapsed() < 20000)
            QThread::msleep(50);
        QFile log(dir.filePath("log/page_log"));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromLatin1(log.readAll().mid(logged).trimmed()).section(QLatin1Char(' '), -1), "two-sided-short-edge");
        // Which end of the paper a sheet's left half went to is the filters' choice, the same on
        // every side.
        std::vector<std::pair<int, int>> shown, asLeftRight, asRightLeft;
        for (int s = 1; s <= int(c.sides.size()); ++s) {
            const QImage sheet = renderPage(arrived, 30, dir.filePath(QStringLiteral("side%1").arg(s)), s);
            const bool tall = sheet.height() > sheet.width();
            const QRect first(0, 0, tall ? sheet.width() : sheet.width() / 2, tall ? sheet.height() / 2 : sheet.height());
            shown.emplace_back(pageIn(sheet, first), pageIn(sheet, first.translated(tall ? 0 : first.width(),
                                                                                    tall ? first.height() : 0)));
            asLeftRight.emplace_back(c.sides[s - 1].left, c.sides[s - 1].right);
            asRightLeft.emplace_back(c.sides[s - 1].right, c.sides[s - 1].left);
        }
        EXPECT_TRUE(shown == asLeftRight || shown == asRightLeft) << ::testing::PrintToString(shown);
    }
}

} // namespace
