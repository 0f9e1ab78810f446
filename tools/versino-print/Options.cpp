// Reading and checking the command line of versino-print.

#include "Options.h"

#include "formats/SongList.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QList>
#include <algorithm>
#include <cstdio>

namespace versino::cli {

const char* const kSynopsis =
    "Aufruf: versino-print [-o BUCH.pdf|SEITE.png] [--paper a4|letter] [--dpi N|--size N] [--fit]\n"
    "                      [--transpose N [--notation de|en]] [--diagrams INSTRUMENT] SONG...\n"
    "        versino-print -o SONG.cho|SONG.vsn [--transpose N [--notation de|en]]\n"
    "                      [--diagrams INSTRUMENT] SONG\n"
    "        versino-print -d ORDNER [--to vsn|cho] [--transpose N [--notation de|en]]\n"
    "                      [--diagrams INSTRUMENT] SONG...\n"
    "        versino-print -o BUCH.pdf --book [--title TEXT] [--index] [--lyrics-only] [--fit]\n"
    "                      [--diagrams INSTRUMENT] [--running-order] SONG...|LISTE.vsl...\n"
    "        versino-print -o FOLGE.pdf --setlist [--title TEXT] LISTE.vsl...\n"
    "        versino-print [-o BUCH.pdf] --booklet|--2-up [Buchoptionen] SONG...|LISTE.vsl...\n"
    "        versino-print --check [--paper a4|letter] [--fit] [--diagrams INSTRUMENT] SONG...\n"
    "        (jede Form nimmt --pages 2)\n"
    "\n";

namespace {

const char* const kDescription =
    "Druckt Versino-Songs (Layoutdateien .vsn, ChordPro-Dateien .cho .crd .chopro .chordpro .pro,\n"
    "Akkordtexte mit den Akkorden \u00FCber dem Text .txt) genau wie der Druckbefehl des Editors: eine\n"
    "Hochformatseite je Song, die Akkorde \u00FCber ihren Silben. Ohne -o geht jeder Song als eigener\n"
    "Auftrag an den Standarddrucker. Eine ChordPro-Datei mit mehreren Songs ({new_song}) gibt jeden\n"
    "ihrer Songs.\n"
    "\n"
    "Ein Song, der sich nicht lesen oder drucken l\u00E4sst, wird auf der Standardfehlerausgabe mit\n"
    "seinem Dateinamen gemeldet; die anderen Songs entstehen trotzdem. Was ein Import ausgelassen\n"
    "oder ge\u00E4ndert hat, steht dort als Hinweis und z\u00E4hlt nicht als Fehler. Was eine Seite nicht\n"
    "fassen kann, wird genannt (wie --check es auflistet); der Song wird trotzdem gedruckt.\n"
    "Exit-Status: 0, wenn alles entstanden ist (mit --check: jeder Song passt), 1, wenn --check\n"
    "etwas gefunden hat, 2 bei Fehlern (eine falsche Option, ein Song oder eine Ausgabe, die sich\n"
    "nicht lesen oder schreiben l\u00E4sst). Auf einem Terminal zeigt die Standardfehlerausgabe den\n"
    "Fortschritt, wenn mehr als drei Songs angegeben sind.\n"
    "\n"
    "Ein Liederbuch (--book, oder eine Songliste .vsl unter den Songs) hat eine Titelseite, wenn es\n"
    "einen Titel hat, das Inhaltsverzeichnis, die Songs mit Seitenzahlen, mit --index ein Register\n"
    "der Liedanf\u00E4nge, und PDF-Lesezeichen. Songs, die sich nicht lesen lassen, werden gemeldet\n"
    "und ausgelassen (Status 2). Ein Song von zwei Seiten beginnt auf einer linken (geraden) Seite.\n"
    "--booklet macht daraus ein A5-Heft auf A4-Querformatbogen (mit --paper letter: halbes Letter auf\n"
    "Letter), beidseitig zu drucken, zu falten und zu heften; --2-up setzt zwei Seiten je Seite in\n"
    "Lesereihenfolge. Ohne -o gehen die Bogen an den Drucker, beidseitig \u00FCber die kurze Kante,\n"
    "wo er das kann.\n";

} // namespace

void fail(const QString& text) {
    std::fprintf(stderr, "versino-print: %s\n", qPrintable(text));
}

QString fileErrorText(const QString& path, const FileError& e) {
    return path + QStringLiteral(": ") + QString::fromStdString(e.what());
}

namespace {

// A whole number within [low, high], or nothing after a message naming the option.
std::optional<int> number(const QString& option, const QString& value, int low, int high) {
    bool ok = false;
    const int n = value.toInt(&ok);
    if (ok && n >= low && n <= high)
        return n;
    fail(QStringLiteral("--%1 verlangt eine ganze Zahl von %2 bis %3, nicht \u201E%4\u201C")
             .arg(option)
             .arg(low)
             .arg(high)
             .arg(value));
    return std::nullopt;
}

// The kind of output by the file's extension, in any letter case.
std::optional<Output> outputByExtension(const QString& file) {
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == QLatin1String("pdf"))
        return Output::Pdf;
    if (suffix == QLatin1String("png"))
        return Output::Png;
    if (suffix == QLatin1String("cho"))
        return Output::ChordPro;
    if (suffix == QLatin1String("vsn"))
        return Output::Layout;
    fail(QStringLiteral("%1: unbekanntes Ausgabeformat (bekannt: .pdf, .png, .cho, .vsn)").arg(file));
    return std::nullopt;
}

} // namespace

namespace {

// Every option as the help lists it, in this order.
struct OptionTable {
    QCommandLineOption help{{"h", "help"}, "Zeigt diese Hilfe."};
    QCommandLineOption version{{"v", "version"}, "Zeigt die Version."};
    QCommandLineOption output{{"o", "output"},
                              "Schreibt ein PDF-Buch (eine Seite je Song) oder PNG-Bilder (eines je Song: "
                              "DATEI-1.png, DATEI-2.png ... bei mehreren), oder wandelt einen Song in "
                              "ChordPro (.cho) oder eine Layoutdatei (.vsn) um.",
                              "Datei"};
    QCommandLineOption paper{"paper", "Das Papier des PDFs, der Bilder und der gepr\u00FCften Seite: a4 "
                                      "(Vorgabe) oder letter.", "a4|letter"};
    QCommandLineOption dpi{"dpi", "Aufl\u00F6sung der PNG-Bilder (Vorgabe 150).", "N"};
    QCommandLineOption size{"size", "L\u00E4ngere Seite der PNG-Bilder in Pixeln, statt --dpi.", "N"};
    QCommandLineOption check{"check", "Druckt nichts: listet jede Stelle, an der eine Seite ihren Song nicht "
                                      "fassen kann, eine Zeile je Stelle als DATEI:ZEILE: Text. Exit-Status 0, "
                                      "wenn jeder Song passt, 1, wenn etwas gelistet wurde, 2, wenn sich ein "
                                      "Song nicht lesen l\u00E4sst."};
    QCommandLineOption fit{"fit", "Verkleinert Text- und Akkordschrift jedes Songs, bis er auf eine Seite "
                                  "passt (wie Bearbeiten > Auf eine Seite einpassen); die Dateien bleiben "
                                  "unver\u00E4ndert."};
    QCommandLineOption transpose{"transpose", "Verschiebt zuerst jeden Akkord um N Halbt\u00F6ne (-11 bis 11); "
                                              "die Dateien bleiben unver\u00E4ndert.", "N"};
    QCommandLineOption notation{"notation", "Die Schreibweise der Akkorde: de mit H und B, en mit B und Bb "
                                            "(Vorgabe: de, wenn ein Akkord den Grundton H hat).", "de|en"};
    QCommandLineOption book{"book", "Macht ein Liederbuch: Inhalt, Seitenzahlen, Lesezeichen."};
    QCommandLineOption title{"title", "Der Titel des Liederbuchs (eine Titelseite und der Titel des PDFs).",
                             "Text"};
    QCommandLineOption index{"index", "F\u00FCgt dem Liederbuch ein Register der Liedanf\u00E4nge an."};
    QCommandLineOption lyricsOnly{"lyrics-only", "L\u00E4sst jeden Akkord weg: nur der Text."};
    QCommandLineOption diagrams{"diagrams", "Griffbilder unter dem Text jedes Songs f\u00FCr dieses Instrument, "
                                            "oder keine (aus), gleich was die Songs gew\u00E4hlt haben; eine "
                                            "ChordPro-Datei bekommt ein {define} je gezeigtem Akkord.",
                                "gitarre|ukulele|klavier|aus"};
    QCommandLineOption folder{{"d", "folder"},
                              "Wandelt jeden Song jeder Datei in einem Lauf in ORDNER um: NAME.vsn (oder "
                              "NAME.cho mit --to cho); eine Datei mit mehreren Songs gibt NAME-1, NAME-2 ...",
                              "Ordner"};
    QCommandLineOption to{"to", "Das Format, in das -d umwandelt: vsn (Vorgabe) oder cho.", "vsn|cho"};
    QCommandLineOption setlist{"setlist", "Druckt die Spielfolge der Songs auf eine Seite in gro\u00DFer Schrift: "
                                          "Nummer, Titel, Tonart und Notiz jedes Songs (die Eintr\u00E4ge einer "
                                          "Songliste geben Transposition und Notiz)."};
    QCommandLineOption runningOrder{"running-order", "Zeigt den Inhalt des Liederbuchs in der Reihenfolge der "
                                                     "Songs, mit Nummer und Tonart."};

    QCommandLineOption pages{"pages", "2: Zeilen, die nicht auf die Seite passen, gehen auf einer zweiten Seite "
                                      "weiter; 1: eine Seite; ohne die Option, wie jeder Song es w\u00E4hlt.",
                             "1|2"};
    QCommandLineOption booklet{"booklet", "Macht das Liederbuch zu einem A5-Heft: zwei Seiten je Seite von "
                                          "A4-Querformatbogen, in der Reihenfolge zum Falten und Heften."};
    QCommandLineOption twoUp{"2-up", "Setzt das Liederbuch mit zwei Seiten je Seite auf Querformatbogen, in "
                                     "Lesereihenfolge."};

    QList<QCommandLineOption> all() const {
        return {help,     version, output, paper,      dpi,      size,   check, fit,     transpose,
                notation, book,    title,  index,      lyricsOnly, diagrams, folder, to, setlist,
                runningOrder, pages, booklet, twoUp};
    }
};

// The parser's own complaints, said in German.
QString parseErrorText(const QCommandLineParser& parser) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty())
        return QStringLiteral("unbekannte Option \u201E%1%2\u201C")
            .arg(unknown.front().size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), unknown.front());
    const QString text = parser.errorText();
    const qsizetype open = text.indexOf(QLatin1Char('\'')), close = text.lastIndexOf(QLatin1Char('\''));
    const QString name = open >= 0 && close > open ? text.mid(open + 1, close - open - 1) : QString();
    if (text.startsWith(QLatin1String("Missing value")))
        return QStringLiteral("\u201E%1\u201C verlangt einen Wert").arg(name);
    if (text.startsWith(QLatin1String("Unexpected value")))
        return QStringLiteral("\u201E%1\u201C nimmt keinen Wert").arg(name);
    return text;
}

// Wraps `text` to lines of at most `width` characters, each begun with `indent`.
QString wrapped(const QString& text, int width, const QString& indent) {
    QString out, line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent.size() + line.size() + 1 + word.size() > width) {
            out += indent + line + QLatin1Char('\n');
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        out += indent + line + QLatin1Char('\n');
    return out;
}

} // namespace

QString helpText() {
    // Laid out as QCommandLineParser lays out its own help, which the manual page and the shell
    // completion are made from: each entry's names, "<value>", two blanks or more, the description
    // wrapped under its start.
    std::vector<std::pair<QString, QString>> options;
    for (const QCommandLineOption& option : OptionTable().all()) {
        QStringList names;
        for (const QString& name : option.names())
            names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        QString head = names.join(QStringLiteral(", "));
        if (!option.valueName().isEmpty())
            head += QStringLiteral(" <%1>").arg(option.valueName());
        options.emplace_back(head, option.description());
    }
    const std::pair<QString, QString> songs{
        QStringLiteral("SONG..."),
        QStringLiteral("Die Songs: Layoutdateien, ChordPro-Dateien, Akkordtexte (.txt) oder Songlisten (.vsl).")};
    qsizetype column = songs.first.size();
    for (const auto& [head, text] : options)
        column = std::max(column, head.size());
    column += 4; // two blanks before the names, two after the longest
    const auto entry = [&](const std::pair<QString, QString>& e) {
        const QString lead = QStringLiteral("  ") + e.first.leftJustified(column - 2);
        const QString body = wrapped(e.second, 79, QString(column, QLatin1Char(' ')));
        return lead + body.mid(column);
    };
    QString text = QString::fromUtf8(kSynopsis) + QString::fromUtf8(kDescription) + QStringLiteral("\nOptionen:\n");
    for (const auto& e : options)
        text += entry(e);
    return text + QStringLiteral("\nArgumente:\n") + entry(songs);
}

std::optional<Options> parseArguments(QCommandLineParser& parser, const QStringList& arguments, Info& info) {
    const OptionTable table;
    const QCommandLineOption& helpOption = table.help;
    const QCommandLineOption& versionOption = table.version;
    const QCommandLineOption& outputOption = table.output;
    const QCommandLineOption& paperOption = table.paper;
    const QCommandLineOption& dpiOption = table.dpi;
    const QCommandLineOption& sizeOption = table.size;
    const QCommandLineOption& checkOption = table.check;
    const QCommandLineOption& fitOption = table.fit;
    const QCommandLineOption& transposeOption = table.transpose;
    const QCommandLineOption& notationOption = table.notation;
    const QCommandLineOption& titleOption = table.title;
    const QCommandLineOption& bookOption = table.book;
    const QCommandLineOption& indexOption = table.index;
    const QCommandLineOption& lyricsOnlyOption = table.lyricsOnly;
    const QCommandLineOption& diagramsOption = table.diagrams;
    parser.addOptions(table.all());
    parser.addPositionalArgument("SONG", QString(), "SONG...");
    const QCommandLineOption& folderOption = table.folder;
    const QCommandLineOption& toOption = table.to;
    const QCommandLineOption& setlistOption = table.setlist;
    const QCommandLineOption& runningOrderOption = table.runningOrder;
    const QCommandLineOption& pagesOption = table.pages;
    const QCommandLineOption& bookletOption = table.booklet;
    const QCommandLineOption& twoUpOption = table.twoUp;
    if (!parser.parse(arguments)) {
        fail(parseErrorText(parser));
        return std::nullopt;
    }
    if (parser.isSet(helpOption))
        info = Info::Help;
    else if (parser.isSet(versionOption))
        info = Info::Version;
    if (info != Info::None)
        return Options{};

    Options o;
    o.songs = parser.positionalArguments();
    o.check = parser.isSet(checkOption);
    o.fit = parser.isSet(fitOption);
    o.index = parser.isSet(indexOption);
    o.lyricsOnly = parser.isSet(lyricsOnlyOption);
    if (parser.isSet(bookletOption) && parser.isSet(twoUpOption)) {
        fail(QStringLiteral("--booklet und --2-up schlie\u00DFen einander aus"));
        return std::nullopt;
    }
    o.sheets = parser.isSet(bookletOption) ? Options::Sheets::Booklet
               : parser.isSet(twoUpOption) ? Options::Sheets::TwoUp
                                           : Options::Sheets::Pages;
    if (parser.isSet(pagesOption)) {
        const std::optional<int> pages = number("pages", parser.value(pagesOption), 1, 2);
        if (!pages)
            return std::nullopt;
        o.pages = pages;
    }
    o.setlist = parser.isSet(setlistOption);
    o.runningOrder = parser.isSet(runningOrderOption);
    // A song list makes a book, except for --check, which checks the list's songs.
    o.book = parser.isSet(bookOption) || parser.isSet(titleOption) || o.index || o.runningOrder || o.sheets != Options::Sheets::Pages ||
             (!o.check && std::any_of(o.songs.begin(), o.songs.end(),
                                      [](const QString& f) { return songlist::isSongListFile(f); }));
    if (parser.isSet(titleOption))
        o.title = parser.value(titleOption);
    if (parser.isSet(paperOption)) {
        const QString paper = parser.value(paperOption).toLower();
        if (paper != QLatin1String("a4") && paper != QLatin1String("letter")) {
            fail(QStringLiteral("unbekanntes Papier \u201E%1\u201C (a4 oder letter)").arg(parser.value(paperOption)));
            return std::nullopt;
        }
        o.paper = paper == QLatin1String("a4") ? QPageSize::A4 : QPageSize::Letter;
    }
    if (parser.isSet(dpiOption) && !(o.dpi = number("dpi", parser.value(dpiOption), 10, 600)))
        return std::nullopt;
    if (parser.isSet(sizeOption) && !(o.size = number("size", parser.value(sizeOption), 16, 8000)))
        return std::nullopt;
    if (parser.isSet(transposeOption)) {
        const std::optional<int> steps = number("transpose", parser.value(transposeOption), -11, 11);
        if (!steps)
            return std::nullopt;
        o.transpose = *steps;
    }
    if (parser.isSet(notationOption)) {
        const QString notation = parser.value(notationOption);
        if (notation != QLatin1String("de") && notation != QLatin1String("en")) {
            fail(QStringLiteral("unbekannte Schreibweise \u201E%1\u201C (de oder en)").arg(notation));
            return std::nullopt;
        }
        o.notation = notation == QLatin1String("de") ? transpose::Notation::German
                                                     : transpose::Notation::International;
    }
    if (parser.isSet(diagramsOption)) {
        const QString instrument = parser.value(diagramsOption);
        if (instrument != QLatin1String("gitarre") && instrument != QLatin1String("ukulele") &&
            instrument != QLatin1String("klavier") && instrument != QLatin1String("aus")) {
            fail(QStringLiteral("unbekannte Griffbilder \u201E%1\u201C (gitarre, ukulele, klavier oder aus)").arg(instrument));
            return std::nullopt;
        }
        o.diagrams = instrument == QLatin1String("aus") ? std::string() : instrument.toStdString();
    }
    if (parser.isSet(outputOption)) {
        if (o.check) {
            fail(QStringLiteral("--check schreibt nichts und nimmt daher kein -o"));
            return std::nullopt;
        }
        o.outputFile = parser.value(outputOption);
        // A folder is refused in the file layer's words, whatever its name ends with, before the
        // extension is looked at.
        if (QFileInfo(o.outputFile).isDir()) {
            fail(fileErrorText(o.outputFile, FileError(FileError(FileError::Kind::AccessDenied),
                                                       " (this is a folder: name a file to write)")));
            return std::nullopt;
        }
        // Nothing is created on the way: a missing folder is said to be missing, before any song is read.
        if (const QFileInfo folder(QFileInfo(o.outputFile).absolutePath()); !folder.exists()) {
            fail(fileErrorText(o.outputFile,
                               FileError(FileError(FileError::Kind::InvalidFilename),
                                         " (the folder " + folder.filePath().toStdString() + " does not exist)")));
            return std::nullopt;
        }
        const std::optional<Output> output = outputByExtension(o.outputFile);
        if (!output)
            return std::nullopt;
        o.output = *output;
    }
    if (parser.isSet(toOption) && !parser.isSet(folderOption)) {
        fail(QStringLiteral("--to geh\u00F6rt zu -d ORDNER"));
        return std::nullopt;
    }
    if (parser.isSet(folderOption)) {
        if (parser.isSet(outputOption) || o.check || o.book) {
            fail(QStringLiteral("-d ORDNER wandelt Songs um: es nimmt kein -o, --check oder --book"));
            return std::nullopt;
        }
        o.folder = parser.value(folderOption);
        if (const QFileInfo folder(o.folder); !folder.isDir()) {
            fail((folder.exists() ? QStringLiteral("%1: ist eine Datei, kein Ordner")
                                  : QStringLiteral("%1: kein solcher Ordner"))
                     .arg(o.folder));
            return std::nullopt;
        }
        const QString to = parser.value(toOption).toLower();
        if (!to.isEmpty() && to != QLatin1String("vsn") && to != QLatin1String("cho")) {
            fail(QStringLiteral("unbekanntes Format \u201E%1\u201C f\u00FCr --to (vsn oder cho)").arg(parser.value(toOption)));
            return std::nullopt;
        }
        o.output = to == QLatin1String("cho") ? Output::ChordPro : Output::Layout;
    }
    if (o.setlist && (o.check || (o.output != Output::Pdf && o.output != Output::Printer))) {
        fail(QStringLiteral("eine Spielfolge ist eine PDF-Datei (-o FOLGE.pdf) oder geht an den Drucker"));
        return std::nullopt;
    }
    if (o.book && !o.setlist && (o.check || (o.output != Output::Pdf && o.output != Output::Printer))) {
        fail(QStringLiteral("ein Liederbuch ist eine PDF-Datei (-o BUCH.pdf) oder geht an den Drucker"));
        return std::nullopt;
    }
    if (o.sheets != Options::Sheets::Pages && o.output != Output::Pdf && o.output != Output::Printer) {
        fail(QStringLiteral("--booklet und --2-up machen eine PDF-Datei (-o BUCH.pdf) oder gehen an den Drucker"));
        return std::nullopt;
    }
    if ((o.dpi || o.size) && o.output != Output::Png) {
        fail(QStringLiteral("--dpi und --size gelten nur f\u00FCr PNG-Bilder"));
        return std::nullopt;
    }
    return o;
}

} // namespace versino::cli
