// Start-up: the main window (which starts a new, untitled song), then the about and instructions
// windows, hidden; a song named on the command line is opened once the event loop runs. The
// program ends when the main window closes.
#include "ui/About.h"
#include "ui/Appearance.h"
#include "ui/Arbeitsblatt.h"
#include "ui/Bedienung.h"
#include "ui/Buehne.h"

#include <QApplication>
#include <QTimer>
#include <csignal>

using versino::ui::TAboutBox;
using versino::ui::TBedienungForm;
using versino::ui::TWorkingForm;

int main(int argc, char* argv[]) {
    // Past a file size limit a write then fails with EFBIG and the save reports "I/O error 27",
    // instead of the kernel ending the editor with the song unsaved.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Versino"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/glyphs/program.bmp")));
    versino::ui::setupAppearance();
    versino::ui::installGermanQtTranslations();

    // "--buehne FILE...": only the stage view of the songs or song lists named.
    const QStringList arguments = QApplication::arguments().mid(1);
    if (!arguments.isEmpty() && arguments.front() == QLatin1String("--buehne"))
        return versino::ui::runStageView(arguments.mid(1));

    TWorkingForm workingForm;
    TAboutBox aboutBox(&workingForm);
    TBedienungForm bedienungForm(&workingForm);
    workingForm.setHelpWindows(&bedienungForm, &aboutBox);

    workingForm.show();
    // Qt has taken its own options out of the arguments; what is left names songs. Opened from the
    // running loop, so that a message or error report stands over the visible window.
    const QStringList songs = arguments;
    QTimer::singleShot(0, &workingForm, [&workingForm, songs] { workingForm.openAtStart(songs); });
    return app.exec();
}
