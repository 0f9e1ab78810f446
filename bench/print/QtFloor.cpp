// The least any Qt program pays to put a song's four faces on one PDF page: a QGuiApplication on
// the offscreen platform, a QPdfWriter at 600 dots per inch and one line in each of the faces a new
// song uses (title, performer, lyrics, chords), nothing read, laid out or checked. Run beside
// versino-print and the peer by bench/peer-figures, it shows how much of one song's time is
// versino-print's own.
//   bench-qt-floor OUT.pdf
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QPdfWriter writer(QString::fromLocal8Bit(argv[1]));
    writer.setResolution(600);
    QPainter painter(&writer);
    struct Face {
        const char* family;
        int points;
        bool bold, italic;
    };
    // The four faces a new song's page embeds, as fontconfig resolves these requests here.
    const Face faces[] = {{"Bauhaus Md BT", 24, true, false},
                          {"Bauhaus Lt BT", 18, false, false},
                          {"Arial", 12, false, false},
                          {"Arial", 10, true, true}};
    int y = 600;
    for (const Face& f : faces) {
        QFont font(QString::fromLatin1(f.family));
        font.setPointSize(f.points);
        font.setBold(f.bold);
        font.setItalic(f.italic);
        painter.setFont(font);
        painter.drawText(600, y, QStringLiteral("Der Mond ist aufgegangen, die goldnen Sternlein prangen"));
        y += 400;
    }
    return painter.end() ? 0 : 1;
}
