// A Qt platform plugin for tests of the whole program: loaded into the editor through
// QT_QPA_GENERIC_PLUGINS, it waits until the main window has been shown, then asks it to close as
// a window manager does and writes the moment (monotonic clock, nanoseconds) to standard error.
// The test measures how long the process lives on after that moment.
#include <QGenericPlugin>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <ctime>

namespace {

long long monotonicNanoseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

QWindow* shownMainWindow() {
    for (QWindow* w : QGuiApplication::topLevelWindows())
        if (w->isVisible() && w->title().startsWith(QLatin1String("Versino")))
            return w;
    return nullptr;
}

} // namespace

class CloseProbe final : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "CloseProbe.json")
public:
    QObject* create(const QString&, const QString&) override {
        auto* timer = new QTimer;
        timer->setInterval(50);
        QObject::connect(timer, &QTimer::timeout, timer, [timer] {
            // Some rounds after the window showed, so that start-up work has settled.
            static int roundsShown = 0;
            QWindow* w = shownMainWindow();
            if (!w || ++roundsShown < 4)
                return;
            timer->stop();
            std::fprintf(stderr, "close-probe: closing at %lld\n", monotonicNanoseconds());
            std::fflush(stderr);
            w->close();
        });
        timer->start();
        return timer;
    }
};

#include "CloseProbe.moc"
