// The editor as a process: once its main window has closed, nothing keeps it alive.
#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <ctime>

namespace {

long long monotonicNanoseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

// The editor with the close probe loaded: the probe closes the main window once it is shown and
// reports when. Returns the nanoseconds from that close to the end of the process, or -1.
long long lingerAfterClose(const QString& platform, QString& diagnostics) {
    QProcess editor;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(CLOSE_PROBE_PLUGIN_PATH));
    env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("closeprobe"));
    // The leak check at exit is the sanitizer's own time, not the program's.
    env.insert(QStringLiteral("ASAN_OPTIONS"), env.value(QStringLiteral("ASAN_OPTIONS")) +
                                                   QStringLiteral(":detect_leaks=0"));
    editor.setProcessEnvironment(env);
    editor.setProcessChannelMode(QProcess::SeparateChannels);
    editor.start(QStringLiteral(VERSINO_EXECUTABLE), {});
    if (!editor.waitForStarted(10000)) {
        diagnostics = editor.errorString();
        return -1;
    }
    const bool finished = editor.waitForFinished(60000);
    const long long end = monotonicNanoseconds();
    diagnostics = QString::fromLocal8Bit(editor.readAllStandardError());
    if (!finished) {
        editor.kill();
        editor.waitForFinished();
        return -1;
    }
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("close-probe: closing at (\\d+)")).match(diagnostics);
    if (!m.hasMatch() || editor.exitStatus() != QProcess::NormalExit || editor.exitCode() != 0)
        return -1;
    return end - m.captured(1).toLongLong();
}

TEST(ProcessExit, endsPromptlyOnceTheMainWindowHasClosed) {
    QString diagnostics;
    const long long linger = lingerAfterClose(QStringLiteral("offscreen"), diagnostics);
    ASSERT_GE(linger, 0) << diagnostics.toStdString();
    // Ending takes a few milliseconds; the bound leaves room for a loaded CI machine.
    ::testing::Test::RecordProperty("lingerMs", int(linger / 1000000));
    EXPECT_LT(linger, 500'000'000LL) << linger / 1'000'000 << " ms";
}

} // namespace
