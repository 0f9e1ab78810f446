// A crash costs at most the last seconds of typing: an editor killed with SIGKILL while its song
// has unsaved changes leaves its recovery copy, and the next editor offers it back.
#include "FormFixture.h"
#include "support/TempDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace versino;
using namespace versino::testing;

namespace {

QStringList copiesIn(const QString& folder) {
    return QDir(folder).entryList({"*.vsn"}, QDir::Files);
}

TEST(RecoveryCopy, anEditorKilledWhileTypingIsOfferedBackByTheNextOne) {
    uiApp();
    TempDir cache;
    const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
    const bool hadCache = qEnvironmentVariableIsSet("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    const QString folder = cache.path("versino/recovery");

    // The first editor types, waits for its copy (written once typing has paused) and is killed.
    const pid_t child = ::fork();
    if (child == 0) {
        ScriptedDialogs dialogs;
        ui::TWorkingForm form(&dialogs);
        form.show();
        typeText(form.findChild<QLineEdit*>("TitelEdit"), QString::fromUtf8("Über den Wolken"));
        typeText(form.findChild<QPlainTextEdit*>("TextEdit"), "Wo <D>die Freiheit");
        QElapsedTimer waited;
        waited.start();
        while (copiesIn(folder).isEmpty() && waited.elapsed() < 30000)
            QTest::qWait(50);
        ::raise(SIGKILL);
        ::_exit(1);
    }
    ASSERT_GT(child, 0);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the editor was not killed";
    ASSERT_EQ(copiesIn(folder).size(), 1) << "the killed editor left no copy";

    {
        ScriptedDialogs dialogs;
        dialogs.confirmAnswers = {MsgButton::Yes};
        ui::TWorkingForm form(&dialogs);
        form.openAtStart({});
        ASSERT_EQ(dialogs.confirms.size(), 1u);
        EXPECT_TRUE(dialogs.confirms[0].text.startsWith(
            QString::fromUtf8("Ungesicherte Änderungen an „unbenannt“ vom ")))
            << dialogs.confirms[0].text.toStdString();
        EXPECT_TRUE(dialogs.confirms[0].text.contains(QString::fromUtf8("„Über den Wolken“")));
        EXPECT_EQ(form.findChild<QLineEdit*>("TitelEdit")->text(), QString::fromUtf8("Über den Wolken"));
        // As a saved and reopened song shows it: the last line of the lyrics ends with a line break.
        EXPECT_EQ(form.findChild<QPlainTextEdit*>("TextEdit")->toPlainText(), "Wo <D>die Freiheit\n");
        EXPECT_TRUE(asksToSave(form, dialogs));
        EXPECT_EQ(dialogs.errors, std::vector<QString>{});
        // The restored song is this editor's unsaved change now: its own copy took the old one's place.
        EXPECT_EQ(copiesIn(folder).size(), 1);

        ScriptedDialogs otherDialogs;
        ui::TWorkingForm other(&otherDialogs);
        other.openAtStart({});
        EXPECT_TRUE(otherDialogs.confirms.empty()) << "a running editor's copy is not offered to another";
    }
    EXPECT_EQ(copiesIn(folder), QStringList{}) << "an editor that ends in order leaves no copy";

    if (hadCache)
        qputenv("XDG_CACHE_HOME", oldCache);
    else
        qunsetenv("XDG_CACHE_HOME");
}

} // namespace
