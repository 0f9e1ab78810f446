// Open and Save against the file system's odd corners: permissions, missing and misnamed folders,
// symbolic links, and files that change between the dialog and the read. Whatever fails, the song
// in the editor and the file on disk stay as they were, and the error names what went wrong.
#include "support/Child.h"

#include "commands/DocumentCommands.h"
#include "formats/LayoutFile.h"
#include "support/TempDir.h"
#include "support/ScriptedDialogs.h"

#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace versino;
using namespace versino::testing;

namespace {

// Dialogs that do something to the file system after the user has chosen a file, before the
// command gets to it.
class MeddlingDialogs : public ScriptedDialogs {
public:
    std::function<void()> afterOpenDialog;

    std::optional<QString> openFile(const FileDialogOptions& options) override {
        std::optional<QString> answer = ScriptedDialogs::openFile(options);
        if (afterOpenDialog)
            afterOpenDialog();
        return answer;
    }
};

class Editor : public ::testing::Test {
protected:
    Editor() : commands(doc, dialogs, {[this] { caption = captionFor(doc.DocumentName); }, {}, {}, {}}) {
        commands.FormCreate();
    }

    // A song that differs from a new one, unsaved.
    void typeSong(const std::string& title) {
        doc.TitelEdit().setText(title);
        doc.TextEdit().setText("<G>Erste Zeile\r\n");
    }

    std::string save() {
        return errorOf([&] { commands.SpeichernClick(); });
    }
    std::string modified() const { return doc.Modified ? " / modified" : " / saved"; }
    std::string saveAs(const QString& path) {
        dialogs.saveAnswers = {path};
        return errorOf([&] { commands.SpeichernAlsClick(); });
    }
    // Answers the save prompt with No when the song has unsaved changes.
    std::string open(const QString& path) {
        if (doc.Modified && dialogs.confirmAnswers.empty())
            dialogs.confirmAnswers = {MsgButton::No};
        dialogs.openAnswers = {path};
        return errorOf([&] { commands.OeffnenClick(); });
    }

    // Everything of the song that Open may replace, in one comparable value.
    std::string state() const {
        std::string s;
        for (FieldId id : kAllFields)
            s += doc.field(id).text() + "|";
        for (const FontSetting* f : {&doc.TitelFont, &doc.InterpretFont, &doc.TextFont, &doc.AkkordFont})
            s += f->name + "/" + std::to_string(f->size) + "/" + std::to_string(f->color) + "|";
        return s + doc.DocumentName.toStdString() + "|" + caption.toStdString() +
               (doc.Modified ? "|modified" : "");
    }

    TempDir dir;
    SongDocument doc;
    MeddlingDialogs dialogs;
    QString caption;
    DocumentCommands commands;
};

std::string savedSong(const std::string& title) {
    SongDocument d;
    d.TitelEdit().setText(title);
    return formatLayout(d);
}

} // namespace

TEST_F(Editor, readOnlyFileIsNeitherReplacedNorLost) {
    const QString path = dir.path("fest.vsn");
    writeAll(path.toStdString(), savedSong("alt"));
    ::chmod(path.toLocal8Bit().constData(), 0444);
    ::chmod(dir.str().c_str(), 0777);

    const ChildResult r = runInChild({true}, [&] {
        std::string out = open(path); // reading is allowed
        typeSong("neu");
        out += " | " + save();
        out += modified();
        return out;
    });
    EXPECT_EQ(r.output, "no error | File access denied / modified");
    EXPECT_EQ(readAll(path.toStdString()), savedSong("alt"));
    EXPECT_EQ(entriesOf(dir.path()), QStringList{"fest.vsn"});
}

TEST_F(Editor, readOnlyFolderWithAWritableFileIsSavedInPlace) {
    const QString path = dir.path("offen.vsn");
    writeAll(path.toStdString(), savedSong("alt"));
    ::chmod(path.toLocal8Bit().constData(), 0666);
    ::chmod(dir.str().c_str(), 0555);
    TempDir cacheHome;
    const QString cache = cacheFolderForAnyone(cacheHome.path("cache"));

    ChildOptions options;
    options.asNobody = true;
    options.cacheHome = cache;
    const ChildResult r = runInChild(options, [&] {
        std::string out = open(path);
        typeSong("neu");
        out += " | " + save();
        out += modified();
        // A new file cannot be created there at all.
        doc.TitelEdit().setText("anders");
        out += " | " + saveAs(dir.path("anders.vsn"));
        out += modified();
        return out;
    });
    ::chmod(dir.str().c_str(), 0755);
    EXPECT_EQ(r.output, "no error | no error / saved | File access denied / modified");
    SongDocument expected;
    expected.TitelEdit().setText("neu");
    expected.TextEdit().setText("<G>Erste Zeile\r\n");
    EXPECT_EQ(readAll(path.toStdString()), formatLayout(expected)) << "the first save, in place";
    EXPECT_EQ(entriesOf(dir.path()), QStringList{"offen.vsn"});
    EXPECT_EQ(entriesOf(cache + "/versino"), QStringList{}) << "the copy of the old song goes after success";
}

TEST_F(Editor, missingFolderFailsWithoutTouchingTheSong) {
    typeSong("Lied");
    const std::string before = state();
    EXPECT_EQ(open(dir.path("fehlt/lied.vsn")), "Invalid filename");
    EXPECT_EQ(state(), before);

    EXPECT_EQ(saveAs(dir.path("fehlt/lied.vsn")), "Invalid filename");
    EXPECT_TRUE(doc.Modified);
    EXPECT_EQ(doc.TitelEdit().text(), "Lied");
    EXPECT_EQ(entriesOf(dir.path()), QStringList{});
}

TEST_F(Editor, folderNamedAsTheFileIsRefusedBothWays) {
    QDir(dir.path()).mkdir("lied.vsn");
    typeSong("Lied");
    const std::string before = state();
    EXPECT_EQ(open(dir.path("lied.vsn")), "File access denied");
    EXPECT_EQ(state(), before);
    EXPECT_EQ(saveAs(dir.path("lied.vsn")), "File access denied");
    EXPECT_TRUE(doc.Modified);
    EXPECT_TRUE(QFileInfo(dir.path("lied.vsn")).isDir());
    EXPECT_EQ(entriesOf(dir.path()), QStringList{"lied.vsn"});
}

TEST_F(Editor, symbolicLinkStaysALinkThroughOpenAndSave) {
    QDir(dir.path()).mkdir("lieder");
    const QString real = dir.path("lieder/echt.vsn");
    writeAll(real.toStdString(), savedSong("alt"));
    ::chmod(real.toLocal8Bit().constData(), 0640);
    const QString link = dir.path("verweis.vsn");
    ASSERT_EQ(::symlink("lieder/echt.vsn", link.toLocal8Bit().constData()), 0);

    EXPECT_EQ(open(link), "no error");
    EXPECT_EQ(doc.TitelEdit().text(), "alt");
    doc.TitelEdit().setText("neu");
    EXPECT_EQ(save(), "no error");
    doc.TitelEdit().setText("neuer");
    EXPECT_EQ(save(), "no error");

    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), real);
    EXPECT_EQ(readAll(real.toStdString()), savedSong("neuer"));
    struct stat st {};
    ASSERT_EQ(::stat(real.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(entriesOf(dir.path()), (QStringList{"lieder", "verweis.vsn"}));
    EXPECT_EQ(entriesOf(dir.path("lieder")), QStringList{"echt.vsn"});
}

TEST_F(Editor, danglingLinkCreatesItsTargetAndStaysALink) {
    const QString link = dir.path("verweis.vsn");
    ASSERT_EQ(::symlink("neu.vsn", link.toLocal8Bit().constData()), 0);
    typeSong("neu");
    EXPECT_EQ(saveAs(link), "no error");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_FALSE(doc.Modified);
    EXPECT_EQ(readAll(dir.str("neu.vsn")).substr(0, 12), "[Titel]\r\nneu");
}

TEST_F(Editor, fileThatVanishesAfterTheDialogLeavesTheSongAsItWas) {
    const QString path = dir.path("weg.vsn");
    writeAll(path.toStdString(), savedSong("geöffnet"));
    typeSong("ungespeichert");
    const std::string before = state();
    dialogs.afterOpenDialog = [&] { QFile::remove(path); };
    EXPECT_EQ(open(path), "File not found");
    EXPECT_EQ(state(), before);
}

TEST_F(Editor, fileReplacedByAFolderAfterTheDialogLeavesTheSongAsItWas) {
    const QString path = dir.path("weg.vsn");
    writeAll(path.toStdString(), savedSong("geöffnet"));
    const std::string before = state();
    dialogs.afterOpenDialog = [&] {
        QFile::remove(path);
        QDir(dir.path()).mkdir("weg.vsn");
    };
    EXPECT_EQ(open(path), "File access denied");
    EXPECT_EQ(state(), before);
}

TEST_F(Editor, fileThatGrowsAfterTheDialogIsReadWhole) {
    const QString path = dir.path("wächst.vsn");
    writeAll(path.toStdString(), savedSong("Anfang"));
    dialogs.afterOpenDialog = [&] {
        std::string more = "[Text]\r\n";
        for (int i = 0; i < 50000; ++i)
            more += "<C>Zeile " + std::to_string(i) + "\r\n";
        more += "[Nachspiel]\r\nEnde\r\n";
        writeAll(path.toStdString(), readAll(path.toStdString()) + more);
    };
    EXPECT_EQ(open(path), "no error");
    EXPECT_EQ(doc.TitelEdit().text(), "Anfang");
    const std::vector<std::string> lyrics = doc.TextEdit().lineList();
    ASSERT_EQ(lyrics.size(), 50000u);
    EXPECT_EQ(lyrics.back(), "<C>Zeile 49999");
    EXPECT_EQ(doc.NachspielEdit().text(), "Ende");
    EXPECT_FALSE(doc.Modified);
}

TEST_F(Editor, devicesAndFifosAreRefusedWithoutBlocking) {
    const QString fifo = dir.path("rohr.vsn");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    typeSong("Lied");
    const std::string before = state();
    const ChildResult r = runInChild({false, 0, 10}, [&] {
        std::string out = open(fifo);
        out += " | " + open("/dev/zero");
        out += state() == before ? " | unchanged" : " | changed";
        return out;
    });
    EXPECT_FALSE(r.timedOut()) << "an open blocked";
    EXPECT_EQ(r.output, "File access denied | File access denied | unchanged");
}

TEST_F(Editor, symbolicLinkLoopIsRefusedAndStaysALoop) {
    const QString a = dir.path("a.vsn");
    const QString b = dir.path("b.vsn");
    ASSERT_EQ(::symlink("b.vsn", a.toLocal8Bit().constData()), 0);
    ASSERT_EQ(::symlink("a.vsn", b.toLocal8Bit().constData()), 0);
    typeSong("Lied");
    EXPECT_EQ(saveAs(a), "Invalid filename");
    EXPECT_TRUE(doc.Modified);
    EXPECT_TRUE(QFileInfo(a).isSymLink()) << "the save replaced a link of the loop";
    EXPECT_TRUE(QFileInfo(b).isSymLink());
    EXPECT_EQ(open(a), "Invalid filename");
    EXPECT_EQ(entriesOf(dir.path()), (QStringList{"a.vsn", "b.vsn"}));
}

TEST_F(Editor, fifoGivenAsTheSaveTargetIsRefusedAndStaysAFifo) {
    const QString fifo = dir.path("rohr.vsn");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    typeSong("Lied");
    const ChildResult r = runInChild({false, 0, 10}, [&] { return saveAs(fifo) + modified(); });
    EXPECT_FALSE(r.timedOut()) << "the save blocked on the FIFO";
    EXPECT_EQ(r.output, "File access denied / modified");
    struct stat st {};
    ASSERT_EQ(::lstat(fifo.toLocal8Bit().constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the save replaced the FIFO";
    EXPECT_EQ(entriesOf(dir.path()), QStringList{"rohr.vsn"});
}
