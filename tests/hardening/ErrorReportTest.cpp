// The error report the window shows for a save that fails part-way, through the same guard every
// window handler runs in: the file error's text with a full stop, and the song still unsaved.
#include "support/Child.h"

#include "commands/DocumentCommands.h"
#include "formats/LayoutFile.h"
#include "support/TempDir.h"
#include "support/ScriptedDialogs.h"
#include "ui/ErrorGuard.h"

#include <gtest/gtest.h>

using namespace versino;
using namespace versino::testing;

TEST(ErrorReport, saveFailingPartWayIsReportedAndKeepsTheSongUnsaved) {
    TempDir dir;
    const QString path = dir.path("song.vsn");
    SongDocument old;
    old.TitelEdit().setText("alt");
    WriteLayoutFile(old, path);
    const std::string before = readAll(path.toStdString());

    const ChildResult r = runInChild({false, 32 * 1024}, [&] {
        SongDocument doc;
        ScriptedDialogs dialogs;
        DocumentCommands commands(doc, dialogs, {});
        commands.FormCreate();
        dialogs.saveAnswers = {path};
        dialogs.yesNoAnswers = {true};
        std::string text;
        for (int i = 0; i < 10000; ++i)
            text += "<Am>Zeile " + std::to_string(i) + "\r\n";
        doc.TextEdit().setText(text);
        const bool ok = ui::ErrorGuard(dialogs).run([&] { commands.SpeichernClick(); });
        std::string out = ok ? "handled" : "reported";
        for (const QString& e : dialogs.errors)
            out += " '" + e.toStdString() + "'";
        return out + (doc.Modified ? " modified" : " saved");
    });
    EXPECT_EQ(r.output, "reported 'I/O error " + std::to_string(EFBIG) + ".' modified");
    EXPECT_EQ(readAll(path.toStdString()), before);
    EXPECT_EQ(entriesOf(dir.path()), QStringList{"song.vsn"});
}
