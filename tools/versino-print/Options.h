#pragma once

// The command line of versino-print: what it asks for, read and checked before any song is touched.

#include "music/Transpose.h"
#include "io/FileError.h"

#include <QPageSize>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

class QCommandLineParser;

namespace versino::cli {

// The exit statuses, in the manner of diff and grep: trouble outweighs findings.
enum Status { kAllDone = 0, kFindings = 1, kTrouble = 2 };

enum class Output { Printer, Pdf, Png, ChordPro, Layout };

struct Options {
    Output output = Output::Printer;
    QString outputFile;
    QPageSize::PageSizeId paper = QPageSize::A4;
    std::optional<int> dpi;
    std::optional<int> size;
    QStringList songs;
    bool check = false;
    bool fit = false;
    bool book = false;
    bool index = false;
    bool lyricsOnly = false;
    bool setlist = false;      // the running order on one page instead of the songs
    bool runningOrder = false; // the book's contents in the list's order, with number and key
    // 2: a song that does not fit on one page continues on a second; 1: one page; unset: as the file says.
    std::optional<int> pages;
    enum class Sheets { Pages, Booklet, TwoUp };
    Sheets sheets = Sheets::Pages; // a book on landscape sheets of two pages a side
    std::optional<QString> title;
    int transpose = 0;
    std::optional<transpose::Notation> notation;
    // -d FOLDER: every song of every file converted into the folder, as `output` (Layout or ChordPro).
    QString folder;
    // --diagrams: the instrument of every song's chord diagrams, "" for none (aus).
    std::optional<std::string> diagrams;
};

// What the command line asks for besides work on songs.
enum class Info { None, Help, Version };

// The usage lines that stand in for the parser's own.
extern const char* const kSynopsis;

// One line on standard error under the program's name.
void fail(const QString& text);

// "FILE: why" in the file layer's words.
QString fileErrorText(const QString& path, const FileError& e);

// Reads the options. Nothing (after a message) when they are wrong: exit status 2.
std::optional<Options> parseArguments(QCommandLineParser& parser, const QStringList& arguments, Info& info);

} // namespace versino::cli
