#pragma once

#include <QByteArray>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <functional>
#include <vector>

// Running the command-line tools the print tests look through: versino-print, pdfinfo, pdftotext,
// pdffonts, pdftoppm.
namespace versino::testing {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

inline ToolRun runTool(const QString& program, const QStringList& args,
                       const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                       const QString& workingDir = QString(), int timeoutMs = 60000,
                       const std::function<void()>& inChild = {}) {
    QProcess p;
    p.setProcessEnvironment(env);
    if (inChild)
        p.setChildProcessModifier(inChild); // runs in the child between fork and exec
    if (!workingDir.isEmpty())
        p.setWorkingDirectory(workingDir);
    p.start(program, args);
    ToolRun r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.err = program + " did not finish";
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

struct Word {
    QString text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

struct PdfText {
    double width = 0;
    double height = 0;
    int pages = 0;
    std::vector<Word> words; // of the first page, in reading order
};

// The words of a PDF with their boxes in points, from `pdftotext -bbox`.
inline PdfText pdfWords(const QString& pdf) {
    PdfText t;
    const ToolRun r = runTool("pdftotext", {"-bbox", pdf, "-"});
    QXmlStreamReader xml(r.out);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto a = xml.attributes();
        if (xml.name() == QLatin1String("page")) {
            if (++t.pages == 1) {
                t.width = a.value("width").toDouble();
                t.height = a.value("height").toDouble();
            }
        } else if (xml.name() == QLatin1String("word") && t.pages == 1) {
            Word w;
            w.xMin = a.value("xMin").toDouble();
            w.yMin = a.value("yMin").toDouble();
            w.xMax = a.value("xMax").toDouble();
            w.yMax = a.value("yMax").toDouble();
            w.text = xml.readElementText();
            t.words.push_back(w);
        }
    }
    return t;
}

// The words of every page, with their boxes.
inline std::vector<std::vector<Word>> wordsByPage(const QString& pdf) {
    std::vector<std::vector<Word>> pages;
    QXmlStreamReader xml(runTool("pdftotext", {"-bbox", pdf, "-"}).out);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto a = xml.attributes();
        if (xml.name() == QLatin1String("page")) {
            pages.emplace_back();
        } else if (xml.name() == QLatin1String("word") && !pages.empty()) {
            Word w{QString(), a.value("xMin").toDouble(), a.value("yMin").toDouble(), a.value("xMax").toDouble(),
                   a.value("yMax").toDouble()};
            w.text = xml.readElementText();
            pages.back().push_back(w);
        }
    }
    return pages;
}

inline const Word* findWord(const PdfText& t, const QString& text) {
    for (const Word& w : t.words)
        if (w.text == text)
            return &w;
    return nullptr;
}

// The first page (or page `page`) rendered at `dpi`, or a null image.
inline QImage renderPage(const QString& pdf, int dpi, const QString& outBase, int page = 1) {
    const QString n = QString::number(page);
    runTool("pdftoppm", {"-png", "-r", QString::number(dpi), "-f", n, "-l", n, "-singlefile", pdf, outBase});
    return QImage(outBase + ".png").convertToFormat(QImage::Format_RGB32);
}

// The smallest rectangle holding every pixel that matches.
inline QRect inkBox(const QImage& image, const std::function<bool(QRgb)>& matches) {
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (!matches(line[x]))
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

inline bool isBlue(QRgb c) {
    return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60;
}
inline bool isRed(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 120 && qBlue(c) < 120;
}
inline bool isDark(QRgb c) {
    return qRed(c) < 100 && qGreen(c) < 100 && qBlue(c) < 100;
}

} // namespace versino::testing
