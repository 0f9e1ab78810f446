// The programs as processes: what they set up for themselves before any window or file.
#include <QFile>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <csignal>

namespace {

// Whether the running process `pid` ignores `signal`, from the kernel's view of it.
bool ignores(qint64 pid, int signal) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("SigIgn:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    return false;
}

// A file size limit must make a save fail with "I/O error 27", not end the editor with the song
// unsaved. The test process may ignore SIGXFSZ itself, and an ignored signal stays ignored across
// exec, so the child restores the default: only the editor's own setting can ignore it.
TEST(EditorProcess, ignoresTheFileSizeLimitSignal) {
    QProcess editor;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    editor.setProcessEnvironment(env);
    editor.setChildProcessModifier([] { ::signal(SIGXFSZ, SIG_DFL); });
    editor.start(QStringLiteral(VERSINO_EXECUTABLE), {});
    ASSERT_TRUE(editor.waitForStarted());

    QElapsedTimer waited;
    waited.start();
    bool ignored = false;
    while (!ignored && waited.elapsed() < 10000 && editor.state() == QProcess::Running) {
        QThread::msleep(5);
        ignored = ignores(editor.processId(), SIGXFSZ);
    }
    editor.kill();
    editor.waitForFinished();
    EXPECT_TRUE(ignored);
}

} // namespace
