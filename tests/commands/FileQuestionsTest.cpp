// The questions that keep files from being lost: replacing an existing file from a save dialog,
// overwriting changes made outside Versino, and taking back the backup copy of a save that did not
// finish.
#include "commands/DocumentCommands.h"
#include "commands/PrintCommand.h"
#include "formats/LayoutFile.h"
#include "io/AtomicFile.h"
#include "io/FileError.h"

#include "support/GuiApp.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

using namespace versino;
using namespace versino::testing;

namespace {

class FileQuestions : public ::testing::Test {
protected:
    FileQuestions() : commands(doc, dialogs, {}) {
        qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.path("cache")));
        commands.FormCreate();
        doc.TitelEdit().setText("Lied");
        doc.TextEdit().setText("<G>Zeile\r\n");
    }
    ~FileQuestions() override { qunsetenv("XDG_CACHE_HOME"); }

    std::string song(const std::string& title) {
        SongDocument d;
        d.TitelEdit().setText(title);
        return formatLayout(d);
    }
    // Whether `path` was written by the last command.
    bool overwritten(const QString& path) { return readAll(path.toStdString()) != "old"; }

    TempDir dir;
    SongDocument doc;
    ScriptedDialogs dialogs;
    DocumentCommands commands;
};

} // namespace

// Every save dialog asks before a file that exists is replaced, and Nein leaves it as it was.
TEST_F(FileQuestions, saveDialogsAskBeforeReplacingAnExistingFile) {
    struct Case {
        const char* what;
        QString file;
        std::function<void()> run;
        bool export_ = false; // Nein shows the dialog again
    };
    const std::vector<Case> cases = {
        {"Save As", "a.vsn", [&] { commands.SpeichernAlsClick(); }},
        {"first Save of an imported song", "a.vsn",
         [&] {
             writeAll(dir.str("import.cho"), "{title: Lied}\n[G]Zeile\n");
             commands.openPath(dir.path("import.cho"));
             commands.SpeichernClick();
         }},
        {"ChordPro export", "a.cho", [&] { commands.ExportChordProClick(); }, true},
        {"PDF export", "a.pdf",
         [&] {
             guiApp();
             ExportPdfClick(doc, dialogs);
         },
         true},
    };
    for (const Case& c : cases) {
        for (const bool yes : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (yes ? ", Ja" : ", Nein"));
            const QString path = dir.path(c.file);
            writeAll(path.toStdString(), "old");
            // After Nein an export's dialog comes back: cancelled here.
            dialogs.saveAnswers = {path, std::nullopt};
            dialogs.yesNoAnswers = {yes};
            dialogs.questions.clear();
            const std::size_t before = dialogs.saveRequests.size();
            c.run();
            dialogs.saveAnswers.clear();
            EXPECT_EQ(dialogs.saveRequests.size() - before, c.export_ && !yes ? 2u : 1u);
            ASSERT_EQ(dialogs.questions.size(), 1u);
            EXPECT_EQ(
                dialogs.questions[0],
                QString::fromUtf8("Die Datei „%1“ existiert bereits. Möchten Sie sie ersetzen?").arg(c.file));
            EXPECT_EQ(overwritten(path), yes);
        }
    }
    // A file that does not exist yet is written without a question, and so is a named song.
    dialogs.questions.clear();
    dialogs.saveAnswers = {dir.path("neu.vsn")};
    EXPECT_TRUE(commands.SpeichernAlsClick());
    EXPECT_TRUE(commands.SpeichernClick());
    EXPECT_TRUE(dialogs.questions.empty());
}

// An imported song's exports are offered under its title in the folder it came from; a song
// without a title under the name it was imported as, in that folder too.
TEST_F(FileQuestions, exportsOfAnImportedSongAreOfferedUnderItsTitleBesideIt) {
    guiApp();
    QDir(dir.path()).mkpath("quelle");
    const struct {
        const char* bytes;
        const char* cho;
        const char* pdf;
    } rows[] = {
        {"{title: Lied vom Meer}\n[G]Zeile\n", "quelle/Lied vom Meer.cho", "quelle/Lied vom Meer.pdf"},
        {"[G]Zeile\n", "quelle/meer.cho", "quelle/meer.pdf"},
    };
    for (const auto& r : rows) {
        writeAll(dir.str("quelle/meer.cho"), r.bytes);
        commands.openPath(dir.path("quelle/meer.cho"));
        dialogs.saveAnswers = {std::nullopt, std::nullopt};
        commands.ExportChordProClick();
        ExportPdfClick(doc, dialogs, commands.songFolder());
        ASSERT_GE(dialogs.saveRequests.size(), 2u);
        EXPECT_EQ(dialogs.saveRequests.end()[-2].initialName, dir.path(r.cho));
        EXPECT_EQ(dialogs.saveRequests.back().initialName, dir.path(r.pdf));
    }
}

TEST_F(FileQuestions, saveAsksBeforeOverwritingChangesMadeOutsideVersino) {
    const QString path = dir.path("lied.vsn");
    writeAll(path.toStdString(), song("von hier"));
    commands.openPath(path);
    struct Case {
        const char* what;
        std::function<void()> meddle;
    };
    const std::vector<Case> cases = {
        {"rewritten", [&] { writeAll(path.toStdString(), song("von dort")); }},
        {"touched", [&] { ::utime(QFile::encodeName(path).constData(), nullptr); }},
        {"removed", [&] { QFile::remove(path); }},
    };
    int version = 0;
    for (const Case& c : cases) {
        for (const bool yes : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (yes ? ", Ja" : ", Nein"));
            struct timespec pause {
                0, 20'000'000
            };
            ::nanosleep(&pause, nullptr); // past the file system's clock tick
            c.meddle();
            const bool existed = QFile::exists(path);
            const std::string theirs = readAll(path.toStdString());
            doc.TitelEdit().setText("meine Fassung " + std::to_string(++version));
            dialogs.yesNoAnswers = {yes};
            dialogs.questions.clear();
            EXPECT_EQ(commands.SpeichernClick(), yes);
            ASSERT_EQ(dialogs.questions.size(), 1u);
            EXPECT_TRUE(
                dialogs.questions[0].contains(QString::fromUtf8("wurde außerhalb von Versino geändert")));
            EXPECT_EQ(QFile::exists(path), yes || existed);
            EXPECT_EQ(readAll(path.toStdString()) == theirs, !yes);
            EXPECT_EQ(doc.Modified, !yes);
            if (!yes)
                continue;
            // Versino's own save is no change from outside.
            dialogs.questions.clear();
            EXPECT_TRUE(commands.SpeichernClick());
            EXPECT_TRUE(dialogs.questions.empty());
        }
    }
}

// A copy left in the cache by an in-place save that did not finish is offered at the next Open,
// and the question says whether the file itself is whole (the record of the new content beside the
// copy tells). Ja takes the copy as an unsaved change, Nein keeps the file; the copy goes only
// where the file is whole, so that no answer deletes the only whole version. A later save of the
// song removes it.
TEST_F(FileQuestions, openOffersTheBackupCopyAndSaysWhetherTheFileIsWhole) {
    const QString path = dir.path("lied.vsn");
    const QString copy = AtomicFile::cacheFolder() + "/" + AtomicFile::cacheCopyName(path);
    const std::string torn(172, '\0'); // the reserved room of a write stopped before its first byte
    const auto record = [](const std::string& bytes) {
        return std::to_string(bytes.size()) + " " +
               QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha1).toHex().toStdString() +
               "\n";
    };
    struct Case {
        const char* what;
        bool recorded;
        bool fileWhole;
        const char* says;
        bool copyStaysOnNein;
    };
    for (const Case& c : {Case{"no record", false, true, "Ob die Datei selbst vollständig ist", true},
                          Case{"a whole new file", true, true, "die Datei selbst ist vollständig und neuer", false},
                          Case{"a torn file", true, false, "Die Datei selbst ist unvollständig", true}}) {
        for (const bool yes : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (yes ? ", Ja" : ", Nein"));
            const std::string onDisk = c.fileWhole ? song("ganz neu") : torn;
            writeAll(path.toStdString(), onDisk);
            ASSERT_TRUE(QDir().mkpath(AtomicFile::cacheFolder()));
            ::chmod(QFile::encodeName(AtomicFile::cacheFolder()).constData(), 0700);
            writeAll(copy.toStdString(), song("die ganze alte Fassung"));
            QFile::remove(copy + ".sum");
            if (c.recorded)
                writeAll(copy.toStdString() + ".sum", record(c.fileWhole ? onDisk : song("ganz neu")));
            dialogs.yesNoAnswers = {yes};
            dialogs.questions.clear();
            const std::string error = [&] {
                try {
                    commands.openPath(path);
                } catch (const FileError& e) {
                    return std::string(e.what());
                }
                return std::string("no error");
            }();
            ASSERT_EQ(dialogs.questions.size(), 1u);
            EXPECT_TRUE(dialogs.questions[0].contains(QString::fromUtf8("Sicherungskopie vom ")));
            EXPECT_TRUE(dialogs.questions[0].contains(QString::fromUtf8(c.says))) << dialogs.questions[0].toStdString();
            EXPECT_EQ(error, yes || c.fileWhole ? "no error" : "Die Datei ist keine Versino-Songdatei.");
            if (error == "no error") {
                EXPECT_EQ(doc.TitelEdit().text(), yes ? "die ganze alte Fassung" : "ganz neu");
                EXPECT_EQ(doc.Modified, yes);
                EXPECT_EQ(doc.DocumentName, path);
            }
            EXPECT_EQ(QFile::exists(copy), yes || c.copyStaysOnNein);
            EXPECT_EQ(readAll(path.toStdString()), onDisk) << "the file is untouched";
            if (yes) {
                EXPECT_TRUE(commands.SpeichernClick());
                EXPECT_FALSE(QFile::exists(copy)) << "a save of the song removes the copy";
            }
        }
    }
}
